#include "messages/LoginMessage.h"

#include "settings/TavoroSettings.h"
#include "tavoro/Version.h"

namespace Tavoro::Messages {
namespace {

const wxChar kTab = 9;

}  // namespace

LoginMessage::LoginMessage(const Tavoro::TavoroSettings& settings)
    : LoginMessage(settings, settings.getString(SETTING_DEFAULT_STATUS, "0")) {}

LoginMessage::LoginMessage(const Tavoro::TavoroSettings& settings, int status)
    : LoginMessage(settings, wxString::Format("%d", status)) {}

LoginMessage::LoginMessage(const Tavoro::TavoroSettings& settings, const wxString& status) {
    m_kind = MK_LOGIN;
    m_command = "@LOGIN";
    const wxString fields[] = {
        settings.getString(SETTING_AUTHENTICATION_STRING, wxString()),
        settings.getString(SETTING_OPERATOR_NAME, wxString()),
        settings.getString(SETTING_DEPARTMENT_NAME, wxString()),
        wxString(),
        clientVersion(),
        status,
        "en",
        settings.getString(SETTING_USERNAME, wxString()),
        settings.getString(SETTING_PASSWORD, wxString()),
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
