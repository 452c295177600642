#pragma once

#include <cstdint>
#include <vector>

#include "messages/TavoroMessage.h"
#include "types/ClientType.h"

namespace Tavoro::Messages {

// "@CLIENTS": the logged-in operators, records separated by ESC. The main window keeps the
// latest one as its operator list and names operators by connection number through it.
class S_CLIENTS {
  public:
    explicit S_CLIENTS(const TavoroMessage& message);
    virtual ~S_CLIENTS() = default;

    int32_t count() const { return static_cast<int32_t>(m_operators.size()); }
    const std::vector<Types::ClientType>& operators() const { return m_operators; }
    // The operator with that connection number, or null.
    const Types::ClientType* findByConnection(const wxString& connection) const;

  private:
    std::vector<Types::ClientType> m_operators;
};

}  // namespace Tavoro::Messages
