#pragma once

#include <cstdint>
#include <limits>

namespace Tavoro::Types {

// A decimal number of the wire (read as a long) kept in a 32-bit member; numbers beyond its
// range are held at its limits rather than wrapped.
inline int32_t clampToInt32(long value) {
    if (value > std::numeric_limits<int32_t>::max())
        return std::numeric_limits<int32_t>::max();
    if (value < std::numeric_limits<int32_t>::min())
        return std::numeric_limits<int32_t>::min();
    return static_cast<int32_t>(value);
}

}  // namespace Tavoro::Types
