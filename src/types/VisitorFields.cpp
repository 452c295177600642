#include "types/VisitorFields.h"

#include "tools/wxStringSplitter.h"
#include "types/Int32.h"

namespace Tavoro::Types {

using Tools::wxStringSplitter;

bool VisitorFields::parseLine(const wxString& line, unsigned fewestRejected) {
    const wxStringSplitter fields(line, '\t', true);
    if (fields.count() <= fewestRejected)
        return false;

    m_visitorKey = fields.item(0);
    const wxStringSplitter keyParts(m_visitorKey, ':', true);
    m_site = keyParts.item(0);
    m_ipAddress = keyParts.item(1);
    m_keyTail = keyParts.item(2);

    m_numberText = fields.item(1);
    m_number = clampToInt32(fields.itemAsLong(1));
    m_visitText = fields.item(2);
    m_raisedAlertId = fields.item(3);
    m_viewsText = fields.item(4);
    m_pageViews = clampToInt32(fields.itemAsLong(4));
    m_text5 = fields.item(5);
    m_dns = fields.item(6);
    m_text7 = fields.item(7);
    m_username = fields.item(8);
    m_onPage = fields.item(9);
    m_text10 = fields.item(10);
    m_lastTime = fields.item(11);
    m_browser = fields.item(12);
    m_opSys = fields.item(13);

    const wxString& flagText = fields.item(14);
    for (unsigned i = 0; i < kFlagCount; ++i) {
        m_flags[i] = i < flagText.length() && flagText[i] == 'Y';
    }

    m_text15 = fields.item(15);
    m_text16 = fields.item(16);
    m_text17 = fields.item(17);
    m_text18 = fields.item(18);
    // Present in full lines only; a shorter line leaves them empty.
    m_location = fields.item(19);
    m_referrer = fields.item(20);
    m_startTime = fields.item(21);
    return true;
}

bool VisitorFields::operator==(const VisitorFields& o) const {
    return m_number == o.m_number && m_pageViews == o.m_pageViews &&
           m_numberText == o.m_numberText && m_site == o.m_site && m_ipAddress == o.m_ipAddress &&
           m_dns == o.m_dns && m_text7 == o.m_text7 && m_username == o.m_username &&
           m_keyTail == o.m_keyTail && m_visitText == o.m_visitText && m_onPage == o.m_onPage &&
           m_text5 == o.m_text5 && m_startTime == o.m_startTime && m_lastTime == o.m_lastTime &&
           m_browser == o.m_browser && m_opSys == o.m_opSys &&
           m_raisedAlertId == o.m_raisedAlertId && m_referrer == o.m_referrer &&
           m_text10 == o.m_text10 && m_text15 == o.m_text15 && m_text16 == o.m_text16 &&
           m_text17 == o.m_text17 && m_text18 == o.m_text18 && m_viewsText == o.m_viewsText &&
           m_visitorKey == o.m_visitorKey && m_location == o.m_location && m_flags == o.m_flags;
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
