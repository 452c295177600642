#include "settings/LoginSettings.h"

#include "settings/TavoroSettings.h"

namespace Tavoro {

Messages::LoginDetails loginDetailsOf(const TavoroSettings& settings) {
    Messages::LoginDetails details;
    details.authenticationString = settings.getString(SETTING_AUTHENTICATION_STRING, wxString());
    details.operatorName = settings.getString(SETTING_OPERATOR_NAME, wxString());
    details.departmentName = settings.getString(SETTING_DEPARTMENT_NAME, wxString());
    details.userName = settings.getString(SETTING_USERNAME, wxString());
    details.password = settings.getString(SETTING_PASSWORD, wxString());
    details.defaultStatus = settings.getString(
        SETTING_DEFAULT_STATUS, Types::operatorStatusField(Types::OperatorStatus::Online));
    // "My Language" when the operator has set one; the server's default otherwise.
    const wxString language =
        settings.getString(SETTING_LANGUAGE, wxString()).Strip(wxString::both);
    if (!language.empty())
        details.language = language;
    return details;
}

Types::OperatorStatus defaultStatusOf(const TavoroSettings& settings) {
    return Types::operatorStatusOr(settings.getInt(SETTING_DEFAULT_STATUS),
                                   Types::OperatorStatus::Online);
}

void setDefaultStatus(TavoroSettings& settings, Types::OperatorStatus status) {
    settings.setInt(SETTING_DEFAULT_STATUS, Types::statusNumber(status));
}

}  // namespace Tavoro
