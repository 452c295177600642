#pragma once

#include <wx/string.h>

#include <cstddef>
#include <string_view>
#include <vector>

namespace Tavoro::Types {

// The fields of a text cut at one separator, kept as positions into the text instead of copies.
// It yields the same fields as Tools::wxStringSplitter with the same separator and flag:
// - keepTrailingEmpty true: every separator cuts, a trailing separator gives a trailing empty
//   field, the empty text has no field;
// - keepTrailingEmpty false: as above, but trailing empty fields are dropped, except that a
//   non-empty text always has at least one field ("|" and "||" give one empty field).
// An index past the end reads as the empty text (or 0).
//
// Used where a parse runs once per visitor event or list entry and copying every field out
// first would dominate the cost; the fuzz targets check it against the splitter.
// The text must outlive the object.
class FieldSpans {
  public:
    FieldSpans(std::wstring_view text, wxChar separator, bool keepTrailingEmpty = true);
    FieldSpans(const wxString& text, wxChar separator, bool keepTrailingEmpty = true)
        : FieldSpans(std::wstring_view(text.wc_str(), text.length()), separator,
                     keepTrailingEmpty) {}
    virtual ~FieldSpans() = default;

    unsigned count() const { return static_cast<unsigned>(m_count); }
    // Field index in place; empty past the end.
    std::wstring_view view(unsigned index) const;
    wxString item(unsigned index) const;
    // Copies field index into target (empty past the end).
    void copyTo(unsigned index, wxString& target) const;
    // Field read as a decimal integer as wxStringSplitter::itemAsLong reads it.
    long itemAsLong(unsigned index) const;

  private:
    // A visitor line has 22 fields: up to that many are kept without allocating.
    static constexpr size_t kInline = 24;

    void add(std::wstring_view field);
    std::wstring_view& at(size_t index) {
        return index < kInline ? m_inline[index] : m_overflow[index - kInline];
    }

    std::wstring_view m_inline[kInline];
    std::vector<std::wstring_view> m_overflow;
    size_t m_count = 0;
};

}  // namespace Tavoro::Types
