#include "tools/HtmlText.h"

namespace Tavoro::Tools {

namespace {

// Appends the entity for one of the five characters markup gives a meaning to and returns true;
// any other character is left to the caller. `apostrophe` is the entity the target reads for '.
bool appendEntity(wxString& out, wxUniChar c, const char* apostrophe) {
    switch (c.GetValue()) {
        case '&':
            out += "&amp;";
            return true;
        case '<':
            out += "&lt;";
            return true;
        case '>':
            out += "&gt;";
            return true;
        case '"':
            out += "&quot;";
            return true;
        case '\'':
            out += apostrophe;
            return true;
        default:
            return false;
    }
}

}  // namespace

wxString escapeHtml(const wxString& text) {
    wxString out;
    out.reserve(text.length() + text.length() / 8);
    for (wxString::const_iterator it = text.begin(); it != text.end(); ++it) {
        if (*it == '\r') {
            // CR LF is one line break; a lone CR is one too.
            wxString::const_iterator next = it + 1;
            if (next == text.end() || *next != '\n')
                out += "<br>";
        } else if (*it == '\n') {
            out += "<br>";
        } else if (!appendEntity(out, *it, "&#39;")) {
            out += *it;
        }
    }
    return out;
}

wxString escapeMarkup(const wxString& text) {
    wxString out;
    out.reserve(text.length() + text.length() / 8);
    for (wxString::const_iterator it = text.begin(); it != text.end(); ++it) {
        if (!appendEntity(out, *it, "&apos;"))
            out += *it;
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
