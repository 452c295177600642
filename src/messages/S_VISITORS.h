#pragma once

#include <cstdint>
#include <vector>

#include "messages/TavoroMessage.h"
#include "types/VisitorChatType.h"

namespace Tavoro::Messages {

// "@VISITORS": every visitor who is chatting or waiting for a chat, records separated by ESC.
// It replaces the previous list entirely; a count of 0 means nobody is chatting.
class S_VISITORS {
  public:
    explicit S_VISITORS(const TavoroMessage& message);
    virtual ~S_VISITORS() = default;

    int32_t count() const { return static_cast<int32_t>(m_records.size()); }
    const std::vector<Types::VisitorChatType>& records() const { return m_records; }

  private:
    std::vector<Types::VisitorChatType> m_records;
};

}  // namespace Tavoro::Messages
