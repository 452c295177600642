#include "types/TextFilter.h"

#include <cwctype>
#include <string>

#include "tools/Utf8.h"

namespace Tavoro::Types {
namespace {

char asciiLower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

// Lower case of a character without depending on the process locale (the C locale lowers
// ASCII only): Latin-1, Latin Extended-A, Greek and Cyrillic capitals, then the C library.
wchar_t wideLower(wchar_t c) {
    if ((c >= 0xC0 && c <= 0xDE && c != 0xD7) || (c >= 0x391 && c <= 0x3AB && c != 0x3A2) ||
        (c >= 0x410 && c <= 0x42F))
        return c + 0x20;
    if (c >= 0x400 && c <= 0x40F)
        return c + 0x50;
    if (c >= 0x100 && c <= 0x17F && c != 0x130 && c != 0x131 && c != 0x138 && c != 0x149 &&
        c != 0x17F) {
        // Pairs start on even code points, except 0x139-0x148 and 0x179-0x17E.
        const bool oddPairs = (c >= 0x139 && c <= 0x148) || (c >= 0x179 && c <= 0x17E);
        if (c == 0x178)
            return 0xFF;
        return (c % 2 == 0) != oddPairs ? c + 1 : c;
    }
    return static_cast<wchar_t>(std::towlower(static_cast<wint_t>(c)));
}

wxString lowered(const wxString& text) {
    std::wstring out(text.wc_str(), text.length());
    for (wchar_t& c : out)
        c = wideLower(c);
    return wxString(out);
}

}  // namespace

TextFilter::TextFilter(const wxString& needle) : m_text(needle) {
    m_wideNeedle = lowered(needle);
    m_needle = Tools::toUtf8(m_wideNeedle);
    for (const char c : m_needle) {
        if (static_cast<unsigned char>(c) >= 0x80)
            m_ascii = false;
    }
}

bool TextFilter::matches(std::string_view haystack) const {
    if (m_needle.empty())
        return true;
    if (!m_ascii) {
        // The needle holds a letter beyond ASCII, whose lower case is beyond ASCII too: a
        // text of ASCII only (most record texts) cannot hold it.
        bool ascii = true;
        for (const char c : haystack) {
            if (static_cast<unsigned char>(c) >= 0x80) {
                ascii = false;
                break;
            }
        }
        return !ascii && lowered(Tools::fromUtf8(haystack)).find(m_wideNeedle) != wxString::npos;
    }
    if (haystack.size() < m_needle.size())
        return false;
    const char first = m_needle[0];
    const size_t last = haystack.size() - m_needle.size();
    for (size_t i = 0; i <= last; ++i) {
        if (asciiLower(haystack[i]) != first)
            continue;
        size_t j = 1;
        while (j < m_needle.size() && asciiLower(haystack[i + j]) == m_needle[j])
            ++j;
        if (j == m_needle.size())
            return true;
    }
    return false;
}

}  // namespace Tavoro::Types
