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
    // The fields of a visitor line, by position.
    enum Field : unsigned {
        FIELD_KEY = 0,  // "site:ip:tail"
        FIELD_NUMBER = 1,
        FIELD_VISIT = 2,
        FIELD_RAISED_ALERT = 3,
        FIELD_PAGE_VIEWS = 4,
        FIELD_TEXT5 = 5,
        FIELD_DNS = 6,
        FIELD_TEXT7 = 7,
        FIELD_USERNAME = 8,
        FIELD_ON_PAGE = 9,
        FIELD_TEXT10 = 10,
        FIELD_LAST_TIME = 11,
        FIELD_BROWSER = 12,
        FIELD_OP_SYS = 13,
        FIELD_FLAGS = 14,
        FIELD_TEXT15 = 15,
        FIELD_TEXT16 = 16,
        FIELD_TEXT17 = 17,
        FIELD_TEXT18 = 18,
        FIELD_LOCATION = 19,
        FIELD_REFERRER = 20,
        FIELD_START_TIME = 21,
    };
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
    wxString numberText() const { return text(FIELD_NUMBER); }
    wxString site() const { return text(siteView()); }
    wxString ipAddress() const { return text(ipAddressView()); }
    wxString dns() const { return text(FIELD_DNS); }
    wxString text7() const { return text(FIELD_TEXT7); }
    wxString username() const { return text(FIELD_USERNAME); }
    wxString keyTail() const { return text(keyTailView()); }
    wxString visitText() const { return text(FIELD_VISIT); }
    wxString onPage() const { return text(FIELD_ON_PAGE); }
    wxString text5() const { return text(FIELD_TEXT5); }
    wxString startTime() const { return text(FIELD_START_TIME); }
    wxString lastTime() const { return text(FIELD_LAST_TIME); }
    wxString browser() const { return text(FIELD_BROWSER); }
    wxString opSys() const { return text(FIELD_OP_SYS); }
    wxString raisedAlertId() const { return text(FIELD_RAISED_ALERT); }
    wxString referrer() const { return text(FIELD_REFERRER); }
    wxString text10() const { return text(FIELD_TEXT10); }
    wxString text15() const { return text(FIELD_TEXT15); }
    wxString text16() const { return text(FIELD_TEXT16); }
    wxString text17() const { return text(FIELD_TEXT17); }
    wxString text18() const { return text(FIELD_TEXT18); }
    wxString viewsText() const { return text(FIELD_PAGE_VIEWS); }
    wxString visitorKey() const { return text(FIELD_KEY); }
    wxString location() const { return text(FIELD_LOCATION); }

    // Record field i (0 to 21) in place, in UTF-8; empty for a missing field.
    std::string_view fieldView(unsigned i) const;
    std::string_view siteView() const { return keyPart(KEY_SITE); }
    std::string_view ipAddressView() const { return keyPart(KEY_IP_ADDRESS); }
    std::string_view keyTailView() const { return keyPart(KEY_TAIL); }
    std::string_view numberTextView() const { return fieldView(FIELD_NUMBER); }
    std::string_view visitorKeyView() const { return fieldView(FIELD_KEY); }

    // A record's field read in place as text (the UTF-8 bytes decoded).
    static wxString text(std::string_view view);

    // Flag by its character position in the flags field (0 to 12): true when that character is "Y".
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
    enum KeyPart : unsigned { KEY_SITE = 0, KEY_IP_ADDRESS = 1, KEY_TAIL = 2, KEY_PART_COUNT = 3 };
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
    // The parts of the visitor key, cut at ":".
    std::array<Span, KEY_PART_COUNT> m_keyParts{};
    int32_t m_number = 0;
    int32_t m_pageViews = 0;
    std::array<bool, kFlagCount> m_flags{};
};

std::ostream& operator<<(std::ostream& out, const VisitorFields& fields);

}  // namespace Tavoro::Types
