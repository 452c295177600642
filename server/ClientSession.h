#pragma once

#include <chrono>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "FaultMode.h"
#include "FrameCodec.h"
#include "FrameReader.h"
#include "OutputStream.h"
#include "SessionContext.h"

namespace TavoroDemo {

// The server side of one client connection: greeting, key exchange, encrypted session, login,
// and the dispatch of every command the client sends. It knows nothing of sockets: received
// bytes go in through receive(), bytes to send collect in output().
class ClientSession {
  public:
    // fault: the fault this connection plays (None: served normally).
    ClientSession(int id, SessionContext& context, FaultMode fault = FaultMode::None);
    ~ClientSession();

    // Queues the plain greeting.
    void start();
    // Bytes read from the connection.
    void receive(const char* data, size_t n);

    // Bytes waiting to be written; the caller removes what it wrote. While a long fault
    // stream is being written, output() holds its next pieces only: call refillOutput() before
    // writing, and whenever output() has been written.
    std::string& output() { return m_output; }
    void refillOutput();
    // True when nothing at all waits to be written.
    bool outputDone() const { return m_output.empty() && !m_stream; }
    // Bytes queued for the connection, including those held back behind a fault stream.
    size_t pendingBytes() const { return m_output.size() + m_held.size(); }
    FaultMode fault() const { return m_fault; }
    // True once the connection should be closed (after its output is written).
    bool finished() const { return m_finished; }
    int id() const { return m_id; }
    bool loggedIn() const { return m_stage == Stage::LoggedIn; }
    // Whether the client asked for unrequested messages ("@STARTEVENTS").
    bool eventsStarted() const { return m_eventsStarted; }
    // Sends a message the service pushes (events, chat lines): encrypted, queued in output().
    void deliver(const std::string& text) { send(text); }
    // Whether the connection has been sent the visitor list ("@CV") but has not asked for the
    // events yet: what happens meanwhile is held for it (see hold).
    bool awaitingEvents() const { return m_listSent && !m_eventsStarted; }
    // Keeps a broadcast for a connection between its "@CV" and its "@STARTEVENTS", so that the
    // list plus the events that follow are the whole story; sent once the events start.
    void hold(const std::string& text);
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
    void onPong(const std::string& data);

    // Sends a frame: plain until the session data has gone out, encrypted after. Nothing is
    // sent once the connection is muted.
    void send(const std::string& text);
    // Queues bytes as they are: behind a running fault stream, else straight to the output.
    void queue(const std::string& bytes);

    // The fault of a mode that acts once monitoring is up (ClientSessionFaults.cpp).
    void injectFault();
    void logFaultInjected();
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
    // When the visitor list was queued: the load probe reports how long the client took from
    // there to "@STARTEVENTS", which it sends once the list is shown.
    std::chrono::steady_clock::time_point m_listSentAt{};
    bool m_listSent = false;
    std::vector<std::string> m_heldBroadcasts;
    const Operator* m_operator = nullptr;
    FaultMode m_fault;
    bool m_muted = false;
    // A fault stream being written, and what was sent meanwhile, held back until it ends.
    std::unique_ptr<OutputStream> m_stream;
    std::string m_held;
};

}  // namespace TavoroDemo
