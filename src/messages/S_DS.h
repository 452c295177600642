#pragma once

#include <cstdint>
#include <vector>

#include "messages/TavoroMessage.h"
#include "types/DaySummary.h"

namespace Tavoro::Messages {

// "@DS": the day summaries of the sites, records separated by ESC (a trailing ESC adds none).
class S_DS {
  public:
    explicit S_DS(const TavoroMessage& message);
    virtual ~S_DS() = default;

    int32_t count() const { return static_cast<int32_t>(m_summaries.size()); }
    const std::vector<Types::DaySummary>& summaries() const { return m_summaries; }

  private:
    std::vector<Types::DaySummary> m_summaries;
};

}  // namespace Tavoro::Messages
