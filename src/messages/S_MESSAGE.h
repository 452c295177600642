#pragma once

#include "messages/TavoroMessage.h"

namespace Tavoro::Messages {

// "@MESSAGE": a line a visitor typed into a chat: chat identifier, LF, text. Data without an LF
// leaves both members empty; text after a second LF is not part of the message.
class S_MESSAGE {
  public:
    explicit S_MESSAGE(const TavoroMessage& message);
    virtual ~S_MESSAGE() = default;

    const wxString& chatId() const { return m_chatId; }
    const wxString& text() const { return m_text; }
    // The server's signal that the visitor closed the chat.
    bool visitorLeft() const;

  private:
    wxString m_chatId;
    wxString m_text;
};

}  // namespace Tavoro::Messages
