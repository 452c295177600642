// What the operator asks of the server, and the lookups the views make in the session's state.
#include <wx/translation.h>

#include "messages/C_GETVISIT.h"
#include "messages/C_INVITE.h"
#include "messages/C_TRANSFER.h"
#include "messages/ClientRequests.h"
#include "net/ConnectionThread.h"
#include "session/OperatorSession.h"
#include "session/SessionObserver.h"
#include "settings/TavoroSettings.h"

namespace Tavoro::Session {

using namespace Messages;

// ---------------------------------------------------------------- lookups

const S_SD* OperatorSession::findSite(const wxString& siteKey) const {
    for (const auto& site : m_sites) {
        if (site->siteKey() == siteKey)
            return site.get();
    }
    return nullptr;
}

wxString OperatorSession::siteDomain(const wxString& siteKey) const {
    const S_SD* site = findSite(siteKey);
    return site ? site->domain() : _("Unknown Domain");
}

const Types::DaySummary* OperatorSession::daySummary(const wxString& siteKey) const {
    const auto found = m_daySummaries.find(siteKey);
    return found == m_daySummaries.end() ? nullptr : &found->second;
}

wxString OperatorSession::operatorName(const wxString& connectionNumber) const {
    // "0" or nothing means no operator, whether or not the operator list has arrived.
    if (connectionNumber.empty() || connectionNumber == "0")
        return wxString();
    const Types::ClientType* op =
        m_operators ? m_operators->findByConnection(connectionNumber) : nullptr;
    return op ? op->name : _("Unknown Operator");
}

const Types::VisitorChatType* OperatorSession::findChat(const wxString& chatId) const {
    if (chatId.empty())
        return nullptr;
    for (const Types::VisitorChatType& chat : m_chats) {
        if (chat.id == chatId)
            return &chat;
    }
    return nullptr;
}

const Types::VisitorChatType* OperatorSession::findChatOfVisitor(const wxString& ipAddress,
                                                                 const wxString& name) const {
    for (const Types::VisitorChatType& chat : m_chats) {
        if (chat.ipAddress == ipAddress && chat.name == name)
            return &chat;
    }
    return nullptr;
}

const Types::VisitorChatType* OperatorSession::findChatOnSite(const wxString& ipAddress,
                                                              const wxString& siteKey) const {
    const wxString domain = siteDomain(siteKey);
    for (const Types::VisitorChatType& chat : m_chats) {
        if (chat.ipAddress == ipAddress && chat.domain == domain)
            return &chat;
    }
    return nullptr;
}

// ---------------------------------------------------------------- requests

void OperatorSession::sendStatus(Types::OperatorStatus status) {
    // The operator's own choice ends a busy or away spell the session started.
    m_autoBusy = false;
    m_inactivity.forgetAway();
    changeStatus(status);
}

void OperatorSession::changeStatus(Types::OperatorStatus status) {
    m_loginStatus = status;
    send(statusRequest(status));
}

void OperatorSession::applyAutoBusy() {
    const long limit = m_settings.getInt(SETTING_CHATS_BEFORE_AUTO_BUSY);
    const bool atLimit = limit > 0 && static_cast<long>(m_openChats.size()) >= limit;
    // While the inactivity rule holds the operator Away, this rule works on the status Away
    // covers: the operator sees Away until the return and then gets what this rule gives.
    const bool away = m_inactivity.isAway();
    const Types::OperatorStatus current = away ? m_inactivity.statusUnderAway() : m_loginStatus;
    Types::OperatorStatus next = current;
    if (atLimit && !m_autoBusy && current != Types::OperatorStatus::Busy) {
        m_statusBeforeBusy = current;
        m_autoBusy = true;
        next = Types::OperatorStatus::Busy;
    } else if (!atLimit && m_autoBusy) {
        m_autoBusy = false;
        next = m_statusBeforeBusy;
    } else {
        return;
    }
    if (away) {
        m_inactivity.setStatusUnderAway(next);
        return;
    }
    changeStatus(next);
    if (m_observer)
        m_observer->operatorStatusChanged();
}

bool OperatorSession::takeChat(const wxString& chatId) {
    const Types::VisitorChatType* chat = findChat(chatId);
    if (!chat)
        return false;
    m_openChats.insert(chatId);
    send(takeChatRequest(chatId));
    // The visitor's visit and earlier chats, for the chat window's side panes.
    wxString siteKey;
    for (const auto& site : m_sites) {
        if (site->domain() == chat->domain) {
            siteKey = site->siteKey();
            break;
        }
    }
    for (const Types::VisitorType& v : m_visitors) {
        if (v.ipAddress() == chat->ipAddress && v.site() == siteKey) {
            requestVisit(v);
            break;
        }
    }
    send(getPrevChatsRequest(siteKey, chat->ipAddress));
    applyAutoBusy();
    return true;
}

bool OperatorSession::closeChat(const wxString& chatId) {
    if (chatId.empty())
        return false;
    m_openChats.erase(chatId);
    m_reattaching.erase(chatId);
    m_heldLines.erase(chatId);
    send(closeChatRequest(chatId));
    applyAutoBusy();
    return true;
}

void OperatorSession::leaveChat(const wxString& chatId) {
    if (chatId.empty())
        return;
    m_openChats.erase(chatId);
    m_reattaching.erase(chatId);
    m_heldLines.erase(chatId);
    send(leaveRequest(chatId));
    applyAutoBusy();
}

void OperatorSession::sendChatText(const wxString& chatId, const wxString& line) {
    if (chatId.empty())
        return;
    // An open chat that is not the operator's again yet after a loss keeps the line until it
    // is (or says it was not sent).
    if (isChatOpen(chatId) &&
        (!isLoggedIn() || m_reattachOnNextList || m_reattaching.count(chatId) > 0)) {
        m_heldLines[chatId].push_back(line);
        return;
    }
    send(sendToRequest(chatId, line));
}

void OperatorSession::sendTyping(const wxString& chatId, bool typing) {
    if (!chatId.empty())
        send(typing ? typingOnRequest(chatId) : typingOffRequest(chatId));
}

void OperatorSession::pushLink(const wxString& chatId, const wxString& address) {
    send(linkToRequest(chatId, address));
}

bool OperatorSession::blockVisitorOf(const wxString& chatId) {
    const Types::VisitorChatType* chat = findChat(chatId);
    if (!chat || !m_connection)
        return false;
    send(blockRequest(chat->ipAddress));
    return true;
}

void OperatorSession::transferChat(const wxString& chatId, const wxString& webSite,
                                   const wxString& visitorName, const wxString& targetOperator,
                                   const wxString& text) {
    if (chatId.empty() || targetOperator.empty())
        return;
    send(C_TRANSFER(targetOperator, chatId, webSite, visitorName, text).toText());
}

bool OperatorSession::invite(const wxString& visitorKey, const wxString& text) {
    const Types::VisitorType* v = m_visitors.findByKey(visitorKey);
    if (!v)
        return false;
    send(C_INVITE(v->ipAddress(), v->username(), siteDomain(v->site()), text).toText());
    return true;
}

void OperatorSession::requestVisit(const Types::VisitorType& v) {
    send(C_GETVISIT(v.site(), v.ipAddress(), v.username(), v.visitText()).toText());
}

void OperatorSession::requestPrevChat(const wxString& siteKey, const wxString& chatId) {
    send(getPrevChatRequest(siteKey, chatId));
}

void OperatorSession::requestPrevChats(const wxString& siteKey, const wxString& ipAddress) {
    send(getPrevChatsRequest(siteKey, ipAddress));
}

void OperatorSession::requestPrevVisits(const wxString& siteKey, const wxString& ipAddress,
                                        const wxString& username) {
    send(getPrevVisitsRequest(siteKey, ipAddress, username));
}

void OperatorSession::requestSiteSettings(const wxString& siteKey) {
    send(getSiteSettingsRequest(siteKey));
}

void OperatorSession::requestDaySummary(const wxString& siteKey) {
    send(siteKey.empty() ? getDaySummariesRequest() : getSiteDaySummaryRequest(siteKey));
}

}  // namespace Tavoro::Session
