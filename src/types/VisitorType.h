#pragma once

#include <wx/string.h>

#include <cstdint>
#include <ostream>
#include <string_view>

#include "types/VisitorFields.h"

namespace Tavoro::Types {

// One visitor on a monitored site: a row of the visitor grid. Parsed from a visitor line of at
// least 18 TAB-separated fields (a shorter line leaves every text empty), or built and updated
// from the fields of a visitor event. Besides the line's fields it carries two derived values: the
// display status code that picks the visitor's icon and the search terms of the referrer.
class VisitorType : public VisitorFields {
  public:
    // Status codes, in the order the grid keeps its icons.
    enum Status : int32_t {
        STATUS_FLAG0 = 0,        // flag 0
        STATUS_FLAG5 = 1,        // flag 5
        STATUS_FIRST_VISIT = 2,  // no flag, visit text "1"
        STATUS_FLAG2 = 3,        // flag 2
        STATUS_RETURNING = 4,    // no flag, later visit
        STATUS_FLAG4 = 5,        // flag 4
        STATUS_FLAG6 = 6,        // flag 6
        STATUS_FLAG7 = 7,        // flag 7
        STATUS_FLAG1 = 8,        // flag 1
        STATUS_FLAG3 = 9,        // flag 3
    };
    static constexpr int32_t kStatusCount = 10;

    // Every text empty, no flag; the status is derived as for any record (4, later visit).
    VisitorType();
    explicit VisitorType(const wxString& line);
    explicit VisitorType(std::wstring_view line);
    // Takes every field of an event (or any other parsed visitor line); the rvalue form takes
    // over the fields' text instead of copying it.
    explicit VisitorType(const VisitorFields& fields);
    explicit VisitorType(VisitorFields&& fields);

    // Overwrites every field from the given ones and derives status and search terms again.
    void update(const VisitorFields& fields);
    void update(VisitorFields&& fields);

    int32_t status() const { return m_status; }
    // A prospect: a visitor whose status shows a prospect's icon (new or returning).
    static bool isProspectStatus(int32_t status) {
        return status == STATUS_FLAG5 || status == STATUS_FLAG4;
    }
    bool isProspect() const { return isProspectStatus(m_status); }
    const wxString& searchKeywords() const { return m_searchKeywords; }

    // File name of the icon that shows a status code in the visitor grid; the empty text for a
    // code outside 0 to 9.
    static wxString iconFileOfStatus(int32_t status);

    bool operator==(const VisitorType& other) const;
    bool operator!=(const VisitorType& other) const { return !(*this == other); }

  private:
    void derive();

    wxString m_searchKeywords;
    int32_t m_status = STATUS_RETURNING;
};

std::ostream& operator<<(std::ostream& out, const VisitorType& visitor);

}  // namespace Tavoro::Types
