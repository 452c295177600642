#include "types/KeyedHash.h"

#include <cstring>
#include <random>

namespace Tavoro::Types {
namespace {

inline uint64_t rotl(uint64_t x, int b) {
    return (x << b) | (x >> (64 - b));
}

inline void sipRound(uint64_t& v0, uint64_t& v1, uint64_t& v2, uint64_t& v3) {
    v0 += v1;
    v1 = rotl(v1, 13);
    v1 ^= v0;
    v0 = rotl(v0, 32);
    v2 += v3;
    v3 = rotl(v3, 16);
    v3 ^= v2;
    v0 += v3;
    v3 = rotl(v3, 21);
    v3 ^= v0;
    v2 += v1;
    v1 = rotl(v1, 17);
    v1 ^= v2;
    v2 = rotl(v2, 32);
}

inline uint64_t readLittleEndian(const unsigned char* p, size_t n) {
    uint64_t value = 0;
    for (size_t i = 0; i < n; ++i)
        value |= static_cast<uint64_t>(p[i]) << (8 * i);
    return value;
}

struct ProcessKey {
    uint64_t k0;
    uint64_t k1;
    ProcessKey() {
        std::random_device device;
        k0 = (static_cast<uint64_t>(device()) << 32) ^ device();
        k1 = (static_cast<uint64_t>(device()) << 32) ^ device();
    }
};

}  // namespace

uint64_t sipHash24(const void* data, size_t size, uint64_t key0, uint64_t key1) {
    uint64_t v0 = 0x736f6d6570736575ULL ^ key0;
    uint64_t v1 = 0x646f72616e646f6dULL ^ key1;
    uint64_t v2 = 0x6c7967656e657261ULL ^ key0;
    uint64_t v3 = 0x7465646279746573ULL ^ key1;
    const auto* bytes = static_cast<const unsigned char*>(data);
    const size_t whole = size - size % 8;
    for (size_t i = 0; i < whole; i += 8) {
        const uint64_t m = readLittleEndian(bytes + i, 8);
        v3 ^= m;
        sipRound(v0, v1, v2, v3);
        sipRound(v0, v1, v2, v3);
        v0 ^= m;
    }
    const uint64_t last =
        (static_cast<uint64_t>(size & 0xff) << 56) | readLittleEndian(bytes + whole, size - whole);
    v3 ^= last;
    sipRound(v0, v1, v2, v3);
    sipRound(v0, v1, v2, v3);
    v0 ^= last;
    v2 ^= 0xff;
    for (int i = 0; i < 4; ++i)
        sipRound(v0, v1, v2, v3);
    return v0 ^ v1 ^ v2 ^ v3;
}

uint64_t keyedHash(std::string_view text) {
    static const ProcessKey key;
    return sipHash24(text.data(), text.size(), key.k0, key.k1);
}

}  // namespace Tavoro::Types
