#pragma once

#include <wx/string.h>

#include <cstdint>
#include <map>

#include "messages/TavoroMessage.h"

namespace Tavoro::Messages {

// "@SS": one site's settings for the site properties dialog: a header line, then one line per
// setting, "Name=value", lines separated by LF. Settings are kept by number (see numberOfName);
// every name outside the table has number 0, so those share one slot and the last one wins.
class S_SS {
  public:
    enum Setting : int32_t {
        SS_UNKNOWN = 0,
        SS_GROUP = 1,
        SS_DOMAIN = 2,
        SS_NAME = 3,
        SS_SITE_KEY = 4,
        SS_GATEWAY_ADDRESS = 5,
        SS_GATEWAY_ADDRESS_SSL = 6,
        SS_HOME_PAGE = 7,
        SS_GMT_BIAS_USE_DEFAULT = 8,
        SS_GMT_BIAS = 9,
        SS_CHAT_ONLINE_GRAPHIC = 10,
        SS_CHAT_OFFLINE_GRAPHIC = 11,
        SS_CHAT_INVITE_GRAPHIC = 12,
        SS_CHAT_INVITE_CUSTOM_GRAPHIC = 13,
        SS_CHAT_WARNING_GRAPHIC = 14,
        SS_CHAT_LOGO_GRAPHIC = 15,
    };

    explicit S_SS(const TavoroMessage& message);
    virtual ~S_SS() = default;

    // Setting number of a name ("Group" 1 ... "ChatLogoGraphic" 15, case-sensitive); 0 for any
    // other name. The table is fixed: names from the server are never added to it.
    static int32_t numberOfName(const wxString& name);

    const wxString& header() const { return m_header; }
    const std::map<int32_t, wxString>& values() const { return m_values; }

    // Reads of a setting the message did not carry enter it with an empty value.
    wxString textValue(int32_t number);
    // The value read as a decimal integer (leading sign and digits); 0 when none.
    long intValue(int32_t number);
    // True exactly when the value is "True" (case-sensitive).
    bool boolValue(int32_t number);

    void setTextValue(int32_t number, const wxString& value) { m_values[number] = value; }

  private:
    wxString m_header;
    std::map<int32_t, wxString> m_values;
};

}  // namespace Tavoro::Messages
