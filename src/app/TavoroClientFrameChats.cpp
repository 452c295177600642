// Handlers of the messages about chats, operators and a visitor's history, and the actions
// that pick up and close chats.
#include <wx/grid.h>
#include <wx/msgdlg.h>
#include <wx/notebook.h>

#include "app/Notifications.h"
#include "app/TavoroClientFrame.h"
#include "app/UiPrompts.h"
#include "dialog/SitePropertiesDialog.h"
#include "dialog/VisitDetail.h"
#include "dialog/VisitorChatFrame.h"
#include "messages/C_GETVISIT.h"
#include "messages/ClientRequests.h"
#include "messages/S_CHAT.h"
#include "messages/S_CHATTRANSFER.h"
#include "messages/S_CURRENTCHAT.h"
#include "messages/S_FROMCLIENT.h"
#include "messages/S_MESSAGE.h"
#include "messages/S_PREVCHAT.h"
#include "messages/S_PREVCHATS.h"
#include "messages/S_PREVVISITS.h"
#include "messages/S_PopupMessage.h"
#include "messages/S_SS.h"
#include "messages/S_VISITDETAIL.h"
#include "messages/S_VISITORS.h"
#include "net/ConnectionThread.h"
#include "net/NetTrace.h"
#include "widgets/VisitorGrid.h"

namespace Tavoro {

using namespace Messages;

namespace {

// Makes the grid's row count equal to count, adding or taking rows at the top.
void resizeRows(wxGrid* grid, int count) {
    const int rows = grid->GetNumberRows();
    if (rows > count) {
        grid->DeleteRows(0, rows - count);
    } else if (rows < count) {
        grid->InsertRows(0, count - rows);
    }
}

const wxString kVisitorLeft = "Visitor has left the conversation.";

}  // namespace

Dialog::VisitorChatFrame* TavoroClientFrame::chatWindow(const wxString& chatId) const {
    return dynamic_cast<Dialog::VisitorChatFrame*>(m_chatWindows.get(chatId));
}

int TavoroClientFrame::chatRowOf(const wxString& ipAddress, int otherColumn,
                                 const wxString& otherValue) const {
    for (int row = 0; row < m_chattingGrid->GetNumberRows(); ++row) {
        if (m_chattingGrid->GetCellValue(row, m_chatIpColumn) == ipAddress &&
            m_chattingGrid->GetCellValue(row, otherColumn) == otherValue) {
            return row;
        }
    }
    return -1;
}

void TavoroClientFrame::handleChattingVisitors(const TavoroMessage& message) {
    const S_VISITORS list(message);
    if (list.count() == 0) {
        if (m_chattingGrid->GetNumberRows() > 0) {
            m_chattingGrid->DeleteRows(0, m_chattingGrid->GetNumberRows());
        }
        return;
    }
    m_chattingGrid->BeginBatch();
    resizeRows(m_chattingGrid, list.count());
    int row = 0;
    for (const auto& r : list.records()) {
        m_chattingGrid->SetCellValue(row, 0, r.id);
        m_chattingGrid->SetCellValue(row, 1, r.name);
        m_chattingGrid->SetCellValue(row, 2, r.domain);
        m_chattingGrid->SetCellValue(row, 3, r.lastActivity);
        m_chattingGrid->SetCellValue(row, 4, operatorName(r.talkingTo));
        m_chattingGrid->SetCellValue(row, 5, r.language);
        m_chattingGrid->SetCellValue(row, 6, r.translating);
        m_chattingGrid->SetCellValue(row, 7, r.department);
        m_chattingGrid->SetCellValue(row, 8, operatorName(r.monitoredBy));
        m_chattingGrid->SetCellValue(row, 9, r.ipAddress);
        ++row;
    }
    m_chattingGrid->EndBatch();
    m_chattingGrid->AutoSizeColumns(false);
}

void TavoroClientFrame::handleOperators(const TavoroMessage& message) {
    m_operatorList = std::make_unique<S_CLIENTS>(message);
    m_operatorsGrid->BeginBatch();
    resizeRows(m_operatorsGrid, m_operatorList->count());
    int row = 0;
    for (const auto& op : m_operatorList->operators()) {
        const wxString cells[] = {op.connection, op.ipAddress, op.name,    op.department,
                                  op.statusText, op.language,  op.username};
        for (int col = 0; col < 7; ++col)
            m_operatorsGrid->SetCellValue(row, col, cells[col]);
        ++row;
    }
    wxString tab = _("Connected Users %NUMBER%");
    tab.Replace("%NUMBER%", wxString::Format("%d", m_operatorList->count()));
    m_notebook1->SetPageText(2, tab);
    m_operatorsGrid->AutoSizeColumns(false);
    m_operatorsGrid->EndBatch();
}

void TavoroClientFrame::handleChatRequest(const TavoroMessage& message) {
    const S_CHAT request(message);
    Notifications::chatRequested(m_settings, request);
    m_notebook2->ChangeSelection(0);
}

void TavoroClientFrame::handleCurrentChat(const TavoroMessage& message) {
    const S_CURRENTCHAT chat(message);
    const int row = chatRowOf(chat.ipAddress(), m_chatNameColumn, chat.visitorName());
    if (row < 0)
        return;
    if (auto* window = chatWindow(m_chattingGrid->GetCellValue(row, m_chatIdColumn))) {
        window->show_current_chat(chat);
    }
}

void TavoroClientFrame::handleChatLine(const TavoroMessage& message) {
    const S_MESSAGE line(message);
    auto* window = chatWindow(line.chatId());
    if (!window)
        return;
    if (line.text() == kVisitorLeft) {
        window->show_visitor_left();
        m_chatWindows.remove(line.chatId());
    } else {
        // The time from reading the frame to the line in the transcript view is kept for the
        // load tests (the last 10,000 lines).
        if (!window->lineShownObserver) {
            window->lineShownObserver = [this](long receivedAt) {
                if (m_lineLatencies.size() >= 10000)
                    m_lineLatencies.erase(m_lineLatencies.begin());
                m_lineLatencies.push_back(ConnectionThread::monotonicMs() - receivedAt);
            };
        }
        window->show_message(line, m_frameReadAt);
    }
}

void TavoroClientFrame::handleTyping(const TavoroMessage& message, bool typing) {
    if (auto* window = chatWindow(message.data())) {
        window->show_typing(typing);
    }
}

Dialog::VisitorChatFrame* TavoroClientFrame::chatWindowOfVisitor(const wxString& ipAddress,
                                                                 const wxString& site) const {
    const int row = chatRowOf(ipAddress, 2, siteDomain(site));
    return row < 0 ? nullptr : chatWindow(m_chattingGrid->GetCellValue(row, m_chatIdColumn));
}

const Types::VisitorType* TavoroClientFrame::selectedVisitor() const {
    const int row = m_visitorGrid->first_selected_row();
    return row < 0 ? nullptr : m_visitorGrid->visitor_at(row);
}

void TavoroClientFrame::handlePrevChats(const TavoroMessage& message) {
    auto chats = std::make_unique<S_PREVCHATS>(message);
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

void TavoroClientFrame::handlePrevVisits(const TavoroMessage& message) {
    auto visits = std::make_unique<S_PREVVISITS>(message);
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

void TavoroClientFrame::handleVisitDetail(const TavoroMessage& message) {
    auto detail = std::make_unique<S_VISITDETAIL>(message);
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

void TavoroClientFrame::handlePrevChat(const TavoroMessage& message) {
    auto* window = new Dialog::VisitorChatFrame(this, this);
    window->show_previous_chat(std::make_unique<S_PREVCHAT>(message));
    window->Show();
    window->Raise();
}

void TavoroClientFrame::handleSiteSettings(const TavoroMessage& message) {
    showStatus(m_statusText);
    auto* dialog = new Dialog::SitePropertiesDialog(this, std::make_unique<S_SS>(message));
    dialog->Show();
}

void TavoroClientFrame::handlePopup(const TavoroMessage& message) {
    Notifications::popupReceived(m_settings, S_PopupMessage(message));
}

void TavoroClientFrame::handleFromClient(const TavoroMessage& message) {
    const S_FROMCLIENT from(message);
    if (from.text().StartsWith("~transfer~")) {
        const S_CHATTRANSFER offer(from);
        traceNet("Chat transfer offer from " + offer.from() + " for " + offer.detail2());
    }
}

int TavoroClientFrame::chattingRowOfChat(const wxString& chatId) const {
    if (chatId.empty())
        return -1;
    for (int row = 0; row < m_chattingGrid->GetNumberRows(); ++row) {
        if (m_chattingGrid->GetCellValue(row, m_chatIdColumn) == chatId)
            return row;
    }
    return -1;
}

void TavoroClientFrame::startChat(int row) {
    if (row < 0 || row >= m_chattingGrid->GetNumberRows())
        return;
    startChat(m_chattingGrid->GetCellValue(row, m_chatIdColumn));
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
    const int row = chattingRowOfChat(chatId);
    if (row < 0) {
        showStatus(_("That chat is no longer waiting: it was not picked up."));
        return;
    }
    const wxString talkingTo = m_chattingGrid->GetCellValue(row, 4);
    const wxString name = m_chattingGrid->GetCellValue(row, m_chatNameColumn);
    if (!talkingTo.empty()) {
        wxString text = _("Visitor %VISITORNAME% has already started chatting to %OPERATORNAME%");
        text.Replace("%VISITORNAME%", name, false);
        text.Replace("%OPERATORNAME%", talkingTo, false);
        UiPrompts::showModelessMessage(this, text, _("Visitor Already Chatting"));
        return;
    }
    sendToServer(takeChatRequest(chatId));
    const wxString domain = m_chattingGrid->GetCellValue(row, 2);
    auto* window = new Dialog::VisitorChatFrame(this, this);
    window->setup_chat(chatId, name, domain);
    m_chatWindows.insert(chatId, window);
    window->Show();

    const wxString ip = m_chattingGrid->GetCellValue(row, m_chatIpColumn);
    wxString siteKey;
    for (const auto& site : m_sites) {
        if (site->domain() == domain) {
            siteKey = site->siteKey();
            break;
        }
    }
    for (const Types::VisitorType& v : m_visitors) {
        if (v.ipAddress() == ip && v.site() == siteKey) {
            sendToServer(C_GETVISIT(v.site(), v.ipAddress(), v.username(), v.visitText()).toText());
            break;
        }
    }
    sendToServer(getPrevChatsRequest(siteKey, ip));
}

void TavoroClientFrame::closeChatSession() {
    const int row = firstSelectedChattingRow();
    if (row < 0)
        return;
    closeChatSession(m_chattingGrid->GetCellValue(row, m_chatIdColumn),
                     m_chattingGrid->GetCellValue(row, m_chatNameColumn));
}

void TavoroClientFrame::closeChatSession(const wxString& chatId, const wxString& visitorName) {
    if (chatId.empty())
        return;
    wxString text =
        _("Really close chat session for %NAME%? %CRLF% Other operators will not be able to pick "
          "up this chat once it is closed.  The visitor will recieve a 'Chat Session Closed' "
          "message.");
    text.Replace("%NAME%", visitorName, false);
    text.Replace("%CRLF%", "\r\n", false);
    const int answer = UiPrompts::showMessage(this, text, _("Close Visitor Chat"),
                                              wxYES_NO | wxNO_DEFAULT | wxICON_QUESTION);
    m_chattingGrid->ClearSelection();
    if (answer != wxYES)
        return;
    // The list may have changed while the question was up: the chat asked about is closed, and
    // only if it is still there.
    if (chattingRowOfChat(chatId) < 0) {
        wxString gone = _("The chat with %NAME% has already ended: nothing was closed.");
        gone.Replace("%NAME%", visitorName, false);
        showStatus(gone);
        return;
    }
    if (auto* window = chatWindow(chatId)) {
        window->show_chat_closed();
        m_chatWindows.remove(chatId);
    }
    sendToServer(closeChatRequest(chatId));
}

}  // namespace Tavoro
