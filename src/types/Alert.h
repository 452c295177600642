#pragma once

#include <wx/string.h>

#include <cstdint>
#include <ostream>

namespace Tavoro::Types {

// One alert defined for a site: "id|name|colour|flag kind", "|"-separated. A record of 3 fields
// or fewer leaves the alert empty (no icon, no colour).
//
// This record lives in the GUI-free core, so it keeps the plain values behind the flag icon and
// the colour: the icon's file name (loaded as an ICO by the visitor grid and the visit detail)
// and the colour as red, green and blue with a flag saying whether there is one. The GUI side
// makes the icon and the solid brush from them.
class Alert {
  public:
    Alert() = default;
    explicit Alert(const wxString& record);
    virtual ~Alert() = default;

    // Icon file of a flag kind: 1 blue, 2 green, 3 red, 4 yellow, 5 grey, anything else none.
    static wxString iconFileOfFlagKind(long flagKind);

    bool operator==(const Alert& other) const;
    bool operator!=(const Alert& other) const { return !(*this == other); }

    wxString alertId;      // 0: identifies the alert within its site
    wxString name;         // 1
    wxString colourText;   // 2, as sent
    wxString flagText;     // 3, as sent
    int32_t flagKind = 0;  // 3 as a decimal number
    int32_t colour = 0;    // 2 as a decimal number, 0x00BBGGRR
    // Derived: empty for an empty alert, otherwise the flag icon's file name.
    wxString iconFileName;
    // Derived: set only when colour is greater than 0.
    bool hasColour = false;
    uint8_t red = 0;
    uint8_t green = 0;
    uint8_t blue = 0;
};

std::ostream& operator<<(std::ostream& out, const Alert& alert);

}  // namespace Tavoro::Types
