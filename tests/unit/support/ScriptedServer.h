#pragma once

#include <algorithm>
#include <cstdint>
#include <functional>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "FrameCodec.h"
#include "SessionSealer.h"
#include "support/EventLoopPump.h"
#include "support/LoopbackServer.h"

namespace Tavoro::Test {

// The server's side of a client's connection, played step by step by a test on the client's
// own thread: it greets the client, seals the session data under the public key the client
// sends (as the demo server does), and from then on exchanges frames encrypted with the
// session key. Every wait runs the client's event loop and is bounded; one connection at a
// time, on a port that stays the same for the server's life.
class ScriptedServer {
  public:
    static constexpr const char* kSessionKey = "0123456789abcdef0123456789abcdef";

    // Runs the client's loop until the condition holds or the milliseconds have passed.
    using PumpUntil = std::function<bool(const std::function<bool()>& condition, int ms)>;

    explicit ScriptedServer(EventLoopPump& pump)
        : m_pumpUntil(
              [&pump](const std::function<bool()>& c, int ms) { return pump.pumpUntil(c, ms); }) {}
    // A client whose loop runs another way (a window's, in the GUI tests).
    explicit ScriptedServer(PumpUntil pumpUntil) : m_pumpUntil(std::move(pumpUntil)) {}

    unsigned short port() const { return m_server.port(); }
    const std::string& lastError() const { return m_error; }

    // Waits for the client's next connection; whatever the previous one left is forgotten.
    bool accept(int ms = 5000) {
        m_server.closePeer();
        m_server.clearReceived();
        m_codec.reset();
        m_frames.clear();
        m_parsed = 0;
        m_taken = 0;
        return m_pumpUntil([&] { return m_server.accept(0); }, ms);
    }

    // The greeting, the client's public key, and the session data sealed under it, whose last
    // field is sessionKey (empty: session data without a key). Frames after the session data
    // are encrypted both ways. False, with lastError(), when the client sent no usable key.
    bool openSession(const std::string& sessionKey = kSessionKey) {
        using namespace std::string_literals;
        if (!m_server.send("@HELLO:Tavoro\0"s))
            return failed("the greeting could not be sent");
        const std::string key = nextFrame();
        const std::string prefix = "@PUBLICKEY:";
        if (key.compare(0, prefix.size(), prefix) != 0)
            return failed("no public key but \"" + key + "\"");
        m_publicKey = key.substr(prefix.size());
        const std::string data =
            "Tavoro Server\t1.0\tDemo\tAcme\t127.0.0.1\t8011\t10\ten\tUTC\tdemo\tunlimited\t0\t\t" +
            sessionKey;
        std::string sealed;
        if (!TavoroDemo::SessionSealer::seal(key.substr(prefix.size()), data, sealed, m_error))
            return false;
        m_codec = std::make_unique<TavoroDemo::FrameCodec>(sessionKey, m_padSource);
        if (!m_server.send("@SESSION:" + sealed + "\0"s))
            return failed("the session data could not be sent");
        return true;
    }

    // The public key the client sent for the last greeting.
    const std::string& publicKey() const { return m_publicKey; }

    // One frame to the client: encrypted once the session is open, plain before.
    bool send(const std::string& text) {
        std::string frame = m_codec ? m_codec->encode(text) : text;
        frame.push_back('\0');
        return m_server.send(frame);
    }
    // Bytes as they are, framing included.
    bool sendRaw(const std::string& bytes) { return m_server.send(bytes); }

    // Every frame the client sent on this connection, decrypted where it was encrypted.
    const std::vector<std::string>& received() {
        readAvailable();
        return m_frames;
    }
    // The next frame not yet taken; empty when none came in time.
    std::string nextFrame(int ms = 5000) {
        const std::vector<std::string> frames = nextFrames(1, ms);
        return frames.empty() ? std::string() : frames.front();
    }
    // The next `count` frames not yet taken, or those that came in time.
    std::vector<std::string> nextFrames(size_t count, int ms = 5000) {
        m_pumpUntil(
            [&] {
                readAvailable();
                return m_frames.size() >= m_taken + count;
            },
            ms);
        const size_t end = std::min(m_frames.size(), m_taken + count);
        std::vector<std::string> out(m_frames.begin() + static_cast<std::ptrdiff_t>(m_taken),
                                     m_frames.begin() + static_cast<std::ptrdiff_t>(end));
        m_taken = end;
        return out;
    }

    // Waits until the client has ended the connection.
    bool waitForEnd(int ms = 5000) {
        return m_pumpUntil(
            [&] {
                readAvailable();
                return m_server.peerEnded();
            },
            ms);
    }

    // Ends the connection from the server's side.
    void close() { m_server.closePeer(); }

  private:
    bool failed(const std::string& why) {
        m_error = why;
        return false;
    }

    void readAvailable() {
        if (!m_server.hasPeer())
            return;
        const std::string& bytes = m_server.readFrames(SIZE_MAX, 0);
        for (size_t end = bytes.find('\0', m_parsed); end != std::string::npos;
             end = bytes.find('\0', m_parsed)) {
            std::string frame = bytes.substr(m_parsed, end - m_parsed);
            m_parsed = end + 1;
            if (m_codec) {
                std::string text;
                std::string error;
                frame = m_codec->decode(frame, text, error) ? text : "<undecodable: " + error + ">";
            }
            m_frames.push_back(std::move(frame));
        }
    }

    PumpUntil m_pumpUntil;
    LoopbackServer m_server;
    std::mt19937_64 m_padSource{20260101};
    std::unique_ptr<TavoroDemo::FrameCodec> m_codec;
    std::vector<std::string> m_frames;
    size_t m_parsed = 0;  // bytes of the received stream cut into frames
    size_t m_taken = 0;   // frames handed out by nextFrames()
    std::string m_error;
    std::string m_publicKey;
};

}  // namespace Tavoro::Test
