#include "settings/LoginSettings.h"

#include "settings/PasswordKeeper.h"
#include "settings/TavoroSettings.h"

namespace Tavoro {

Messages::LoginDetails loginDetailsOf(const TavoroSettings& settings) {
    Messages::LoginDetails details;
    details.authenticationString = settings.getString(SETTING_AUTHENTICATION_STRING, wxString());
    details.operatorName = settings.getString(SETTING_OPERATOR_NAME, wxString());
    details.departmentName = settings.getString(SETTING_DEPARTMENT_NAME, wxString());
    details.userName = settings.getString(SETTING_USERNAME, wxString());
    details.password = storedPassword(settings);
    details.defaultStatus = settings.getString(
        SETTING_DEFAULT_STATUS, Types::operatorStatusField(Types::OperatorStatus::Online));
    // "My Language" when the operator has set one; the server's default otherwise.
    const wxString language =
        settings.getString(SETTING_LANGUAGE, wxString()).Strip(wxString::both);
    if (!language.empty())
        details.language = language;
    return details;
}

namespace {

wxString serverOf(const TavoroSettings& settings) {
    return settings.getString(SETTING_SERVER_DNS_IP).Strip(wxString::both);
}

wxString userOf(const TavoroSettings& settings) {
    return settings.getString(SETTING_USERNAME);
}

PasswordKeeper* answeringKeeper(const TavoroSettings& settings) {
    PasswordKeeper* keeper = settings.passwordKeeper();
    return keeper && keeper->available() ? keeper : nullptr;
}

}  // namespace

PasswordPlace passwordPlaceOf(const TavoroSettings& settings) {
    if (settings.getBool(SETTING_ALWAYS_ASK_FOR_PASSWORD))
        return PasswordPlace::Nowhere;
    return answeringKeeper(settings) ? PasswordPlace::Keeper : PasswordPlace::SettingsFile;
}

wxString storedPassword(const TavoroSettings& settings) {
    if (PasswordKeeper* keeper = answeringKeeper(settings)) {
        if (auto kept = keeper->find(serverOf(settings), userOf(settings)))
            return *kept;
    }
    return settings.getString(SETTING_PASSWORD, wxString());
}

PasswordPlace storePassword(TavoroSettings& settings, const wxString& password) {
    PasswordKeeper* keeper = answeringKeeper(settings);
    PasswordPlace place = passwordPlaceOf(settings);
    if (place == PasswordPlace::Keeper &&
        !keeper->store(serverOf(settings), userOf(settings), password))
        place = PasswordPlace::SettingsFile;  // the keyring refused: the file keeps it
    if (place != PasswordPlace::Keeper && keeper)
        keeper->erase(serverOf(settings), userOf(settings));
    if (place == PasswordPlace::SettingsFile)
        settings.setString(SETTING_PASSWORD, password);
    else
        settings.remove(SETTING_PASSWORD);
    return place;
}

bool movePasswordToKeeper(TavoroSettings& settings) {
    const wxString inFile = settings.getString(SETTING_PASSWORD, wxString());
    if (inFile.empty() || passwordPlaceOf(settings) != PasswordPlace::Keeper)
        return false;
    if (!settings.passwordKeeper()->store(serverOf(settings), userOf(settings), inFile))
        return false;
    settings.remove(SETTING_PASSWORD);
    settings.flush();
    return true;
}

Types::OperatorStatus defaultStatusOf(const TavoroSettings& settings) {
    return Types::operatorStatusOr(settings.getInt(SETTING_DEFAULT_STATUS),
                                   Types::OperatorStatus::Online);
}

void setDefaultStatus(TavoroSettings& settings, Types::OperatorStatus status) {
    settings.setInt(SETTING_DEFAULT_STATUS, Types::statusNumber(status));
}

}  // namespace Tavoro
