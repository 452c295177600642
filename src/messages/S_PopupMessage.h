#pragma once

#include <cstdint>

#include "messages/TavoroMessage.h"

namespace Tavoro::Messages {

// "@POPUP": a notification; a kind letter field, TAB, the text. With fewer than two fields
// nothing is set.
class S_PopupMessage {
  public:
    // What the notice announces, by the first character of field 0: "A", "P", "C", "E";
    // anything else is POPUP_NONE and shows nothing.
    enum Kind : int32_t {
        POPUP_NONE = 0,
        POPUP_NEW_VISITOR = 1,
        POPUP_NEW_PROSPECT = 2,
        POPUP_NEW_CUSTOMER = 3,
        POPUP_NEW_EXCEPTION = 4,
    };

    explicit S_PopupMessage(const TavoroMessage& message);
    virtual ~S_PopupMessage() = default;

    Kind kind() const { return m_kind; }
    const wxString& text() const { return m_text; }

  private:
    Kind m_kind = POPUP_NONE;
    wxString m_text;
};

}  // namespace Tavoro::Messages
