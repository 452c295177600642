#include "ChatDesk.h"

#include <algorithm>
#include <functional>

#include "WireText.h"

namespace TavoroDemo {
namespace {

const char* const kLeftText = "Visitor has left the conversation.";
const char* const kReplies[] = {
    "I see, thanks.",         "Could you tell me more about the prices?",
    "Does it ship abroad?",   "And how long does delivery take?",
    "Great, that helps.",     "Is there a discount today?",
    "OK, one moment please.", "Which size would you recommend?"};
constexpr int kGiveUpMs = 180000;
// Bounds on what clients can make the desk hold: lines of one transcript, delayed actions.
constexpr size_t kMaxLines = 5000;
constexpr size_t kMaxPending = 100000;

}  // namespace

ChatDesk::ChatDesk(const Settings& settings, Simulation& simulation, OperatorRoster& roster,
                   Outbox& outbox)
    : m_settings(settings),
      m_simulation(simulation),
      m_roster(roster),
      m_outbox(outbox),
      m_random(settings.seed) {
    if (settings.interval > 0)
        m_nextSpontaneous = Clock::now() + intervalDuration();
}

ChatDesk::Clock::duration ChatDesk::intervalDuration() const {
    return std::chrono::duration_cast<Clock::duration>(
        std::chrono::duration<double>(m_settings.interval));
}

ChatRecord* ChatDesk::findActive(const std::string& chatId) {
    const auto found = m_active.find(chatId);
    return found == m_active.end() ? nullptr : &found->second;
}

void ChatDesk::schedule(int delayMs, Action action, const std::string& chatId,
                        const std::string& text) {
    m_pending.emplace(Clock::now() + std::chrono::milliseconds(delayMs),
                      Pending{action, chatId, text});
}

void ChatDesk::request(SimVisitor& visitor, const std::string& greeting) {
    if (visitor.chatting || m_simulation.blocked(visitor.ip))
        return;
    ChatRecord chat;
    chat.id = "C" + std::to_string(m_nextId++);
    chat.site = visitor.site;
    chat.ip = visitor.ip;
    chat.tail = visitor.tail;
    chat.visitorName = visitor.name;
    chat.date = "2026-12-08";
    chat.startTime = m_simulation.clock();
    chat.lastActivity = chat.startTime;
    chat.leaveAfter = m_settings.leaveAfter > 0
                          ? m_settings.leaveAfter
                          : 8 + static_cast<int>(std::hash<std::string>()(chat.id) % 8);
    // The chat names its site by the site's domain.
    chat.domain = m_simulation.siteDomain(visitor.site);
    const std::string id = chat.id;
    m_active[id] = chat;
    m_simulation.setChatting(visitor, true);
    m_simulation.countChatRequest(visitor.site);
    visitorSays(m_active[id], greeting);
    m_outbox.toWatchers("@CHAT:" + id + ":" + chat.domain + ":" + chat.visitorName);
    broadcastVisitors();
    schedule(kGiveUpMs, Action::GiveUp, id);
}

// A visitor line goes into the transcript and, once an operator has the chat, to that
// operator's connection.
void ChatDesk::visitorSays(ChatRecord& chat, const std::string& text) {
    ++chat.visitorLines;
    const std::string line =
        m_settings.numberedLines ? "line " + std::to_string(chat.visitorLines) + ": " + text : text;
    chat.lastActivity = m_simulation.clock();
    chat.lines.push_back({chat.lastActivity, "0", line});
    if (chat.talkingTo && !m_roster.isSimulated(chat.talkingTo))
        m_outbox.toConnection(chat.talkingTo, "@MESSAGE:" + chat.id + WireText::kLf + line);
}

std::string ChatDesk::activeChatFor(int connection) const {
    for (const auto& [id, chat] : m_active) {
        if (chat.talkingTo == connection)
            return id;
    }
    return m_active.empty() ? std::string() : m_active.begin()->first;
}

void ChatDesk::take(int connection, const std::string& chatId) {
    ChatRecord* chat = findActive(chatId);
    if (!chat)
        return;
    const auto offer = m_offers.find(chatId);
    const bool offered = offer != m_offers.end() && offer->second == connection;
    if (chat->talkingTo && chat->talkingTo != connection && !offered)
        return;  // another operator has it
    if (offered)
        m_offers.erase(offer);
    chat->talkingTo = connection;
    if (std::find(chat->operators.begin(), chat->operators.end(), connection) ==
        chat->operators.end()) {
        chat->operators.push_back(connection);
        chat->operatorNames.push_back(m_roster.name(connection));
    }
    broadcastVisitors();
    m_outbox.toConnection(connection, "@CURRENTCHAT:" + ChatRecords::currentChat(*chat));
}

void ChatDesk::operatorLine(int connection, const std::string& chatId, const std::string& text) {
    ChatRecord* chat = findActive(chatId);
    if (!chat || chat->talkingTo != connection)
        return;
    // A client that floods a chat gets no more answers than the server can hold.
    if (chat->lines.size() >= kMaxLines || m_pending.size() >= kMaxPending)
        return;
    const auto pos = std::find(chat->operators.begin(), chat->operators.end(), connection);
    const std::string speaker = std::to_string(pos - chat->operators.begin() + 1);
    chat->lastActivity = m_simulation.clock();
    chat->lines.push_back({chat->lastActivity, speaker, WireText::clean(text)});
    ++chat->operatorLines;
    const std::string reply = kReplies[static_cast<size_t>(chat->operatorLines - 1) %
                                       (sizeof(kReplies) / sizeof(kReplies[0]))];
    schedule(m_settings.replyDelayMs / 3, Action::Typing, chatId);
    schedule(m_settings.replyDelayMs, Action::Reply, chatId, reply);
    if (chat->operatorLines >= chat->leaveAfter)
        schedule(m_settings.replyDelayMs * 3, Action::Leave, chatId);
}

void ChatDesk::link(int connection, const std::string& chatId, const std::string& url) {
    ChatRecord* chat = findActive(chatId);
    if (!chat || chat->talkingTo != connection || chat->lines.size() >= kMaxLines ||
        m_pending.size() >= kMaxPending)
        return;
    const auto pos = std::find(chat->operators.begin(), chat->operators.end(), connection);
    chat->lines.push_back({m_simulation.clock(), std::to_string(pos - chat->operators.begin() + 1),
                           "Link: " + WireText::clean(url)});
    schedule(m_settings.replyDelayMs, Action::Reply, chatId, "Thanks, I have opened the page.");
}

void ChatDesk::block(int, const std::string& ip) {
    std::vector<std::string> ids;
    for (const auto& [id, chat] : m_active) {
        if (chat.ip == ip)
            ids.push_back(id);
    }
    for (const auto& id : ids)
        end(id, true);
    m_simulation.block(ip);
}

void ChatDesk::close(int connection, const std::string& chatId) {
    ChatRecord* chat = findActive(chatId);
    if (chat && (chat->talkingTo == connection || chat->talkingTo == 0))
        end(chatId, false);
}

void ChatDesk::leave(int connection, const std::string& chatId) {
    ChatRecord* chat = findActive(chatId);
    if (chat && chat->talkingTo == connection)
        end(chatId, false);
}

void ChatDesk::invite(int, const std::string& ip, const std::string& text) {
    SimVisitor* v = m_simulation.findByIp(ip);
    if (!v || v->chatting || m_simulation.blocked(ip) || m_pending.size() >= kMaxPending)
        return;
    schedule(1500, Action::AcceptInvite, ip, text);
}

void ChatDesk::sendToClient(int connection, const std::string& data) {
    const size_t colon = data.find(':');
    if (colon == std::string::npos)
        return;
    const long target = WireText::toNumber(data.substr(0, colon), -1);
    const std::string text = data.substr(colon + 1);
    if (target <= 0 || !m_roster.contains(static_cast<int>(target)))
        return;
    const int to = static_cast<int>(target);
    const bool transfer = text.compare(0, 10, "~transfer~") == 0;
    const std::string chatId =
        transfer ? WireText::split(WireText::field(WireText::split(text, '~'), 2), ':')[0]
                 : std::string();
    if (m_roster.isSimulated(to)) {
        // A simulated operator accepts every transfer of a chat that the sender has.
        ChatRecord* chat = transfer ? findActive(chatId) : nullptr;
        if (!chat || chat->talkingTo != connection)
            return;
        chat->talkingTo = to;
        chat->operators.push_back(to);
        chat->operatorNames.push_back(m_roster.name(to));
        chat->lines.push_back({m_simulation.clock(), std::to_string(chat->operators.size()),
                               m_roster.name(to) + " here, I will help you from now on."});
        broadcastVisitors();
        schedule(10000, Action::SimulatedClose, chatId);
        return;
    }
    if (transfer && findActive(chatId))
        m_offers[chatId] = to;
    m_outbox.toConnection(to, "@FROMCLIENT:" + m_roster.name(connection) + WireText::kLf + text);
}

void ChatDesk::disconnected(int connection) {
    bool changed = false;
    for (auto& [id, chat] : m_active) {
        if (chat.talkingTo == connection) {
            chat.talkingTo = 0;
            changed = true;
        }
    }
    for (auto it = m_offers.begin(); it != m_offers.end();) {
        it = it->second == connection ? m_offers.erase(it) : std::next(it);
    }
    if (changed)
        broadcastVisitors();
}

void ChatDesk::end(const std::string& chatId, bool tellOperator) {
    const auto found = m_active.find(chatId);
    if (found == m_active.end())
        return;
    ChatRecord chat = found->second;
    m_active.erase(found);
    m_offers.erase(chatId);
    if (tellOperator && chat.talkingTo && !m_roster.isSimulated(chat.talkingTo))
        m_outbox.toConnection(chat.talkingTo, "@MESSAGE:" + chat.id + WireText::kLf + kLeftText);
    chat.seconds = static_cast<long>(chat.lines.size()) * 20;
    m_records.archive(chat);
    if (SimVisitor* v = m_simulation.findByIp(chat.site, chat.ip))
        m_simulation.setChatting(*v, false);
    broadcastVisitors();
}

std::string ChatDesk::visitors() const {
    std::vector<std::string> records;
    for (const auto& [id, chat] : m_active)
        records.push_back(ChatRecords::visitorRecord(chat));
    return WireText::join(records, WireText::kEsc);
}

void ChatDesk::broadcastVisitors() {
    m_outbox.toWatchers("@VISITORS:" + visitors());
}

std::string ChatDesk::previousChats(const std::string& site, const std::string& ip) const {
    return m_records.previousChats(site, ip);
}

std::string ChatDesk::previousChat(const std::string& site, const std::string& chatId) const {
    return m_records.previousChat(site, chatId);
}

ChatDesk::Clock::time_point ChatDesk::nextDue() const {
    return std::min(m_nextSpontaneous,
                    m_pending.empty() ? Clock::time_point::max() : m_pending.begin()->first);
}

void ChatDesk::advance(Clock::time_point now) {
    if (now >= m_nextSpontaneous) {
        m_nextSpontaneous = now + intervalDuration();
        if (SimVisitor* v = m_simulation.idleVisitor(m_random()))
            request(*v, "Hello, can somebody help me?");
    }
    while (!m_pending.empty() && m_pending.begin()->first <= now) {
        const Pending p = m_pending.begin()->second;
        m_pending.erase(m_pending.begin());
        run(p);
    }
}

void ChatDesk::run(const Pending& p) {
    if (p.action == Action::AcceptInvite) {
        if (SimVisitor* v = m_simulation.findByIp(p.chatId))
            request(*v, "Hello, you invited me to chat.");
        return;
    }
    ChatRecord* chat = findActive(p.chatId);
    if (!chat)
        return;
    const bool withOperator = chat->talkingTo && !m_roster.isSimulated(chat->talkingTo);
    switch (p.action) {
        case Action::Typing:
            if (withOperator)
                m_outbox.toConnection(chat->talkingTo, "@1:" + chat->id);
            break;
        case Action::Reply:
            if (withOperator)
                m_outbox.toConnection(chat->talkingTo, "@0:" + chat->id);
            visitorSays(*chat, p.text);
            break;
        case Action::Leave:
            end(p.chatId, true);
            break;
        case Action::GiveUp:
            if (chat->talkingTo == 0)
                end(p.chatId, false);
            break;
        case Action::SimulatedClose:
            if (m_roster.isSimulated(chat->talkingTo))
                end(p.chatId, false);
            break;
        case Action::AcceptInvite:
            break;
    }
}

}  // namespace TavoroDemo
