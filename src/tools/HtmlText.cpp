#include "tools/HtmlText.h"

namespace Tavoro::Tools {

wxString escapeHtml(const wxString& text) {
    wxString out;
    out.reserve(text.length() + text.length() / 8);
    for (wxString::const_iterator it = text.begin(); it != text.end(); ++it) {
        switch ((*it).GetValue()) {
            case '\r': {
                // CR LF is one line break; a lone CR is one too.
                wxString::const_iterator next = it + 1;
                if (next == text.end() || *next != '\n')
                    out += "<br>";
                break;
            }
            case '\n':
                out += "<br>";
                break;
            case '&':
                out += "&amp;";
                break;
            case '<':
                out += "&lt;";
                break;
            case '>':
                out += "&gt;";
                break;
            case '"':
                out += "&quot;";
                break;
            case '\'':
                out += "&#39;";
                break;
            default:
                out += *it;
        }
    }
    return out;
}

wxString escapeMarkup(const wxString& text) {
    wxString out;
    out.reserve(text.length() + text.length() / 8);
    for (wxString::const_iterator it = text.begin(); it != text.end(); ++it) {
        switch ((*it).GetValue()) {
            case '&':
                out += "&amp;";
                break;
            case '<':
                out += "&lt;";
                break;
            case '>':
                out += "&gt;";
                break;
            case '"':
                out += "&quot;";
                break;
            case '\'':
                out += "&apos;";
                break;
            default:
                out += *it;
        }
    }
    return out;
}

namespace {

bool startsAt(const wxString& text, size_t pos, const wxString& prefix) {
    return text.compare(pos, prefix.length(), prefix) == 0;
}

// Characters that end an address: blanks and the characters that escaping never leaves bare.
bool endsAddress(wxUniChar c) {
    const auto v = c.GetValue();
    return v == ' ' || v == '\t' || v == '\r' || v == '\n' || v == '<' || v == '>' || v == '"' ||
           v == '\'';
}

}  // namespace

// An entity that escaping made from a character that cannot be part of an address.
static bool entityEndsAddress(const wxString& text, size_t pos) {
    return startsAt(text, pos, "&lt;") || startsAt(text, pos, "&gt;") ||
           startsAt(text, pos, "&quot;") || startsAt(text, pos, "&#39;");
}

wxString linkifyEscaped(const wxString& escaped) {
    wxString out;
    out.reserve(escaped.length());
    size_t pos = 0;
    const size_t n = escaped.length();
    while (pos < n) {
        const bool wordStart = pos == 0 || endsAddress(escaped[pos - 1]);
        const bool web = startsAt(escaped, pos, "http://") || startsAt(escaped, pos, "https://");
        const bool www = startsAt(escaped, pos, "www.");
        if (wordStart && (web || www)) {
            size_t end = pos;
            while (end < n && !endsAddress(escaped[end]) && !entityEndsAddress(escaped, end))
                ++end;
            // A sentence's closing punctuation is not part of the address.
            while (end > pos && wxString(".,;:!?)").Find(escaped[end - 1]) != wxNOT_FOUND)
                --end;
            const wxString address = escaped.Mid(pos, end - pos);
            const wxString target = www ? "http://" + address : address;
            out += "<a href=\"" + target + "\">" + address + "</a>";
            pos = end;
            continue;
        }
        out += escaped[pos];
        ++pos;
    }
    return out;
}

}  // namespace Tavoro::Tools
