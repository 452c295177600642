#pragma once

#include <wx/frame.h>
#include <wx/menu.h>
#include <wx/timer.h>
#include <wx/treectrl.h>

#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <vector>

#include "app/ChatWindowTable.h"
#include "messages/HelloMessage.h"
#include "messages/S_CLIENTS.h"
#include "messages/S_SD.h"
#include "messages/S_SESSION.h"
#include "messages/TavoroMessage.h"
#include "net/KeyExchange.h"
#include "session/Inbox.h"
#include "types/DaySummary.h"
#include "types/VisitorList.h"
#include "widgets/ClientServices.h"

class wxBookCtrlEvent;
class wxGrid;
class wxGridEvent;
class wxNotebook;
class wxSocketClient;
class wxSocketEvent;
class wxSplitterWindow;
class wxThreadEvent;
class wxToolBar;

namespace Tavoro {

class ConnectionThread;
class ReceivedQueue;
namespace Net {
class HostLookup;
}
class TavoroSettings;
class VisitorGrid;
class DaySummaryView;
namespace Dialog {
class VisitDetail;
class VisitorChatFrame;
}  // namespace Dialog

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
    const Types::Alert* findAlert(const wxString& siteKey, const wxString& alertId) const override;
    const Messages::S_CLIENTS* operatorList() const override { return m_operatorList.get(); }

    // Requests on behalf of child windows (TavoroClientFrameServices.cpp).
    void requestPrevChat(const wxString& siteKey, const wxString& chatId) override;
    void requestPrevChats(const wxString& siteKey, const wxString& ipAddress) override;
    void requestPrevVisits(const wxString& siteKey, const wxString& ipAddress,
                           const wxString& username) override;
    void pushLink(const wxString& chatId, const wxString& address) override;
    void sendChatText(const wxString& chatId, const wxString& line) override;
    void sendTyping(const wxString& chatId, bool typing) override;
    bool blockVisitor(const wxString& chatId) override;
    void leaveChat(const wxString& chatId) override;
    void closeChat(const wxString& chatId) override;
    void transferChat(const wxString& chatId, const wxString& webSite, const wxString& visitorName,
                      const wxString& targetOperator) override;
    bool requestDaySummary() override;

    // Site tree (SiteTree.cpp).
    void addSite(std::unique_ptr<Messages::S_SD> site);
    wxString selectedSiteKey() const;
    void showVisitorsOfSelection();
    bool isSiteShown(const wxString& siteKey) const;
    // The sites the tree's selection covers: one site, a group's sites, or all of them.
    std::vector<const Messages::S_SD*> sitesOfSelection() const;
    void updateAllSiteLabels();
    void updateSiteLabel(const wxString& siteKey, long count);
    const std::vector<std::unique_ptr<Messages::S_SD>>& siteList() const { return m_sites; }
    const Types::VisitorList& visitorList() const { return m_visitors; }
    // Shows the visit detail pane again beside the visitor grid if it was hidden.
    void reshowDetail();

    // Operator status: sends it; the toolbar shows it.
    void setStatus(int code);

    // Operator actions (TavoroClientFrameActions.cpp, TavoroClientFrameChats.cpp).
    // Actions on a chat or a visitor name it by its identity (chat id, visitor key), taken when
    // the operator chooses the action: a prompt or a menu may stay open while new lists move
    // the rows. A chat or visitor gone by the time the action runs is left alone, and the
    // status bar says so.
    void startChat(int chattingRow);
    void startChat(const wxString& chatId);
    // Asks before closing the selected chat (or the one given).
    void closeChatSession();
    void closeChatSession(const wxString& chatId, const wxString& visitorName);
    void requestVisitDetail(int visitorRow);
    void requestVisitDetail(const wxString& visitorKey);
    // Invite the visitor of the visitor menu, or the selected one.
    void sendInvite();
    void sendTextInvite();
    void requestSiteProperties();
    void dayPageChanged(int page);
    // The visitor of the first selected row of the visitor grid, or null.
    const Types::VisitorType* selectedVisitor() const;
    // The open chat window of a chat, or null.
    Dialog::VisitorChatFrame* chatWindow(const wxString& chatId) const;
    wxMenu& chatMenu() { return m_chatMenu; }
    bool isActionMenuShown() const { return m_actionMenuShown; }

    // State, for the windows that ask and for tests.
    bool isConnected() const { return m_connected; }
    bool hasConnection() const { return m_connection != nullptr; }
    bool isConnecting() const { return m_pendingSocket != nullptr || m_hostLookup != nullptr; }
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
    // For each visitor line shown in a chat window, the milliseconds from the reader taking its
    // frame off the socket to the line being in the transcript (the latest 10,000 lines).
    const std::vector<long>& lineLatenciesMs() const { return m_lineLatencies; }
    // Visitor events ("@EV", "@ER") handled since the window opened (diagnostics, load runs).
    unsigned long eventsHandled() const { return m_eventsHandled; }
    // Serial number of the current connection's reader (the events it posts carry it).
    int connectionSerial() const { return m_connectionSerial; }
    // What the current connection's reader hands over (tests queue frames here as if read).
    ReceivedQueue* receivedQueue() const { return m_received.get(); }
    // Status code of the selected status tool (0 Online .. 3 Away).
    int selectedStatus() const;

    // Every text handed to the connection is also passed here (diagnostic log, tests).
    std::function<void(const wxString&)> sentTextObserver;
    // Messages of kinds this client does not handle are passed here (diagnostics, tests).
    std::function<void(const Messages::TavoroMessage&)> unhandledMessageObserver;

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
    void onHostResolved(wxThreadEvent& event);
    void connectToAddress(const wxString& dottedAddress);
    void onSocketEvent(wxSocketEvent& event);
    void onConnectTimeout(wxTimerEvent& event);
    void startReader();
    void abandonConnectAttempt();
    void stopConnection();
    void onConnectionReady(wxThreadEvent& event);
    // Files what the reader has handed over into the inbox.
    void takeReceived();
    void handleConnectionLost();
    // Visitor events change the grid many times a second; each change would lay out and paint
    // the visible rows again. While events arrive the grid's painting is held and done at most
    // every few hundredths of a second: its rows change at once, the picture follows shortly.
    void holdGridPaint();
    void releaseGridPaint();

    // Frames read and not yet handled (TavoroClientFrameInbox.cpp).
    void drainInbox(long sliceStart);
    void onIdleDrainInbox(wxIdleEvent& event);

    // Dispatch handlers (TavoroClientFrameDispatch.cpp).
    void handleMsg(const Messages::TavoroMessage& message);
    void handleError(const Messages::TavoroMessage& message);
    void handleClose();
    void handleHello(const Messages::TavoroMessage& message);
    void handleSession(const Messages::TavoroMessage& message);
    void handleConnected();
    void refuseInsecureSession(const wxString& reason);

    // Site and visitor handlers (TavoroClientFrameVisitors.cpp).
    void handleDaySummaries(const Messages::TavoroMessage& message);
    // The day of the sites the tree's selection covers, with a line naming them: one site's
    // summary, or the total over a group's or all sites' summaries.
    void showDaySummaryOfSelection();
    // The request that refreshes those summaries: the site's own, or all of them.
    wxString daySummaryRequestOfSelection() const;
    void handleSiteDetails(const Messages::TavoroMessage& message);
    void handleCurrentVisitors(const Messages::TavoroMessage& message);
    void handleVisitorEvent(const Messages::TavoroMessage& message);
    void handleVisitorRemoved(const Messages::TavoroMessage& message);

    // Chat, operator and history handlers (TavoroClientFrameChats.cpp).
    void handleChattingVisitors(const Messages::TavoroMessage& message);
    void handleOperators(const Messages::TavoroMessage& message);
    void handleChatRequest(const Messages::TavoroMessage& message);
    void handleCurrentChat(const Messages::TavoroMessage& message);
    void handleChatLine(const Messages::TavoroMessage& message);
    void handleTyping(const Messages::TavoroMessage& message, bool typing);
    void handlePrevChats(const Messages::TavoroMessage& message);
    void handlePrevVisits(const Messages::TavoroMessage& message);
    void handleVisitDetail(const Messages::TavoroMessage& message);
    void handlePrevChat(const Messages::TavoroMessage& message);
    void handleSiteSettings(const Messages::TavoroMessage& message);
    void handlePopup(const Messages::TavoroMessage& message);
    void handleFromClient(const Messages::TavoroMessage& message);
    // First row of "Chatting Visitors" whose IP address and other column match, or -1.
    int chatRowOf(const wxString& ipAddress, int otherColumn, const wxString& otherValue) const;
    Dialog::VisitorChatFrame* chatWindowOfVisitor(const wxString& ipAddress,
                                                  const wxString& site) const;

    // Grid, menu and notebook bindings (TavoroClientFrameActions.cpp).
    void bindActions();
    void onVisitorCellClick(wxGridEvent& event);
    void onVisitorCellDoubleClick(wxGridEvent& event);
    void onVisitorCellRightClick(wxGridEvent& event);
    void onChattingCellRightClick(wxGridEvent& event);
    void onChattingCellDoubleClick(wxGridEvent& event);
    void onTreeRightClick(wxTreeEvent& event);
    void onNotebookPageChanged(wxBookCtrlEvent& event);
    void selectVisitorRow(int row);
    void selectChattingRow(int row);
    int firstSelectedChattingRow() const;
    // The "Chatting Visitors" row of a chat, or -1.
    int chattingRowOfChat(const wxString& chatId) const;
    // The visitor the visitor menu acts on: the row right-clicked while its context menu is
    // up, otherwise the selected row. Empty when there is none.
    wxString menuVisitorKey() const;
    // The visitor to invite; with none selected the operator is told so.
    wxString inviteVisitorKey();
    void invite(const wxString& visitorKey, const wxString& text);
    void requestVisitDetail(const Types::VisitorType* visitor);

    // Site tree internals (SiteTree.cpp).
    class SiteTreeItemData;
    struct SiteGroup {
        wxTreeItemId item;
        wxString name;
        wxString key;
    };
    Messages::S_SD* siteOfItem(const wxTreeItemId& item) const;
    void setSiteLabel(Messages::S_SD& site, long count);
    void onTreeSelectionChanged(wxTreeEvent& event);
    void showContextMenuInMenuBar(wxMenu* menu, const wxString& title);

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
    std::unique_ptr<ConnectionThread> m_connection;  // the running connection, or none
    std::shared_ptr<ReceivedQueue> m_received;       // what its reader hands over
    wxSocketClient* m_pendingSocket = nullptr;       // a connect attempt in progress
    std::shared_ptr<Net::HostLookup> m_hostLookup;   // the server name being looked up
    int m_hostLookupSerial = 0;
    unsigned short m_connectPort = 0;
    wxTimer m_connectTimer;
    wxTimer m_gridPaintTimer;
    bool m_gridPaintHeld = false;
    int m_connectionSerial = 0;  // events of older connections are dropped by serial
    bool m_connected = false;    // set when the session is established
    // What the reader handed over and is not handled yet.
    Session::Inbox m_inbox;
    wxString m_statusText;  // last connection banner

    ChatWindowTable m_chatWindows;

    // Data received from the server.
    std::unique_ptr<Messages::S_CLIENTS> m_operatorList;
    std::vector<std::unique_ptr<Messages::S_SD>> m_sites;
    std::vector<SiteGroup> m_siteGroups;
    // The latest day summary of each site, by site key.
    std::map<wxString, Types::DaySummary> m_daySummaries;
    Types::VisitorList m_visitors;
    // Whether this connection has asked for the site details and the visitor list yet; each
    // new connection asks once, so live events resume after a reconnect.
    bool m_sitesRequested = false;
    unsigned long m_eventsHandled = 0;
    long m_frameReadAt = 0;  // when the reader posted the frame being dispatched
    std::vector<long> m_lineLatencies;

    // Context menus (owned here; one of them may be appended to the menu bar).
    wxMenu m_visitorMenu;
    wxMenu m_sitesMenu;
    wxMenu m_chatMenu;
    wxMenu m_statusMenu;
    bool m_actionMenuShown = false;
    int m_rightClickedStatusTool = wxID_NONE;
    // The chat of the row whose context menu was opened last (that menu opens only there).
    wxString m_menuChatId;
    wxString m_menuChatName;
    // The visitor of the row whose context menu is up; empty otherwise.
    wxString m_popupVisitorKey;

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
