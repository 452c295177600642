#include "types/VisitorType.h"

#include <utility>

#include "types/SearchTerms.h"

namespace Tavoro::Types {
namespace {

// A visitor line needs more than this many fields.
constexpr unsigned kFewestRejectedFields = 17;

}  // namespace

VisitorType::VisitorType() {
    derive();
}

VisitorType::VisitorType(const wxString& line)
    : VisitorType(std::wstring_view(line.wc_str(), line.length())) {}

VisitorType::VisitorType(std::wstring_view line) {
    parseLine(line, kFewestRejectedFields);
    derive();
}

VisitorType::VisitorType(const VisitorFields& fields) : VisitorFields(fields) {
    derive();
}

VisitorType::VisitorType(VisitorFields&& fields) : VisitorFields(std::move(fields)) {
    derive();
}

void VisitorType::update(const VisitorFields& fields) {
    VisitorFields::operator=(fields);
    derive();
}

void VisitorType::update(VisitorFields&& fields) {
    VisitorFields::operator=(std::move(fields));
    derive();
}

void VisitorType::derive() {
    // The first rule that applies decides.
    if (flag(0)) {
        m_status = STATUS_FLAG0;
    } else if (flag(1)) {
        m_status = STATUS_FLAG1;
    } else if (flag(3)) {
        m_status = STATUS_FLAG3;
    } else if (flag(7)) {
        m_status = STATUS_FLAG7;
    } else if (flag(6)) {
        m_status = STATUS_FLAG6;
    } else if (flag(5)) {
        m_status = STATUS_FLAG5;
    } else if (flag(4)) {
        m_status = STATUS_FLAG4;
    } else if (flag(2)) {
        m_status = STATUS_FLAG2;
    } else if (fieldView(FIELD_VISIT) == "1") {
        m_status = STATUS_FIRST_VISIT;
    } else {
        m_status = STATUS_RETURNING;
    }
    m_searchKeywords = searchTermsOf(referrer());
}

wxString VisitorType::iconFileOfStatus(int32_t status) {
    static const char* const kIcons[kStatusCount] = {
        "Anonymous User Red.ico",   "Prospect New 256.gif",
        "Anonymous User Green.ico", "Anonymous User Red.ico",
        "Anonymous User Blue.ico",  "Prospect 256.gif",
        "Customer 256.gif",         "Customer New 256.gif",
        "Anonymous User Red.ico",   "Anonymous User Blue Chat.ico",
    };
    if (status < 0 || status >= kStatusCount)
        return wxString();
    return kIcons[status];
}

bool VisitorType::operator==(const VisitorType& other) const {
    return VisitorFields::operator==(other) && m_status == other.m_status &&
           m_searchKeywords == other.m_searchKeywords;
}

std::ostream& operator<<(std::ostream& out, const VisitorType& visitor) {
    return out << static_cast<const VisitorFields&>(visitor) << " status=" << visitor.status()
               << " keywords='" << visitor.searchKeywords() << "'";
}

}  // namespace Tavoro::Types
