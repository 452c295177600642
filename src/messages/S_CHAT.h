#pragma once

#include "messages/TavoroMessage.h"

namespace Tavoro::Messages {

// "@CHAT" from the server: a visitor asks for a chat. Three ":"-separated fields; with two or
// fewer every member stays empty, and anything after a third ":" is not part of the message.
class S_CHAT {
  public:
    explicit S_CHAT(const TavoroMessage& message);
    virtual ~S_CHAT() = default;

    const wxString& text0() const { return m_text0; }
    const wxString& domain() const { return m_domain; }
    const wxString& visitorName() const { return m_visitorName; }

  private:
    wxString m_text0;
    wxString m_domain;
    wxString m_visitorName;
};

}  // namespace Tavoro::Messages
