#pragma once

#include <memory>
#include <string>

namespace TavoroDemo {

// The server's certificate chain and private key, loaded once and shared by every connection.
class TlsIdentity {
  public:
    // PEM files: the certificate (followed by any intermediates) and its PKCS #8 key. Null
    // with a message in error when either cannot be read.
    static std::shared_ptr<TlsIdentity> load(const std::string& certFile,
                                             const std::string& keyFile, std::string& error);
    ~TlsIdentity();

    struct Impl;
    std::unique_ptr<Impl> impl;
};

// The server side of one TLS connection: bytes read from the socket go in through received(),
// the client's plain text comes out into plain, and what the session writes goes in through
// send() and leaves as records in output(), which the server writes to the socket.
class TlsEndpoint {
  public:
    explicit TlsEndpoint(std::shared_ptr<TlsIdentity> identity);
    ~TlsEndpoint();
    TlsEndpoint(const TlsEndpoint&) = delete;
    TlsEndpoint& operator=(const TlsEndpoint&) = delete;

    // False when the client broke the protocol or closed the TLS stream.
    bool received(const char* data, size_t size, std::string& plain);
    // Only once active(): the handshake is done.
    void send(const std::string& plain);
    bool active() const;
    std::string& output();
    // Botan's words on why the stream ended.
    const std::string& failure() const;

  private:
    struct Impl;
    std::unique_ptr<Impl> m_impl;
};

}  // namespace TavoroDemo
