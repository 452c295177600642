#include "messages/ChatTranscript.h"

#include <wx/translation.h>

#include "tools/HtmlText.h"
#include "tools/Placeholders.h"
#include "tools/wxStringSplitter.h"

namespace Tavoro::Messages {

using Tools::wxStringSplitter;

bool ChatTranscript::fragment(const wxString& time, const wxString& speaker,
                              const wxString& message, const wxString& visitorName,
                              const std::vector<wxString>& operators, size_t limit, wxString& out) {
    // Transcript lines are text: escaped, with their web addresses made clickable.
    const wxString shownMessage = Tools::linkifyEscaped(Tools::escapeHtml(message));
    if (speaker == "0") {
        out = Tools::fillPlaceholders(
            _("<font color='#AAAAAA'>%VISITORNAME% said at %TIME%:</font><br><font "
              "color='#000000'>%MESSAGE%</font><br>"),
            {{"%TIME%", Tools::escapeHtml(time)},
             {"%VISITORNAME%", Tools::escapeHtml(visitorName)},
             {"%MESSAGE%", shownMessage}});
    } else {
        const long n = Tools::parseLeadingLong(speaker);
        const bool known = n >= 1 && static_cast<unsigned long>(n) <= operators.size();
        const wxString name = known ? operators[static_cast<size_t>(n - 1)] : wxString();
        out = Tools::fillPlaceholders(
            _("<font color='#AAAAAA'>%OPERATORNAME% said at %TIME%:</font><br><font "
              "color='#0000FF'>%MESSAGE%</font><br>"),
            {{"%TIME%", Tools::escapeHtml(time)},
             {"%OPERATORNAME%", Tools::escapeHtml(name)},
             {"%MESSAGE%", shownMessage}});
    }
    return out.length() <= limit;
}

ChatTranscript::ChatTranscript(const wxString& data, unsigned firstShownLine) {
    const wxStringSplitter parts(data, wxChar(27), true);
    const wxStringSplitter header(parts.item(0), '\n', true);
    const wxStringSplitter key(header.item(0), ':', true);
    m_site = key.item(0);
    m_ipAddress = key.item(1);
    m_keyTail = key.item(2);
    const wxStringSplitter details(header.item(1), '\t', true);
    for (unsigned i = 0; i < 4; ++i)
        m_details[i] = details.item(i);

    const wxStringSplitter names(operatorNames(), ',', true);
    m_operators.reserve(names.count());
    for (unsigned i = 0; i < names.count(); ++i)
        m_operators.push_back(names.item(i));

    // A trailing CR adds no line; an empty line between two CR does.
    const wxStringSplitter lines(parts.item(1), '\r', false);
    wxString piece;
    for (unsigned i = firstShownLine; i < lines.count(); ++i) {
        const wxStringSplitter fields(lines.item(i), '\t', true);
        if (!fragment(fields.item(0), fields.item(1), fields.item(2), visitorName(), m_operators,
                      kMaxHtmlLength - m_html.length(), piece)) {
            break;
        }
        m_html += piece;
    }
}

const wxString& ChatTranscript::detail(unsigned i) const {
    static const wxString empty;
    return i < 4 ? m_details[i] : empty;
}

}  // namespace Tavoro::Messages
