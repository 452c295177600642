#pragma once

#include <wx/string.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace Tavoro::Net {

// How the connection to the server is wrapped in TLS. With a pin, the server's certificate
// must have that SHA-256 fingerprint and nothing else is checked (a self-signed certificate
// of a terminator is fine); without one, its chain must lead to the CA file's certificates
// (or, without a CA file, to the system's trust store) and name hostName.
struct TlsOptions {
    bool enabled = false;
    std::string hostName;
    std::string caFile;
    // Hex digits, upper or lower case, with or without ':' between the bytes.
    std::string pinSha256;
};

// Why a TLS connection was refused or ended.
enum class TlsFailure {
    None,
    Untrusted,
    WrongHost,
    Expired,
    PinMismatch,
    NotTls,
    BadCaFile,
};

// The status text for a failure (GUI thread: it is translated).
wxString tlsFailureText(TlsFailure failure);

// A pin as the 64 lower-case hex digits of the fingerprint; empty when the text is not one.
std::string normalisedPin(const std::string& text);

// The client side of one TLS connection, driven by the thread that owns the socket: bytes
// read from the socket go in through received(), the plain text the server sent comes out of
// the plain callback, and plain text given to send() leaves as records through the output
// callback. Not thread-safe; nothing here touches the socket itself.
class TlsChannel {
  public:
    // Writes bytes to the socket completely; false when it could not.
    using Output = std::function<bool(const uint8_t* data, size_t size)>;
    using Plain = std::function<void(const uint8_t* data, size_t size)>;

    TlsChannel(const TlsOptions& options, Output output, Plain plain);
    ~TlsChannel();
    TlsChannel(const TlsChannel&) = delete;
    TlsChannel& operator=(const TlsChannel&) = delete;

    // Sends the greeting of the handshake. False (with failure()) when it could not.
    bool start();
    // Bytes read from the socket. False when the connection cannot go on: failure() tells
    // why when it is a refusal, None when the server closed the TLS stream or a write failed.
    bool received(const uint8_t* data, size_t size);
    // The end of the byte stream. Before the handshake finished, that is a server that does
    // not speak TLS.
    void peerClosed();
    // False when the handshake has not finished or the connection failed.
    bool send(const uint8_t* data, size_t size);
    // Whether the handshake finished and the server was accepted.
    bool active() const;
    TlsFailure failure() const;
    // Botan's own words on the last failure (for the trace).
    const std::string& detail() const;
    // The protocol version and cipher suite agreed on ("TLS v1.2 / ECDHE_RSA_WITH_...").
    const std::string& agreed() const;

  private:
    class Impl;
    std::unique_ptr<Impl> m_impl;
};

}  // namespace Tavoro::Net
