#pragma once

#include <wx/string.h>

#include <vector>

namespace Tavoro::Tools {

// Splits a text at every occurrence of one separator character into indexed fields.
// Reading past the last field is always safe: it yields the empty text (or 0 as a number),
// which the record parsers rely on when a server line carries fewer fields than expected.
class wxStringSplitter {
  public:
    // keepTrailingEmpty: true keeps every empty field including a trailing one ("a|b|" gives
    // three fields); false drops a trailing empty field ("a|b|" gives two).
    wxStringSplitter(const wxString& text, wxChar separator, bool keepTrailingEmpty);
    virtual ~wxStringSplitter() = default;

    unsigned count() const { return static_cast<unsigned>(m_items.size()); }
    const wxString& item(unsigned index) const;
    // Field read as a decimal integer the way strtol reads it: optional sign and leading digits,
    // 0 when nothing is readable or the index is past the end.
    long itemAsLong(unsigned index) const;

  private:
    std::vector<wxString> m_items;
    wxString m_empty;
};

// strtol-style reading of a wide text: leading blanks, optional sign, digits; 0 when none.
long parseLeadingLong(const wxString& text);

}  // namespace Tavoro::Tools
