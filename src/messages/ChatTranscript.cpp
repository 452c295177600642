#include "messages/ChatTranscript.h"

#include <wx/translation.h>

#include "tools/HtmlText.h"
#include "tools/wxStringSplitter.h"

namespace Tavoro::Messages {
namespace {

using Tools::wxStringSplitter;

// Replaces every occurrence of pattern, left to right and without searching the inserted text
// again (as wxString::Replace does), unless the result would be longer than limit.
bool replaceWithin(wxString& text, const wxString& pattern, const wxString& value, size_t limit) {
    size_t count = 0;
    for (size_t pos = text.find(pattern); pos != wxString::npos;
         pos = text.find(pattern, pos + pattern.length())) {
        ++count;
    }
    if (count == 0)
        return text.length() <= limit;
    // Lengths are bounded by the input, far below the range of size_t.
    const size_t resultLength = text.length() - count * pattern.length() + count * value.length();
    if (resultLength > limit)
        return false;
    text.Replace(pattern, value);
    return true;
}

}  // namespace

bool ChatTranscript::fragment(const wxString& time, const wxString& speaker,
                              const wxString& message, const wxString& visitorName,
                              const std::vector<wxString>& operators, size_t limit, wxString& out) {
    if (speaker == "0") {
        out =
            _("<font color='#AAAAAA'>%VISITORNAME% said at %TIME%:</font><br><font "
              "color='#000000'>%MESSAGE%</font><br>");
        if (!replaceWithin(out, "%TIME%", Tools::escapeHtml(time), limit))
            return false;
        if (!replaceWithin(out, "%VISITORNAME%", Tools::escapeHtml(visitorName), limit))
            return false;
    } else {
        out =
            _("<font color='#AAAAAA'>%OPERATORNAME% said at %TIME%:</font><br><font "
              "color='#0000FF'>%MESSAGE%</font><br>");
        if (!replaceWithin(out, "%TIME%", Tools::escapeHtml(time), limit))
            return false;
        const long n = Tools::parseLeadingLong(speaker);
        const bool known = n >= 1 && static_cast<unsigned long>(n) <= operators.size();
        const wxString name = known ? operators[static_cast<size_t>(n - 1)] : wxString();
        if (!replaceWithin(out, "%OPERATORNAME%", Tools::escapeHtml(name), limit))
            return false;
    }
    // Transcript lines are text: escaped, with their web addresses made clickable.
    return replaceWithin(out, "%MESSAGE%", Tools::linkifyEscaped(Tools::escapeHtml(message)),
                         limit);
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
