#pragma once

#include <cstdint>
#include <string_view>

namespace Tavoro::Types {

// SipHash-2-4 of a text's bytes under a key drawn at random once per process. The visitor
// list hashes texts chosen by the server; with a secret key nobody can pick texts that all land
// in the same slots of its index and turn every event into a walk through the whole list.
uint64_t keyedHash(std::string_view text);

// The same with an explicit key (known-answer tests).
uint64_t sipHash24(const void* data, size_t size, uint64_t key0, uint64_t key1);

}  // namespace Tavoro::Types
