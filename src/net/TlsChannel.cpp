#include "net/TlsChannel.h"

#include <wx/intl.h>

#include <botan/auto_rng.h>
#include <botan/certstor.h>
#include <botan/certstor_system.h>
#include <botan/credentials_manager.h>
#include <botan/data_src.h>
#include <botan/hash.h>
#include <botan/hex.h>
#include <botan/tls_client.h>
#include <botan/tls_exceptn.h>
#include <botan/tls_policy.h>
#include <botan/tls_session_manager.h>
#include <botan/x509path.h>

#include <cctype>
#include <exception>

namespace Tavoro::Net {

wxString tlsFailureText(TlsFailure failure) {
    switch (failure) {
        case TlsFailure::None:
            break;
        case TlsFailure::Untrusted:
            return _("Not connected: the server's TLS certificate is not trusted");
        case TlsFailure::WrongHost:
            return _("Not connected: the server's TLS certificate is for another host name");
        case TlsFailure::Expired:
            return _("Not connected: the server's TLS certificate has expired or is not valid yet");
        case TlsFailure::PinMismatch:
            return _(
                "Not connected: the server's TLS certificate does not match the pinned "
                "fingerprint");
        case TlsFailure::NotTls:
            return _("Not connected: the server does not speak TLS");
        case TlsFailure::BadCaFile:
            return _("Not connected: the TLS CA file holds no certificate that can be read");
    }
    return wxString();
}

std::string normalisedPin(const std::string& text) {
    std::string hex;
    for (const char c : text) {
        if (c == ':' || std::isspace(static_cast<unsigned char>(c)))
            continue;
        if (!std::isxdigit(static_cast<unsigned char>(c)))
            return std::string();
        hex.push_back(static_cast<char>(std::tolower(static_cast<unsigned char>(c))));
    }
    return hex.size() == 64 ? hex : std::string();
}

namespace {

// TLS 1.2 only with forward-secret key exchange and AEAD ciphers (Botan 2 has no TLS 1.3).
class ClientPolicy : public Botan::TLS::Policy {
  public:
    bool allow_tls10() const override { return false; }
    bool allow_tls11() const override { return false; }
    bool allow_tls12() const override { return true; }
    bool allow_dtls10() const override { return false; }
    bool allow_dtls12() const override { return false; }
    std::vector<std::string> allowed_ciphers() const override {
        return {"ChaCha20Poly1305", "AES-256/GCM", "AES-128/GCM"};
    }
    std::vector<std::string> allowed_key_exchange_methods() const override {
        return {"ECDH", "DH"};
    }
};

class Credentials : public Botan::Credentials_Manager {
  public:
    explicit Credentials(Botan::Certificate_Store* store) : m_store(store) {}
    std::vector<Botan::Certificate_Store*> trusted_certificate_authorities(
        const std::string& type, const std::string&) override {
        if (type != "tls-client" || !m_store)
            return {};
        return {m_store};
    }

  private:
    Botan::Certificate_Store* m_store;
};

TlsFailure failureOf(Botan::Certificate_Status_Code code) {
    using Code = Botan::Certificate_Status_Code;
    switch (code) {
        case Code::CERT_NAME_NOMATCH:
            return TlsFailure::WrongHost;
        case Code::CERT_HAS_EXPIRED:
        case Code::CERT_NOT_YET_VALID:
            return TlsFailure::Expired;
        default:
            return TlsFailure::Untrusted;
    }
}

}  // namespace

class TlsChannel::Impl : public Botan::TLS::Callbacks {
  public:
    Impl(const TlsOptions& options, Output output, Plain plain)
        : m_options(options),
          m_pin(normalisedPin(options.pinSha256)),
          m_output(std::move(output)),
          m_plain(std::move(plain)) {}

    bool start() {
        if (!m_options.pinSha256.empty() && m_pin.empty())
            return fail(TlsFailure::PinMismatch, "the pin is not a SHA-256 fingerprint");
        if (m_pin.empty() && !loadTrustStore())
            return fail(TlsFailure::BadCaFile, "no readable certificate in the CA file");
        m_credentials = std::make_unique<Credentials>(m_store.get());
        try {
            m_client = std::make_unique<Botan::TLS::Client>(
                *this, m_sessions, *m_credentials, m_policy, m_rng,
                Botan::TLS::Server_Information(m_options.hostName),
                Botan::TLS::Protocol_Version::TLS_V12);
        } catch (const std::exception& e) {
            return fail(TlsFailure::NotTls, e.what());
        }
        return !m_outputFailed;
    }

    bool received(const uint8_t* data, size_t size) {
        if (!m_client || m_ended)
            return false;
        try {
            m_client->received_data(data, size);
        } catch (const std::exception& e) {
            // A refusal of the certificate was recorded by the check itself; anything else
            // before the handshake finished is a server that answered with something else.
            if (m_failure == TlsFailure::None && !m_activated)
                m_failure = TlsFailure::NotTls;
            m_detail = e.what();
            m_ended = true;
            return false;
        }
        return !m_ended && !m_outputFailed;
    }

    void peerClosed() {
        if (!m_activated && m_failure == TlsFailure::None) {
            m_failure = TlsFailure::NotTls;
            m_detail = "connection closed during the handshake";
        }
        m_ended = true;
    }

    bool send(const uint8_t* data, size_t size) {
        if (!m_client || m_ended || !m_activated)
            return false;
        try {
            m_client->send(data, size);
        } catch (const std::exception& e) {
            m_detail = e.what();
            m_ended = true;
            return false;
        }
        return !m_outputFailed;
    }

    // Botan's callbacks.
    void tls_emit_data(const uint8_t data[], size_t size) override {
        if (!m_outputFailed && !m_output(data, size))
            m_outputFailed = true;
    }
    void tls_record_received(uint64_t, const uint8_t data[], size_t size) override {
        if (!m_ended)
            m_plain(data, size);
    }
    void tls_alert(Botan::TLS::Alert alert) override {
        // The server's close_notify or a fatal alert ends the stream.
        if (alert.type() == Botan::TLS::Alert::CLOSE_NOTIFY || alert.is_fatal()) {
            if (!m_activated && m_failure == TlsFailure::None)
                m_failure = TlsFailure::NotTls;
            m_detail = alert.type_string();
            m_ended = true;
        }
    }
    bool tls_session_established(const Botan::TLS::Session& session) override {
        m_agreed = session.version().to_string() + " / " + session.ciphersuite().to_string();
        return false;  // nothing is cached: every connection makes a full handshake
    }
    void tls_session_activated() override { m_activated = true; }

    void tls_verify_cert_chain(
        const std::vector<Botan::X509_Certificate>& chain,
        const std::vector<std::shared_ptr<const Botan::OCSP::Response>>& ocsp,
        const std::vector<Botan::Certificate_Store*>& roots, Botan::Usage_Type usage,
        const std::string& hostName, const Botan::TLS::Policy& policy) override {
        if (chain.empty())
            refuse(TlsFailure::Untrusted, "no certificate");
        if (!m_pin.empty()) {
            auto sha = Botan::HashFunction::create_or_throw("SHA-256");
            const std::vector<uint8_t> der = chain.front().BER_encode();
            sha->update(der);
            if (Botan::hex_encode(sha->final(), false) != m_pin)
                refuse(TlsFailure::PinMismatch, "fingerprint differs from the pin");
            return;
        }
        const Botan::Path_Validation_Restrictions restrictions(false,
                                                               policy.minimum_signature_strength());
        const Botan::Path_Validation_Result result = Botan::x509_path_validate(
            chain, restrictions, roots, hostName, usage, std::chrono::system_clock::now(),
            std::chrono::milliseconds(0), ocsp);
        if (!result.successful_validation())
            refuse(failureOf(result.result()), result.result_string());
    }

    TlsOptions m_options;
    std::string m_pin;
    Output m_output;
    Plain m_plain;
    TlsFailure m_failure = TlsFailure::None;
    std::string m_detail;
    std::string m_agreed;
    bool m_activated = false;
    bool m_ended = false;
    bool m_outputFailed = false;

  private:
    bool fail(TlsFailure failure, const std::string& detail) {
        m_failure = failure;
        m_detail = detail;
        m_ended = true;
        return false;
    }

    [[noreturn]] void refuse(TlsFailure failure, const std::string& detail) {
        m_failure = failure;
        throw Botan::TLS::TLS_Exception(Botan::TLS::Alert::BAD_CERTIFICATE, detail);
    }

    bool loadTrustStore() {
        if (m_options.caFile.empty()) {
            try {
                m_store = std::make_unique<Botan::System_Certificate_Store>();
            } catch (const std::exception& e) {
                m_detail = e.what();
                return false;
            }
            return true;
        }
        auto store = std::make_unique<Botan::Certificate_Store_In_Memory>();
        size_t count = 0;
        try {
            Botan::DataSource_Stream in(m_options.caFile);
            while (!in.end_of_data()) {
                store->add_certificate(Botan::X509_Certificate(in));
                ++count;
            }
        } catch (const std::exception& e) {
            // What follows the last certificate (trailing text) ends the reading.
            m_detail = e.what();
        }
        m_store = std::move(store);
        return count > 0;
    }

    Botan::AutoSeeded_RNG m_rng;
    Botan::TLS::Session_Manager_Noop m_sessions;
    ClientPolicy m_policy;
    std::unique_ptr<Botan::Certificate_Store> m_store;
    std::unique_ptr<Credentials> m_credentials;
    std::unique_ptr<Botan::TLS::Client> m_client;
};

TlsChannel::TlsChannel(const TlsOptions& options, Output output, Plain plain)
    : m_impl(std::make_unique<Impl>(options, std::move(output), std::move(plain))) {}

TlsChannel::~TlsChannel() = default;

bool TlsChannel::start() {
    return m_impl->start();
}

bool TlsChannel::received(const uint8_t* data, size_t size) {
    return m_impl->received(data, size);
}

void TlsChannel::peerClosed() {
    m_impl->peerClosed();
}

bool TlsChannel::send(const uint8_t* data, size_t size) {
    return m_impl->send(data, size);
}

bool TlsChannel::active() const {
    return m_impl->m_activated && !m_impl->m_ended;
}

TlsFailure TlsChannel::failure() const {
    return m_impl->m_failure;
}

const std::string& TlsChannel::detail() const {
    return m_impl->m_detail;
}

const std::string& TlsChannel::agreed() const {
    return m_impl->m_agreed;
}

}  // namespace Tavoro::Net
