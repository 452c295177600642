#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace TavoroDemo {

// Cuts a received byte stream into NUL-terminated frames. Empty frames are skipped. A frame
// that grows beyond the size limit before its NUL arrives is dropped, and reading resumes after
// the next NUL, so a peer sending garbage cannot make the server hold unbounded memory.
class FrameReader {
  public:
    static constexpr size_t kMaxFrame = 16u * 1024u * 1024u;

    explicit FrameReader(size_t maxFrame = kMaxFrame) : m_maxFrame(maxFrame) {}

    // Appends received bytes; complete frame bodies are added to frames.
    void feed(const char* data, size_t n, std::vector<std::string>& frames);

    // Number of oversized frames dropped so far.
    size_t droppedFrames() const { return m_dropped; }

  private:
    size_t m_maxFrame;
    std::string m_pending;
    bool m_discarding = false;
    size_t m_dropped = 0;
};

}  // namespace TavoroDemo
