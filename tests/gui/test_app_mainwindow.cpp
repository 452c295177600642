#include <gtest/gtest.h>

#include <wx/grid.h>
#include <wx/menu.h>
#include <wx/notebook.h>
#include <wx/splitter.h>
#include <wx/statusbr.h>
#include <wx/toolbar.h>
#include <wx/uiaction.h>
#include <wx/weakref.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "SessionSealer.h"
#include "app/ChatWindowTable.h"
#include "app/ClientIds.h"
#include "app/DesktopIdle.h"
#include "app/MainMenus.h"
#include "app/ReconnectBar.h"
#include "app/SiteTreeView.h"
#include "app/TavoroClientFrame.h"
#include "app/UiPrompts.h"
#include "dialog/VisitDetail.h"
#include "messages/S_SESSION.h"
#include "net/HostLookup.h"
#include "support/FrameTestUtil.h"
#include "support/GuiTestUtil.h"
#include "support/LoopbackServer.h"
#include "support/TempDir.h"
#include "widgets/VisitorGrid.h"

// After every toolkit header: the X headers define short macros.
#include <X11/Xlib.h>
#include <X11/extensions/scrnsaver.h>

using namespace Tavoro;
using Tavoro::Test::LoopbackServer;
using Tavoro::Test::TempDir;
using Tavoro::Test::waitFor;

namespace {

struct Prompt {
    wxString text;
    wxString caption;
};

// Each test gets its own settings file, answers the window's prompts itself and destroys the
// window it made.
class MainWindowTest : public ::testing::Test {
  protected:
    void SetUp() override {
        UiPrompts::messageBox = [this](wxWindow*, const wxString& text, const wxString& caption,
                                       long) {
            prompts.push_back({text, caption});
            return wxOK;
        };
        UiPrompts::optionsDialog = [this](wxWindow*) {
            ++optionsShown;
            return wxID_CANCEL;
        };
    }
    void TearDown() override {
        destroyFrame();
        UiPrompts::messageBox = nullptr;
        UiPrompts::optionsDialog = nullptr;
    }

    TavoroClientFrame* makeFrame(const std::string& settings) {
        settingsPath = Tavoro::Test::useSettingsFile(dir, settings);
        frame = new TavoroClientFrame(nullptr, wxID_ANY);
        frame->session().sentTextObserver = [this](const wxString& t) { sent.push_back(t); };
        frame->Show();
        weak = frame;
        return frame;
    }
    void destroyFrame() {
        if (weak) {
            weak->Destroy();
            EXPECT_TRUE(waitFor([&] { return !weak; }));
        }
        frame = nullptr;
    }
    void closeFrame() {
        frame->Close();
        ASSERT_TRUE(waitFor([&] { return !weak; }));
        frame = nullptr;
    }
    std::string localSettings(unsigned short port) {
        return "[General]\nServerDNSIP=127.0.0.1\nClientPortNumber=" + std::to_string(port) + "\n";
    }
    wxString status() const { return frame->GetStatusBar()->GetStatusText(0); }
    // Waits, without dispatching anything, until some event is queued for the window.
    static bool waitForQueued() {
        for (int i = 0; i < 1000 && !wxTheApp->HasPendingEvents(); ++i)
            wxMilliSleep(5);
        return wxTheApp->HasPendingEvents();
    }

    TempDir dir;
    wxString settingsPath;
    TavoroClientFrame* frame = nullptr;
    wxWeakRef<TavoroClientFrame> weak;
    std::vector<Prompt> prompts;
    std::vector<wxString> sent;
    int optionsShown = 0;
};

std::vector<wxString> columnLabels(wxGrid* grid) {
    std::vector<wxString> labels;
    for (int c = 0; c < grid->GetNumberCols(); ++c)
        labels.push_back(grid->GetColLabelValue(c));
    return labels;
}

TEST_F(MainWindowTest, LayoutOnFirstStart) {
    // No server configured: the options dialog is offered; Cancel leaves the window up.
    makeFrame("");
    frame->connectToServer();
    EXPECT_EQ(optionsShown, 1) << "Cancel ends the loop instead of reopening the dialog";
    EXPECT_FALSE(frame->session().hasConnection());

    EXPECT_EQ(frame->GetTitle(), "Tavoro Linux / Mac Client");
    EXPECT_EQ(frame->GetMinSize(), wxSize(640, 480));

    wxTreeCtrl* tree = frame->siteTree();
    EXPECT_EQ(tree->GetItemText(tree->GetRootItem()), "Tavoro");
    EXPECT_EQ(tree->GetItemText(frame->siteTree()->allSitesItem()), "All Sites");
    EXPECT_EQ(tree->GetItemText(frame->siteTree()->monitoredSitesItem()), "Monitored Sites");
    EXPECT_EQ(tree->GetNextSibling(frame->siteTree()->allSitesItem()),
              frame->siteTree()->monitoredSitesItem());
    EXPECT_TRUE(tree->IsExpanded(tree->GetRootItem()));

    wxNotebook* main = frame->mainNotebook();
    ASSERT_EQ(main->GetPageCount(), 3u) << "Monthly Summary is taken out";
    EXPECT_EQ(main->GetPageText(0), "CurrentVisitors");
    EXPECT_EQ(main->GetPageText(1), "Day Summary");
    EXPECT_EQ(main->GetPageText(2), "Current Operators");
    wxNotebook* chats = frame->chatNotebook();
    ASSERT_EQ(chats->GetPageCount(), 2u);
    EXPECT_EQ(chats->GetPageText(0), "Chatting Visitors");
    EXPECT_EQ(chats->GetPageText(1), "Pending Call Backs");

    EXPECT_EQ(columnLabels(frame->operatorsGrid()),
              (std::vector<wxString>{"ID#", "IP", "Name", "Department", "Status", "Language",
                                     "Username"}));
    EXPECT_EQ(
        columnLabels(frame->chattingGrid()),
        (std::vector<wxString>{"ID#", "Name", "Domain", "Last Activity", "Talking To", "Language",
                               "Translating", "Department", "Monitored By", "IP Address"}));
    EXPECT_EQ(columnLabels(frame->callbacksGrid()),
              (std::vector<wxString>{"Name", "Company", "On Site", "Telephone", "Type",
                                     "Requested Time", "Time Zone", "Requested Department",
                                     "Requested Operator", "Talking To", "Notes"}));
    EXPECT_FALSE(frame->operatorsGrid()->IsEditable());
    EXPECT_FALSE(frame->chattingGrid()->IsEditable());
    EXPECT_EQ(frame->chattingGrid()->GetRowLabelSize(), 0);

    // Menus and toolbar.
    wxMenuBar* bar = frame->GetMenuBar();
    ASSERT_EQ(bar->GetMenuCount(), 4u);
    EXPECT_EQ(bar->GetMenuLabel(0), "&File");
    EXPECT_EQ(bar->GetMenuLabel(1), "&Layout");
    EXPECT_EQ(bar->GetMenuLabel(2), "&Chats");
    EXPECT_EQ(bar->GetMenuLabel(3), "Help");
    EXPECT_EQ(bar->GetLabel(ID_MENU_RECONNECT), "Re&connect");
    EXPECT_EQ(bar->GetLabel(ID_MENU_OPTIONS), "Client &Options");
    EXPECT_EQ(bar->GetLabel(ID_MENU_HIDE_DETAIL), "&Hide Visit Detail");
    EXPECT_EQ(bar->GetHelpString(wxID_EXIT), "Quit the application");
    // Every item that does something can be reached with the keyboard: it has a mnemonic.
    wxMenu chatMenu, visitorMenu, sitesMenu, statusMenu;
    MainMenus::fillContextMenus(chatMenu, visitorMenu, sitesMenu, statusMenu);
    std::vector<wxMenu*> menus = {bar->GetMenu(0), bar->GetMenu(1), bar->GetMenu(2), &chatMenu,
                                  &visitorMenu,    &sitesMenu,      &statusMenu};
    for (size_t m = 0; m < menus.size(); ++m) {
        for (const wxMenuItem* item : menus[m]->GetMenuItems()) {
            if (item->GetSubMenu())
                menus.push_back(item->GetSubMenu());
            if (!item->IsSeparator()) {
                EXPECT_TRUE(item->GetItemLabel().Contains("&")) << item->GetItemLabel();
            }
        }
    }
    wxToolBar* tools = frame->clientToolBar();
    EXPECT_EQ(tools->GetName(), "ID_CLIENT_TOOLBAR");
    const int ids[] = {ID_TOOL_ONLINE, ID_TOOL_BUSY, ID_TOOL_BRB, ID_TOOL_AWAY,
                       ID_TOOL_SITE_PROPERTIES};
    const char* labels[] = {"Online", "Busy", "Be Right Back", "Away", "Site Properties"};
    for (size_t i = 0; i < 5; ++i) {
        const wxToolBarToolBase* tool = tools->FindById(ids[i]);
        ASSERT_TRUE(tool) << labels[i];
        EXPECT_EQ(tool->GetLabel(), labels[i]);
        EXPECT_TRUE(tool->GetNormalBitmap().IsOk()) << labels[i];
    }
    EXPECT_EQ(tools->GetToolShortHelp(ID_TOOL_BUSY), "Set Status: Busy");
    EXPECT_EQ(Tavoro::Types::statusNumber(frame->selectedStatus()), 0)
        << "Online without a default status";

    // At start only the visitor grid shows; the visit detail pane is hidden.
    EXPECT_FALSE(frame->visitorsSplitter()->IsSplit());
    EXPECT_EQ(frame->visitorGrid()->GetName(), "ID_VISITORS_GRID");
    EXPECT_TRUE(frame->outerSplitter()->IsSplit());
    EXPECT_TRUE(frame->sitesSplitter()->IsSplit());
    // A first start lays out a usable window: the visitor list is wider than the tree.
    EXPECT_TRUE(waitFor([&] { return frame->sitesSplitter()->GetSashPosition() > 0; }));
    EXPECT_LT(frame->sitesSplitter()->GetSashPosition(),
              frame->sitesSplitter()->GetClientSize().x / 2);
}

TEST_F(MainWindowTest, DefaultStatusToolFromSettings) {
    const std::pair<const char*, int> cases[] = {{"2", 2}, {"1", 1}, {"3", 3},
                                                 {"7", 0}, {"x", 0}, {"0", 0}};
    for (const auto& c : cases) {
        makeFrame(std::string("[General]\nDefaultStatus=") + c.first + "\n");
        EXPECT_EQ(Tavoro::Types::statusNumber(frame->selectedStatus()), c.second)
            << "DefaultStatus=" << c.first;
        destroyFrame();
    }
}

TEST_F(MainWindowTest, SashesAreStoredOnCloseAndRestored) {
    makeFrame("[Layout]\nVerticalSash=180\nHorizontalSash=-230\nVisitorsSash=-300\n");
    ASSERT_TRUE(waitFor([&] { return frame->sitesSplitter()->GetSashPosition() == 180; }));
    frame->sitesSplitter()->SetSashPosition(260);
    frame->reshowDetail();
    ASSERT_TRUE(frame->visitorsSplitter()->IsSplit());
    closeFrame();

    TavoroSettings stored(settingsPath);
    EXPECT_EQ(stored.getInt(SETTING_VERTICAL_SASH), 260);
    EXPECT_GT(stored.getInt(SETTING_HORIZONTAL_SASH), 0);
    EXPECT_GT(stored.getInt(SETTING_VISITORS_SASH), 0);

    // "&Hide Visit Detail" stores the visitor sash and hides the pane; closing then leaves
    // that stored value alone.
    disposeSettings();
    frame = new TavoroClientFrame(nullptr, wxID_ANY);
    weak = frame;
    frame->Show();
    EXPECT_FALSE(frame->visitorsSplitter()->IsSplit()) << "hidden until visit data arrives";
    frame->reshowDetail();
    ASSERT_TRUE(frame->visitorsSplitter()->IsSplit());
    wxCommandEvent hide(wxEVT_MENU, ID_MENU_HIDE_DETAIL);
    frame->ProcessWindowEvent(hide);
    EXPECT_FALSE(frame->visitorsSplitter()->IsSplit());
    closeFrame();
}

TEST_F(MainWindowTest, ServerTextsCloseAndUnknownMessages) {
    LoopbackServer server;
    makeFrame(localSettings(server.port()));
    frame->connectToServer();
    ASSERT_TRUE(server.accept());
    ASSERT_TRUE(waitFor([&] { return frame->session().hasConnection(); }));

    using namespace std::string_literals;
    server.send("@MSG:Maintenance at noon\0"s);
    ASSERT_TRUE(waitFor([&] { return prompts.size() == 1; }));
    EXPECT_EQ(prompts[0].caption, "Message From Server");
    EXPECT_EQ(prompts[0].text, "Maintenance at noon");

    // Unknown, empty and undecryptable messages change nothing visible.
    const wxString before = status();
    server.send("@NOSUCH:1\0:abc\0@BOTAN-EXCEPTION:x\0@RIGHTS:1\0@msg:second\0"s);
    ASSERT_TRUE(waitFor([&] { return prompts.size() == 2; }));
    EXPECT_EQ(prompts[1].text, "second") << "messages after the ignored ones still arrive";
    EXPECT_EQ(status(), before);

    server.send("@CLOSE\0"s);
    ASSERT_TRUE(waitFor([&] { return !frame->session().hasConnection(); }));
    EXPECT_EQ(status(), "The server has closed the connection");
    sent.clear();
    frame->setStatus(Tavoro::Types::OperatorStatus::BeRightBack);
    EXPECT_EQ(sent, std::vector<wxString>{"@STATUS:2"});
    // ...but nothing reaches the server: the connection is gone.
    EXPECT_EQ(server.readFrames(1, 300), "");
    EXPECT_EQ(prompts.size(), 2u);
}

TEST_F(MainWindowTest, ServerErrorDisconnectsThenShowsTheText) {
    LoopbackServer server;
    makeFrame(localSettings(server.port()));
    frame->connectToServer();
    ASSERT_TRUE(server.accept());
    ASSERT_TRUE(waitFor([&] { return frame->session().hasConnection(); }));
    using namespace std::string_literals;
    server.send("@ERROR:Invalid login\0"s);
    ASSERT_TRUE(waitFor([&] { return prompts.size() == 1; }));
    EXPECT_FALSE(frame->session().hasConnection());
    EXPECT_EQ(prompts[0].caption, "Message From Server");
    EXPECT_EQ(prompts[0].text, "Invalid login");
    EXPECT_EQ(status(), "The server has closed the connection");
}

TEST_F(MainWindowTest, ConnectionFailuresLeaveTheWindowUsable) {
    makeFrame("[General]\nServerDNSIP=no-such-host.invalid\n");
    Net::HostLookup::resolver = [](const wxString&) { return wxString(); };
    // Without retries the operator is told at once (with them, the name is tried again).
    frame->session().setAutoReconnect(false);
    frame->connectToServer();
    ASSERT_TRUE(waitFor([&] { return !prompts.empty(); }));
    Net::HostLookup::resolver = Net::HostLookup::resolveWithSystem;
    ASSERT_EQ(prompts.size(), 1u);
    EXPECT_EQ(prompts[0].caption, "Connection Error");
    EXPECT_EQ(prompts[0].text, "could not resolve host to IP address");
    EXPECT_FALSE(frame->session().hasConnection());
    destroyFrame();

    // Nothing listens on the port: the attempt ends without blocking and is reported.
    unsigned short closedPort;
    {
        LoopbackServer gone;
        closedPort = gone.port();
    }
    makeFrame(localSettings(closedPort));
    frame->connectToServer();
    EXPECT_TRUE(waitFor([&] { return !frame->session().isConnecting(); }));
    EXPECT_FALSE(frame->session().hasConnection());
    // A failed connect at start-up is retried on its own.
    EXPECT_TRUE(frame->session().isRetryPending());
    EXPECT_TRUE(status().StartsWith("Connection lost, reconnecting in 1 s (attempt 1)"))
        << status();
    // The bar above the panes says so too, and "Reconnect now" tries at once.
    auto* bar = dynamic_cast<ReconnectBar*>(wxWindow::FindWindowByName("ID_RECONNECT_BAR", frame));
    ASSERT_TRUE(bar);
    EXPECT_TRUE(bar->IsShown());
    EXPECT_TRUE(bar->text().StartsWith("Connection lost, reconnecting in")) << bar->text();
    bar->reconnectNow();
    ASSERT_TRUE(waitFor([&] { return frame->session().retryAttempt() == 2; }));
    EXPECT_TRUE(waitFor([&] { return bar->text().EndsWith("(attempt 2)"); })) << bar->text();

    // Re&connect tries again, and reaches a server that is now there.
    LoopbackServer server;
    TavoroSettings& s = getSettings();
    s.setInt(SETTING_CLIENT_PORT_NUMBER, server.port());
    wxCommandEvent again(wxEVT_MENU, ID_MENU_RECONNECT);
    frame->ProcessWindowEvent(again);
    ASSERT_TRUE(server.accept());
    EXPECT_TRUE(waitFor([&] { return frame->session().hasConnection(); }));
    EXPECT_FALSE(frame->session().isRetryPending());
    EXPECT_TRUE(waitFor([&] { return !bar->IsShown(); })) << "the bar stays after a reconnect";
}

TEST_F(MainWindowTest, ReconnectDropsMessagesOfTheOldConnection) {
    LoopbackServer first;
    makeFrame(localSettings(first.port()));
    frame->connectToServer();
    ASSERT_TRUE(first.accept());
    ASSERT_TRUE(waitFor([&] { return frame->session().hasConnection(); }));
    // A message of the old connection that is already queued when the window reconnects is
    // dropped, not dispatched into the new session.
    using namespace std::string_literals;
    first.send("@MSG:old\0"s);
    ASSERT_TRUE(waitForQueued());
    frame->reconnect();
    first.closePeer();
    ASSERT_TRUE(first.accept()) << "the new connection reaches the same port";
    ASSERT_TRUE(waitFor([&] { return frame->session().hasConnection(); }));
    first.send("@MSG:new\0"s);
    ASSERT_TRUE(waitFor([&] { return prompts.size() == 1; }));
    EXPECT_EQ(prompts[0].text, "new");
}

// Plays the server's side of the key exchange: greets, takes the client's public key and
// answers with session data sealed under it, whose field 13 (the session key) is sessionKey.
// Returns false when the client did not send its key.
bool sendSessionData(LoopbackServer& server, Tavoro::Test::SentFrameReader& reader,
                     const std::string& sessionKey) {
    using namespace std::string_literals;
    server.send("@HELLO:Tavoro\0"s);
    const std::vector<std::string> frames = reader.next(1);
    const std::string prefix = "@PUBLICKEY:";
    if (frames.size() != 1 || frames[0].compare(0, prefix.size(), prefix) != 0)
        return false;
    const std::string data =
        "Tavoro Server\t1.0\tDemo\tAcme\t127.0.0.1\t8011\t10\ten\tUTC\tdemo"
        "\tunlimited\t0\t\t" +
        sessionKey;
    std::string sealed;
    std::string error;
    if (!TavoroDemo::SessionSealer::seal(frames[0].substr(prefix.size()), data, sealed, error))
        return false;
    return server.send("@SESSION:" + sealed + "\0"s);
}

TEST_F(MainWindowTest, NoLoginWithoutASessionKey) {
    LoopbackServer server;
    makeFrame(localSettings(server.port()) + "Username=ann\nPassword=hunter2\n");
    frame->connectToServer();
    ASSERT_TRUE(server.accept());
    ASSERT_TRUE(waitFor([&] { return frame->session().hasConnection(); }));
    Tavoro::Test::SentFrameReader reader(server);

    // Session data that decrypts but carries an empty key: the connection is dropped before
    // the login, which would go out under a key anybody can derive.
    ASSERT_TRUE(sendSessionData(server, reader, ""));
    ASSERT_TRUE(waitFor([&] { return !frame->session().hasConnection(); }));
    EXPECT_EQ(status(), Messages::S_SESSION::noSecureSessionText());
    EXPECT_FALSE(frame->session().isLoggedIn());
    for (const wxString& text : sent)
        EXPECT_FALSE(text.StartsWith("@LOGIN")) << text;
    EXPECT_TRUE(reader.next(1, 300).empty()) << "nothing after the public key";

    // The same exchange with a key logs in: the refusal above was for the missing key alone.
    sent.clear();
    reader.reset();
    frame->reconnect();
    server.closePeer();
    ASSERT_TRUE(server.accept());
    ASSERT_TRUE(waitFor([&] { return frame->session().hasConnection(); }));
    ASSERT_TRUE(sendSessionData(server, reader, "0123456789abcdef"));
    ASSERT_TRUE(waitFor([&] { return frame->session().isLoggedIn(); }));
    EXPECT_EQ(reader.next(1).size(), 1u) << "the encrypted login";
    ASSERT_EQ(sent.size(), 2u);
    EXPECT_TRUE(sent[1].StartsWith("@LOGIN:")) << sent[1];
    EXPECT_TRUE(status().StartsWith("Connecting to Tavoro Server")) << status();
}

TEST_F(MainWindowTest, QuitSendsNothingAndCloses) {
    LoopbackServer server;
    makeFrame(localSettings(server.port()));
    frame->connectToServer();
    ASSERT_TRUE(server.accept());
    ASSERT_TRUE(waitFor([&] { return frame->session().hasConnection(); }));
    wxCommandEvent quit(wxEVT_MENU, wxID_EXIT);
    frame->ProcessWindowEvent(quit);
    ASSERT_TRUE(waitFor([&] { return !weak; }));
    frame = nullptr;
    EXPECT_EQ(server.readFrames(1, 300), "") << "not logged in: no @CLOSE";
}

TEST(ChatWindowTable, GrowsPastSixWindowsAndForgetsClosedOnes) {
    ChatWindowTable table;
    EXPECT_EQ(table.slotCount(), 6u);
    std::vector<wxFrame*> windows;
    for (int i = 0; i < 7; ++i) {
        windows.push_back(new wxFrame(nullptr, wxID_ANY, "chat"));
        table.insert(wxString::Format("chat%d", i), windows.back());
    }
    EXPECT_EQ(table.slotCount(), 9u) << "a full table grows by three";
    for (int i = 0; i < 7; ++i) {
        EXPECT_EQ(table.get(wxString::Format("chat%d", i)), windows[i]);
    }
    table.remove("chat2");
    EXPECT_FALSE(table.contains("chat2"));
    EXPECT_FALSE(table.contains("")) << "a free slot is not an entry";
    table.insert("chat7", windows[2]);
    EXPECT_EQ(table.slotCount(), 9u) << "the freed slot is reused";
    EXPECT_EQ(table.get("chat7"), windows[2]);

    // A chat window that destroyed itself reads as none, never as a dangling pointer.
    windows[0]->Destroy();
    Tavoro::Test::pumpEvents(50);
    EXPECT_TRUE(table.contains("chat0"));
    EXPECT_EQ(table.get("chat0"), nullptr);
    for (size_t i = 1; i < windows.size(); ++i)
        windows[i]->Destroy();
    Tavoro::Test::pumpEvents(50);
}

}  // namespace

namespace {

// "Set As Default Status" stores the status of the tool that was right-clicked, whichever is
// selected; a right-click that names no tool offers nothing.
TEST_F(MainWindowTest, DefaultStatusIsTheRightClickedTool) {
    makeFrame("[General]\nDefaultStatus=0\n");
    std::vector<wxMenu*> shown;
    UiPrompts::popupMenu = [&](wxWindow* window, wxMenu* menu, const wxPoint&) {
        shown.push_back(menu);
        wxCommandEvent choose(wxEVT_MENU, ID_STATUS_SET_DEFAULT);
        window->ProcessWindowEvent(choose);
    };
    wxToolBar* tools = frame->clientToolBar();
    tools->OnRightClick(ID_TOOL_AWAY, 5, 5);
    EXPECT_EQ(shown.size(), 1u);
    EXPECT_EQ(getSettings().getInt(SETTING_DEFAULT_STATUS), 3);
    EXPECT_EQ(Tavoro::Types::statusNumber(frame->selectedStatus()), 0) << "the selection stays";
    tools->OnRightClick(ID_TOOL_BUSY, 5, 5);
    EXPECT_EQ(getSettings().getInt(SETTING_DEFAULT_STATUS), 1);

    wxMouseEvent up(wxEVT_RIGHT_UP);
    up.SetEventObject(tools);
    up.SetPosition(wxPoint(5, 5));
    tools->ProcessWindowEvent(up);
    EXPECT_EQ(shown.size(), 2u) << "a right-click without a tool offered the status menu";
    EXPECT_EQ(getSettings().getInt(SETTING_DEFAULT_STATUS), 1);
    UiPrompts::popupMenu = nullptr;
}

}  // namespace

namespace {

// The server's name is looked up off the window's thread: while the resolver hangs the window
// goes on working, a lookup that outlasts the connect limit ends the attempt with the usual
// text, and an answer in time connects.
TEST_F(MainWindowTest, ASlowNameLookupDoesNotFreezeTheWindow) {
    std::mutex lock;
    std::condition_variable changed;
    bool released = false;
    std::atomic<int> lookups{0};
    std::atomic<bool> answered{false};
    Net::HostLookup::resolver = [&](const wxString& host) -> wxString {
        ++lookups;
        std::unique_lock<std::mutex> hold(lock);
        changed.wait_for(hold, std::chrono::seconds(20), [&] { return released; });
        answered = true;
        return host == "slow.server.test" ? wxString("127.0.0.1") : wxString();
    };
    LoopbackServer server;
    makeFrame("[General]\nServerDNSIP=slow.server.test\nClientPortNumber=" +
              std::to_string(server.port()) + "\n");
    wxStopWatch watch;
    frame->connectToServer();
    EXPECT_FALSE(answered) << "the window waited for the resolver";
    EXPECT_LT(watch.Time(), 1000);
    EXPECT_TRUE(frame->session().isConnecting());
    bool handled = false;
    frame->CallAfter([&] { handled = true; });
    EXPECT_TRUE(waitFor([&] { return handled; }, 2000)) << "events wait behind the lookup";

    // The lookup outlasts the limit: the attempt ends as a connect that took too long does.
    EXPECT_TRUE(waitFor([&] { return !frame->session().isConnecting(); },
                        Session::OperatorSession::kConnectTimeoutMs + 3000));
    EXPECT_TRUE(status().StartsWith("Connection lost, reconnecting in")) << status();
    {
        std::lock_guard<std::mutex> hold(lock);
        released = true;
    }
    changed.notify_all();
    ASSERT_TRUE(waitFor([&] { return answered.load(); }));
    Tavoro::Test::pumpEvents(50);
    EXPECT_FALSE(frame->session().isConnecting()) << "a late answer revived the attempt";
    EXPECT_FALSE(frame->session().hasConnection());

    // An answer in time connects.
    answered = false;
    frame->reconnect();
    ASSERT_TRUE(waitFor([&] { return server.hasPeer() || server.accept(0); }));
    EXPECT_TRUE(waitFor([&] { return frame->session().hasConnection(); }));
    EXPECT_EQ(lookups, 2);
    Net::HostLookup::resolver = Net::HostLookup::resolveWithSystem;
}

}  // namespace

namespace {

// The inactivity rules seen on the window: the toolbar follows the session to Away, and the
// log-off leaves a status bar text that says why and how to log on again.
TEST_F(MainWindowTest, InactivityShowsAwayThenLogsOffAndSaysHowToComeBack) {
    LoopbackServer server;
    makeFrame(localSettings(server.port()) +
              "[Options]\nMinutesToLogOffAfter=10\nMinutesInactiveUntilAutoLogoff=60\n");
    auto idleMs = std::make_shared<long>(0);
    frame->session().setIdleSource([idleMs] { return *idleMs; });
    frame->connectToServer();
    ASSERT_TRUE(server.accept());
    ASSERT_TRUE(waitFor([&] { return frame->session().hasConnection(); }));
    Tavoro::Test::SentFrameReader reader(server);
    ASSERT_TRUE(sendSessionData(server, reader, "0123456789abcdef"));
    ASSERT_TRUE(waitFor([&] { return frame->session().isLoggedIn(); }));

    *idleMs = 10 * 60 * 1000;
    frame->session().checkInactivity();
    EXPECT_EQ(frame->selectedStatus(), Types::OperatorStatus::Away);
    EXPECT_EQ(sent.back(), "@STATUS:3");
    // While Away the session's own timer looks every second: input is noticed without a call.
    *idleMs = 0;
    EXPECT_TRUE(
        waitFor([&] { return frame->selectedStatus() == Types::OperatorStatus::Online; }, 3000));
    EXPECT_EQ(sent.back(), "@STATUS:0");

    *idleMs = 60 * 60 * 1000;
    frame->session().checkInactivity();
    EXPECT_FALSE(frame->session().hasConnection());
    EXPECT_EQ(sent.back(), "@CLOSE");
    EXPECT_TRUE(status().StartsWith("Logged off after 60 minutes without input")) << status();
    EXPECT_TRUE(status().Contains("Reconnect in the File menu")) << status();
    EXPECT_EQ(frame->selectedStatus(), Types::OperatorStatus::Online)
        << "the toolbar shows the status the next log-on announces";
}

// Input ends the idle time, whether it is read from the desktop or, where the desktop does not
// tell, from the client's own windows; only the desktop sees input elsewhere on the screen.
TEST_F(MainWindowTest, MouseInputEndsTheIdleTime) {
    makeFrame("");
    DesktopIdle ownInput(DesktopIdle::Sources::OwnInputOnly);
    DesktopIdle desktop;
    // The desktop's idle time is read wherever the display offers it.
    const wxDisplayInfo display = wxGetDisplayInfo();
    int eventBase = 0, errorBase = 0;
    EXPECT_EQ(
        desktop.readsDesktop(),
        display.type == wxDisplayX11 &&
            XScreenSaverQueryExtension(static_cast<Display*>(display.dpy), &eventBase, &errorBase));
    ASSERT_TRUE(waitFor([&] { return ownInput.idleMs() >= 300 && desktop.idleMs() >= 300; }));

    wxUIActionSimulator sim;
    const wxRect area = frame->GetScreenRect();
    int moves = 0;
    if (desktop.readsDesktop()) {
        const wxRect screen = wxGetClientDisplayRect();
        const wxPoint outside(screen.GetRight() - 5, screen.GetBottom() - 5);
        ASSERT_FALSE(area.Contains(outside));
        EXPECT_TRUE(waitFor([&] {
            sim.MouseMove(outside.x - (moves++ % 2) * 3, outside.y);
            return desktop.idleMs() < 300;
        }));
        EXPECT_GE(ownInput.idleMs(), 300) << "the pointer never was over the client";
    }
    EXPECT_TRUE(waitFor([&] {
        sim.MouseMove(area.x + area.width / 2 + (moves++ % 2) * 20, area.y + area.height / 2);
        return ownInput.idleMs() < 300 && desktop.idleMs() < 300;
    }));
}

}  // namespace
