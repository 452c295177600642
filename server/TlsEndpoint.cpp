#include "TlsEndpoint.h"

#include <botan/auto_rng.h>
#include <botan/credentials_manager.h>
#include <botan/data_src.h>
#include <botan/pkcs8.h>
#include <botan/tls_server.h>
#include <botan/tls_session_manager.h>
#include <botan/x509cert.h>

#include <exception>
#include <vector>

namespace TavoroDemo {

namespace {

// TLS 1.2 with forward-secret key exchange and AEAD ciphers: what the client offers.
class ServerPolicy : public Botan::TLS::Policy {
  public:
    bool allow_tls10() const override { return false; }
    bool allow_tls11() const override { return false; }
    bool allow_dtls10() const override { return false; }
    bool allow_dtls12() const override { return false; }
    std::vector<std::string> allowed_ciphers() const override {
        return {"ChaCha20Poly1305", "AES-256/GCM", "AES-128/GCM"};
    }
    std::vector<std::string> allowed_key_exchange_methods() const override {
        return {"ECDH", "DH"};
    }
};

}  // namespace

struct TlsIdentity::Impl : public Botan::Credentials_Manager {
    std::vector<Botan::X509_Certificate> chain;
    std::unique_ptr<Botan::Private_Key> key;
    Botan::AutoSeeded_RNG rng;
    Botan::TLS::Session_Manager_Noop sessions;
    ServerPolicy policy;

    std::vector<Botan::X509_Certificate> cert_chain(const std::vector<std::string>& keyTypes,
                                                    const std::string& type,
                                                    const std::string&) override {
        if (type != "tls-server" || chain.empty())
            return {};
        for (const std::string& wanted : keyTypes) {
            if (wanted == key->algo_name())
                return chain;
        }
        return {};
    }
    Botan::Private_Key* private_key_for(const Botan::X509_Certificate&, const std::string&,
                                        const std::string&) override {
        return key.get();
    }
};

std::shared_ptr<TlsIdentity> TlsIdentity::load(const std::string& certFile,
                                               const std::string& keyFile, std::string& error) {
    auto identity = std::make_shared<TlsIdentity>();
    identity->impl = std::make_unique<Impl>();
    try {
        Botan::DataSource_Stream certs(certFile);
        while (!certs.end_of_data()) {
            try {
                identity->impl->chain.emplace_back(certs);
            } catch (const std::exception&) {
                break;  // text after the last certificate
            }
        }
        Botan::DataSource_Stream key(keyFile);
        identity->impl->key = Botan::PKCS8::load_key(key);
    } catch (const std::exception& e) {
        error = "cannot load the TLS certificate or key: " + std::string(e.what());
        return nullptr;
    }
    if (identity->impl->chain.empty() || !identity->impl->key) {
        error = "no certificate in " + certFile;
        return nullptr;
    }
    return identity;
}

TlsIdentity::~TlsIdentity() = default;

struct TlsEndpoint::Impl : public Botan::TLS::Callbacks {
    explicit Impl(std::shared_ptr<TlsIdentity> id) : identity(std::move(id)) {
        TlsIdentity::Impl& i = *identity->impl;
        server = std::make_unique<Botan::TLS::Server>(*this, i.sessions, i, i.policy, i.rng);
    }

    void tls_emit_data(const uint8_t data[], size_t size) override {
        out.append(reinterpret_cast<const char*>(data), size);
    }
    void tls_record_received(uint64_t, const uint8_t data[], size_t size) override {
        if (plain)
            plain->append(reinterpret_cast<const char*>(data), size);
    }
    void tls_alert(Botan::TLS::Alert alert) override {
        if (alert.type() == Botan::TLS::Alert::CLOSE_NOTIFY || alert.is_fatal()) {
            failure = alert.type_string();
            ended = true;
        }
    }
    bool tls_session_established(const Botan::TLS::Session&) override { return false; }

    std::shared_ptr<TlsIdentity> identity;
    std::unique_ptr<Botan::TLS::Server> server;
    std::string out;
    std::string* plain = nullptr;
    std::string failure;
    bool ended = false;
};

TlsEndpoint::TlsEndpoint(std::shared_ptr<TlsIdentity> identity)
    : m_impl(std::make_unique<Impl>(std::move(identity))) {}

TlsEndpoint::~TlsEndpoint() = default;

bool TlsEndpoint::received(const char* data, size_t size, std::string& plain) {
    if (m_impl->ended)
        return false;
    m_impl->plain = &plain;
    try {
        m_impl->server->received_data(reinterpret_cast<const uint8_t*>(data), size);
    } catch (const std::exception& e) {
        m_impl->failure = e.what();
        m_impl->ended = true;
    }
    m_impl->plain = nullptr;
    return !m_impl->ended;
}

void TlsEndpoint::send(const std::string& plain) {
    if (plain.empty() || !active())
        return;
    try {
        m_impl->server->send(reinterpret_cast<const uint8_t*>(plain.data()), plain.size());
    } catch (const std::exception& e) {
        m_impl->failure = e.what();
        m_impl->ended = true;
    }
}

bool TlsEndpoint::active() const {
    return !m_impl->ended && m_impl->server->is_active();
}

std::string& TlsEndpoint::output() {
    return m_impl->out;
}

const std::string& TlsEndpoint::failure() const {
    return m_impl->failure;
}

}  // namespace TavoroDemo
