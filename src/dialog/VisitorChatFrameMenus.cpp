// The chat's toolbar actions beyond the conversation: transfer, earlier chats, blocking,
// closing, and the visitor's history handed on to the visit detail panel.
#include "dialog/VisitorChatFrame.h"

#include <wx/button.h>
#include <wx/html/htmlwin.h>
#include <wx/intl.h>
#include <wx/splitter.h>
#include <wx/textctrl.h>
#include <wx/toolbar.h>

#include <algorithm>

#include "dialog/VisitDetail.h"
#include "messages/S_CLIENTS.h"
#include "messages/S_PREVCHATS.h"
#include "messages/S_PREVVISITS.h"
#include "messages/S_VISITDETAIL.h"
#include "tools/Placeholders.h"
#include "widgets/ClientServices.h"
#include "widgets/TranscriptView.h"

namespace Tavoro::Dialog {
namespace {

using Tools::fillPlaceholders;

// The visit detail panel's width beside the transcript, from the right edge.
constexpr int kVisitDetailWidth = -200;

// Menu labels treat "&" as a mnemonic marker; names from the server show it as written.
wxString menuLabel(const wxString& text) {
    wxString label = text;
    label.Replace("&", "&&");
    return label;
}

}  // namespace

std::unique_ptr<wxMenu> VisitorChatFrame::build_transfer_menu() {
    auto menu = std::make_unique<wxMenu>();
    m_transferTargets.clear();
    const Messages::S_CLIENTS* operators = m_services ? m_services->operatorList() : nullptr;
    if (operators) {
        const int capacity = ID_TRANSFER_LAST - ID_TRANSFER_FIRST + 1;
        for (const Types::ClientType& op : operators->operators()) {
            if (op.connection.empty())
                continue;  // an operator that cannot be addressed
            if (static_cast<int>(m_transferTargets.size()) >= capacity)
                break;
            const int id = ID_TRANSFER_FIRST + static_cast<int>(m_transferTargets.size());
            menu->Append(id, menuLabel(fillPlaceholders(_("%NAME% (%DEPARTMENT%) - %STATUS%"),
                                                        {{"%NAME%", op.name},
                                                         {"%DEPARTMENT%", op.department},
                                                         {"%STATUS%", op.statusText}})));
            m_transferTargets.push_back(op.connection);
        }
    }
    if (m_transferTargets.empty()) {
        menu->Append(ID_TRANSFER_NONE, _("No Other Operators Available"));
        menu->Enable(ID_TRANSFER_NONE, false);
    }
    return menu;
}

void VisitorChatFrame::show_transfer_menu() {
    if (m_readOnly || m_chatEnded)
        return;
    std::unique_ptr<wxMenu> menu = build_transfer_menu();
    if (popupMenuHook)
        popupMenuHook(this, *menu);
    else
        PopupMenu(menu.get());
}

void VisitorChatFrame::show_previous_chats_menu() {
    if (m_readOnly || m_previousChatsMenu.GetMenuItemCount() == 0)
        return;
    if (popupMenuHook)
        popupMenuHook(this, m_previousChatsMenu);
    else
        PopupMenu(&m_previousChatsMenu);
}

void VisitorChatFrame::on_menu(wxCommandEvent& event) {
    choose_menu_item(event.GetId());
}

void VisitorChatFrame::choose_menu_item(int id) {
    if (id >= ID_TRANSFER_FIRST && id <= ID_TRANSFER_LAST) {
        const size_t i = static_cast<size_t>(id - ID_TRANSFER_FIRST);
        if (i >= m_transferTargets.size() || m_readOnly || m_chatEnded || m_chatKey.empty())
            return;
        if (m_services)
            m_services->transferChat(m_chatKey, m_webSite, m_visitorName, m_transferTargets[i]);
        Close();
    } else if (id >= ID_PREVIOUS_CHAT_FIRST && id <= ID_PREVIOUS_CHAT_LAST) {
        const size_t i = static_cast<size_t>(id - ID_PREVIOUS_CHAT_FIRST);
        if (i < m_previousChatIds.size() && m_services)
            m_services->requestPrevChat(m_previousChatsSite, m_previousChatIds[i]);
    }
    // ID_TRANSFER_NONE and anything else: nothing to do.
}

void VisitorChatFrame::block_visitor() {
    if (m_readOnly || m_chatKey.empty())
        return;
    if (!m_services || !m_services->blockVisitor(m_chatKey)) {
        // Nothing went to the server: the chat goes on and the operator may try again.
        show_notice(
            _("<font color='#FF0000'>%TIME%: Visitor %NAME% could not be blocked: the "
              "chat is not in the list of chatting visitors.</font><br>"));
        return;
    }
    end_chat(_("<font color='#FF0000'>%TIME%: Visitor %NAME% has been blocked.</font><br>"));
    m_toolBar->EnableTool(ID_TOOL_BLOCK, false);
}

void VisitorChatFrame::close_chat() {
    if (m_readOnly)
        return;
    if (!m_chatKey.empty() && m_services)
        m_services->closeChat(m_chatKey);
    Close();
}

void VisitorChatFrame::show_visit(std::unique_ptr<Messages::S_VISITDETAIL> visit) {
    if (!visit)
        return;
    m_visitDetail->show_visit(std::move(visit));
    if (!m_readOnly && !m_topSplitter->IsSplit()) {
        m_visitDetail->Show();
        m_topSplitter->SplitVertically(m_transcript, m_visitDetail, kVisitDetailWidth);
    }
}

void VisitorChatFrame::show_prev_visits(std::unique_ptr<Messages::S_PREVVISITS> visits) {
    if (visits)
        m_visitDetail->show_prev_visits(std::move(visits));
}

void VisitorChatFrame::show_prev_chats(std::unique_ptr<Messages::S_PREVCHATS> chats) {
    if (!chats)
        return;
    // The menu is filled once per window, from the first list that has chats.
    if (!m_readOnly && m_previousChatIds.empty()) {
        const auto& list = chats->chats();
        const int capacity = ID_PREVIOUS_CHAT_LAST - ID_PREVIOUS_CHAT_FIRST + 1;
        const size_t shown = std::min(list.size(), static_cast<size_t>(capacity));
        for (size_t i = 0; i < shown; ++i) {
            // The label is the server's data and is not translated.
            m_previousChatsMenu.Append(ID_PREVIOUS_CHAT_FIRST + static_cast<int>(i),
                                       menuLabel(list[i].dateTime + " - " + list[i].name));
            m_previousChatIds.push_back(list[i].chatId);
        }
        m_previousChatsSite = chats->site();
        m_toolBar->EnableTool(ID_TOOL_PREVIOUS_CHATS, !m_previousChatIds.empty());
    }
    m_visitDetail->show_prev_chats(std::move(chats));
}

}  // namespace Tavoro::Dialog
