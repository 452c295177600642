#include "HugeFrameStream.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>

namespace TavoroDemo {

HugeFrameStream::HugeFrameStream(const FrameCodec& codec, std::mt19937_64& random,
                                 size_t frameBytes, size_t garbageBytes)
    : m_codec(codec),
      m_random(random),
      m_textLength(std::strlen(kCommand) + frameBytes),
      m_garbageBytes(garbageBytes) {
    constexpr size_t block = FrameCodec::kBlockSize;
    const size_t pad = block - m_textLength % block;  // 1..16, as every frame of the server
    m_plainLength = m_textLength + pad;
    // The final block: the end of the text, random pad bytes, the pad count.
    const size_t lastStart = m_plainLength - block;
    m_lastBlock = plaintext(lastStart, block - pad);
    for (size_t i = 0; i + 1 < pad; ++i)
        m_lastBlock += static_cast<char>(m_random() & 0xFF);
    m_lastBlock += static_cast<char>(pad);
    m_escape = cipherHasNul();
}

// Text byte i: the command, then 16-byte filler blocks "payload:" and an eight-digit block
// number, so that no two blocks of the payload are alike.
std::string HugeFrameStream::plaintext(size_t from, size_t n) const {
    const size_t command = std::strlen(kCommand);
    const size_t lastStart = m_plainLength - FrameCodec::kBlockSize;
    std::string out;
    out.reserve(n);
    char filler[17] = {};
    size_t fillerBlock = SIZE_MAX;
    for (size_t i = from; i < from + n; ++i) {
        if (!m_lastBlock.empty() && i >= lastStart) {
            out += m_lastBlock[i - lastStart];
        } else if (i < command) {
            out += kCommand[i];
        } else {
            const size_t k = i - command;
            if (k / 16 != fillerBlock) {
                fillerBlock = k / 16;
                std::snprintf(filler, sizeof(filler), "payload:%08zu", fillerBlock % 100000000);
            }
            out += filler[k % 16];
        }
    }
    return out;
}

bool HugeFrameStream::cipherHasNul() const {
    for (size_t at = 0; at < m_plainLength; at += kPiece) {
        const std::string cipher =
            m_codec.encryptBlocks(plaintext(at, std::min(kPiece, m_plainLength - at)));
        if (cipher.find('\0') != std::string::npos)
            return true;
    }
    return false;
}

bool HugeFrameStream::next(std::string& out) {
    if (m_done)
        return false;
    if (m_plainAt < m_plainLength) {
        const size_t n = std::min(kPiece, m_plainLength - m_plainAt);
        const std::string cipher = m_codec.encryptBlocks(plaintext(m_plainAt, n));
        m_plainAt += n;
        const bool last = m_plainAt == m_plainLength;
        if (!m_escape) {
            out += cipher;
            if (last)
                out += '\0';
            return true;
        }
        // The escaping of the whole frame, piece by piece: it works byte by byte.
        std::string escaped = FrameCodec::escape(cipher);
        if (escaped.size() == cipher.size()) {
            // escape() leaves a piece without NUL as it is, "%" included; the frame has a NUL
            // elsewhere, so "%" must be escaped here too.
            escaped.clear();
            for (const char c : cipher) {
                if (c == '%')
                    escaped += "%25";
                else
                    escaped += c;
            }
        }
        out += escaped;
        if (last)
            out += '\0';
        return true;
    }
    if (m_garbageAt < m_garbageBytes) {
        const size_t n = std::min(kPiece, m_garbageBytes - m_garbageAt);
        const size_t start = out.size();
        out.resize(start + n);
        for (size_t i = 0; i < n; ++i)
            out[start + i] = static_cast<char>(1 + m_random() % 255);  // never NUL
        m_garbageAt += n;
        return true;
    }
    out += '\0';
    m_done = true;
    return true;
}

}  // namespace TavoroDemo
