#pragma once

#include <botan/block_cipher.h>

#include <cstdint>
#include <memory>
#include <random>
#include <string>

namespace TavoroDemo {

// The server's side of the encrypted frames of one session. Frame bodies are AES-256 in ECB
// mode under SHA-256 of the session key text. Frames the server sends are padded the ISO10126
// way (random bytes, the pad count 1..16 in the last byte); frames the client sends carry
// PKCS#7. Ciphertext holding a NUL byte is escaped ("%00" for NUL, "%25" for "%") so that NUL
// can end the frame. Texts are byte strings: every byte one ISO 8859-1 character.
class FrameCodec {
  public:
    static constexpr size_t kBlockSize = 16;

    // padSource supplies the random pad bytes; it must outlive the codec.
    FrameCodec(const std::string& sessionKey, std::mt19937_64& padSource);

    // Text to an escaped frame body (without the terminating NUL).
    std::string encode(const std::string& text);
    // Whole blocks of plaintext to ciphertext, with no padding and no escaping (frames made on
    // purpose with a wrong pad, and long frames encrypted piece by piece).
    std::string encryptBlocks(const std::string& plain) const;
    // Frame body to text; false with a reason for anything that is not a valid client frame.
    bool decode(const std::string& body, std::string& text, std::string& error) const;

    static std::string escape(const std::string& cipher);
    // "%00" to NUL; then, only if that happened, "%25" to "%".
    static std::string unescape(const std::string& body);

  private:
    std::unique_ptr<Botan::BlockCipher> m_aes;
    std::mt19937_64& m_padSource;
};

}  // namespace TavoroDemo
