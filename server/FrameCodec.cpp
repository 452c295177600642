#include "FrameCodec.h"

#include <botan/hash.h>

#include <cstring>

namespace TavoroDemo {
namespace {

constexpr size_t kBlock = 16;

}  // namespace

FrameCodec::FrameCodec(const std::string& sessionKey, std::mt19937_64& padSource)
    : m_aes(Botan::BlockCipher::create_or_throw("AES-256")), m_padSource(padSource) {
    auto sha = Botan::HashFunction::create_or_throw("SHA-256");
    sha->update(sessionKey);
    const auto key = sha->final();
    m_aes->set_key(key);
}

std::string FrameCodec::encode(const std::string& text) {
    const size_t pad = kBlock - text.size() % kBlock;  // 1..16
    std::string plain = text;
    for (size_t i = 0; i + 1 < pad; ++i)
        plain += static_cast<char>(m_padSource() & 0xFF);
    plain += static_cast<char>(pad);
    std::string cipher(plain.size(), '\0');
    m_aes->encrypt_n(reinterpret_cast<const uint8_t*>(plain.data()),
                     reinterpret_cast<uint8_t*>(&cipher[0]), plain.size() / kBlock);
    return escape(cipher);
}

std::string FrameCodec::encryptBlocks(const std::string& plain) const {
    const size_t blocks = plain.size() / kBlock;
    std::string cipher(blocks * kBlock, '\0');
    if (blocks > 0) {
        m_aes->encrypt_n(reinterpret_cast<const uint8_t*>(plain.data()),
                         reinterpret_cast<uint8_t*>(&cipher[0]), blocks);
    }
    return cipher;
}

bool FrameCodec::decode(const std::string& body, std::string& text, std::string& error) const {
    std::string cipher = unescape(body);
    // Ciphertext without NUL is sent unescaped even when it contains "%00"; unescaping then
    // breaks the block alignment, which a truly escaped body never does.
    if (cipher.size() % kBlock != 0 && body.size() % kBlock == 0)
        cipher = body;
    if (cipher.empty() || cipher.size() % kBlock != 0) {
        error = "frame of " + std::to_string(cipher.size()) + " bytes is not whole AES blocks";
        return false;
    }
    std::string plain(cipher.size(), '\0');
    m_aes->decrypt_n(reinterpret_cast<const uint8_t*>(cipher.data()),
                     reinterpret_cast<uint8_t*>(&plain[0]), cipher.size() / kBlock);
    const size_t pad = static_cast<unsigned char>(plain.back());
    bool padOk = pad >= 1 && pad <= kBlock;
    for (size_t i = 0; padOk && i < pad; ++i) {
        padOk = static_cast<unsigned char>(plain[plain.size() - 1 - i]) == pad;
    }
    if (!padOk) {
        error = "bad PKCS#7 padding (wrong session key or corrupted frame)";
        return false;
    }
    plain.resize(plain.size() - pad);
    text = std::move(plain);
    return true;
}

std::string FrameCodec::escape(const std::string& cipher) {
    if (cipher.find('\0') == std::string::npos)
        return cipher;
    std::string out;
    out.reserve(cipher.size() + 16);
    for (const char c : cipher) {
        if (c == '\0') {
            out.append("%00");
        } else if (c == '%') {
            out.append("%25");
        } else {
            out.push_back(c);
        }
    }
    return out;
}

std::string FrameCodec::unescape(const std::string& body) {
    std::string nulRestored;
    nulRestored.reserve(body.size());
    bool sawNul = false;
    for (size_t i = 0; i < body.size(); ++i) {
        if (body.compare(i, 3, "%00") == 0) {
            nulRestored.push_back('\0');
            sawNul = true;
            i += 2;
        } else {
            nulRestored.push_back(body[i]);
        }
    }
    if (!sawNul)
        return nulRestored;
    std::string out;
    out.reserve(nulRestored.size());
    for (size_t i = 0; i < nulRestored.size(); ++i) {
        if (nulRestored.compare(i, 3, "%25") == 0) {
            out.push_back('%');
            i += 2;
        } else {
            out.push_back(nulRestored[i]);
        }
    }
    return out;
}

}  // namespace TavoroDemo
