#include "app/TavoroClientFrame.h"

#include <wx/grid.h>
#include <wx/notebook.h>
#include <wx/settings.h>
#include <wx/splitter.h>
#include <wx/statusbr.h>
#include <wx/toolbar.h>

#include "app/ChatAlerts.h"
#include "app/ChatShortcuts.h"
#include "app/ClientIds.h"
#include "app/DesktopIdle.h"
#include "app/MainMenus.h"
#include "app/ReconnectBar.h"
#include "app/SessionGrids.h"
#include "app/SiteTreeView.h"
#include "app/SplitterLayout.h"
#include "app/TrayIcon.h"
#include "dialog/VisitDetail.h"
#include "settings/LoginSettings.h"
#include "settings/TavoroSettings.h"
#include "widgets/DaySummaryView.h"
#include "widgets/Images.h"
#include "widgets/VisitorFilterPanel.h"
#include "widgets/VisitorGrid.h"

namespace Tavoro {

// clang-format off
wxBEGIN_EVENT_TABLE(TavoroClientFrame, wxFrame)
    EVT_CLOSE(TavoroClientFrame::onClose)
    EVT_MENU(wxID_EXIT, TavoroClientFrame::onQuit)
    EVT_MENU(ID_MENU_RECONNECT, TavoroClientFrame::onReconnect)
    EVT_MENU(ID_MENU_OPTIONS, TavoroClientFrame::onOptions)
    EVT_MENU(wxID_ABOUT, TavoroClientFrame::onAbout)
    EVT_MENU(ID_MENU_HIDE_DETAIL, TavoroClientFrame::onHideVisitDetail)
    EVT_TOOL_RANGE(ID_TOOL_ONLINE, ID_TOOL_AWAY, TavoroClientFrame::onStatusTool)
    EVT_TOOL_RCLICKED_RANGE(ID_TOOL_ONLINE, ID_TOOL_AWAY, TavoroClientFrame::onStatusToolRightClick)
    EVT_MENU(ID_STATUS_SET_DEFAULT, TavoroClientFrame::onSetDefaultStatus)
wxEND_EVENT_TABLE()
// clang-format on

TavoroClientFrame::TavoroClientFrame(wxWindow* parent, wxWindowID id)
    : m_settings(getSettings()),
      m_session(m_settings),
      m_gridPaintTimer(this, ID_TIMER_GRID_PAINT) {
    Create(parent, id, _("Tavoro Linux / Mac Client"), wxDefaultPosition, wxDefaultSize,
           wxDEFAULT_FRAME_STYLE | wxDOUBLE_BORDER, "TavoroClientFrame");
    SetClientSize(1112, 597);
    SetMinSize(wxSize(640, 480));
    SetForegroundColour(wxSystemSettings::GetColour(wxSYS_COLOUR_MENUTEXT));
    const wxIcon appIcon = loadIcon("tavoro.ico");
    if (appIcon.IsOk())
        SetIcon(appIcon);

    buildLayout();
    buildMenus();
    CreateStatusBar(1, wxSTB_DEFAULT_STYLE, wxID_ANY, "ID_STATUSBAR1");

    m_session.setObserver(this);
    // Inactivity as the desktop measures it, or as this program's windows see it.
    m_session.setIdleSource([idle = std::make_shared<DesktopIdle>()] { return idle->idleMs(); });

    SessionGrids::labelGrids(m_operatorsGrid, m_chattingGrid, m_callbacksGrid);
    restoreSashes();

    buildToolBar();
    bindActions();
    m_tray = TrayIcon::createIfAvailable(*this);
    m_reconnectBar = ReconnectBar::attach(*this, m_splitter2, m_session);
    m_alerts = std::make_unique<ChatAlerts>(*this, m_settings);
    m_shortcuts = std::make_unique<ChatShortcuts>(*this);
}

void TavoroClientFrame::buildLayout() {
    m_splitter2 = new wxSplitterWindow(this, wxID_ANY, wxDefaultPosition, wxDefaultSize,
                                       wxSP_3D | wxSP_LIVE_UPDATE, "ID_SPLITTERWINDOW2");
    m_splitter2->SetMinSize(wxSize(200, 200));
    m_splitter2->SetMinimumPaneSize(200);

    m_splitter1 = new wxSplitterWindow(m_splitter2, wxID_ANY, wxDefaultPosition, wxDefaultSize,
                                       wxSP_3D | wxSP_LIVE_UPDATE, "ID_SPLITTERWINDOW1");
    m_splitter1->SetMinSize(wxSize(5, 5));
    m_splitter1->SetMinimumPaneSize(5);

    m_tree = new SiteTreeView(m_splitter1, m_session);
    m_notebook1 =
        new wxNotebook(m_splitter1, wxID_ANY, wxDefaultPosition, wxDefaultSize, 0, "ID_NOTEBOOK1");

    m_splitter3 = new wxSplitterWindow(m_notebook1, wxID_ANY, wxDefaultPosition, wxDefaultSize,
                                       wxSP_3D | wxSP_LIVE_UPDATE, "ID_SPLITTERWINDOW3");
    m_splitter3->SetMinSize(wxSize(10, 10));
    m_splitter3->SetMinimumPaneSize(10);
    m_visitorGrid = (new VisitorFilterPanel(m_splitter3))->grid();
    m_visitorGrid->set_services(this);
    m_visitDetail = new Dialog::VisitDetail(m_splitter3, this);
    m_daySummary = new DaySummaryView(m_notebook1, this);
    m_monthlyGrid = SessionGrids::makeGrid(m_notebook1, "ID_GRID3", 0);
    m_operatorsGrid = SessionGrids::makeGrid(m_notebook1, "ID_GRID4", OPERATOR_COLUMNS);
    m_operatorsGrid->EnableEditing(false);

    m_notebook1->AddPage(m_splitter3, _("CurrentVisitors"));
    m_notebook1->AddPage(m_daySummary, _("Day Summary"));
    // "Monthly Summary" has no content yet: its grid is made but no page shows it.
    m_monthlyGrid->Hide();
    m_notebook1->AddPage(m_operatorsGrid, _("Current Operators"));

    m_notebook2 =
        new wxNotebook(m_splitter2, wxID_ANY, wxDefaultPosition, wxDefaultSize, 0, "ID_NOTEBOOK2");
    m_chattingGrid = SessionGrids::makeGrid(m_notebook2, "ID_GRID5", CHAT_COLUMNS);
    m_chattingGrid->SetRowLabelSize(0);
    m_chattingGrid->EnableEditing(false);
    m_callbacksGrid = SessionGrids::makeGrid(m_notebook2, "ID_GRID6", CALL_BACK_COLUMNS);
    m_notebook2->AddPage(m_chattingGrid, _("Chatting Visitors"));
    m_notebook2->AddPage(m_callbacksGrid, _("Pending Call Backs"));
}

void TavoroClientFrame::buildMenus() {
    SetMenuBar(MainMenus::makeMenuBar());
    MainMenus::fillContextMenus(m_chatMenu, m_visitorMenu, m_sitesMenu, m_statusMenu);
}

void TavoroClientFrame::buildToolBar() {
    m_toolBar =
        CreateToolBar(wxTB_HORIZONTAL | wxTB_TEXT | wxNO_BORDER, wxID_ANY, "ID_CLIENT_TOOLBAR");
    SessionGrids::buildToolBar(m_toolBar, defaultStatusOf(m_settings));
}

void TavoroClientFrame::restoreSashes() {
    SplitterLayout::restore(m_settings, {m_splitter1, m_tree, m_notebook1, m_splitter2, m_notebook2,
                                         m_splitter3, m_visitorGrid->GetParent(), m_visitDetail});
}

void TavoroClientFrame::reshowDetail() {
    SplitterLayout::reshowDetail(m_settings, m_splitter3, m_visitorGrid->GetParent(),
                                 m_visitDetail);
}

void TavoroClientFrame::storeLayout() {
    SplitterLayout::store(m_settings, m_splitter1, m_splitter2, m_splitter3);
}

void TavoroClientFrame::showStatus(const wxString& text) {
    if (GetStatusBar())
        SetStatusText(text, 0);
}

Types::OperatorStatus TavoroClientFrame::selectedStatus() const {
    return SessionGrids::selectedStatus(m_toolBar);
}

TavoroClientFrame::~TavoroClientFrame() {
    // Windows that use this window's services go first, while those services still exist:
    // chat windows, earlier-chat windows, site properties dialogs, then the panes.
    const wxWindowList children = GetChildren();
    for (wxWindow* child : children) {
        if (child->IsTopLevel())
            delete child;
    }
    storeLayout();
    m_gridPaintTimer.Stop();
    // The session ends its connection when it goes, without telling this window.
    m_session.setObserver(nullptr);
    if (m_actionMenuShown) {
        // The context menus are members: take ours out before the menu bar deletes it.
        wxMenuBar* bar = GetMenuBar();
        bar->Remove(bar->GetMenuCount() - 1);
        m_actionMenuShown = false;
    }
    m_splitter2->Destroy();
}

}  // namespace Tavoro
