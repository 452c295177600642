#pragma once

#include <string>

namespace TavoroDemo {

// Encrypts the session data for one client under the public key that the client sent:
// RSA-OAEP with SHA-1, the data cut into chunks the key can take (86 bytes for RSA-1024),
// each giving one 128-byte block; the blocks joined and Base64-encoded in one line.
class SessionSealer {
  public:
    // Only 1024-bit RSA keys are accepted: the client decrypts 128-byte blocks.
    static constexpr size_t kKeyBits = 1024;

    // publicKeyBase64: Base64 of a DER SubjectPublicKeyInfo. Returns false with a reason when
    // the key cannot be read or is not a 1024-bit RSA key.
    static bool seal(const std::string& publicKeyBase64, const std::string& data,
                     std::string& sealedBase64, std::string& error);

    // A fresh random session key text (hexadecimal).
    static std::string newSessionKey();
};

}  // namespace TavoroDemo
