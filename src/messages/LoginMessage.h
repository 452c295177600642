#pragma once

#include "messages/TavoroMessage.h"
#include "types/OperatorStatus.h"

namespace Tavoro::Messages {

// What the operator logs in with, as stored in the operator's settings (the caller reads them).
struct LoginDetails {
    wxString authenticationString;
    wxString operatorName;
    wxString departmentName;
    wxString userName;
    wxString password;
    // The status to announce when no other is given, sent as stored.
    wxString defaultStatus = Types::operatorStatusField(Types::OperatorStatus::Online);
    // The operator's language, as the server knows it.
    wxString language = "en";
};

// "@LOGIN" with nine TAB-separated fields: authentication string, operator name, department,
// (empty), client version, status, language, username, password.
class LoginMessage : public TavoroMessage {
  public:
    // The status sent is the default status of the details.
    explicit LoginMessage(const LoginDetails& details);
    // The status sent is the one given.
    LoginMessage(const LoginDetails& details, Types::OperatorStatus status);
    // The same with the status as its number, sent as it is.
    LoginMessage(const LoginDetails& details, int status);

    // The client version sent in field 4.
    static wxString clientVersion();
    // A setting value made safe as one field: a TAB inside it would shift every later field,
    // so TAB (and the line and record separators) become spaces.
    static wxString asField(const wxString& value);

  private:
    LoginMessage(const LoginDetails& details, const wxString& status);
};

}  // namespace Tavoro::Messages
