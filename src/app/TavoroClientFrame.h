#pragma once

#include <wx/frame.h>
#include <wx/menu.h>
#include <wx/timer.h>
#include <wx/treectrl.h>

#include <functional>
#include <memory>
#include <vector>

#include "app/ChatWindowTable.h"
#include "messages/HelloMessage.h"
#include "messages/S_SESSION.h"
#include "messages/TavoroMessage.h"
#include "net/KeyExchange.h"
#include "widgets/ClientServices.h"

class wxGrid;
class wxNotebook;
class wxSocketClient;
class wxSocketEvent;
class wxSplitterWindow;
class wxThreadEvent;
class wxToolBar;

namespace Tavoro {

class ConnectionThread;
class TavoroSettings;
class VisitorGrid;
class DaySummaryView;
namespace Dialog {
class VisitDetail;
}

// The one main window: owns the connection to the monitoring server, every state received
// from it, and the windows that show it (site tree, visitor grid, visit detail, day summary,
// operator and chatting grids).
class TavoroClientFrame : public wxFrame, public ClientServices {
  public:
    TavoroClientFrame(wxWindow* parent, wxWindowID id);
    ~TavoroClientFrame() override;

    // Connection (the attempt runs without blocking the window; see connectToServer).
    void connectToServer();
    void reconnect();
    void sendToServer(const wxString& text) override;

    // Server messages.
    void dispatchMessage(const Messages::TavoroMessage& message);

    // Lookups shared by the handlers and offered to child windows.
    wxString operatorName(const wxString& connectionNumber) const override;
    wxString siteDomain(const wxString& siteKey) const override;
    // Shows the visit detail pane again beside the visitor grid if it was hidden.
    void reshowDetail();

    // Operator status: sends it; the toolbar shows it.
    void setStatus(int code);

    // State, for the windows that ask and for tests.
    bool isConnected() const { return m_connected; }
    bool hasConnection() const { return m_connection != nullptr; }
    bool isConnecting() const { return m_pendingSocket != nullptr; }
    wxString statusText() const { return m_statusText; }
    ChatWindowTable& chatWindows() { return m_chatWindows; }
    VisitorGrid* visitorGrid() const { return m_visitorGrid; }
    Dialog::VisitDetail* visitDetail() const { return m_visitDetail; }
    DaySummaryView* daySummaryView() const { return m_daySummary; }
    wxTreeCtrl* siteTree() const { return m_tree; }
    wxNotebook* mainNotebook() const { return m_notebook1; }
    wxNotebook* chatNotebook() const { return m_notebook2; }
    wxGrid* operatorsGrid() const { return m_operatorsGrid; }
    wxGrid* chattingGrid() const { return m_chattingGrid; }
    wxGrid* callbacksGrid() const { return m_callbacksGrid; }
    wxToolBar* clientToolBar() const { return m_toolBar; }
    wxSplitterWindow* visitorsSplitter() const { return m_splitter3; }
    wxSplitterWindow* outerSplitter() const { return m_splitter2; }
    wxSplitterWindow* sitesSplitter() const { return m_splitter1; }
    wxTreeItemId allSitesItem() const { return m_allSitesItem; }
    wxTreeItemId monitoredSitesItem() const { return m_monitoredSitesItem; }
    // Status code of the selected status tool (0 Online .. 3 Away).
    int selectedStatus() const;

    // Every text handed to the connection is also passed here (diagnostic log, tests).
    std::function<void(const wxString&)> sentTextObserver;

    // Upper bound of one connection attempt before the window gives up on it.
    static constexpr int kConnectTimeoutMs = 5000;

  private:
    // Layout (TavoroClientFrame.cpp).
    void buildLayout();
    void buildMenus();
    void buildToolBar();
    void labelGrids();
    void restoreSashes();
    void storeLayout();
    void showStatus(const wxString& text);

    // Connection (TavoroClientFrameConnection.cpp).
    void onSocketEvent(wxSocketEvent& event);
    void onConnectTimeout(wxTimerEvent& event);
    void startReader();
    void abandonConnectAttempt();
    void stopConnection();
    void onServerData(wxThreadEvent& event);
    void onConnectionStatus(wxThreadEvent& event);
    void onConnectionLost(wxThreadEvent& event);
    void onConnectionEnded(wxThreadEvent& event);

    // Dispatch handlers (TavoroClientFrameDispatch.cpp).
    void handleMsg(const Messages::TavoroMessage& message);
    void handleError(const Messages::TavoroMessage& message);
    void handleClose();
    void handleHello(const Messages::TavoroMessage& message);
    void handleSession(const Messages::TavoroMessage& message);
    void handleConnected();
    void refuseInsecureSession(const wxString& reason);

    // Menu and toolbar actions (TavoroClientFrameActions.cpp).
    void onClose(wxCloseEvent& event);
    void onQuit(wxCommandEvent& event);
    void onReconnect(wxCommandEvent& event);
    void onOptions(wxCommandEvent& event);
    void onAbout(wxCommandEvent& event);
    void onHideVisitDetail(wxCommandEvent& event);
    void onStatusTool(wxCommandEvent& event);
    void onStatusToolRightClick(wxCommandEvent& event);
    void onSetDefaultStatus(wxCommandEvent& event);

    TavoroSettings& m_settings;

    // Key exchange and session of the current connection.
    Net::KeyPrimes m_keyPrimes;
    Messages::HelloMessage m_hello;
    Messages::S_SESSION m_session;

    // Connection state.
    ConnectionThread* m_connection = nullptr;   // the running reader, or none
    wxSocketClient* m_pendingSocket = nullptr;  // a connect attempt in progress
    wxTimer m_connectTimer;
    int m_connectionSerial = 0;  // events of older connections are dropped by serial
    bool m_connected = false;    // set when the session is established
    wxString m_statusText;       // last connection banner

    ChatWindowTable m_chatWindows;

    // Context menus (owned here; one of them may be appended to the menu bar).
    wxMenu m_visitorMenu;
    wxMenu m_sitesMenu;
    wxMenu m_chatMenu;
    wxMenu m_statusMenu;
    bool m_actionMenuShown = false;
    int m_rightClickedStatusTool = wxID_NONE;

    // Columns of the "Chatting Visitors" grid used by the chat lookups.
    const int m_chatIpColumn = 9;
    const int m_chatNameColumn = 1;
    const int m_chatIdColumn = 0;

    // Child windows (owned by the window tree).
    wxSplitterWindow* m_splitter1 = nullptr;
    wxSplitterWindow* m_splitter2 = nullptr;
    wxSplitterWindow* m_splitter3 = nullptr;
    wxTreeCtrl* m_tree = nullptr;
    wxNotebook* m_notebook1 = nullptr;
    wxNotebook* m_notebook2 = nullptr;
    VisitorGrid* m_visitorGrid = nullptr;
    Dialog::VisitDetail* m_visitDetail = nullptr;
    DaySummaryView* m_daySummary = nullptr;
    wxGrid* m_monthlyGrid = nullptr;
    wxGrid* m_operatorsGrid = nullptr;
    wxGrid* m_chattingGrid = nullptr;
    wxGrid* m_callbacksGrid = nullptr;
    wxToolBar* m_toolBar = nullptr;
    wxTreeItemId m_rootItem;
    wxTreeItemId m_allSitesItem;
    wxTreeItemId m_monitoredSitesItem;

    wxDECLARE_EVENT_TABLE();
};

}  // namespace Tavoro
