#include "types/AlertTotal.h"

#include "tools/wxStringSplitter.h"

namespace Tavoro::Types {

AlertTotal::AlertTotal(const wxString& record) {
    const Tools::wxStringSplitter parts(record, '|', true);
    if (parts.count() < kFieldCount)
        return;
    for (unsigned i = 0; i < kFieldCount; ++i)
        fields[i] = parts.item(i);
}

std::ostream& operator<<(std::ostream& out, const AlertTotal& total) {
    out << "{";
    const char* separator = "";
    for (const wxString& f : total.fields) {
        out << separator << "'" << f << "'";
        separator = ",";
    }
    return out << "}";
}

}  // namespace Tavoro::Types
