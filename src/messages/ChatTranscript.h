#pragma once

#include <wx/string.h>

#include <cstddef>
#include <vector>

namespace Tavoro::Messages {

// The chat text carried by "@CURRENTCHAT" and "@PREVCHAT": a header of two LF-separated lines
// (the visitor key "site:ip:tail", then TAB-separated fields of which 1 is the visitor name,
// 2 the operator names separated by "," and 3 a further text), ESC, then the transcript lines
// separated by CR, each "time TAB speaker TAB message".
//
// Each shown line becomes one HTML fragment from a translated template. Speaker "0" is the
// visitor; any other speaker n names operator n (1-based) of the header's list, or nobody when
// n is out of range. The values are HTML-escaped (the message's web addresses become links) and
// put into the template in one pass, so a value that holds a placeholder's name shows as it is.
//
// The HTML is limited to kMaxHtmlLength characters: the lines whose fragments would go past it
// are left out.
class ChatTranscript {
  public:
    static constexpr size_t kMaxHtmlLength = 4 * 1024 * 1024;

    // firstShownLine: transcript lines before it are not shown ("@PREVCHAT" starts at 1).
    ChatTranscript(const wxString& data, unsigned firstShownLine);
    virtual ~ChatTranscript() = default;

    const wxString& site() const { return m_site; }
    const wxString& ipAddress() const { return m_ipAddress; }
    const wxString& keyTail() const { return m_keyTail; }
    // Field i (0 to 3) of the header's second line.
    const wxString& detail(unsigned i) const;
    const wxString& visitorName() const { return detail(1); }
    const wxString& operatorNames() const { return detail(2); }
    const std::vector<wxString>& operators() const { return m_operators; }
    const wxString& html() const { return m_html; }

    // The fragment of one transcript line, or false when it would be longer than limit.
    static bool fragment(const wxString& time, const wxString& speaker, const wxString& message,
                         const wxString& visitorName, const std::vector<wxString>& operators,
                         size_t limit, wxString& out);

  private:
    wxString m_site;
    wxString m_ipAddress;
    wxString m_keyTail;
    wxString m_details[4];
    std::vector<wxString> m_operators;
    wxString m_html;
};

}  // namespace Tavoro::Messages
