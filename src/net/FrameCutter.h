#pragma once

#include <cstddef>
#include <functional>
#include <string>

namespace Tavoro::Net {

// Cuts a byte stream into NUL-terminated frames. Bytes without their NUL wait in a pending
// buffer for the next read. One frame is capped: a frame that grows past the cap is dropped
// whole and the cutter resynchronises at the next NUL, so a peer that never sends a NUL
// cannot make the client's memory grow without bound.
class FrameCutter {
  public:
    static constexpr size_t kDefaultMaxFrame = 16u * 1024u * 1024u;

    explicit FrameCutter(size_t maxFrame = kDefaultMaxFrame) : m_maxFrame(maxFrame) {}

    // Feeds received bytes; calls onFrame once per complete, non-empty frame, in order.
    void feed(const char* data, size_t size, const std::function<void(std::string&&)>& onFrame);

    size_t pendingSize() const { return m_pending.size(); }
    // Number of oversize frames dropped so far.
    size_t droppedFrames() const { return m_dropped; }

  private:
    size_t m_maxFrame;
    std::string m_pending;
    bool m_discarding = false;  // inside an oversize frame, skipping up to its NUL
    size_t m_dropped = 0;
};

}  // namespace Tavoro::Net
