#pragma once

#include <wx/string.h>

#include <cstddef>
#include <ostream>

#include "tools/wxStringSplitter.h"

namespace Tavoro::Types {

// Records whose text members map one to one onto record fields keep a table of
// (member, field index, name); parsing, comparing and printing then walk the table.
template <class Record>
struct TextMember {
    wxString Record::*member;
    unsigned field;
    const char* name;
};

template <class Record, size_t N>
void fillMembers(Record& record, const TextMember<Record> (&table)[N],
                 const Tools::wxStringSplitter& fields) {
    for (const TextMember<Record>& m : table)
        record.*(m.member) = fields.item(m.field);
}

template <class Record, size_t N>
bool sameMembers(const Record& a, const Record& b, const TextMember<Record> (&table)[N]) {
    for (const TextMember<Record>& m : table) {
        if (a.*(m.member) != b.*(m.member))
            return false;
    }
    return true;
}

template <class Record, size_t N>
void printMembers(std::ostream& out, const Record& record, const TextMember<Record> (&table)[N]) {
    const char* separator = "";
    for (const TextMember<Record>& m : table) {
        out << separator << m.name << "='" << record.*(m.member) << "'";
        separator = " ";
    }
}

}  // namespace Tavoro::Types
