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
#include "session/OperatorSession.h"
#include "session/SessionObserver.h"
#include "widgets/ClientServices.h"

class wxBookCtrlEvent;
class wxGrid;
class wxGridEvent;
class wxNotebook;
class wxSplitterWindow;
class wxToolBar;

namespace Tavoro {

class ChatAlerts;
class ChatShortcuts;
class SiteTreeView;
class TavoroSettings;
class ReconnectBar;
class TrayIcon;
class VisitorGrid;
class DaySummaryView;
namespace Dialog {
class VisitDetail;
class VisitorChatFrame;
}  // namespace Dialog

// The one main window: a view of the operator's session (site tree, visitor grid, visit
// detail, day summary, operator and chatting grids, chat windows) and the operator's commands.
// The session owns the connection and every state received; this window shows it and asks it
// to act.
class TavoroClientFrame : public wxFrame, public ClientServices, private Session::SessionObserver {
  public:
    TavoroClientFrame(wxWindow* parent, wxWindowID id);
    ~TavoroClientFrame() override;

    Session::OperatorSession& session() { return m_session; }
    const Session::OperatorSession& session() const { return m_session; }
    // Connects with the status the toolbar shows.
    void connectToServer();
    void reconnect();

    // Services offered to child windows (TavoroClientFrameServices.cpp).
    void sendToServer(const wxString& text) override { m_session.send(text); }
    wxString operatorName(const wxString& number) const override {
        return m_session.operatorName(number);
    }
    wxString siteDomain(const wxString& siteKey) const override {
        return m_session.siteDomain(siteKey);
    }
    const Types::Alert* findAlert(const wxString& siteKey, const wxString& alertId) const override;
    const Messages::S_CLIENTS* operatorList() const override { return m_session.operators(); }
    void requestPrevChat(const wxString& siteKey, const wxString& chatId) override {
        m_session.requestPrevChat(siteKey, chatId);
    }
    void requestPrevChats(const wxString& siteKey, const wxString& ipAddress) override {
        m_session.requestPrevChats(siteKey, ipAddress);
    }
    void requestPrevVisits(const wxString& siteKey, const wxString& ipAddress,
                           const wxString& username) override {
        m_session.requestPrevVisits(siteKey, ipAddress, username);
    }
    void pushLink(const wxString& chatId, const wxString& url) override {
        m_session.pushLink(chatId, url);
    }
    void sendChatText(const wxString& chatId, const wxString& line) override {
        m_session.sendChatText(chatId, line);
    }
    void sendTyping(const wxString& chatId, bool on) override { m_session.sendTyping(chatId, on); }
    bool blockVisitor(const wxString& chatId) override { return m_session.blockVisitorOf(chatId); }
    void leaveChat(const wxString& chatId) override;
    void closeChat(const wxString& chatId) override;
    void transferChat(const wxString& chatId, const wxString& webSite, const wxString& visitorName,
                      const wxString& targetOperator) override;
    bool requestDaySummary() override;

    // Shows the visit detail pane again beside the visitor grid if it was hidden.
    void reshowDetail();

    // Operator status: sends it; the toolbar shows it.
    void setStatus(Types::OperatorStatus status);

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

    // Windows, for tests.
    ChatWindowTable& chatWindows() { return m_chatWindows; }
    ChatShortcuts& shortcuts() const { return *m_shortcuts; }
    VisitorGrid* visitorGrid() const { return m_visitorGrid; }
    Dialog::VisitDetail* visitDetail() const { return m_visitDetail; }
    DaySummaryView* daySummaryView() const { return m_daySummary; }
    SiteTreeView* siteTree() const { return m_tree; }
    wxNotebook* mainNotebook() const { return m_notebook1; }
    wxNotebook* chatNotebook() const { return m_notebook2; }
    wxGrid* operatorsGrid() const { return m_operatorsGrid; }
    wxGrid* chattingGrid() const { return m_chattingGrid; }
    wxGrid* callbacksGrid() const { return m_callbacksGrid; }
    wxToolBar* clientToolBar() const { return m_toolBar; }
    // The icon in the desktop's tray; null where the desktop has none.
    TrayIcon* trayIcon() const { return m_tray.get(); }
    wxSplitterWindow* visitorsSplitter() const { return m_splitter3; }
    wxSplitterWindow* outerSplitter() const { return m_splitter2; }
    wxSplitterWindow* sitesSplitter() const { return m_splitter1; }
    // For each visitor line shown in a chat window, the milliseconds from the reader taking its
    // frame off the socket to the line being in the transcript (the latest 10,000 lines).
    const std::vector<long>& lineLatenciesMs() const { return m_lineLatencies; }
    // The status of the selected status tool.
    Types::OperatorStatus selectedStatus() const;

  private:
    // Layout (TavoroClientFrame.cpp).
    void buildLayout();
    void buildMenus();
    void buildToolBar();
    void restoreSashes();
    void storeLayout();
    void showStatus(const wxString& text);

    // What the session reports (TavoroClientFrameSession.cpp).
    void sessionStatus(const wxString& text) override;
    void connectionChanged() override {}
    void retryChanged() override;
    void chatReattached(const wxString& chatId, bool stillOurs,
                        const std::vector<wxString>& heldLines) override;
    void operatorStatusChanged() override;
    bool serverWanted() override;
    bool loginPasswordWanted(const wxString& userName, const wxString& server,
                             wxString& password) override;
    void sessionAlert(const wxString& text, const wxString& title) override;
    void siteAdded(const Messages::S_SD& site) override;
    void daySummariesChanged() override;
    void visitorsReloading() override;
    void visitorsReloaded() override;
    void visitorAdded(const Types::VisitorType& visitor) override;
    void visitorChanged(const wxString& previousKey, const Types::VisitorType& visitor) override;
    void visitorLeaving(const Types::VisitorType& visitor) override;
    void visitorBecameProspect(const Types::VisitorType& visitor) override;
    void siteCountChanged(const wxString& siteKey, long count) override;
    // Visitor events change the grid many times a second; each change would lay out and paint
    // the visible rows again. While events arrive the grid's painting is held and done at most
    // every few hundredths of a second: its rows change at once, the picture follows shortly.
    void holdGridPaint();
    void releaseGridPaint();
    void framesHandled() override;
    // The day of the sites the tree's selection covers, with a line naming them: one site's
    // summary, or the total over a group's or all sites' summaries.
    void showDaySummaryOfSelection();

    // Chats, operators and history (TavoroClientFrameChats.cpp).
    void chatListChanged() override;
    void operatorsChanged() override;
    void chatRequested(const Messages::S_CHAT& request) override;
    void currentChatReceived(const wxString& chatId, const Messages::S_CURRENTCHAT& chat) override;
    void chatLineReceived(const Messages::S_MESSAGE& line, long readAt) override;
    void visitorLeftChat(const wxString& chatId) override;
    void typingChanged(const wxString& chatId, bool typing) override;
    void prevChatsReceived(std::unique_ptr<Messages::S_PREVCHATS> chats) override;
    void prevVisitsReceived(std::unique_ptr<Messages::S_PREVVISITS> visits) override;
    void visitDetailReceived(std::unique_ptr<Messages::S_VISITDETAIL> detail) override;
    void prevChatReceived(std::unique_ptr<Messages::S_PREVCHAT> chat) override;
    void siteSettingsReceived(std::unique_ptr<Messages::S_SS> settings) override;
    void popupReceived(const Messages::S_PopupMessage& popup) override;
    // The open chat window of the visitor with that IP address on that site, or null.
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
    // The visitor the visitor menu acts on: the row right-clicked while its context menu is
    // up, otherwise the selected row. Empty when there is none.
    wxString menuVisitorKey() const;
    // The visitor to invite; with none selected the operator is told so.
    wxString inviteVisitorKey();
    void invite(const wxString& visitorKey, const wxString& text);

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
    Session::OperatorSession m_session;

    ChatWindowTable m_chatWindows;
    wxTimer m_gridPaintTimer;
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

    // Child windows (owned by the window tree).
    wxSplitterWindow* m_splitter1 = nullptr;
    wxSplitterWindow* m_splitter2 = nullptr;
    wxSplitterWindow* m_splitter3 = nullptr;
    SiteTreeView* m_tree = nullptr;
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
    std::unique_ptr<TrayIcon> m_tray;
    ReconnectBar* m_reconnectBar = nullptr;
    std::unique_ptr<ChatAlerts> m_alerts;
    std::unique_ptr<ChatShortcuts> m_shortcuts;

    wxDECLARE_EVENT_TABLE();
};

}  // namespace Tavoro
