#include "net/KeyExchange.h"

#include <botan/auto_rng.h>
#include <botan/base64.h>
#include <botan/bigint.h>
#include <botan/pubkey.h>
#include <botan/rsa.h>
#include <botan/x509_key.h>

#include <exception>

namespace Tavoro::Net {
namespace {

constexpr size_t kBlockBytes = kClientKeyBits / 8;
// Session data is a few hundred bytes. A server sending megabytes would keep the window busy
// with RSA decryptions for many seconds, so more than this is refused.
constexpr size_t kMaxSessionBlocks = 256;

wxString failure(const char* what) {
    return wxString("Botan Exception Recieved:") + what;
}

bool isBase64Char(wxUniChar c) {
    const auto v = c.GetValue();
    return (v >= 'A' && v <= 'Z') || (v >= 'a' && v <= 'z') || (v >= '0' && v <= '9') || v == '+' ||
           v == '/' || v == '=';
}

std::vector<uint8_t> toBytes(const Botan::BigInt& n) {
    const auto encoded = Botan::BigInt::encode(n);
    return std::vector<uint8_t>(encoded.begin(), encoded.end());
}

Botan::RSA_PrivateKey keyOfPrimes(const KeyPrimes& primes) {
    if (primes.p.empty() || primes.q.empty()) {
        throw Botan::Invalid_Argument("no key primes: the server's greeting was not answered");
    }
    return Botan::RSA_PrivateKey(Botan::BigInt::decode(primes.p), Botan::BigInt::decode(primes.q),
                                 kClientKeyExponent);
}

wxString publicKeyText(const Botan::RSA_PrivateKey& key) {
    const std::vector<uint8_t> der = Botan::X509::BER_encode(key);
    const std::string b64 = Botan::base64_encode(der);
    return wxString::FromAscii(b64.c_str());
}

// Length of the UTF-8 sequence that starts with lead byte b, 0 for a byte that cannot start one.
size_t sequenceLength(unsigned char b) {
    if (b < 0x80)
        return 1;
    if (b >= 0xC2 && b <= 0xDF)
        return 2;
    if (b >= 0xE0 && b <= 0xEF)
        return 3;
    if (b >= 0xF0 && b <= 0xF4)
        return 4;
    return 0;
}

}  // namespace

bool makeClientKey(KeyPrimes& primes, wxString& publicKeyBase64, wxString& error) {
    try {
        Botan::AutoSeeded_RNG rng;
        const Botan::RSA_PrivateKey key(rng, kClientKeyBits, kClientKeyExponent);
        wxString text = publicKeyText(key);
        primes.p = toBytes(key.get_p());
        primes.q = toBytes(key.get_q());
        publicKeyBase64 = text;
        return true;
    } catch (const std::exception& e) {
        error = failure(e.what());
    }
    return false;
}

bool publicKeyOfPrimes(const KeyPrimes& primes, wxString& publicKeyBase64, wxString& error) {
    try {
        publicKeyBase64 = publicKeyText(keyOfPrimes(primes));
        return true;
    } catch (const std::exception& e) {
        error = failure(e.what());
    }
    return false;
}

bool decryptSessionData(const KeyPrimes& primes, const wxString& base64Data, wxString& plain,
                        wxString& error) {
    plain.clear();
    std::string alphabet;
    alphabet.reserve(base64Data.length());
    for (const wxUniChar c : base64Data) {
        if (isBase64Char(c))
            alphabet += static_cast<char>(c.GetValue());
    }
    try {
        const auto data = Botan::base64_decode(alphabet);
        if (data.empty())
            throw Botan::Decoding_Error("the session data is empty");
        if (data.size() % kBlockBytes != 0) {
            throw Botan::Decoding_Error("the session data is not whole 128-byte blocks");
        }
        if (data.size() / kBlockBytes > kMaxSessionBlocks) {
            throw Botan::Decoding_Error("the session data is too long");
        }
        const auto key = keyOfPrimes(primes);
        Botan::AutoSeeded_RNG rng;
        Botan::PK_Decryptor_EME decryptor(key, rng, "EME1(SHA-1)");
        std::string joined;
        for (size_t at = 0; at < data.size(); at += kBlockBytes) {
            const auto block = decryptor.decrypt(data.data() + at, kBlockBytes);
            joined.append(reinterpret_cast<const char*>(block.data()), block.size());
        }
        plain = decodeUtf8Lenient(joined);
        return true;
    } catch (const std::exception& e) {
        error = failure(e.what());
    }
    return false;
}

wxString decodeUtf8Lenient(const std::string& bytes) {
    std::wstring out;
    out.reserve(bytes.size());
    const size_t n = bytes.size();
    size_t i = 0;
    while (i < n) {
        const unsigned char lead = static_cast<unsigned char>(bytes[i]);
        const size_t len = sequenceLength(lead);
        if (len == 1) {
            out += static_cast<wchar_t>(lead);
            ++i;
            continue;
        }
        uint32_t code = len == 2 ? (lead & 0x1F) : len == 3 ? (lead & 0x0F) : (lead & 0x07);
        bool ok = len != 0 && i + len <= n;
        for (size_t k = 1; ok && k < len; ++k) {
            const unsigned char b = static_cast<unsigned char>(bytes[i + k]);
            if ((b & 0xC0) != 0x80) {
                ok = false;
            } else {
                code = (code << 6) | (b & 0x3F);
            }
        }
        // Overlong forms, surrogates and values past U+10FFFF are not characters.
        if (ok && ((len == 3 && code < 0x800) || (len == 4 && code < 0x10000) ||
                   (code >= 0xD800 && code <= 0xDFFF) || code > 0x10FFFF)) {
            ok = false;
        }
        if (ok) {
            out += static_cast<wchar_t>(code);
            i += len;
        } else {
            out += static_cast<wchar_t>(0xFFFD);
            ++i;
        }
    }
    return wxString(out);
}

}  // namespace Tavoro::Net
