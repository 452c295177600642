// Lookups and requests the main window offers to its child windows.
#include <wx/grid.h>
#include <wx/notebook.h>

#include "app/TavoroClientFrame.h"
#include "messages/C_TRANSFER.h"
#include "messages/ClientRequests.h"
#include "settings/TavoroSettings.h"

namespace Tavoro {

using namespace Messages;

wxString TavoroClientFrame::operatorName(const wxString& connectionNumber) const {
    // "0" or nothing means no operator, whether or not the operator list has arrived.
    if (connectionNumber.empty() || connectionNumber == "0")
        return wxString();
    if (!m_operatorList)
        return _("Unknown Operator");
    const Types::ClientType* op = m_operatorList->findByConnection(connectionNumber);
    return op ? op->name : _("Unknown Operator");
}

wxString TavoroClientFrame::siteDomain(const wxString& siteKey) const {
    for (const auto& site : m_sites) {
        if (site->siteKey() == siteKey)
            return site->domain();
    }
    return _("Unknown Domain");
}

const Types::Alert* TavoroClientFrame::findAlert(const wxString& siteKey,
                                                 const wxString& alertId) const {
    for (const auto& site : m_sites) {
        if (site->siteKey() == siteKey)
            return site->findAlert(alertId);
    }
    return nullptr;
}

void TavoroClientFrame::requestPrevChat(const wxString& siteKey, const wxString& chatId) {
    sendToServer(getPrevChatRequest(siteKey, chatId));
}

void TavoroClientFrame::requestPrevChats(const wxString& siteKey, const wxString& ipAddress) {
    sendToServer(getPrevChatsRequest(siteKey, ipAddress));
}

void TavoroClientFrame::requestPrevVisits(const wxString& siteKey, const wxString& ipAddress,
                                          const wxString& username) {
    sendToServer(getPrevVisitsRequest(siteKey, ipAddress, username));
}

void TavoroClientFrame::pushLink(const wxString& chatId, const wxString& address) {
    sendToServer(linkToRequest(chatId, address));
}

void TavoroClientFrame::sendChatText(const wxString& chatId, const wxString& line) {
    if (chatId.empty())
        return;
    sendToServer(sendToRequest(chatId, line));
}

void TavoroClientFrame::sendTyping(const wxString& chatId, bool typing) {
    if (chatId.empty())
        return;
    sendToServer(typing ? typingOnRequest(chatId) : typingOffRequest(chatId));
}

bool TavoroClientFrame::blockVisitor(const wxString& chatId) {
    const int row = chattingRowOfChat(chatId);
    if (row < 0 || !m_connection)
        return false;
    sendToServer(blockRequest(m_chattingGrid->GetCellValue(row, m_chatIpColumn)));
    return true;
}

void TavoroClientFrame::leaveChat(const wxString& chatId) {
    if (chatId.empty())
        return;
    m_chatWindows.remove(chatId);
    sendToServer(leaveRequest(chatId));
}

void TavoroClientFrame::closeChat(const wxString& chatId) {
    if (chatId.empty())
        return;
    m_chatWindows.remove(chatId);
    sendToServer(closeChatRequest(chatId));
}

void TavoroClientFrame::transferChat(const wxString& chatId, const wxString& webSite,
                                     const wxString& visitorName, const wxString& targetOperator) {
    if (chatId.empty() || targetOperator.empty())
        return;
    wxString text =
        m_settings.getString(SETTING_CHAT_TRANSFER_MESSAGE,
                             _("Please pick up the chat session for visitor %VISITORNAME%"));
    text.Replace("%VISITORNAME%", visitorName);
    sendToServer(C_TRANSFER(targetOperator, chatId, webSite, visitorName, text).toText());
}

bool TavoroClientFrame::requestDaySummary() {
    if (m_notebook1->GetSelection() != 1)
        return false;
    sendToServer(daySummaryRequestOfSelection());
    return true;
}

}  // namespace Tavoro
