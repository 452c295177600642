#pragma once

#include "messages/TavoroMessage.h"

namespace Tavoro {
class TavoroSettings;
}

namespace Tavoro::Messages {

// "@LOGIN" with nine TAB-separated fields built from the operator's settings: authentication
// string, operator name, department, (empty), client version, default status, language,
// username, password.
class LoginMessage : public TavoroMessage {
  public:
    // The status sent is the stored default status.
    explicit LoginMessage(const Tavoro::TavoroSettings& settings);
    // The status sent is the one given (0 Online .. 3 Away).
    LoginMessage(const Tavoro::TavoroSettings& settings, int status);

    // The client version sent in field 4.
    static wxString clientVersion();
    // A setting value made safe as one field: a TAB inside it would shift every later field,
    // so TAB (and the line and record separators) become spaces.
    static wxString asField(const wxString& value);

  private:
    LoginMessage(const Tavoro::TavoroSettings& settings, const wxString& status);
};

}  // namespace Tavoro::Messages
