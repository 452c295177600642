#include "FrameReader.h"

#include <cstring>

namespace TavoroDemo {

void FrameReader::feed(const char* data, size_t n, std::vector<std::string>& frames) {
    size_t at = 0;
    while (at < n) {
        const void* nul = std::memchr(data + at, '\0', n - at);
        const size_t end = nul ? static_cast<size_t>(static_cast<const char*>(nul) - data) : n;
        if (!m_discarding) {
            m_pending.append(data + at, end - at);
            if (m_pending.size() > m_maxFrame) {
                m_pending.clear();
                m_pending.shrink_to_fit();
                m_discarding = true;
                ++m_dropped;
            }
        }
        if (!nul)
            break;
        if (m_discarding) {
            m_discarding = false;
        } else if (!m_pending.empty()) {
            frames.push_back(std::move(m_pending));
            m_pending.clear();
        }
        at = end + 1;
    }
}

}  // namespace TavoroDemo
