#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "Outbox.h"
#include "SimVisitor.h"
#include "SiteCatalog.h"

namespace TavoroDemo {

// The live visitors of the demo sites. Each step of the simulation is one visitor event: a
// visitor arrives, views a page, raises an alert, becomes a prospect or a customer, or leaves;
// it is sent as "@EV" or "@ER" to every connection that started events. Steps are paced by the
// event rate with timers (nextDue/advance), never by spinning. With a seed the sequence of
// steps, and so the event texts, is the same on every run: the simulation's clock counts steps,
// not wall time, and its random numbers come from its own generator.
class Simulation {
  public:
    using Clock = std::chrono::steady_clock;

    struct Settings {
        size_t initialVisitors = 40;
        double eventRate = 2.5;  // visitor events per second; 0: none
        uint64_t seed = 0;
        bool seeded = false;
    };

    Simulation(const Settings& settings, SiteCatalog& sites, Outbox& outbox);

    // Starts the steps. Without a seed they run from construction; with a seed they wait for
    // the first connection that starts events, so every run shows the same events from the
    // first one on.
    void start();
    bool started() const { return m_started; }

    // When advance should next be called.
    Clock::time_point nextDue() const { return m_nextDue; }
    // Runs the steps that are due by now.
    void advance(Clock::time_point now);
    // Runs one step at once (tests of the model, and the start-up population).
    void step();

    // "@CV" data: every current visitor, ESC-separated, in order of arrival.
    std::string currentVisitors() const;
    const std::vector<std::unique_ptr<SimVisitor>>& visitors() const { return m_visitors; }
    SimVisitor* findByIp(const std::string& site, const std::string& ip);
    SimVisitor* findByIp(const std::string& ip);
    // A visitor who is not chatting and not blocked, picked by the number; nullptr if none.
    SimVisitor* idleVisitor(uint64_t pick);

    // A visitor's chat flag changed: sets the chatting flag and sends the visitor's "@EV".
    void setChatting(SimVisitor& v, bool chatting);
    // The visitor is blocked: it leaves at once ("@ER"), and its address never chats again.
    void block(const std::string& ip);
    bool blocked(const std::string& ip) const { return m_blocked.count(ip) != 0; }
    // Counts a chat request on the visitor's site.
    void countChatRequest(const std::string& site);

    // The domain of a site, or the empty text.
    std::string siteDomain(const std::string& site) const;

    // The simulation's time of day, "HH:MM:SS".
    std::string clock() const;
    // Visitor events (steps) so far.
    uint64_t steps() const { return m_steps; }
    // Changes whenever the visitor list changes.
    uint64_t version() const { return m_version; }

    // The server's own account of its visitors: "steps<TAB>n", then "site<TAB>key<TAB>count"
    // per site, then "visitor<TAB>site<TAB>visitor key" per visitor in order of arrival; lines
    // separated by LF.
    std::string stateReport() const;

  private:
    static constexpr size_t kMaxBlocked = 10000;

    void arrive();
    void leave(size_t index);
    void viewPage(SimVisitor& v);
    void raiseAlert(SimVisitor& v);
    void promote(SimVisitor& v, bool customer);
    void sendEvent(const SimVisitor& v);
    void popup(const std::string& kind, const std::string& text);
    void countCurrent(Site& site, long delta);
    long randomInt(long low, long high);  // inclusive
    double random01();

    Settings m_settings;
    SiteCatalog& m_sites;
    Outbox& m_outbox;
    std::mt19937_64 m_random;
    std::vector<std::unique_ptr<SimVisitor>> m_visitors;
    std::map<std::string, long> m_nextNumber;  // per site
    std::set<std::string> m_blocked;
    uint64_t m_serial = 0;
    uint64_t m_steps = 0;
    uint64_t m_version = 0;
    long m_clockBase = 0;  // seconds since midnight at step 0
    double m_debt = 0;
    Clock::time_point m_last;
    Clock::time_point m_nextDue;
    Clock::time_point m_nextPopup;
    bool m_started = false;
};

}  // namespace TavoroDemo
