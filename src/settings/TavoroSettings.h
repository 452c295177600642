#pragma once

#include <wx/string.h>

#include <memory>

class wxFileConfig;

namespace Tavoro {

class PasswordKeeper;

// Setting ids; each maps to one key "Group/Name" of the per-user configuration file.
enum SettingId : int {
    SETTING_UNKNOWN = 1,
    SETTING_POPUP_DISPLAY_STYLE = 2,
    SETTING_LANGUAGE = 3,
    SETTING_POPUP_STYLE = 4,
    SETTING_ALWAYS_ASK_FOR_PASSWORD = 5,
    SETTING_AUTO_CHECK_SPELLING = 6,
    SETTING_CONFIRM_CLOSE_CLIENT = 7,
    SETTING_ELAPSED_TIME = 8,
    SETTING_HIDE_CLIENT_ON_STARTUP = 9,
    SETTING_LEAVE_CHAT_ON_SCREEN = 10,
    SETTING_POPUP_FOR_EXCEPTIONS = 11,
    SETTING_POPUP_FOR_NEW_VISITORS = 12,
    SETTING_RIGHT_TO_LEFT_TEXT = 13,
    SETTING_CHECK_SPELLING_AS_YOU_TYPE = 14,
    SETTING_MINUTES_TO_LOG_OFF_AFTER = 15,
    SETTING_CHATS_BEFORE_AUTO_BUSY = 16,
    SETTING_MINUTES_INACTIVE_UNTIL_LOGOFF = 17,
    SETTING_CLIENT_PORT_NUMBER = 18,
    SETTING_AUTHENTICATION_STRING = 19,
    SETTING_CALLBACK_SOUND_PATH = 20,
    SETTING_CHAT_REQUEST_SOUND_PATH = 21,
    SETTING_CHAT_TRANSFER_MESSAGE = 22,
    SETTING_DEPARTMENT_NAME = 23,
    SETTING_OPERATOR_NAME = 24,
    SETTING_PASSWORD = 25,
    SETTING_PROSPECT_SOUND_PATH = 26,
    SETTING_SMS_NUMBER = 27,
    SETTING_SERVER_DNS_IP = 28,
    SETTING_DEFAULT_CHAT_MESSAGE = 29,
    SETTING_USERNAME = 30,
    SETTING_NEW_VISITOR_SOUND_PATH = 31,
    SETTING_HORIZONTAL_SASH = 32,
    SETTING_VERTICAL_SASH = 33,
    SETTING_DEFAULT_STATUS = 34,
    SETTING_INVITES_LAST_TEXT = 35,
    SETTING_VISITORS_SASH = 200,
    SETTING_CHAT_FRAME_HEIGHT = 300,
    SETTING_CHAT_FRAME_WIDTH = 301,
    SETTING_VISITOR_LIST_COLUMNS = 1000,
    SETTING_CHAT_REQUEST_REPEAT_SECONDS = 1001,
    // The connection's transport security (group "Security").
    SETTING_USE_TLS = 1100,
    SETTING_TLS_CA_FILE = 1101,
    SETTING_TLS_PIN_SHA256 = 1102,
};

// The server port a connection uses when the settings hold none that is valid.
constexpr unsigned short kDefaultServerPort = 8011;

// The operator's persistent settings, one store per process. Values are text in the file;
// writes stay in memory until flush(). The file holds the password, so it is kept private
// to its owner (mode 0600).
class TavoroSettings {
  public:
    // The per-user file of the application "Tavoro Client" ($HOME/.Tavoro Client), together
    // with the read-only global file.
    TavoroSettings();
    // A store on an explicit file (tests, demo runs); no global file.
    explicit TavoroSettings(const wxString& localFile);
    virtual ~TavoroSettings();
    // The per-user file the first constructor reads.
    static wxString defaultFile();

    TavoroSettings(const TavoroSettings&) = delete;
    TavoroSettings& operator=(const TavoroSettings&) = delete;

    static wxString keyOf(int id);

    wxString getString(int id) const;
    wxString getString(int id, const wxString& fallback) const;
    // The whole value read as a decimal integer; -1 when missing or not a number.
    long getInt(int id) const;
    // Whether the value is exactly "yes"; the fallback when the key is missing.
    bool getBool(int id, bool fallback) const;
    // Whether the value is exactly "yes"; boolWhenMissing(id) when the key is missing.
    bool getBool(int id) const;
    // What a missing yes/no setting means, for every place that reads or shows it: only
    // "Confirm Close Client" is on; everything else, the pop-up notices included, is off until
    // the operator switches it on.
    static bool boolWhenMissing(int id);
    bool exists(int id) const;

    bool setString(int id, const wxString& value);
    bool setInt(int id, long value);
    bool setBool(int id, bool value);
    // Removes the key from the file (at the next flush).
    bool remove(int id);

    // Where the password is kept instead of the file, when the desktop offers a place (see
    // LoginSettings.h); null: the file keeps it.
    void setPasswordKeeper(PasswordKeeper* keeper) { m_passwordKeeper = keeper; }
    PasswordKeeper* passwordKeeper() const { return m_passwordKeeper; }

    // Writes pending changes to the file and keeps it private to its owner.
    bool flush();
    // The per-user file this store reads and writes.
    const wxString& localFile() const { return m_localFile; }

  private:
    void restrictFileMode() const;

    std::unique_ptr<wxFileConfig> m_config;
    wxString m_localFile;
    PasswordKeeper* m_passwordKeeper = nullptr;
};

// The process-wide store, created and loaded on first use. When the environment variable
// TAVORO_SETTINGS_FILE names a file, that file is used instead of the per-user one (the demo
// run keeps the operator's real settings untouched this way).
TavoroSettings& getSettings();
// Destroys the process-wide store (at application exit); it does not flush.
void disposeSettings();

// The stored server port; kDefaultServerPort when it is missing, not a number, or outside 1 to
// 65535 (a stored 0 included).
unsigned short serverPortOf(const TavoroSettings& settings);

// How often the chat-request sound is heard again while a chat waits to be picked up, in
// seconds; 0 means once. A missing, unreadable, negative or larger than an hour value reads as
// kDefaultChatRequestRepeatSeconds.
constexpr long kDefaultChatRequestRepeatSeconds = 15;
constexpr long kMaxChatRequestRepeatSeconds = 3600;
long chatRequestRepeatSecondsOf(const TavoroSettings& settings);

}  // namespace Tavoro
