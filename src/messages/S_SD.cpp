#include "messages/S_SD.h"

#include "tools/wxStringSplitter.h"

namespace Tavoro::Messages {

S_SD::S_SD(const TavoroMessage& message) {
    const Tools::wxStringSplitter fields(message.data(), '\t', true);
    if (fields.count() <= 6)
        return;
    m_siteKey = fields.item(0);
    m_siteName = fields.item(1);
    m_domain = fields.item(2);
    m_groupKey = fields.item(3);
    m_groupName = fields.item(4);
    const wxString& flag = fields.item(5);
    m_flag5 = flag == "Y" || flag == "True" || flag == "1";
    const Tools::wxStringSplitter alerts(fields.item(6), wxChar(27), true);
    m_alerts.reserve(alerts.count());
    for (unsigned i = 0; i < alerts.count(); ++i)
        m_alerts.emplace_back(alerts.item(i));
}

const Types::Alert* S_SD::findAlert(const wxString& alertId) const {
    for (const Types::Alert& alert : m_alerts) {
        if (alert.alertId == alertId)
            return &alert;
    }
    return nullptr;
}

}  // namespace Tavoro::Messages
