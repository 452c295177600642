#pragma once

#include <wx/string.h>

#include <string>
#include <string_view>

namespace Tavoro::Tools {

// UTF-8 for texts kept in bulk (a visitor line takes a quarter of the memory of its wide
// form). Every wide text converts: values past the last Unicode code point, which the wide
// form of the wire can carry and which the toolkit's converter refuses, become U+FFFD.
void assignUtf8(std::string& out, std::wstring_view text);
inline std::string toUtf8(const wxString& text) {
    std::string out;
    assignUtf8(out, std::wstring_view(text.wc_str(), text.length()));
    return out;
}
// The empty text for bytes that are not UTF-8 (never the case for bytes made above).
inline wxString fromUtf8(std::string_view bytes) {
    return bytes.empty() ? wxString() : wxString::FromUTF8(bytes.data(), bytes.size());
}

}  // namespace Tavoro::Tools
