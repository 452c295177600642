// Handlers of the messages about chats, operators and a visitor's history, and the actions
// that pick up and close chats.
#include <wx/grid.h>
#include <wx/msgdlg.h>
#include <wx/notebook.h>

#include "app/ChatAlerts.h"
#include "app/ChatShortcuts.h"
#include "app/ClientIds.h"
#include "app/SessionGrids.h"
#include "app/TavoroClientFrame.h"
#include "app/UiPrompts.h"
#include "dialog/SitePropertiesDialog.h"
#include "dialog/VisitDetail.h"
#include "dialog/VisitorChatFrame.h"
#include "messages/S_CHAT.h"
#include "messages/S_CURRENTCHAT.h"
#include "messages/S_MESSAGE.h"
#include "messages/S_PREVCHAT.h"
#include "messages/S_PREVCHATS.h"
#include "messages/S_PREVVISITS.h"
#include "messages/S_PopupMessage.h"
#include "messages/S_SS.h"
#include "messages/S_VISITDETAIL.h"
#include "net/ConnectionThread.h"
#include "tools/Placeholders.h"
#include "widgets/Notifications.h"
#include "widgets/VisitorGrid.h"

namespace Tavoro {

using namespace Messages;

Dialog::VisitorChatFrame* TavoroClientFrame::chatWindow(const wxString& chatId) const {
    return dynamic_cast<Dialog::VisitorChatFrame*>(m_chatWindows.get(chatId));
}

void TavoroClientFrame::chatListChanged() {
    SessionGrids::showChats(m_chattingGrid, m_session);
    m_alerts->chatListChanged();
    m_shortcuts->chatListChanged();
}

void TavoroClientFrame::operatorsChanged() {
    m_notebook1->SetPageText(PAGE_OPERATORS,
                             SessionGrids::showOperators(m_operatorsGrid, m_session));
}

void TavoroClientFrame::chatRequested(const S_CHAT& request) {
    m_alerts->chatRequested(request);
}

void TavoroClientFrame::currentChatReceived(const wxString& chatId, const S_CURRENTCHAT& chat) {
    if (auto* window = chatWindow(chatId))
        window->show_current_chat(chat);
}

void TavoroClientFrame::chatReattached(const wxString& chatId, bool stillOurs,
                                       const std::vector<wxString>& heldLines) {
    if (auto* window = chatWindow(chatId))
        window->show_reattached(stillOurs, heldLines);
    if (!stillOurs)
        m_chatWindows.remove(chatId);
}

void TavoroClientFrame::visitorLeftChat(const wxString& chatId) {
    if (auto* window = chatWindow(chatId))
        window->show_visitor_left();
    m_chatWindows.remove(chatId);
}

void TavoroClientFrame::chatLineReceived(const S_MESSAGE& line, long readAt) {
    auto* window = chatWindow(line.chatId());
    if (!window)
        return;
    // The time from reading the frame to the line in the transcript view is kept for the load
    // tests (the last 10,000 lines).
    if (!window->lineShownObserver) {
        window->lineShownObserver = [this](long receivedAt) {
            if (m_lineLatencies.size() >= 10000)
                m_lineLatencies.erase(m_lineLatencies.begin());
            m_lineLatencies.push_back(ConnectionThread::monotonicMs() - receivedAt);
        };
    }
    window->show_message(line, readAt);
}

void TavoroClientFrame::typingChanged(const wxString& chatId, bool typing) {
    if (auto* window = chatWindow(chatId))
        window->show_typing(typing);
}

Dialog::VisitorChatFrame* TavoroClientFrame::chatWindowOfVisitor(const wxString& ipAddress,
                                                                 const wxString& site) const {
    const Types::VisitorChatType* chat = m_session.findChatOnSite(ipAddress, site);
    return chat ? chatWindow(chat->id) : nullptr;
}

const Types::VisitorType* TavoroClientFrame::selectedVisitor() const {
    const int row = m_visitorGrid->first_selected_row();
    return row < 0 ? nullptr : m_visitorGrid->visitor_at(row);
}

void TavoroClientFrame::prevChatsReceived(std::unique_ptr<S_PREVCHATS> chats) {
    if (auto* window = chatWindowOfVisitor(chats->ipAddress(), chats->site())) {
        window->show_prev_chats(std::move(chats));
        return;
    }
    const Types::VisitorType* v = selectedVisitor();
    if (v && v->ipAddress() == chats->ipAddress() && v->site() == chats->site()) {
        m_visitDetail->show_prev_chats(std::move(chats));
        reshowDetail();
    }
}

void TavoroClientFrame::prevVisitsReceived(std::unique_ptr<S_PREVVISITS> visits) {
    if (auto* window = chatWindowOfVisitor(visits->ipAddress(), visits->site())) {
        window->show_prev_visits(std::move(visits));
        return;
    }
    const Types::VisitorType* v = selectedVisitor();
    if (v && v->ipAddress() == visits->ipAddress() && v->username() == visits->keyTail() &&
        v->site() == visits->site()) {
        m_visitDetail->show_prev_visits(std::move(visits));
        reshowDetail();
    }
}

void TavoroClientFrame::visitDetailReceived(std::unique_ptr<S_VISITDETAIL> detail) {
    if (auto* window = chatWindowOfVisitor(detail->visitField1(), detail->site())) {
        window->show_visit(std::move(detail));
        return;
    }
    const Types::VisitorType* v = selectedVisitor();
    if (v && v->ipAddress() == detail->visitField1() && v->username() == detail->username() &&
        v->site() == detail->site() && v->visitText() == detail->visitNumber()) {
        m_visitDetail->show_visit(std::move(detail));
        reshowDetail();
    }
}

void TavoroClientFrame::prevChatReceived(std::unique_ptr<S_PREVCHAT> chat) {
    auto* window = new Dialog::VisitorChatFrame(this, this);
    window->show_previous_chat(std::move(chat));
    window->Show();
    window->Raise();
}

void TavoroClientFrame::siteSettingsReceived(std::unique_ptr<S_SS> settings) {
    showStatus(m_session.statusText());
    auto* dialog = new Dialog::SitePropertiesDialog(this, std::move(settings));
    dialog->Show();
}

void TavoroClientFrame::popupReceived(const S_PopupMessage& popup) {
    Notifications::popupReceived(m_settings, popup);
}

void TavoroClientFrame::startChat(int row) {
    if (row < 0 || row >= m_chattingGrid->GetNumberRows())
        return;
    startChat(m_chattingGrid->GetCellValue(row, CHAT_COL_ID));
}

void TavoroClientFrame::startChat(const wxString& chatId) {
    if (chatId.empty())
        return;
    // A chat already open (or being opened) comes to the front; it is never taken twice.
    if (auto* window = chatWindow(chatId)) {
        window->Raise();
        window->SetFocus();
        return;
    }
    const Types::VisitorChatType* chat = m_session.findChat(chatId);
    if (!chat) {
        showStatus(_("That chat is no longer waiting: it was not picked up."));
        return;
    }
    const wxString talkingTo = m_session.operatorName(chat->talkingTo);
    if (!talkingTo.empty()) {
        wxString text = _("Visitor %VISITORNAME% has already started chatting to %OPERATORNAME%");
        text = Tools::fillPlaceholders(
            text, {{"%VISITORNAME%", chat->name}, {"%OPERATORNAME%", talkingTo}},
            Tools::PlaceholderFill::First);
        UiPrompts::showModelessMessage(this, text, _("Visitor Already Chatting"));
        return;
    }
    auto* window = new Dialog::VisitorChatFrame(this, this);
    window->setup_chat(chatId, chat->name, chat->domain);
    m_chatWindows.insert(chatId, window);
    m_session.takeChat(chatId);
    window->Show();
}

void TavoroClientFrame::closeChatSession() {
    const int row = firstSelectedChattingRow();
    if (row < 0)
        return;
    closeChatSession(m_chattingGrid->GetCellValue(row, CHAT_COL_ID),
                     m_chattingGrid->GetCellValue(row, CHAT_COL_NAME));
}

void TavoroClientFrame::closeChatSession(const wxString& chatId, const wxString& visitorName) {
    if (chatId.empty())
        return;
    wxString text =
        _("Really close chat session for %NAME%? %CRLF% Other operators will not be able to pick "
          "up this chat once it is closed.  The visitor will recieve a 'Chat Session Closed' "
          "message.");
    text = Tools::fillPlaceholders(text, {{"%NAME%", visitorName}, {"%CRLF%", "\r\n"}},
                                   Tools::PlaceholderFill::First);
    const int answer = UiPrompts::showMessage(this, text, _("Close Visitor Chat"),
                                              wxYES_NO | wxNO_DEFAULT | wxICON_QUESTION);
    m_chattingGrid->ClearSelection();
    if (answer != wxYES)
        return;
    // The list may have changed while the question was up: the chat asked about is closed, and
    // only if it is still there.
    if (!m_session.findChat(chatId)) {
        wxString gone = _("The chat with %NAME% has already ended: nothing was closed.");
        gone =
            Tools::fillPlaceholders(gone, {{"%NAME%", visitorName}}, Tools::PlaceholderFill::First);
        showStatus(gone);
        return;
    }
    if (auto* window = chatWindow(chatId)) {
        window->show_chat_closed();
        m_chatWindows.remove(chatId);
    }
    m_session.closeChat(chatId);
}

}  // namespace Tavoro
