#pragma once

#include <chrono>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "ChatRecords.h"
#include "OperatorRoster.h"
#include "Outbox.h"
#include "Simulation.h"

namespace TavoroDemo {

// The chats between simulated visitors and operators. A visitor asks for a chat ("@CHAT" and a
// new "@VISITORS" to every watching connection); an operator takes it, and the visitor answers
// each operator line after a short delay, typing notices first. Replies and other delayed
// actions are timers (nextDue/advance). Ended chats are kept as the visitor's earlier chats.
class ChatDesk {
  public:
    using Clock = std::chrono::steady_clock;

    struct Settings {
        bool numberedLines = false;  // visitor lines start "line N: "
        int leaveAfter = 0;          // operator lines before the visitor leaves; 0: 8 to 15
        int replyDelayMs = 400;
        double interval = 20;  // seconds between spontaneous chat requests; 0: none
        uint64_t seed = 0;     // for the choice of the visitor who asks
    };

    ChatDesk(const Settings& settings, Simulation& simulation, OperatorRoster& roster,
             Outbox& outbox);

    // The visitor asks for a chat; greeting is the first line the visitor typed.
    void request(SimVisitor& visitor, const std::string& greeting);

    void take(int connection, const std::string& chatId);
    void operatorLine(int connection, const std::string& chatId, const std::string& text);
    void link(int connection, const std::string& chatId, const std::string& url);
    void block(int connection, const std::string& ip);
    void close(int connection, const std::string& chatId);
    void leave(int connection, const std::string& chatId);
    void invite(int connection, const std::string& ip, const std::string& text);
    // "@SENDTOCLIENT" data: target connection, ":", then a text or a "~transfer~" offer.
    void sendToClient(int connection, const std::string& data);
    // The connection went away: its chats wait for an operator again.
    void disconnected(int connection);

    // The chat the connection is talking in, else any waiting or running chat, else the empty
    // text.
    std::string activeChatFor(int connection) const;

    // "@VISITORS" data: the waiting and running chats.
    std::string visitors() const;
    // Sends "@VISITORS" to every watching connection.
    void broadcastVisitors();
    // "@PREVCHATS" and "@PREVCHAT" data.
    std::string previousChats(const std::string& site, const std::string& ip) const;
    std::string previousChat(const std::string& site, const std::string& chatId) const;

    Clock::time_point nextDue() const;
    void advance(Clock::time_point now);

  private:
    enum class Action { Typing, Reply, Leave, GiveUp, AcceptInvite, SimulatedClose };
    struct Pending {
        Action action;
        std::string chatId;  // for AcceptInvite: the visitor's address
        std::string text;
    };

    Clock::duration intervalDuration() const;
    ChatRecord* findActive(const std::string& chatId);
    void schedule(int delayMs, Action action, const std::string& chatId,
                  const std::string& text = std::string());
    void visitorSays(ChatRecord& chat, const std::string& text);
    // Ends a chat: the visitor is no longer chatting, the chat joins the visitor's history.
    void end(const std::string& chatId, bool tellOperator);
    void run(const Pending& p);

    Settings m_settings;
    Simulation& m_simulation;
    OperatorRoster& m_roster;
    Outbox& m_outbox;
    ChatRecords m_records;
    std::map<std::string, ChatRecord> m_active;  // waiting or running, by chat id
    std::map<std::string, int> m_offers;         // chat id to the operator it was offered to
    std::multimap<Clock::time_point, Pending> m_pending;
    long m_nextId = 1001;
    std::mt19937_64 m_random;
    Clock::time_point m_nextSpontaneous = Clock::time_point::max();
};

}  // namespace TavoroDemo
