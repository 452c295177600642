#include "Simulation.h"

#include <algorithm>
#include <cmath>
#include <ctime>

#include "VisitorRecords.h"
#include "WireText.h"

namespace TavoroDemo {
namespace {

const char* const kNames[] = {"Ann",  "Ben",  "Carla", "Dev",  "Eva",  "Farid", "Gina",
                              "Hugo", "Ines", "Jon",   "Kira", "Lars", "Mona",  "Nils",
                              "Olga", "Paul", "Rosa",  "Sven", "Tara", "Uwe"};
const char* const kBrowsers[] = {"Firefox 132", "Chrome 131", "Safari 18", "Edge 131"};
const char* const kSystems[] = {"Linux", "Windows 11", "macOS 15", "Android 15", "iOS 18"};
const char* const kPlaces[] = {"Leeds|West Yorkshire|UK", "Lyon|Rhone|France",
                               "Porto|Norte|Portugal", "Graz|Styria|Austria", "Austin|Texas|USA"};
const char* const kSearches[] = {"red+shoes",    "acme+hats",   "help+desk+login",
                                 "don%27t+wait", "book+a+room", "blue%20hat"};

}  // namespace

Simulation::Simulation(const Settings& settings, SiteCatalog& sites, Outbox& outbox)
    : m_settings(settings),
      m_sites(sites),
      m_outbox(outbox),
      m_random(settings.seeded ? settings.seed : std::random_device{}()) {
    if (settings.seeded) {
        m_clockBase = 9 * 3600;
    } else {
        const std::time_t now = std::time(nullptr);
        std::tm local{};
        localtime_r(&now, &local);
        m_clockBase = local.tm_hour * 3600 + local.tm_min * 60 + local.tm_sec;
    }
    // The start-up population, each visitor with a page or two; nobody watches yet.
    for (size_t i = 0; i < settings.initialVisitors; ++i) {
        arrive();
        if (random01() < 0.5)
            viewPage(*m_visitors.back());
    }
    m_steps = 0;
    m_nextPopup = Clock::now();
    m_nextDue = Clock::time_point::max();
    if (!settings.seeded)
        start();
}

void Simulation::start() {
    if (m_started)
        return;
    m_started = true;
    m_last = Clock::now();
    m_nextDue = m_settings.eventRate > 0 ? m_last : Clock::time_point::max();
}

long Simulation::randomInt(long low, long high) {
    return std::uniform_int_distribution<long>(low, high)(m_random);
}

double Simulation::random01() {
    return std::uniform_real_distribution<double>(0.0, 1.0)(m_random);
}

std::string Simulation::clock() const {
    long seconds = m_clockBase;
    if (m_settings.eventRate > 0)
        seconds += static_cast<long>(static_cast<double>(m_steps) / m_settings.eventRate);
    seconds %= 24 * 3600;
    char text[16];
    std::snprintf(text, sizeof(text), "%02ld:%02ld:%02ld", seconds / 3600, seconds / 60 % 60,
                  seconds % 60);
    return text;
}

void Simulation::advance(Clock::time_point now) {
    const double rate = m_settings.eventRate;
    if (rate <= 0 || !m_started)
        return;
    m_debt += std::chrono::duration<double>(now - m_last).count() * rate;
    m_last = now;
    double due = std::floor(m_debt);
    m_debt -= due;
    // After a stall (a suspended process, a slow disk) at most one second's worth catches up.
    due = std::min(due, std::ceil(rate));
    for (double i = 0; i < due; ++i)
        step();
    // Small rates get a timer per event; large ones a batch every 10 ms.
    const double wait = std::max(0.01, (1.0 - m_debt) / rate);
    m_nextDue =
        now + std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(wait));
}

void Simulation::step() {
    ++m_steps;
    const double target = static_cast<double>(std::max<size_t>(m_settings.initialVisitors, 1));
    const double population = static_cast<double>(m_visitors.size());
    if (m_visitors.empty()) {
        arrive();
        return;
    }
    const double pArrive = std::min(0.6, 0.2 * target / population);
    const double pLeave = std::min(0.6, 0.2 * population / target);
    const double r = random01();
    const size_t index =
        static_cast<size_t>(randomInt(0, static_cast<long>(m_visitors.size()) - 1));
    SimVisitor& v = *m_visitors[index];
    if (r < pArrive) {
        arrive();
    } else if (r < pArrive + pLeave && !v.chatting) {
        leave(index);
    } else {
        const double kind = random01();
        if (kind < 0.70)
            viewPage(v);
        else if (kind < 0.85)
            raiseAlert(v);
        else if (kind < 0.95)
            promote(v, false);
        else
            promote(v, true);
        sendEvent(v);
    }
}

void Simulation::arrive() {
    Site& site = m_sites.sites()[static_cast<size_t>(
        randomInt(0, static_cast<long>(m_sites.sites().size()) - 1))];
    auto v = std::make_unique<SimVisitor>();
    const uint64_t serial = ++m_serial;
    v->site = site.key;
    v->ip = "10." + std::to_string(serial / 62500 % 250 + 1) + "." +
            std::to_string(serial / 250 % 250) + "." + std::to_string(serial % 250 + 1);
    v->tail = "v" + std::to_string(serial);
    v->number = ++m_nextNumber[site.key];
    v->visitNumber = random01() < 0.6 ? 1 : randomInt(2, 9);
    v->dns = "host-" + std::to_string(serial) + ".net.example";
    v->name = kNames[randomInt(0, sizeof(kNames) / sizeof(kNames[0]) - 1)];
    v->username = v->visitNumber > 3 ? "user" + std::to_string(serial) : std::string();
    v->browser = kBrowsers[randomInt(0, sizeof(kBrowsers) / sizeof(kBrowsers[0]) - 1)];
    v->opSys = kSystems[randomInt(0, sizeof(kSystems) / sizeof(kSystems[0]) - 1)];
    v->location = kPlaces[randomInt(0, sizeof(kPlaces) / sizeof(kPlaces[0]) - 1)];
    if (random01() < 0.5) {
        v->referrer =
            "http://search.example.net/find?hl=en&q=" +
            std::string(kSearches[randomInt(0, sizeof(kSearches) / sizeof(kSearches[0]) - 1)]);
    }
    v->startTime = clock();
    v->lastTime = v->startTime;
    if (v->visitNumber > 1 && random01() < 0.3)
        v->flags[random01() < 0.5 ? 4 : 6] = 'Y';  // a returning prospect or customer
    v->pages.push_back({v->startTime, "http://" + site.domain + site.pages[0], site.name});
    site.stats.totalVisits++;
    site.stats.pageViews++;
    if (v->visitNumber == 1)
        site.stats.newVisits++;
    countCurrent(site, 1);
    m_visitors.push_back(std::move(v));
    ++m_version;
    sendEvent(*m_visitors.back());
}

void Simulation::leave(size_t index) {
    const std::string key = m_visitors[index]->key();
    if (Site* site = m_sites.find(m_visitors[index]->site))
        countCurrent(*site, -1);
    m_visitors.erase(m_visitors.begin() + static_cast<long>(index));
    ++m_version;
    m_outbox.toWatchers("@ER:" + key);
}

void Simulation::viewPage(SimVisitor& v) {
    Site* site = m_sites.find(v.site);
    if (!site)
        return;
    const std::string& path =
        site->pages[static_cast<size_t>(randomInt(0, static_cast<long>(site->pages.size()) - 1))];
    v.lastTime = clock();
    std::string title = site->name;
    if (path.size() > 1)
        title += " - " + path.substr(1);
    v.pages.push_back({v.lastTime, "http://" + site->domain + path, title});
    if (v.pages.size() > 50)
        v.pages.erase(v.pages.begin());
    site->stats.pageViews++;
    if (path == "/downloads")
        site->stats.downloads++;
}

void Simulation::raiseAlert(SimVisitor& v) {
    Site* site = m_sites.find(v.site);
    if (!site || site->alerts.empty())
        return;
    const AlertDef& alert =
        site->alerts[static_cast<size_t>(randomInt(0, static_cast<long>(site->alerts.size()) - 1))];
    v.raisedAlert = alert.id;
    v.lastTime = clock();
    site->stats.alertCounts[alert.id]++;
    site->stats.entryAlerts++;
    if (alert.name == "Hack attempt") {
        v.flags[0] = 'Y';
        site->stats.hackExceptions++;
        popup("Exception", "Hack attempt from " + v.ip + " on " + site->name);
    }
}

void Simulation::promote(SimVisitor& v, bool customer) {
    Site* site = m_sites.find(v.site);
    if (!site)
        return;
    v.lastTime = clock();
    if (customer) {
        if (v.flags[7] == 'Y')
            return;
        v.flags[7] = 'Y';
        site->stats.newCustomers++;
        popup("Customer", v.name + " bought on " + site->name);
    } else {
        if (v.flags[5] == 'Y' || v.flags[7] == 'Y')
            return;
        v.flags[5] = 'Y';
        site->stats.newProspects++;
        popup("Prospect", v.name + " left an address on " + site->name);
    }
}

void Simulation::sendEvent(const SimVisitor& v) {
    ++m_version;
    m_outbox.toWatchers("@EV:" + VisitorRecords::visitorLine(v));
}

// Notifications are few, whatever the event rate: at most one every five seconds.
void Simulation::popup(const std::string& kind, const std::string& text) {
    const auto now = Clock::now();
    if (now < m_nextPopup)
        return;
    m_nextPopup = now + std::chrono::seconds(5);
    m_outbox.toWatchers("@POPUP:" + kind + WireText::kTab + text);
}

void Simulation::countCurrent(Site& site, long delta) {
    site.stats.current += delta;
    if (site.stats.current > site.stats.peak) {
        site.stats.peak = site.stats.current;
        site.stats.peakTime = clock().substr(0, 5);
    }
}

std::string Simulation::currentVisitors() const {
    std::string out;
    for (size_t i = 0; i < m_visitors.size(); ++i) {
        if (i)
            out += WireText::kEsc;
        out += VisitorRecords::visitorLine(*m_visitors[i]);
    }
    return out;
}

SimVisitor* Simulation::findByIp(const std::string& site, const std::string& ip) {
    for (auto& v : m_visitors) {
        if (v->ip == ip && v->site == site)
            return v.get();
    }
    return nullptr;
}

SimVisitor* Simulation::findByIp(const std::string& ip) {
    for (auto& v : m_visitors) {
        if (v->ip == ip)
            return v.get();
    }
    return nullptr;
}

SimVisitor* Simulation::idleVisitor(uint64_t pick) {
    if (m_visitors.empty())
        return nullptr;
    const size_t start = static_cast<size_t>(pick % m_visitors.size());
    for (size_t i = 0; i < m_visitors.size(); ++i) {
        SimVisitor* v = m_visitors[(start + i) % m_visitors.size()].get();
        if (!v->chatting && !blocked(v->ip))
            return v;
    }
    return nullptr;
}

void Simulation::setChatting(SimVisitor& v, bool chatting) {
    v.chatting = chatting;
    v.flags[3] = chatting ? 'Y' : 'N';
    v.lastTime = clock();
    sendEvent(v);
}

void Simulation::block(const std::string& ip) {
    // Only addresses of the simulation's own form are kept, and not without end: the list is
    // filled by what clients send.
    if (ip.size() <= 15 && m_blocked.size() < kMaxBlocked)
        m_blocked.insert(ip);
    for (size_t i = 0; i < m_visitors.size(); ++i) {
        if (m_visitors[i]->ip == ip) {
            leave(i);
            return;
        }
    }
}

std::string Simulation::siteDomain(const std::string& site) const {
    for (const auto& s : m_sites.sites()) {
        if (s.key == site)
            return s.domain;
    }
    return std::string();
}

void Simulation::countChatRequest(const std::string& site) {
    if (Site* s = m_sites.find(site))
        s->stats.chatRequests++;
}

std::string Simulation::stateReport() const {
    std::vector<std::string> lines = {"steps\t" + std::to_string(m_steps)};
    for (const auto& site : m_sites.sites())
        lines.push_back("site\t" + site.key + "\t" + std::to_string(site.stats.current));
    for (const auto& v : m_visitors)
        lines.push_back("visitor\t" + v->site + "\t" + v->key());
    return WireText::join(lines, WireText::kLf);
}

}  // namespace TavoroDemo
