#pragma once

#include <wx/string.h>

#include "messages/TavoroMessage.h"

namespace Tavoro::Messages {

// The server's greeting. Its data is not read; the instance supplies the product name that the
// "Connected to ..." status text shows.
class HelloMessage {
  public:
    HelloMessage();
    explicit HelloMessage(const TavoroMessage& message);
    virtual ~HelloMessage() = default;

    // The translated product name "Tavoro".
    const wxString& productName() const { return m_productName; }

  private:
    wxString m_productName;
};

}  // namespace Tavoro::Messages
