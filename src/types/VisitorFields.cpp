#include "types/VisitorFields.h"

#include <limits>

#include "tools/wxStringSplitter.h"
#include "types/FieldSpans.h"
#include "types/Int32.h"

namespace Tavoro::Types {

wxString VisitorFields::text(std::wstring_view view) {
    return view.empty() ? wxString() : wxString(view.data(), view.size());
}

std::wstring_view VisitorFields::view(Span span) const {
    if (span.length == 0)
        return std::wstring_view();
    return std::wstring_view(m_line.wc_str() + span.start, span.length);
}

std::wstring_view VisitorFields::fieldView(unsigned i) const {
    return i < kFieldCount ? view(m_fields[i]) : std::wstring_view();
}

std::wstring_view VisitorFields::keyPart(unsigned part) const {
    return view(m_keyParts[part]);
}

bool VisitorFields::parseLine(std::wstring_view line, unsigned fewestRejected) {
    const FieldSpans fields(line, '\t');
    // Positions are kept in 32 bits; a line that long is no visitor line.
    if (fields.count() <= fewestRejected || line.size() >= std::numeric_limits<uint32_t>::max()) {
        return false;
    }

    // Keep the line up to the end of the last field that is read.
    const std::wstring_view last = fields.view(std::min(fields.count(), kFieldCount) - 1);
    const size_t kept = static_cast<size_t>(last.data() - line.data()) + last.size();
    m_line.assign(line.data(), kept);
    for (unsigned i = 0; i < kFieldCount; ++i) {
        const std::wstring_view f = fields.view(i);
        if (i < fields.count() && !f.empty()) {
            m_fields[i] = {static_cast<uint32_t>(f.data() - line.data()),
                           static_cast<uint32_t>(f.size())};
        } else {
            m_fields[i] = Span();
        }
    }

    // Field 0 is the visitor key "site:ip:tail"; a fourth part is ignored.
    const FieldSpans keyParts(fields.view(0), ':');
    for (unsigned p = 0; p < 3; ++p) {
        const std::wstring_view part = keyParts.view(p);
        m_keyParts[p] = part.empty() ? Span()
                                     : Span{static_cast<uint32_t>(part.data() - line.data()),
                                            static_cast<uint32_t>(part.size())};
    }

    m_number = clampToInt32(Tools::parseLeadingLong(numberText()));
    m_pageViews = clampToInt32(Tools::parseLeadingLong(viewsText()));

    const std::wstring_view flagText = fieldView(14);
    for (unsigned i = 0; i < kFlagCount; ++i) {
        m_flags[i] = i < flagText.size() && flagText[i] == L'Y';
    }
    return true;
}

bool VisitorFields::operator==(const VisitorFields& o) const {
    if (m_number != o.m_number || m_pageViews != o.m_pageViews || m_flags != o.m_flags) {
        return false;
    }
    for (unsigned i = 0; i < kFieldCount; ++i) {
        if (fieldView(i) != o.fieldView(i))
            return false;
    }
    for (unsigned p = 0; p < 3; ++p) {
        if (keyPart(p) != o.keyPart(p))
            return false;
    }
    return true;
}

std::ostream& operator<<(std::ostream& out, const VisitorFields& v) {
    out << "{key='" << v.visitorKey() << "' site='" << v.site() << "' ip='" << v.ipAddress()
        << "' tail='" << v.keyTail() << "' number=" << v.number() << " '" << v.numberText()
        << "' visit='" << v.visitText() << "' alert='" << v.raisedAlertId()
        << "' views=" << v.pageViews() << " '" << v.viewsText() << "' text5='" << v.text5()
        << "' dns='" << v.dns() << "' text7='" << v.text7() << "' user='" << v.username()
        << "' onPage='" << v.onPage() << "' text10='" << v.text10() << "' last='" << v.lastTime()
        << "' browser='" << v.browser() << "' os='" << v.opSys() << "' text15..18='" << v.text15()
        << "','" << v.text16() << "','" << v.text17() << "','" << v.text18() << "' location='"
        << v.location() << "' referrer='" << v.referrer() << "' start='" << v.startTime()
        << "' flags=";
    for (bool f : v.flags())
        out << (f ? 'Y' : '-');
    return out << '}';
}

}  // namespace Tavoro::Types
