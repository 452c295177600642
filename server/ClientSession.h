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
    const Operator* m_operator = nullptr;
};

}  // namespace TavoroDemo
