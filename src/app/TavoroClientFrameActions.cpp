// Menu, toolbar, grid and tree actions of the main window, and its closing.
#include <wx/grid.h>
#include <wx/notebook.h>
#include <wx/splitter.h>
#include <wx/textdlg.h>
#include <wx/toolbar.h>

#include "app/ClientIds.h"
#include "app/SiteTreeView.h"
#include "app/TavoroClientFrame.h"
#include "app/UiPrompts.h"
#include "dialog/AboutDialog.h"
#include "dialog/VisitDetail.h"
#include "dialog/VisitorChatFrame.h"
#include "settings/LoginSettings.h"
#include "settings/TavoroSettings.h"
#include "tools/Placeholders.h"
#include "widgets/DaySummaryView.h"
#include "widgets/VisitorGrid.h"

namespace Tavoro {

void TavoroClientFrame::bindActions() {
    using Self = TavoroClientFrame;
    // clang-format off
    m_visitorGrid->Bind(wxEVT_GRID_CELL_LEFT_CLICK, &Self::onVisitorCellClick, this);
    m_visitorGrid->Bind(wxEVT_GRID_CELL_LEFT_DCLICK, &Self::onVisitorCellDoubleClick, this);
    m_visitorGrid->Bind(wxEVT_GRID_CELL_RIGHT_CLICK, &Self::onVisitorCellRightClick, this);
    m_chattingGrid->Bind(wxEVT_GRID_CELL_RIGHT_CLICK, &Self::onChattingCellRightClick, this);
    m_chattingGrid->Bind(wxEVT_GRID_CELL_LEFT_DCLICK, &Self::onChattingCellDoubleClick, this);
    m_tree->Bind(wxEVT_TREE_SEL_CHANGED, &Self::onTreeSelectionChanged, this);
    m_tree->Bind(wxEVT_TREE_ITEM_RIGHT_CLICK, &Self::onTreeRightClick, this);
    m_tree->Bind(wxEVT_TREE_ITEM_ACTIVATED, [this](wxTreeEvent&) { showContextMenuInMenuBar(&m_sitesMenu, _("&Sites Action")); });
    m_tree->Bind(wxEVT_TREE_BEGIN_DRAG, [](wxTreeEvent&) {});
    m_notebook1->Bind(wxEVT_NOTEBOOK_PAGE_CHANGED, &Self::onNotebookPageChanged, this);

    Bind(wxEVT_MENU, [this](wxCommandEvent&) { requestSiteProperties(); }, ID_TOOL_SITE_PROPERTIES);
    Bind(wxEVT_MENU, [this](wxCommandEvent&) { requestSiteProperties(); }, ID_SITES_PROPERTIES);
    Bind(wxEVT_MENU, [this](wxCommandEvent&) { requestVisitDetail(menuVisitorKey()); }, ID_VISITOR_VIEW_DETAIL);
    Bind(wxEVT_MENU, [this](wxCommandEvent&) { sendInvite(); }, ID_VISITOR_SEND_INVITE);
    Bind(wxEVT_MENU, [this](wxCommandEvent&) { sendTextInvite(); }, ID_VISITOR_SEND_TEXT_INVITE);
    Bind(wxEVT_MENU, [this](wxCommandEvent&) { startChat(m_menuChatId); m_chattingGrid->ClearSelection(); }, ID_CHAT_START);
    Bind(wxEVT_MENU, [this](wxCommandEvent&) { closeChatSession(m_menuChatId, m_menuChatName); }, ID_CHAT_CLOSE);
    Bind(wxEVT_TIMER, [this](wxTimerEvent&) { releaseGridPaint(); }, ID_TIMER_GRID_PAINT);
    // clang-format on
}

void TavoroClientFrame::onClose(wxCloseEvent& event) {
    // The operator may have closed by mistake: asked first, unless the close cannot be refused
    // (the desktop session is ending). Only No keeps everything as it was.
    if (event.CanVeto() && m_settings.getBool(SETTING_CONFIRM_CLOSE_CLIENT) &&
        !UiPrompts::confirmQuit(this, m_session.openChatCount())) {
        event.Veto();
        return;
    }
    // Leave the open chats first, so the server hears that before the goodbye.
    const wxWindowList children = GetChildren();
    for (wxWindow* child : children) {
        if (auto* chat = dynamic_cast<Dialog::VisitorChatFrame*>(child))
            chat->Close(true);
    }
    m_session.disconnect();
    Destroy();
}

void TavoroClientFrame::onQuit(wxCommandEvent&) {
    Close();
}

void TavoroClientFrame::onReconnect(wxCommandEvent&) {
    reconnect();
}

void TavoroClientFrame::onOptions(wxCommandEvent&) {
    if (UiPrompts::showOptions(this) == wxID_OK)
        m_visitorGrid->load_columns();  // the elapsed time column may come or go
}

void TavoroClientFrame::onAbout(wxCommandEvent&) {
    Dialog::AboutDialog about(this, 1);
    about.ShowModal();
}

void TavoroClientFrame::onHideVisitDetail(wxCommandEvent&) {
    if (m_splitter3->IsSplit()) {
        m_settings.setInt(SETTING_VISITORS_SASH, m_splitter3->GetSashPosition());
        m_splitter3->Unsplit(m_visitDetail);
    }
}

void TavoroClientFrame::setStatus(Types::OperatorStatus status) {
    m_session.sendStatus(status);
    operatorStatusChanged();  // the toolbar and the tray follow a choice made elsewhere
}

void TavoroClientFrame::onStatusTool(wxCommandEvent& event) {
    if (const auto status = statusOfTool(event.GetId()))
        setStatus(*status);
}

void TavoroClientFrame::onStatusToolRightClick(wxCommandEvent& event) {
    // The toolbar names the tool under the mouse: "Set As Default Status" stores its status,
    // whichever status is selected.
    m_rightClickedStatusTool = event.GetId();
    UiPrompts::showPopupMenu(this, &m_statusMenu, ScreenToClient(wxGetMousePosition()));
}

void TavoroClientFrame::onSetDefaultStatus(wxCommandEvent&) {
    if (const auto status = statusOfTool(m_rightClickedStatusTool))
        setDefaultStatus(m_settings, *status);
}

void TavoroClientFrame::selectVisitorRow(int row) {
    m_visitorGrid->ClearSelection();
    m_visitorGrid->SelectRow(row);
}

void TavoroClientFrame::selectChattingRow(int row) {
    m_chattingGrid->ClearSelection();
    m_chattingGrid->SelectRow(row);
}

int TavoroClientFrame::firstSelectedChattingRow() const {
    const wxArrayInt rows = m_chattingGrid->GetSelectedRows();
    if (!rows.empty())
        return rows[0];
    const wxGridCellCoordsArray cells = m_chattingGrid->GetSelectionBlockTopLeft();
    return cells.empty() ? -1 : cells[0].GetRow();
}

void TavoroClientFrame::onVisitorCellClick(wxGridEvent& event) {
    selectVisitorRow(event.GetRow());
    if (m_splitter3->IsSplit())
        requestVisitDetail(event.GetRow());
    showContextMenuInMenuBar(&m_visitorMenu, _("&Visitor Action"));
}

void TavoroClientFrame::onVisitorCellDoubleClick(wxGridEvent& event) {
    selectVisitorRow(event.GetRow());
    requestVisitDetail(event.GetRow());
    showContextMenuInMenuBar(&m_visitorMenu, _("&Visitor Action"));
}

void TavoroClientFrame::onVisitorCellRightClick(wxGridEvent& event) {
    selectVisitorRow(event.GetRow());
    m_popupVisitorKey = m_visitorGrid->key_at(event.GetRow());
    UiPrompts::showPopupMenu(this, &m_visitorMenu,
                             ScreenToClient(m_visitorGrid->ClientToScreen(event.GetPosition())));
    m_popupVisitorKey.clear();
    showContextMenuInMenuBar(&m_visitorMenu, _("&Visitor Action"));
}

void TavoroClientFrame::onChattingCellRightClick(wxGridEvent& event) {
    const int row = event.GetRow();
    if (row < 0 || row >= m_chattingGrid->GetNumberRows())
        return;
    selectChattingRow(row);
    m_menuChatId = m_chattingGrid->GetCellValue(row, CHAT_COL_ID);
    m_menuChatName = m_chattingGrid->GetCellValue(row, CHAT_COL_NAME);
    wxString label = _("Start Chatting To: %NAME%");
    label =
        Tools::fillPlaceholders(label, {{"%NAME%", m_menuChatName}}, Tools::PlaceholderFill::First);
    m_chatMenu.SetLabel(ID_CHAT_START, label);
    m_chatMenu.Enable(ID_CHAT_START,
                      m_chattingGrid->GetCellValue(row, CHAT_COL_TALKING_TO).empty());
    UiPrompts::showPopupMenu(this, &m_chatMenu,
                             ScreenToClient(m_chattingGrid->ClientToScreen(event.GetPosition())));
}

void TavoroClientFrame::onChattingCellDoubleClick(wxGridEvent& event) {
    selectChattingRow(event.GetRow());
    startChat(event.GetRow());
}

void TavoroClientFrame::onTreeRightClick(wxTreeEvent& event) {
    m_tree->SelectItem(event.GetItem());
    PopupMenu(&m_sitesMenu, ScreenToClient(m_tree->ClientToScreen(event.GetPoint())));
}

void TavoroClientFrame::onNotebookPageChanged(wxBookCtrlEvent& event) {
    event.Skip();
    // Notebooks inside the pages (the visit detail's) report their own page changes, which
    // travel up to here; only the main notebook's pages start or stop the day summary.
    if (event.GetEventObject() == m_notebook1)
        dayPageChanged(event.GetSelection());
}

void TavoroClientFrame::requestVisitDetail(int row) {
    if (const Types::VisitorType* visitor = m_visitorGrid->visitor_at(row))
        m_session.requestVisit(*visitor);
}

void TavoroClientFrame::requestVisitDetail(const wxString& visitorKey) {
    if (const Types::VisitorType* visitor = m_session.visitors().findByKey(visitorKey))
        m_session.requestVisit(*visitor);
}

wxString TavoroClientFrame::menuVisitorKey() const {
    if (!m_popupVisitorKey.empty())
        return m_popupVisitorKey;
    return m_visitorGrid->key_at(m_visitorGrid->first_selected_row());
}

wxString TavoroClientFrame::inviteVisitorKey() {
    const wxString key = menuVisitorKey();
    if (key.empty()) {
        UiPrompts::showMessage(this,
                               _("No visitor selected.  Please select a visitor from the visit "
                                 "list before trying to send an invite."),
                               _("No Visitor Selected"), wxOK);
    }
    return key;
}

void TavoroClientFrame::invite(const wxString& visitorKey, const wxString& text) {
    if (!m_session.invite(visitorKey, text)) {
        showStatus(_("The visitor has left the site: no invite was sent."));
        return;
    }
    UiPrompts::showMessage(this, _("Invite Sent"), _("Invite Sent"), wxOK);
}

void TavoroClientFrame::sendInvite() {
    const wxString key = inviteVisitorKey();
    if (!key.empty())
        invite(key, wxString());
}

void TavoroClientFrame::sendTextInvite() {
    // The visitor is the one chosen now; the list may change while the text is typed.
    const wxString key = inviteVisitorKey();
    if (key.empty())
        return;
    wxString text = m_settings.getString(SETTING_INVITES_LAST_TEXT);
    if (!UiPrompts::askText(this, text))
        return;
    m_settings.setString(SETTING_INVITES_LAST_TEXT, text);
    invite(key, text);
}

void TavoroClientFrame::requestSiteProperties() {
    const wxString key = m_tree->selectedSiteKey();
    if (key.empty()) {
        UiPrompts::showMessage(this,
                               _("No Site Selected - Please select a site to view the properties."),
                               _("No Site Selected"), wxOK);
        return;
    }
    m_session.requestSiteSettings(key);
    showStatus(_("Requesting Site Properties from the server..."));
}

void TavoroClientFrame::dayPageChanged(int page) {
    if (page != PAGE_DAY_SUMMARY) {
        m_daySummary->stop_timer();
        return;
    }
    m_daySummary->restart_timer();
    showDaySummaryOfSelection();
    m_session.requestDaySummary(m_tree->selectedSiteKey());
}

void TavoroClientFrame::onTreeSelectionChanged(wxTreeEvent&) {
    m_tree->showVisitorsOfSelection(*m_visitorGrid);
    if (m_notebook1->GetSelection() == PAGE_DAY_SUMMARY) {
        // The figures change with the selection at once, and are then asked for afresh.
        showDaySummaryOfSelection();
        m_session.requestDaySummary(m_tree->selectedSiteKey());
    }
    showContextMenuInMenuBar(&m_sitesMenu, _("&Sites Action"));
}

void TavoroClientFrame::showContextMenuInMenuBar(wxMenu* menu, const wxString& title) {
    wxMenuBar* bar = GetMenuBar();
    if (m_actionMenuShown) {
        wxMenu* shown = bar->GetMenu(bar->GetMenuCount() - 1);
        if (shown == menu) {
            bar->SetMenuLabel(bar->GetMenuCount() - 1, title);
            return;
        }
        bar->Remove(bar->GetMenuCount() - 1);
    }
    bar->Append(menu, title);
    m_actionMenuShown = true;
}

}  // namespace Tavoro
