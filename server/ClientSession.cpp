#include "ClientSession.h"

#include <cctype>
#include <vector>

#include "SessionSealer.h"
#include "VisitorRecords.h"
#include "WireText.h"

namespace TavoroDemo {
namespace {

std::vector<std::string> splitTabs(const std::string& text) {
    std::vector<std::string> fields(1);
    for (const char c : text) {
        if (c == '\t') {
            fields.emplace_back();
        } else {
            fields.back() += c;
        }
    }
    return fields;
}

// The client sends ISO 8859-1 bytes; operator names and passwords are kept as UTF-8.
std::string latin1ToUtf8(const std::string& bytes) {
    std::string out;
    out.reserve(bytes.size());
    for (const char ch : bytes) {
        const unsigned char c = static_cast<unsigned char>(ch);
        if (c < 0x80) {
            out += static_cast<char>(c);
        } else {
            out += static_cast<char>(0xC0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return out;
}

std::string upper(std::string text) {
    for (char& c : text)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return text;
}

// The login as it may be written to the log: the password field is masked.
std::string loggableLogin(const std::string& text) {
    if (upper(text.substr(0, 7)) != "@LOGIN:")
        return text;
    auto fields = splitTabs(text.substr(7));
    if (fields.size() > 8)
        fields[8] = "***";
    std::string out = text.substr(0, 7);
    for (size_t i = 0; i < fields.size(); ++i) {
        if (i)
            out += '\t';
        out += fields[i];
    }
    return out;
}

}  // namespace

const char* const ClientSession::kAppName = "Tavoro Demo Server";
const char* const ClientSession::kRegisteredTo = "Tavoro Demo Company";

ClientSession::ClientSession(int id, SessionContext& context, FaultMode fault)
    : m_id(id), m_context(context), m_fault(fault) {}

ClientSession::~ClientSession() = default;

void ClientSession::start() {
    send("@HELLO:Tavoro demo monitoring server");
    if (m_fault == FaultMode::CloseAfterHello) {
        logFaultInjected();
        m_finished = true;
    }
}

void ClientSession::receive(const char* data, size_t n) {
    std::vector<std::string> frames;
    const size_t droppedBefore = m_reader.droppedFrames();
    m_reader.feed(data, n, frames);
    if (m_reader.droppedFrames() != droppedBefore) {
        m_context.log.connection(m_id, "dropped a frame longer than 16 MiB");
    }
    for (const auto& body : frames) {
        if (m_finished)
            break;
        onFrame(body);
    }
}

void ClientSession::onFrame(const std::string& body) {
    if (!m_codec) {
        m_context.log.frame(m_id, "<-", body);
        dispatch(body);
        return;
    }
    std::string text;
    std::string error;
    if (!m_codec->decode(body, text, error)) {
        m_context.log.connection(m_id, "undecryptable frame of " + std::to_string(body.size()) +
                                           " bytes ignored: " + error);
        return;
    }
    m_context.log.frame(m_id, "<-", loggableLogin(text));
    dispatch(text);
}

const std::map<std::string, ClientSession::Handler>& ClientSession::handlers() {
    static const std::map<std::string, Handler> table = {
        {"@PUBLICKEY", &ClientSession::onPublicKey},
        {"@LOGIN", &ClientSession::onLogin},
        {"@CLOSE", &ClientSession::onClose},
        {"@ECHO", &ClientSession::onEcho},
        {"@GETDS", &ClientSession::onGetDaySummaries},
        {"@GETSD", &ClientSession::onGetSiteDetail},
        {"@GET", &ClientSession::onGetVisitors},
        {"@STARTEVENTS", &ClientSession::onStartEvents},
        {"@STATUS", &ClientSession::onStatus},
        {"@GETDSSITE", &ClientSession::onGetSiteDaySummary},
        {"@GETSETTINGS", &ClientSession::onGetSettings},
        {"@CHAT", &ClientSession::onTakeChat},
        {"@SENDTO", &ClientSession::onSendTo},
        {"@LINKTO", &ClientSession::onLinkTo},
        {"@1", &ClientSession::onTyping},
        {"@0", &ClientSession::onTyping},
        {"@BLOCK", &ClientSession::onBlock},
        {"@CLOSECHAT", &ClientSession::onCloseChat},
        {"@LEAVE", &ClientSession::onLeave},
        {"@INVITE", &ClientSession::onInvite},
        {"@SENDTOCLIENT", &ClientSession::onSendToClient},
        {"@GETVISIT", &ClientSession::onGetVisit},
        {"@GETPREVVISITS", &ClientSession::onGetPrevVisits},
        {"@GETPREVCHATS", &ClientSession::onGetPrevChats},
        {"@GETPREVCHAT", &ClientSession::onGetPrevChat},
        {"@STATE", &ClientSession::onState},
        {"@PONG", &ClientSession::onPong},
    };
    return table;
}

void ClientSession::dispatch(const std::string& text) {
    const size_t colon = text.find(':');
    const std::string command = upper(text.substr(0, colon));
    const std::string data = colon == std::string::npos ? std::string() : text.substr(colon + 1);
    const auto found = handlers().find(command);
    if (found == handlers().end()) {
        m_context.log.connection(m_id, "ignored command " + ServerLog::readable(command));
        return;
    }
    // Before the login only the session set-up is served.
    const bool setUp = command == "@PUBLICKEY" || command == "@LOGIN" || command == "@CLOSE";
    if (!setUp && m_stage != Stage::LoggedIn) {
        m_context.log.connection(m_id, "ignored " + ServerLog::readable(command) + " before login");
        return;
    }
    (this->*(found->second))(data);
}

void ClientSession::onPublicKey(const std::string& data) {
    if (m_stage != Stage::AwaitingPublicKey) {
        m_context.log.connection(m_id, "ignored a second public key");
        return;
    }
    m_sessionKey = SessionSealer::newSessionKey();
    std::string sealed;
    std::string error;
    if (!SessionSealer::seal(data, sessionData(), sealed, error)) {
        m_context.log.connection(m_id, "public key refused: " + error);
        refuse("Invalid public key.");
        return;
    }
    send("@SESSION:" + sealed);
    // Everything after the session data is encrypted, in both directions.
    m_codec = std::make_unique<FrameCodec>(m_sessionKey, m_context.random);
    m_stage = Stage::AwaitingLogin;
    if (m_fault == FaultMode::CloseAfterSession) {
        logFaultInjected();
        m_finished = true;
    }
}

void ClientSession::onLogin(const std::string& data) {
    if (m_stage != Stage::AwaitingLogin) {
        m_context.log.connection(m_id, "ignored a login outside the session set-up");
        return;
    }
    const auto fields = splitTabs(data);
    if (fields.size() < 9) {
        refuse("Login refused: the login message is incomplete.");
        return;
    }
    m_operator = m_context.model.checkLogin(latin1ToUtf8(fields[7]), latin1ToUtf8(fields[8]));
    if (!m_operator) {
        refuse("Login failed: unknown username or wrong password.");
        return;
    }
    m_context.log.connection(m_id, "operator " + m_operator->username + " logged in");
    m_stage = Stage::LoggedIn;
    send("@CONNECTED:");
    // The operator name and status the client configured, else the account's name.
    const std::string name = WireText::clean(latin1ToUtf8(fields[1]));
    const long status = WireText::toNumber(fields[5], 0);
    m_context.roster.add(
        m_id, {"127.0.0.1", name.empty() ? m_operator->displayName : name,
               WireText::clean(latin1ToUtf8(fields[3])),
               status >= 0 && status <= 3 ? static_cast<int>(status) : 0, m_operator->username});
    m_context.outbox.toWatchers("@CLIENTS:" + m_context.roster.clients());
}

void ClientSession::closed() {
    if (m_stage != Stage::LoggedIn)
        return;
    m_stage = Stage::AwaitingLogin;
    m_eventsStarted = false;
    m_listSent = false;
    m_heldBroadcasts.clear();
    m_context.roster.remove(m_id);
    m_context.chats.disconnected(m_id);
    m_context.outbox.toWatchers("@CLIENTS:" + m_context.roster.clients());
}

void ClientSession::onClose(const std::string&) {
    m_context.log.connection(m_id, "client closed the session");
    m_finished = true;
}

// The demo server's own diagnostic command: a logged-in client gets its text back. Tests and
// load runs use it to measure round trips and to check long frames in both directions.
void ClientSession::onEcho(const std::string& data) {
    if (m_stage != Stage::LoggedIn) {
        m_context.log.connection(m_id, "ignored an echo before login");
        return;
    }
    send("@ECHO:" + data);
}

// A load probe's answer: the client has handled everything sent before the ping.
void ClientSession::onPong(const std::string& data) {
    m_context.probe.answered(m_id, data);
}

void ClientSession::onGetDaySummaries(const std::string&) {
    send("@DS:" + m_context.sites.allDaySummaries());
}

void ClientSession::onGetSiteDetail(const std::string& data) {
    if (const Site* site = m_context.sites.find(data))
        send("@SD:" + SiteCatalog::siteDetail(*site));
    else
        m_context.log.connection(m_id, "no site " + ServerLog::readable(data));
}

void ClientSession::onGetVisitors(const std::string&) {
    send("@CV:" + m_context.simulation.currentVisitors());
    m_listSent = true;
    m_listSentAt = std::chrono::steady_clock::now();
}

void ClientSession::hold(const std::string& text) {
    // A client that never asks for the events does not get to grow this without end: past
    // the cap it gets nothing held (its picture is its own affair then).
    constexpr size_t kMaxHeld = 100000;
    if (m_heldBroadcasts.size() < kMaxHeld)
        m_heldBroadcasts.push_back(text);
}

// From now on the connection gets the service's events; it starts with the current operators
// and chats.
void ClientSession::onStartEvents(const std::string&) {
    if (m_eventsStarted)
        return;
    m_eventsStarted = true;
    m_context.probe.monitoringUp(m_id, std::chrono::steady_clock::now() - m_listSentAt);
    m_context.simulation.start();
    // What happened since the list was sent, in order, then the current operators and chats.
    std::vector<std::string> held;
    held.swap(m_heldBroadcasts);
    for (const std::string& text : held)
        send(text);
    send("@CLIENTS:" + m_context.roster.clients());
    send("@VISITORS:" + m_context.chats.visitors());
    if (faultActsAtMonitoringUp(m_fault))
        injectFault();
}

void ClientSession::onStatus(const std::string& data) {
    if (m_context.roster.setStatus(m_id, static_cast<int>(WireText::toNumber(data, -1))))
        m_context.outbox.toWatchers("@CLIENTS:" + m_context.roster.clients());
}

void ClientSession::onGetSiteDaySummary(const std::string& data) {
    if (const Site* site = m_context.sites.find(data))
        send("@DS:" + SiteCatalog::daySummary(*site));
}

void ClientSession::onGetSettings(const std::string& data) {
    if (const Site* site = m_context.sites.find(data))
        send("@SS:" + SiteCatalog::settings(*site));
}

void ClientSession::onTakeChat(const std::string& data) {
    m_context.chats.take(m_id, data);
    if (m_fault == FaultMode::DropAfterTake) {
        // The transcript queued by the take still goes out; then the connection ends.
        logFaultInjected();
        m_finished = true;
    }
}

namespace {

// "key:rest": the part before the first colon and the rest (which may hold colons).
std::pair<std::string, std::string> keyAndRest(const std::string& data) {
    const size_t colon = data.find(':');
    if (colon == std::string::npos)
        return {data, std::string()};
    return {data.substr(0, colon), data.substr(colon + 1)};
}

}  // namespace

void ClientSession::onSendTo(const std::string& data) {
    const auto [chatId, text] = keyAndRest(data);
    m_context.chats.operatorLine(m_id, chatId, text);
}

void ClientSession::onLinkTo(const std::string& data) {
    const auto [chatId, url] = keyAndRest(data);
    m_context.chats.link(m_id, chatId, url);
}

// The operator's typing notices reach no one: the visitors are simulated.
void ClientSession::onTyping(const std::string&) {}

void ClientSession::onBlock(const std::string& data) {
    m_context.chats.block(m_id, data);
}

void ClientSession::onCloseChat(const std::string& data) {
    m_context.chats.close(m_id, data);
}

void ClientSession::onLeave(const std::string& data) {
    m_context.chats.leave(m_id, data);
}

void ClientSession::onInvite(const std::string& data) {
    const auto parts = WireText::split(data, WireText::kEsc);
    const auto fields = WireText::split(parts[0], WireText::kTab);
    m_context.chats.invite(m_id, fields[0], WireText::field(parts, 1));
}

void ClientSession::onSendToClient(const std::string& data) {
    m_context.chats.sendToClient(m_id, data);
}

void ClientSession::onGetVisit(const std::string& data) {
    const auto parts = WireText::split(data, ':');
    const std::string site = parts[0];
    const std::string ip = WireText::field(parts, 1);
    if (const SimVisitor* v = m_context.simulation.findByIp(site, ip))
        send("@VISITDETAIL:" + VisitorRecords::visitDetail(*v));
    else
        send("@VISITDETAIL:" +
             VisitorRecords::emptyVisitDetail(WireText::clean(site), WireText::clean(ip)));
}

void ClientSession::onGetPrevVisits(const std::string& data) {
    const auto parts = WireText::split(WireText::clean(data), ':');
    const std::string site = parts[0];
    const std::string field = WireText::field(parts, 1);
    const SimVisitor* v = m_context.simulation.findByIp(site, field);
    send("@PREVVISITS:" + VisitorRecords::previousVisits(site, field, WireText::field(parts, 2),
                                                         v ? v->visitNumber : 1));
}

void ClientSession::onGetPrevChats(const std::string& data) {
    const auto [site, ip] = keyAndRest(WireText::clean(data));
    send("@PREVCHATS:" + m_context.chats.previousChats(site, ip));
}

void ClientSession::onGetPrevChat(const std::string& data) {
    const auto [site, chatId] = keyAndRest(WireText::clean(data));
    send("@PREVCHAT:" + m_context.chats.previousChat(site, chatId));
}

// The server's own account of its visitors, in order with the events this connection got.
void ClientSession::onState(const std::string&) {
    send("@STATE:" + m_context.simulation.stateReport());
}

void ClientSession::send(const std::string& text) {
    if (m_muted)
        return;
    m_context.log.frame(m_id, "->", text);
    std::string& target = m_stream ? m_held : m_output;
    if (m_codec) {
        target += m_codec->encode(text);
    } else {
        target += text;
    }
    target += '\0';
}

void ClientSession::queue(const std::string& bytes) {
    (m_stream ? m_held : m_output) += bytes;
}

void ClientSession::refillOutput() {
    // A few pieces ahead, so that one write call has enough to send.
    constexpr size_t kAhead = 256 * 1024;
    while (m_stream && m_output.size() < kAhead) {
        if (!m_stream->next(m_output)) {
            m_stream.reset();
            m_output += m_held;
            m_held.clear();
            m_held.shrink_to_fit();
        }
    }
}

void ClientSession::refuse(const std::string& reason) {
    send("@ERROR:" + reason);
    m_finished = true;
}

std::string ClientSession::sessionData() const {
    // Fields 0..13, TAB-separated: product, version, edition, registered to, then details the
    // client keeps without using, an unused field 12 and the session key in field 13.
    const std::string fields[] = {kAppName,    "1.0.0", "Demo", kRegisteredTo, "127.0.0.1",
                                  "8011",      "10",    "en",   "UTC",         "demo",
                                  "unlimited", "0",     "",     m_sessionKey};
    std::string out;
    for (size_t i = 0; i < sizeof(fields) / sizeof(fields[0]); ++i) {
        if (i)
            out += '\t';
        out += fields[i];
    }
    return out;
}

}  // namespace TavoroDemo
