#include "messages/LoginMessage.h"

#include "tavoro/Version.h"

namespace Tavoro::Messages {
namespace {

const wxChar kTab = 9;

}  // namespace

LoginMessage::LoginMessage(const LoginDetails& details)
    : LoginMessage(details, details.defaultStatus) {}

LoginMessage::LoginMessage(const LoginDetails& details, Types::OperatorStatus status)
    : LoginMessage(details, Types::operatorStatusField(status)) {}

LoginMessage::LoginMessage(const LoginDetails& details, int status)
    : LoginMessage(details, wxString::Format("%d", status)) {}

LoginMessage::LoginMessage(const LoginDetails& details, const wxString& status) {
    m_kind = MK_LOGIN;
    m_command = "@LOGIN";
    const wxString fields[] = {
        details.authenticationString,
        details.operatorName,
        details.departmentName,
        wxString(),
        clientVersion(),
        status,
        details.language,
        details.userName,
        details.password,
    };
    wxString data;
    for (size_t i = 0; i < sizeof(fields) / sizeof(fields[0]); ++i) {
        if (i > 0)
            data += kTab;
        data += asField(fields[i]);
    }
    m_data = data;
}

wxString LoginMessage::clientVersion() {
    return wxString("LC-") + kClientVersion;
}

wxString LoginMessage::asField(const wxString& value) {
    wxString out = value;
    for (auto it = out.begin(); it != out.end(); ++it) {
        const auto c = (*it).GetValue();
        if (c == 9 || c == 10 || c == 13 || c == 27)
            *it = ' ';
    }
    return out;
}

}  // namespace Tavoro::Messages
