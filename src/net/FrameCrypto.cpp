#include "net/FrameCrypto.h"

#include <botan/block_cipher.h>
#include <botan/hash.h>

#include <cstring>
#include <stdexcept>

namespace Tavoro::Net {
namespace {

constexpr size_t kBlock = 16;
// The last plaintext byte of a server frame counts the pad bytes; a whole block at most.
constexpr unsigned kMaxServerPad = 16;

// Thrown for a frame that cannot be a server frame; its text reads the way the crypto
// library's decoding errors are reported.
class FrameDecodingError : public std::runtime_error {
  public:
    explicit FrameDecodingError(const std::string& what)
        : std::runtime_error("Botan: Decoding error: " + what) {}
};

std::unique_ptr<Botan::BlockCipher> makeCipher(const std::string& sessionKey) {
    auto cipher = Botan::BlockCipher::create_or_throw("AES-256");
    const auto key = frameKey(sessionKey);
    cipher->set_key(key.data(), key.size());
    return cipher;
}

// The bytes left after the server's pad has been removed, or an exception.
std::string decryptServerBody(const std::string& sessionKey, const std::string& cipher) {
    if (cipher.empty() || cipher.size() % kBlock != 0) {
        throw FrameDecodingError("ciphertext length " + std::to_string(cipher.size()) +
                                 " is not a positive multiple of 16");
    }
    auto aes = makeCipher(sessionKey);
    std::string plain(cipher.size(), '\0');
    aes->decrypt_n(reinterpret_cast<const uint8_t*>(cipher.data()),
                   reinterpret_cast<uint8_t*>(plain.data()), cipher.size() / kBlock);
    const unsigned pad = static_cast<unsigned char>(plain.back());
    if (pad > kMaxServerPad)
        throw FrameDecodingError("ISO10126");
    plain.resize(plain.size() - pad);
    return plain;
}

wxString decimal(size_t n) {
    return wxString::Format("%zu", n);
}

}  // namespace

std::string escapeCiphertext(const std::string& cipher) {
    if (std::memchr(cipher.data(), '\0', cipher.size()) == nullptr)
        return cipher;
    std::string out;
    out.reserve(cipher.size() + cipher.size() / 32 + 8);
    for (const char c : cipher) {
        if (c == '\0') {
            out += "%00";
        } else if (c == '%') {
            out += "%25";
        } else {
            out += c;
        }
    }
    return out;
}

std::string unescapeFrame(const std::string& frame, std::vector<wxString>* diagnostics) {
    // First pass: "%00" to NUL. Most frames have no NUL escape; return them as they are.
    if (frame.find("%00") == std::string::npos)
        return frame;
    std::string first;
    first.reserve(frame.size());
    for (size_t i = 0; i < frame.size(); ++i) {
        if (frame[i] == '%' && i + 2 < frame.size() && frame[i + 1] == '0' && frame[i + 2] == '0') {
            first += '\0';
            i += 2;
        } else {
            first += frame[i];
        }
    }

    // Second pass: the sender escaped every "%" as "%25" because the ciphertext held a NUL.
    std::string out;
    out.reserve(first.size());
    for (size_t i = 0; i < first.size(); ++i) {
        if (first[i] != '%') {
            out += first[i];
            continue;
        }
        if (i + 2 < first.size() && first[i + 1] == '2' && first[i + 2] == '5') {
            out += '%';
            i += 2;
            continue;
        }
        if (diagnostics) {
            // A lone "%" should not occur in an escaped frame; keep it and say where it was.
            wxString text = "Unexpected Characters after percent:%";
            wxString codes;
            for (size_t k = 1; k <= 2; ++k) {
                if (i + k < first.size()) {
                    const unsigned char b = static_cast<unsigned char>(first[i + k]);
                    text += " ";
                    text += wxUniChar(static_cast<unsigned>(b));
                    codes += wxString::Format(" %zu Chr:%u", k, static_cast<unsigned>(b));
                } else {
                    codes += wxString::Format(" %zu Chr:none", k);
                }
            }
            text += codes + " - idx= " + decimal(out.size()) + " idz= " + decimal(i);
            diagnostics->push_back(text);
        }
        out += '%';
    }
    return out;
}

std::string toLatin1(const wxString& text) {
    const std::wstring& wide = text.ToStdWstring();
    std::string out(wide.size(), '\0');
    for (size_t i = 0; i < wide.size(); ++i) {
        const auto code = static_cast<uint32_t>(wide[i]);
        out[i] = code <= 0xFF ? static_cast<char>(code) : '?';
    }
    return out;
}

wxString fromLatin1(const std::string& bytes) {
    std::wstring wide(bytes.size(), L'\0');
    for (size_t i = 0; i < bytes.size(); ++i) {
        wide[i] = static_cast<wchar_t>(static_cast<unsigned char>(bytes[i]));
    }
    return wxString(wide);
}

std::vector<uint8_t> frameKey(const std::string& sessionKey) {
    auto sha = Botan::HashFunction::create_or_throw("SHA-256");
    sha->update(reinterpret_cast<const uint8_t*>(sessionKey.data()), sessionKey.size());
    const auto digest = sha->final();
    return std::vector<uint8_t>(digest.begin(), digest.end());
}

std::string encryptFrame(const std::string& sessionKey, const wxString& text) {
    std::string bytes = toLatin1(text);
    // PKCS#7: 1 to 16 bytes, each holding the pad length.
    const size_t pad = kBlock - bytes.size() % kBlock;
    bytes.append(pad, static_cast<char>(pad));
    auto aes = makeCipher(sessionKey);
    std::string cipher(bytes.size(), '\0');
    aes->encrypt_n(reinterpret_cast<const uint8_t*>(bytes.data()),
                   reinterpret_cast<uint8_t*>(cipher.data()), bytes.size() / kBlock);
    return escapeCiphertext(cipher);
}

wxString decryptFrame(const std::string& sessionKey, const std::string& frame,
                      std::vector<wxString>* statuses) {
    std::string unescaped;
    try {
        std::vector<wxString> diagnostics;
        unescaped = unescapeFrame(frame, &diagnostics);
        // A peer escapes only ciphertext that holds a NUL, so ciphertext without NUL that merely
        // contains the three bytes "%00" arrives unescaped and the first pass above shortens it
        // wrongly. Unescaping removes two bytes per NUL escape, so a correctly escaped frame
        // always unescapes to whole blocks; when only the raw frame is whole blocks, the frame
        // was sent as it is.
        if (unescaped.size() % kBlock != 0 && frame.size() % kBlock == 0 &&
            unescaped.size() != frame.size()) {
            unescaped = frame;
            diagnostics.clear();
        }
        if (statuses)
            statuses->insert(statuses->end(), diagnostics.begin(), diagnostics.end());
        return fromLatin1(decryptServerBody(sessionKey, unescaped));
    } catch (const std::exception& e) {
        if (statuses)
            statuses->push_back(wxString("Botan Exception Recieved:") + e.what());
    } catch (...) {
        if (statuses)
            statuses->push_back("Botan Exception Recieved:unknown error");
    }
    wxString report = "@BOTAN-EXCEPTION:Exception In Decryption:\r\n";
    report += "--Initial Length Was:" + decimal(frame.size()) + "\r\n";
    report += "--Final Length Was:" + decimal(unescaped.size()) + "\r\n";
    report += fromLatin1(frame);
    return report;
}

}  // namespace Tavoro::Net
