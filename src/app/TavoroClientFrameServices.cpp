// Lookups and requests the main window offers to its child windows: each is the session's.
#include <wx/notebook.h>

#include "app/ClientIds.h"
#include "app/SiteTreeView.h"
#include "app/TavoroClientFrame.h"
#include "messages/C_TRANSFER.h"
#include "messages/S_SD.h"
#include "settings/TavoroSettings.h"

namespace Tavoro {

wxString TavoroClientFrame::operatorName(const wxString& connectionNumber) const {
    return m_session.operatorName(connectionNumber);
}

wxString TavoroClientFrame::siteDomain(const wxString& siteKey) const {
    return m_session.siteDomain(siteKey);
}

const Types::Alert* TavoroClientFrame::findAlert(const wxString& siteKey,
                                                 const wxString& alertId) const {
    const Messages::S_SD* site = m_session.findSite(siteKey);
    return site ? site->findAlert(alertId) : nullptr;
}

void TavoroClientFrame::requestPrevChat(const wxString& siteKey, const wxString& chatId) {
    m_session.requestPrevChat(siteKey, chatId);
}

void TavoroClientFrame::requestPrevChats(const wxString& siteKey, const wxString& ipAddress) {
    m_session.requestPrevChats(siteKey, ipAddress);
}

void TavoroClientFrame::requestPrevVisits(const wxString& siteKey, const wxString& ipAddress,
                                          const wxString& username) {
    m_session.requestPrevVisits(siteKey, ipAddress, username);
}

void TavoroClientFrame::pushLink(const wxString& chatId, const wxString& address) {
    m_session.pushLink(chatId, address);
}

void TavoroClientFrame::sendChatText(const wxString& chatId, const wxString& line) {
    m_session.sendChatText(chatId, line);
}

void TavoroClientFrame::sendTyping(const wxString& chatId, bool typing) {
    m_session.sendTyping(chatId, typing);
}

bool TavoroClientFrame::blockVisitor(const wxString& chatId) {
    return m_session.blockVisitorOf(chatId);
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
