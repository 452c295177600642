#include "SessionSealer.h"

#include <botan/auto_rng.h>
#include <botan/base64.h>
#include <botan/data_src.h>
#include <botan/hex.h>
#include <botan/pubkey.h>
#include <botan/x509_key.h>

#include <algorithm>
#include <memory>

namespace TavoroDemo {

bool SessionSealer::seal(const std::string& publicKeyBase64, const std::string& data,
                         std::string& sealedBase64, std::string& error) {
    try {
        // Base64 as sent; stray characters make it invalid rather than silently skipped.
        const auto der = Botan::base64_decode(publicKeyBase64);
        Botan::DataSource_Memory source(der.data(), der.size());
        std::unique_ptr<Botan::Public_Key> key(Botan::X509::load_key(source));
        if (!key || key->algo_name() != "RSA") {
            error = "the public key is not an RSA key";
            return false;
        }
        if (key->key_length() != kKeyBits) {
            error = "the public key has " + std::to_string(key->key_length()) +
                    " bits; 1024 are expected";
            return false;
        }
        Botan::AutoSeeded_RNG rng;
        Botan::PK_Encryptor_EME encryptor(*key, rng, "EME1(SHA-1)");
        const size_t chunk = encryptor.maximum_input_size();
        std::vector<uint8_t> sealed;
        for (size_t at = 0; at < data.size(); at += chunk) {
            const size_t n = std::min(chunk, data.size() - at);
            const auto block =
                encryptor.encrypt(reinterpret_cast<const uint8_t*>(data.data()) + at, n, rng);
            sealed.insert(sealed.end(), block.begin(), block.end());
        }
        sealedBase64 = Botan::base64_encode(sealed);
        return true;
    } catch (const std::exception& e) {
        error = std::string("cannot use the public key: ") + e.what();
    }
    return false;
}

std::string SessionSealer::newSessionKey() {
    Botan::AutoSeeded_RNG rng;
    return Botan::hex_encode(rng.random_vec(32));
}

}  // namespace TavoroDemo
