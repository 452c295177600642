#include "app/ChatShortcuts.h"

#include <wx/menu.h>
#include <wx/toplevel.h>

#include <algorithm>
#include <utility>
#include <vector>

#include "app/ClientIds.h"
#include "app/TavoroClientFrame.h"
#include "dialog/VisitorChatFrame.h"

namespace Tavoro {

using Dialog::VisitorChatFrame;

std::function<void(wxWindow*)> ChatShortcuts::raiseHook;

ChatShortcuts::ChatShortcuts(TavoroClientFrame& frame) : m_frame(frame) {
    m_menu = new wxMenu();
    refreshMenu();
    wxMenuBar* bar = m_frame.GetMenuBar();
    bar->Insert(bar->GetMenuCount() > 0 ? bar->GetMenuCount() - 1 : 0, m_menu, _("&Chats"));

    m_frame.Bind(
        wxEVT_MENU, [this](wxCommandEvent&) { pickUpLongestWaiting(); }, ID_MENU_PICK_UP);
    m_frame.Bind(
        wxEVT_MENU,
        [this](wxCommandEvent& event) {
            switchTo(event.GetId() - VisitorChatFrame::ID_SWITCH_CHAT_FIRST);
        },
        VisitorChatFrame::ID_SWITCH_CHAT_FIRST,
        VisitorChatFrame::ID_SWITCH_CHAT_FIRST + VisitorChatFrame::kSwitchChatKeys - 1);
    // Windows come and go without a new chat list (a window closed, a chat left): the list is
    // made again whenever the operator opens the menu.
    m_frame.Bind(wxEVT_MENU_OPEN, [this](wxMenuEvent& event) {
        if (event.GetMenu() == m_menu)
            refreshMenu();
        event.Skip();
    });
}

void ChatShortcuts::chatListChanged() {
    const Session::OperatorSession& session = m_frame.session();
    // Waiting means what a double click checks: no operator name for the chat's "Talking To".
    m_waiting.update(session.chats(), [&session](const Types::VisitorChatType& chat) {
        return session.operatorName(chat.talkingTo).empty();
    });
    refreshMenu();
}

wxString ChatShortcuts::longestWaitingChat() const {
    return m_waiting.longestWaiting([this](const wxString& chatId) {
        return m_frame.chatWindow(chatId) == nullptr && m_frame.session().findChat(chatId);
    });
}

void ChatShortcuts::pickUpLongestWaiting() {
    const wxString chatId = longestWaitingChat();
    if (chatId.empty()) {
        if (m_frame.GetStatusBar())
            m_frame.SetStatusText(_("No chat is waiting to be picked up."));
        return;
    }
    m_frame.startChat(chatId);
    refreshMenu();
}

void ChatShortcuts::switchTo(int place) {
    refreshMenu();
    const std::vector<wxWindow*> open = m_frame.chatWindows().windows();
    if (place < 0 || place >= static_cast<int>(open.size()))
        return;
    wxWindow* window = open[static_cast<size_t>(place)];
    if (raiseHook) {
        raiseHook(window);
        return;
    }
    if (auto* frame = dynamic_cast<wxTopLevelWindow*>(window))
        frame->Iconize(false);
    window->Raise();
    window->SetFocus();
}

void ChatShortcuts::refreshMenu() {
    // Menu items are rebuilt only when the open chats differ from those listed: chat lists
    // arrive often, and remaking menu items each time costs the toolkit real work.
    std::vector<std::pair<wxWindow*, wxString>> listed;
    for (wxWindow* window : m_frame.chatWindows().windows()) {
        const auto* chat = dynamic_cast<VisitorChatFrame*>(window);
        wxString label = chat ? chat->visitor_name() : window->GetLabel();
        if (chat && !chat->web_site().empty())
            label += " (" + chat->web_site() + ")";
        label.Replace("&", "&&");
        listed.emplace_back(window, label);
    }
    if (m_menu->GetMenuItemCount() > 0 && listed == m_listed)
        return;
    m_listed = listed;
    while (m_menu->GetMenuItemCount() > 0)
        m_menu->Destroy(m_menu->FindItemByPosition(0));
    m_menu->Append(ID_MENU_PICK_UP, _("&Pick Up Longest Waiting\tCtrl+P"),
                   _("Start chatting to the visitor who has waited longest"));
    if (!listed.empty())
        m_menu->AppendSeparator();
    const size_t shown =
        std::min(listed.size(), static_cast<size_t>(VisitorChatFrame::kSwitchChatKeys));
    for (size_t i = 0; i < shown; ++i) {
        m_menu->Append(VisitorChatFrame::ID_SWITCH_CHAT_FIRST + static_cast<int>(i),
                       wxString::Format("&%zu %s\tCtrl+%zu", i + 1, listed[i].second, i + 1));
    }
}

}  // namespace Tavoro
