#include "settings/TavoroSettings.h"

#include <wx/fileconf.h>
#include <wx/filename.h>
#include <wx/utils.h>

#include <sys/stat.h>

#include <cstdio>

namespace Tavoro {
namespace {

const char* const kAppName = "Tavoro Client";

const wchar_t* keyText(int id) {
    switch (id) {
        case SETTING_POPUP_DISPLAY_STYLE:
            return L"Popups/PopupDisplayStyle";
        case SETTING_LANGUAGE:
            return L"General/Language";
        case SETTING_POPUP_STYLE:
            return L"Popups/PopupStyle";
        case SETTING_ALWAYS_ASK_FOR_PASSWORD:
            return L"Options/AlwaysAskForPassword";
        case SETTING_AUTO_CHECK_SPELLING:
            return L"Spelling/AutomaticallyCheckSpelling";
        case SETTING_CONFIRM_CLOSE_CLIENT:
            return L"Options/ConfirmCloseClient";
        case SETTING_ELAPSED_TIME:
            return L"Options/ElapsedTime";
        case SETTING_HIDE_CLIENT_ON_STARTUP:
            return L"Options/HideClientOnStartup";
        case SETTING_LEAVE_CHAT_ON_SCREEN:
            return L"Options/LeaveChatOnScreen";
        case SETTING_POPUP_FOR_EXCEPTIONS:
            return L"Popups/PopupForExceptions";
        case SETTING_POPUP_FOR_NEW_VISITORS:
            return L"Popups/PopupForNewVisitors";
        case SETTING_RIGHT_TO_LEFT_TEXT:
            return L"Options/RightToLeftText";
        case SETTING_CHECK_SPELLING_AS_YOU_TYPE:
            return L"Spelling/CheckSpellingAsYouType";
        case SETTING_MINUTES_TO_LOG_OFF_AFTER:
            return L"Options/MinutesToLogOffAfter";
        case SETTING_CHATS_BEFORE_AUTO_BUSY:
            return L"Options/NumberOfChatBeforeAutoBusy";
        case SETTING_MINUTES_INACTIVE_UNTIL_LOGOFF:
            return L"Options/MinutesInactiveUntilAutoLogoff";
        case SETTING_CLIENT_PORT_NUMBER:
            return L"General/ClientPortNumber";
        case SETTING_AUTHENTICATION_STRING:
            return L"General/AuthenticationString";
        case SETTING_CALLBACK_SOUND_PATH:
            return L"Popups/CallbackSoundPath";
        case SETTING_CHAT_REQUEST_SOUND_PATH:
            return L"Popups/ChatRequestSoundPath";
        case SETTING_CHAT_TRANSFER_MESSAGE:
            return L"Options/ChatTransferMessage";
        case SETTING_DEPARTMENT_NAME:
            return L"General/DepartmentName";
        case SETTING_OPERATOR_NAME:
            return L"General/OperatorName";
        case SETTING_PASSWORD:
            return L"General/Password";
        case SETTING_PROSPECT_SOUND_PATH:
            return L"Popups/ProspectSoundPath";
        case SETTING_SMS_NUMBER:
            return L"General/SMSNumber";
        case SETTING_SERVER_DNS_IP:
            return L"General/ServerDNSIP";
        case SETTING_DEFAULT_CHAT_MESSAGE:
            return L"Options/DefaultChatMessage";
        case SETTING_USERNAME:
            return L"General/Username";
        case SETTING_NEW_VISITOR_SOUND_PATH:
            return L"Popups/NewVisitorSoundPath";
        case SETTING_HORIZONTAL_SASH:
            return L"Layout/HorizontalSash";
        case SETTING_VERTICAL_SASH:
            return L"Layout/VerticalSash";
        case SETTING_DEFAULT_STATUS:
            return L"General/DefaultStatus";
        case SETTING_INVITES_LAST_TEXT:
            return L"Invites/LastText";
        case SETTING_VISITORS_SASH:
            return L"Layout/VisitorsSash";
        case SETTING_CHAT_FRAME_HEIGHT:
            return L"Layout/VisitorChatFrame/Height";
        case SETTING_CHAT_FRAME_WIDTH:
            return L"Layout/VisitorChatFrame/Width";
        case SETTING_VISITOR_LIST_COLUMNS:
            return L"Layout/VisitorList/Columns";
        case SETTING_CHAT_REQUEST_REPEAT_SECONDS:
            return L"Popups/ChatRequestRepeatSeconds";
        case SETTING_USE_TLS:
            return L"Security/UseTLS";
        case SETTING_TLS_CA_FILE:
            return L"Security/TLSCAFile";
        case SETTING_TLS_PIN_SHA256:
            return L"Security/TLSPinSHA256";
        default:
            return L"Unknown";
    }
}

// Keys are absolute so that a changed current group can never redirect a read or write.
wxString absoluteKey(int id) {
    return wxString("/") + keyText(id);
}

wxString defaultLocalFile() {
    return wxFileConfig::GetLocalFileName(kAppName);
}

}  // namespace

TavoroSettings::TavoroSettings() : m_localFile(defaultLocalFile()) {
    m_config = std::make_unique<wxFileConfig>(kAppName, wxString(), wxString(), wxString(),
                                              wxCONFIG_USE_LOCAL_FILE | wxCONFIG_USE_GLOBAL_FILE,
                                              wxConvAuto());
    m_config->SetUmask(0077);
    // Writes reach the file only through flush(); the destructor must not save them.
    m_config->DisableAutoSave();
}

TavoroSettings::TavoroSettings(const wxString& localFile) : m_localFile(localFile) {
    m_config = std::make_unique<wxFileConfig>(kAppName, wxString(), localFile, wxString(),
                                              wxCONFIG_USE_LOCAL_FILE, wxConvAuto());
    m_config->SetUmask(0077);
    m_config->DisableAutoSave();
}

TavoroSettings::~TavoroSettings() = default;

wxString TavoroSettings::defaultFile() {
    return defaultLocalFile();
}

wxString TavoroSettings::keyOf(int id) {
    return keyText(id);
}

wxString TavoroSettings::getString(int id) const {
    wxString value;
    m_config->Read(absoluteKey(id), &value);
    return value;
}

wxString TavoroSettings::getString(int id, const wxString& fallback) const {
    wxString value;
    return m_config->Read(absoluteKey(id), &value) ? value : fallback;
}

long TavoroSettings::getInt(int id) const {
    wxString text;
    if (!m_config->Read(absoluteKey(id), &text)) {
        return -1;
    }
    long value = 0;
    return text.ToLong(&value) ? value : -1;
}

bool TavoroSettings::getBool(int id, bool fallback) const {
    wxString text;
    if (!m_config->Read(absoluteKey(id), &text)) {
        return fallback;
    }
    return text == "yes";
}

bool TavoroSettings::getBool(int id) const {
    return getBool(id, boolWhenMissing(id));
}

bool TavoroSettings::boolWhenMissing(int id) {
    return id == SETTING_CONFIRM_CLOSE_CLIENT;
}

bool TavoroSettings::exists(int id) const {
    return m_config->HasEntry(absoluteKey(id));
}

bool TavoroSettings::setString(int id, const wxString& value) {
    const bool ok = m_config->Write(absoluteKey(id), value);
    std::fputs(ok ? "wrote setting to file." : "could not save setting.", stdout);
    std::fflush(stdout);
    return ok;
}

bool TavoroSettings::setInt(int id, long value) {
    return setString(id, wxString::Format("%ld", value));
}

bool TavoroSettings::setBool(int id, bool value) {
    return setString(id, value ? "yes" : "no");
}

bool TavoroSettings::remove(int id) {
    return !m_config->HasEntry(absoluteKey(id)) || m_config->DeleteEntry(absoluteKey(id), false);
}

bool TavoroSettings::flush() {
    const bool ok = m_config->Flush();
    restrictFileMode();
    return ok;
}

void TavoroSettings::restrictFileMode() const {
    // A file created by an older run, or by hand, may be readable by others: tighten it.
    const wxScopedCharBuffer path = m_localFile.fn_str();
    struct stat st;
    if (::stat(path, &st) == 0 && (st.st_mode & 0077) != 0) {
        ::chmod(path, st.st_mode & 0700);
    }
}

namespace {
std::unique_ptr<TavoroSettings>& instance() {
    static std::unique_ptr<TavoroSettings> settings;
    return settings;
}
}  // namespace

TavoroSettings& getSettings() {
    auto& settings = instance();
    if (!settings) {
        wxString file;
        if (wxGetEnv("TAVORO_SETTINGS_FILE", &file) && !file.empty()) {
            settings = std::make_unique<TavoroSettings>(file);
        } else {
            settings = std::make_unique<TavoroSettings>();
        }
    }
    return *settings;
}

void disposeSettings() {
    instance().reset();
}

unsigned short serverPortOf(const TavoroSettings& settings) {
    // getInt reads a missing or non-numeric value as -1.
    const long stored = settings.getInt(SETTING_CLIENT_PORT_NUMBER);
    return (stored >= 1 && stored <= 65535) ? static_cast<unsigned short>(stored)
                                            : kDefaultServerPort;
}

long chatRequestRepeatSecondsOf(const TavoroSettings& settings) {
    // getInt reads a missing or non-numeric value as -1.
    const long stored = settings.getInt(SETTING_CHAT_REQUEST_REPEAT_SECONDS);
    return (stored >= 0 && stored <= kMaxChatRequestRepeatSeconds)
               ? stored
               : kDefaultChatRequestRepeatSeconds;
}

}  // namespace Tavoro
