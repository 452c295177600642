#pragma once

#include "messages/TavoroMessage.h"

namespace Tavoro::Messages {

// "@FROMCLIENT": a text from another operator: sender, LF, text. With fewer than two lines both
// members stay empty. A text beginning with "~transfer~" offers a chat (see S_CHATTRANSFER).
class S_FROMCLIENT {
  public:
    explicit S_FROMCLIENT(const TavoroMessage& message);
    virtual ~S_FROMCLIENT() = default;

    const wxString& from() const { return m_from; }
    const wxString& text() const { return m_text; }
    bool isTransfer() const;

  private:
    wxString m_from;
    wxString m_text;
};

}  // namespace Tavoro::Messages
