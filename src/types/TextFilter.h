#pragma once

#include <wx/string.h>

#include <string>
#include <string_view>

namespace Tavoro::Types {

// A case-insensitive "contains" test of a typed text against record texts kept as UTF-8.
// An ASCII needle (the usual case) is compared byte by byte without converting the
// haystack; a needle with other letters compares the lower-cased wide forms.
class TextFilter {
  public:
    TextFilter() = default;
    explicit TextFilter(const wxString& needle);

    // True for the empty filter, which lets everything through.
    bool empty() const { return m_needle.empty(); }
    const wxString& text() const { return m_text; }
    bool matches(std::string_view haystack) const;

  private:
    wxString m_text;       // as typed
    std::string m_needle;  // lower-cased UTF-8
    wxString m_wideNeedle;
    bool m_ascii = true;
};

}  // namespace Tavoro::Types
