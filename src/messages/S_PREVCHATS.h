#pragma once

#include <cstdint>
#include <vector>

#include "messages/TavoroMessage.h"
#include "types/PrevChatType.h"

namespace Tavoro::Messages {

// "@PREVCHATS": a visitor's earlier chats: visitor key line, LF, chat records separated by ESC
// (a trailing ESC adds none).
class S_PREVCHATS {
  public:
    explicit S_PREVCHATS(const TavoroMessage& message);
    virtual ~S_PREVCHATS() = default;

    const wxString& site() const { return m_site; }
    const wxString& ipAddress() const { return m_ipAddress; }
    const std::vector<Types::PrevChatType>& chats() const { return m_chats; }
    int32_t count() const { return static_cast<int32_t>(m_chats.size()); }

  private:
    wxString m_site;
    wxString m_ipAddress;
    std::vector<Types::PrevChatType> m_chats;
};

}  // namespace Tavoro::Messages
