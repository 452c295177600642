#pragma once

#include <wx/string.h>

#include <array>
#include <cstdint>
#include <ostream>
#include <string>
#include <string_view>

namespace Tavoro::Types {

// The fields of one visitor line as the server sends it (TAB-separated):
//   0 visitor key "site:ip:tail"   1 number           2 visit text      3 raised alert id
//   4 page views                   5 text5            6 DNS             7 text7
//   8 username                     9 on page         10 text10         11 last time
//  12 browser                     13 op sys          14 flag characters 15..18 text15..18
//  19 location                    20 referrer        21 start time
// Shared by the visitor record (VisitorType) and the visitor event, which read the same layout
// with different minimum field counts; a record is built or updated from an event's fields.
//
// A full visitor list holds tens of thousands of these, so the record keeps its line once and
// the positions of its fields, rather than two dozen separately allocated texts: building and
// dropping a list then costs a few allocations per visitor instead of twenty-odd. The line is
// kept in UTF-8, a quarter of the size of the wide text for the Latin-1 texts the server sends.
// The text accessors therefore return converted copies; the *View accessors read the UTF-8
// bytes in place (valid while the record is unchanged).
class VisitorFields {
  public:
    static constexpr unsigned kFlagCount = 13;
    static constexpr unsigned kFieldCount = 22;

    VisitorFields() = default;
    virtual ~VisitorFields() = default;
    VisitorFields(const VisitorFields&) = default;
    VisitorFields& operator=(const VisitorFields&) = default;
    // Takes over the other's line without copying it; the other is left empty (every field
    // missing), so that it stays safe to read.
    VisitorFields(VisitorFields&& other) noexcept;
    VisitorFields& operator=(VisitorFields&& other) noexcept;

    int32_t number() const { return m_number; }
    int32_t pageViews() const { return m_pageViews; }
    wxString numberText() const { return text(1); }
    wxString site() const { return text(siteView()); }
    wxString ipAddress() const { return text(ipAddressView()); }
    wxString dns() const { return text(6); }
    wxString text7() const { return text(7); }
    wxString username() const { return text(8); }
    wxString keyTail() const { return text(keyTailView()); }
    wxString visitText() const { return text(2); }
    wxString onPage() const { return text(9); }
    wxString text5() const { return text(5); }
    wxString startTime() const { return text(21); }
    wxString lastTime() const { return text(11); }
    wxString browser() const { return text(12); }
    wxString opSys() const { return text(13); }
    wxString raisedAlertId() const { return text(3); }
    wxString referrer() const { return text(20); }
    wxString text10() const { return text(10); }
    wxString text15() const { return text(15); }
    wxString text16() const { return text(16); }
    wxString text17() const { return text(17); }
    wxString text18() const { return text(18); }
    wxString viewsText() const { return text(4); }
    wxString visitorKey() const { return text(0); }
    wxString location() const { return text(19); }

    // Record field i (0 to 21) in place, in UTF-8; empty for a missing field.
    std::string_view fieldView(unsigned i) const;
    std::string_view siteView() const { return keyPart(0); }
    std::string_view ipAddressView() const { return keyPart(1); }
    std::string_view keyTailView() const { return keyPart(2); }
    std::string_view numberTextView() const { return fieldView(1); }
    std::string_view visitorKeyView() const { return fieldView(0); }

    // A record's field read in place as text (the UTF-8 bytes decoded).
    static wxString text(std::string_view view);

    // Flag by its character position in field 14 (0 to 12): true when that character is "Y".
    // Positions past the end of the flag text, or past 12, are false.
    bool flag(unsigned position) const { return position < kFlagCount && m_flags[position]; }
    const std::array<bool, kFlagCount>& flags() const { return m_flags; }

    bool operator==(const VisitorFields& other) const;
    bool operator!=(const VisitorFields& other) const { return !(*this == other); }

  protected:
    // Takes every field from a TAB-separated visitor line when it has more than fewestRejected
    // fields; otherwise leaves the record as it is and returns false.
    bool parseLine(std::wstring_view line, unsigned fewestRejected);

  private:
    struct Span {
        uint32_t start = 0;
        uint32_t length = 0;
    };

    wxString text(unsigned field) const { return text(fieldView(field)); }
    std::string_view view(Span span) const;
    std::string_view keyPart(unsigned part) const;

    // The line up to the end of field 21, in UTF-8; later fields are not kept.
    std::string m_line;
    std::array<Span, kFieldCount> m_fields{};
    // Parts 0 to 2 of field 0 cut at ":" (site, IP address, key tail).
    std::array<Span, 3> m_keyParts{};
    int32_t m_number = 0;
    int32_t m_pageViews = 0;
    std::array<bool, kFlagCount> m_flags{};
};

std::ostream& operator<<(std::ostream& out, const VisitorFields& fields);

}  // namespace Tavoro::Types
