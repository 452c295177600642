#pragma once

#include <wx/string.h>

#include <array>
#include <cstdint>
#include <ostream>

namespace Tavoro::Types {

// The fields of one visitor line as the server sends it (TAB-separated):
//   0 visitor key "site:ip:tail"   1 number           2 visit text      3 raised alert id
//   4 page views                   5 text5            6 DNS             7 text7
//   8 username                     9 on page         10 text10         11 last time
//  12 browser                     13 op sys          14 flag characters 15..18 text15..18
//  19 location                    20 referrer        21 start time
// Shared by the visitor record (VisitorType) and the visitor event message (S_EV), which read
// the same layout with different minimum field counts.
class VisitorFields {
  public:
    static constexpr unsigned kFlagCount = 13;

    VisitorFields() = default;
    virtual ~VisitorFields() = default;

    int32_t number() const { return m_number; }
    int32_t pageViews() const { return m_pageViews; }
    const wxString& numberText() const { return m_numberText; }
    const wxString& site() const { return m_site; }
    const wxString& ipAddress() const { return m_ipAddress; }
    const wxString& dns() const { return m_dns; }
    const wxString& text7() const { return m_text7; }
    const wxString& username() const { return m_username; }
    const wxString& keyTail() const { return m_keyTail; }
    const wxString& visitText() const { return m_visitText; }
    const wxString& onPage() const { return m_onPage; }
    const wxString& text5() const { return m_text5; }
    const wxString& startTime() const { return m_startTime; }
    const wxString& lastTime() const { return m_lastTime; }
    const wxString& browser() const { return m_browser; }
    const wxString& opSys() const { return m_opSys; }
    const wxString& raisedAlertId() const { return m_raisedAlertId; }
    const wxString& referrer() const { return m_referrer; }
    const wxString& text10() const { return m_text10; }
    const wxString& text15() const { return m_text15; }
    const wxString& text16() const { return m_text16; }
    const wxString& text17() const { return m_text17; }
    const wxString& text18() const { return m_text18; }
    const wxString& viewsText() const { return m_viewsText; }
    const wxString& visitorKey() const { return m_visitorKey; }
    const wxString& location() const { return m_location; }

    // Flag by its character position in field 14 (0 to 12): true when that character is "Y".
    // Positions past the end of the flag text, or past 12, are false.
    bool flag(unsigned position) const { return position < kFlagCount && m_flags[position]; }
    const std::array<bool, kFlagCount>& flags() const { return m_flags; }

    bool operator==(const VisitorFields& other) const;
    bool operator!=(const VisitorFields& other) const { return !(*this == other); }

  protected:
    // Fills every member from a TAB-separated visitor line when it has more than
    // fewestRejected fields; otherwise leaves the members as they are and returns false.
    bool parseLine(const wxString& line, unsigned fewestRejected);

    int32_t m_number = 0;
    int32_t m_pageViews = 0;
    wxString m_numberText;
    wxString m_site;
    wxString m_ipAddress;
    wxString m_dns;
    wxString m_text7;
    wxString m_username;
    wxString m_keyTail;
    wxString m_visitText;
    wxString m_onPage;
    wxString m_text5;
    wxString m_startTime;
    wxString m_lastTime;
    wxString m_browser;
    wxString m_opSys;
    wxString m_raisedAlertId;
    wxString m_referrer;
    wxString m_text10;
    wxString m_text15;
    wxString m_text16;
    wxString m_text17;
    wxString m_text18;
    wxString m_viewsText;
    wxString m_visitorKey;
    wxString m_location;
    std::array<bool, kFlagCount> m_flags{};
};

std::ostream& operator<<(std::ostream& out, const VisitorFields& fields);

}  // namespace Tavoro::Types
