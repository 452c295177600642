#include "messages/S_VISITDETAIL.h"

#include "tools/wxStringSplitter.h"
#include "types/SearchTerms.h"

namespace Tavoro::Messages {

using Tools::wxStringSplitter;

S_VISITDETAIL::S_VISITDETAIL(const TavoroMessage& message) {
    const wxStringSplitter parts(message.data(), wxChar(27), true);
    const wxStringSplitter detail(parts.item(0), '\n', true);
    const wxStringSplitter fields(detail.item(1), '\t', true);
    for (unsigned i = 0; i < kDetailFieldCount; ++i)
        m_fields[i] = fields.item(i);
    m_site = wxStringSplitter(detail.item(0), ':', true).item(0);

    const wxStringSplitter pageLines(parts.item(1), '\r', true);
    for (unsigned i = 0; i < pageLines.count(); ++i) {
        if (!pageLines.item(i).empty())
            m_pages.emplace_back(pageLines.item(i));
    }

    const wxStringSplitter location(locationText(), '|', true);
    m_locationPart0 = location.item(0);
    m_locationPart1 = location.item(1);
    m_locationPart2 = location.item(2);
    m_company = location.item(3);
    const wxStringSplitter extras(location.item(4), ',', true);
    m_extra0 = extras.item(0);
    m_extra1 = extras.item(1);
}

const wxString& S_VISITDETAIL::visitField(unsigned i) const {
    static const wxString empty;
    return i < kDetailFieldCount ? m_fields[i] : empty;
}

wxString S_VISITDETAIL::keywords() const {
    return Types::searchTermsOf(referrerTail());
}

}  // namespace Tavoro::Messages
