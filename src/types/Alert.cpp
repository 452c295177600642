#include "types/Alert.h"

#include "tools/wxStringSplitter.h"
#include "types/Int32.h"

namespace Tavoro::Types {

Alert::Alert(const wxString& record) {
    const Tools::wxStringSplitter fields(record, '|', true);
    if (fields.count() <= 3)
        return;
    alertId = fields.item(0);
    name = fields.item(1);
    colourText = fields.item(2);
    flagText = fields.item(3);
    flagKind = clampToInt32(fields.itemAsLong(3));
    colour = clampToInt32(fields.itemAsLong(2));
    iconFileName = iconFileOfFlagKind(flagKind);
    if (colour > 0) {
        const auto value = static_cast<uint32_t>(colour);
        hasColour = true;
        red = static_cast<uint8_t>(value & 0xFF);
        green = static_cast<uint8_t>((value >> 8) & 0xFF);
        blue = static_cast<uint8_t>((value >> 16) & 0xFF);
    }
}

wxString Alert::iconFileOfFlagKind(long flagKind) {
    switch (flagKind) {
        case 1:
            return "Blue Flag.ico";
        case 2:
            return "Green Flag.ico";
        case 3:
            return "Red Flag.ico";
        case 4:
            return "Yellow Flag.ico";
        case 5:
            return "Grey Flag.ico";
        default:
            return "No Flag.ico";
    }
}

bool Alert::operator==(const Alert& o) const {
    return alertId == o.alertId && name == o.name && colourText == o.colourText &&
           flagText == o.flagText && flagKind == o.flagKind && colour == o.colour &&
           iconFileName == o.iconFileName && hasColour == o.hasColour && red == o.red &&
           green == o.green && blue == o.blue;
}

std::ostream& operator<<(std::ostream& out, const Alert& a) {
    out << "{alertId='" << a.alertId << "' name='" << a.name << "' colourText='" << a.colourText
        << "' flagText='" << a.flagText << "' flagKind=" << a.flagKind << " colour=" << a.colour
        << " icon='" << a.iconFileName << "'";
    if (a.hasColour) {
        out << " rgb=" << int(a.red) << "," << int(a.green) << "," << int(a.blue);
    } else {
        out << " no colour";
    }
    return out << "}";
}

}  // namespace Tavoro::Types
