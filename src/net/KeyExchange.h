#pragma once

#include <wx/string.h>

#include <cstdint>
#include <string>
#include <vector>

namespace Tavoro::Net {

// The two prime factors of the client's RSA key of the current connection, big-endian bytes.
// Only the primes are kept; the private key is rebuilt from them when the session data arrives.
struct KeyPrimes {
    std::vector<uint8_t> p, q;
};

// The public exponent of every client key.
constexpr unsigned kClientKeyExponent = 17;
// Bits of the client key; the server's session data comes in blocks of this size / 8.
constexpr size_t kClientKeyBits = 1024;

// Makes a fresh RSA-1024 key with exponent 17, stores its primes in primes (replacing any
// earlier ones) and gives the public key as one line of Base64 of its DER SubjectPublicKeyInfo.
// On failure returns false, leaves primes untouched and sets error to
// "Botan Exception Recieved:" followed by the reason.
bool makeClientKey(KeyPrimes& primes, wxString& publicKeyBase64, wxString& error);

// The one-line Base64 DER SubjectPublicKeyInfo of the key made of these primes and exponent 17.
bool publicKeyOfPrimes(const KeyPrimes& primes, wxString& publicKeyBase64, wxString& error);

// Decrypts the "@SESSION" data: Base64 (characters outside the Base64 alphabet are skipped),
// then RSA-OAEP with SHA-1 per 128-byte block under the key rebuilt from the primes. The block
// plaintexts are joined and read as UTF-8 (a character split across two blocks survives; bytes
// that are not UTF-8 become U+FFFD). On failure (no primes, no data, a partial or undecryptable
// block, more than 256 blocks) returns false, leaves plain empty and sets error as
// makeClientKey does.
bool decryptSessionData(const KeyPrimes& primes, const wxString& base64Data, wxString& plain,
                        wxString& error);

// UTF-8 bytes to text; each byte of an invalid or truncated sequence becomes U+FFFD.
wxString decodeUtf8Lenient(const std::string& bytes);

}  // namespace Tavoro::Net
