#pragma once

#include <cstddef>
#include <cstdint>
#include <random>
#include <string>

#include "FrameCodec.h"
#include "OutputStream.h"

namespace TavoroDemo {

// The "huge-frame" fault on the wire: one valid encrypted frame, with its NUL, whose text is
// an unknown command with a payload of frameBytes ("@NOSUCHBIG:" and numbered filler blocks);
// then garbageBytes of random bytes without any NUL (one frame over the client's size cap),
// then a NUL. Made in pieces of about 64 KB: neither the frame nor the garbage is ever held whole.
class HugeFrameStream : public OutputStream {
  public:
    static constexpr const char* kCommand = "@NOSUCHBIG:";

    // codec and random must outlive the stream.
    HugeFrameStream(const FrameCodec& codec, std::mt19937_64& random, size_t frameBytes,
                    size_t garbageBytes);

    bool next(std::string& out) override;

    // Length of the frame's text: the command and the payload.
    size_t textLength() const { return m_textLength; }

  private:
    static constexpr size_t kPiece = 64 * 1024;  // a multiple of the block size

    // The plaintext bytes [from, from + n) of the frame, pad included (n whole blocks).
    std::string plaintext(size_t from, size_t n) const;
    // Whether the frame's ciphertext holds a NUL, which decides whether it is escaped.
    bool cipherHasNul() const;

    const FrameCodec& m_codec;
    std::mt19937_64& m_random;
    size_t m_textLength;
    size_t m_plainLength;     // text and pad: whole blocks
    std::string m_lastBlock;  // the final block with its pad, fixed once
    size_t m_garbageBytes;
    bool m_escape = false;
    size_t m_plainAt = 0;
    size_t m_garbageAt = 0;
    bool m_done = false;
};

}  // namespace TavoroDemo
