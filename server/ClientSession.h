#pragma once

#include <map>
#include <memory>
#include <string>

#include "FrameCodec.h"
#include "FrameReader.h"
#include "SessionContext.h"

namespace TavoroDemo {

// The server side of one client connection: greeting, key exchange, encrypted session, login,
// and the dispatch of every command the client sends. It knows nothing of sockets: received
// bytes go in through receive(), bytes to send collect in output().
class ClientSession {
  public:
    ClientSession(int id, SessionContext& context);

    // Queues the plain greeting.
    void start();
    // Bytes read from the connection.
    void receive(const char* data, size_t n);

    // Bytes waiting to be written; the caller removes what it wrote.
    std::string& output() { return m_output; }
    // True once the connection should be closed (after its output is written).
    bool finished() const { return m_finished; }
    int id() const { return m_id; }
    bool loggedIn() const { return m_stage == Stage::LoggedIn; }
    // Whether the client asked for unrequested messages ("@STARTEVENTS").
    bool eventsStarted() const { return m_eventsStarted; }
    // Sends a message the service pushes (events, chat lines): encrypted, queued in output().
    void deliver(const std::string& text) { send(text); }
    // The connection is gone: the operator leaves the service.
    void closed();

    // The application name and registered-to text of the session data.
    static const char* const kAppName;
    static const char* const kRegisteredTo;

  private:
    enum class Stage { AwaitingPublicKey, AwaitingLogin, LoggedIn };
    using Handler = void (ClientSession::*)(const std::string& data);

    void onFrame(const std::string& body);
    void dispatch(const std::string& text);
    static const std::map<std::string, Handler>& handlers();

    void onPublicKey(const std::string& data);
    void onLogin(const std::string& data);
    void onClose(const std::string& data);
    void onEcho(const std::string& data);
    void onGetDaySummaries(const std::string& data);
    void onGetSiteDetail(const std::string& data);
    void onGetVisitors(const std::string& data);
    void onStartEvents(const std::string& data);
    void onStatus(const std::string& data);
    void onGetSiteDaySummary(const std::string& data);
    void onGetSettings(const std::string& data);
    void onTakeChat(const std::string& data);
    void onSendTo(const std::string& data);
    void onLinkTo(const std::string& data);
    void onTyping(const std::string& data);
    void onBlock(const std::string& data);
    void onCloseChat(const std::string& data);
    void onLeave(const std::string& data);
    void onInvite(const std::string& data);
    void onSendToClient(const std::string& data);
    void onGetVisit(const std::string& data);
    void onGetPrevVisits(const std::string& data);
    void onGetPrevChats(const std::string& data);
    void onGetPrevChat(const std::string& data);
    void onState(const std::string& data);

    // Sends a frame: plain until the session data has gone out, encrypted after.
    void send(const std::string& text);
    // Sends "@ERROR:" with the reason and ends the connection.
    void refuse(const std::string& reason);
    std::string sessionData() const;

    int m_id;
    SessionContext& m_context;
    FrameReader m_reader;
    std::unique_ptr<FrameCodec> m_codec;
    std::string m_sessionKey;
    std::string m_output;
    Stage m_stage = Stage::AwaitingPublicKey;
    bool m_finished = false;
    bool m_eventsStarted = false;
    const Operator* m_operator = nullptr;
};

}  // namespace TavoroDemo
