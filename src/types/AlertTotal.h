#pragma once

#include <wx/string.h>

#include <array>
#include <ostream>

namespace Tavoro::Types {

// One alert's totals of the day inside a day summary: eight "|"-separated texts, kept as sent.
// A record of 7 fields or fewer leaves them empty.
class AlertTotal {
  public:
    static constexpr unsigned kFieldCount = 8;

    AlertTotal() = default;
    explicit AlertTotal(const wxString& record);
    virtual ~AlertTotal() = default;

    bool operator==(const AlertTotal& other) const { return fields == other.fields; }
    bool operator!=(const AlertTotal& other) const { return !(*this == other); }

    std::array<wxString, kFieldCount> fields;
};

std::ostream& operator<<(std::ostream& out, const AlertTotal& total);

}  // namespace Tavoro::Types
