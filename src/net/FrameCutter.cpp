#include "net/FrameCutter.h"

#include <cstring>

namespace Tavoro::Net {

void FrameCutter::feed(const char* data, size_t size,
                       const std::function<void(std::string&&)>& onFrame) {
    size_t pos = 0;
    while (pos < size) {
        const void* hit = std::memchr(data + pos, '\0', size - pos);
        const size_t end = hit ? static_cast<size_t>(static_cast<const char*>(hit) - data) : size;
        const size_t chunk = end - pos;

        if (m_discarding) {
            // Skip the rest of an oversize frame; its NUL ends the skipping.
            if (hit)
                m_discarding = false;
        } else if (m_pending.size() + chunk > m_maxFrame) {
            m_pending.clear();
            m_pending.shrink_to_fit();
            ++m_dropped;
            m_discarding = (hit == nullptr);
        } else if (hit) {
            if (m_pending.empty()) {
                if (chunk > 0)
                    onFrame(std::string(data + pos, chunk));
                // A NUL with nothing before it is an empty frame: skipped.
            } else {
                m_pending.append(data + pos, chunk);
                std::string frame;
                frame.swap(m_pending);
                onFrame(std::move(frame));
            }
        } else {
            m_pending.append(data + pos, chunk);
        }
        pos = hit ? end + 1 : size;
    }
}

}  // namespace Tavoro::Net
