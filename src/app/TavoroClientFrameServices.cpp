// Lookups and requests the main window offers to its child windows: each is the session's.
#include <wx/notebook.h>

#include "app/ClientIds.h"
#include "app/SiteTreeView.h"
#include "app/TavoroClientFrame.h"
#include "messages/C_TRANSFER.h"
#include "messages/S_SD.h"
#include "settings/TavoroSettings.h"

namespace Tavoro {

const Types::Alert* TavoroClientFrame::findAlert(const wxString& siteKey,
                                                 const wxString& alertId) const {
    const Messages::S_SD* site = m_session.findSite(siteKey);
    return site ? site->findAlert(alertId) : nullptr;
}

void TavoroClientFrame::leaveChat(const wxString& chatId) {
    m_chatWindows.remove(chatId);
    m_session.leaveChat(chatId);
}

void TavoroClientFrame::closeChat(const wxString& chatId) {
    m_chatWindows.remove(chatId);
    m_session.closeChat(chatId);
}

void TavoroClientFrame::transferChat(const wxString& chatId, const wxString& webSite,
                                     const wxString& visitorName, const wxString& targetOperator) {
    const wxString text = Messages::C_TRANSFER::transferTextFor(
        visitorName, m_settings.getString(SETTING_CHAT_TRANSFER_MESSAGE,
                                          Messages::C_TRANSFER::defaultTransferPattern()));
    m_session.transferChat(chatId, webSite, visitorName, targetOperator, text);
}

bool TavoroClientFrame::requestDaySummary() {
    if (m_notebook1->GetSelection() != PAGE_DAY_SUMMARY)
        return false;
    m_session.requestDaySummary(m_tree->selectedSiteKey());
    return true;
}

}  // namespace Tavoro
