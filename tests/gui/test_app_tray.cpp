// How the main window starts and logs on, against a scripted server: hidden with a tray icon or
// minimised without one, the tray icon following the status and acting as the toolbar and the
// File menu do, and a password typed before every login that is used for that login only.
#include <gtest/gtest.h>

#include <wx/ffile.h>
#include <wx/menu.h>
#include <wx/statusbr.h>
#include <wx/toolbar.h>
#include <wx/weakref.h>

#include <memory>
#include <string>
#include <vector>

#include "app/ClientIds.h"
#include "app/TavoroClientFrame.h"
#include "app/TrayIcon.h"
#include "app/UiPrompts.h"
#include "settings/TavoroSettings.h"
#include "support/FrameTestUtil.h"
#include "support/GuiTestUtil.h"
#include "support/ScriptedServer.h"
#include "support/TempDir.h"

using namespace Tavoro;
using Tavoro::Test::waitFor;
using Types::OperatorStatus;

namespace {

class StartTest : public ::testing::Test {
  protected:
    void SetUp() override {
        UiPrompts::messageBox = [this](wxWindow*, const wxString& text, const wxString&, long) {
            prompts.push_back(text);
            return answer;
        };
        UiPrompts::passwordEntry = [this](wxWindow*, const wxString& user, const wxString& host,
                                          wxString& password) {
            const bool open = frame->session().hasConnection() || frame->session().isConnecting();
            prompts.push_back(user + "@" + host + (open ? " (connection open)" : ""));
            password = typed;
            return !typed.empty();
        };
    }
    void TearDown() override {
        if (weak)
            weak->Destroy();
        EXPECT_TRUE(waitFor([&] { return !weak; }));
        UiPrompts::messageBox = nullptr;
        UiPrompts::passwordEntry = nullptr;
        TrayIcon::isAvailable = nullptr;
    }
    // Starts the main window as the application does, with or without a tray on the desktop.
    void start(bool trayAvailable, const std::string& options, bool hidden = false) {
        TrayIcon::isAvailable = [trayAvailable] { return trayAvailable; };
        settingsPath = Tavoro::Test::useSettingsFile(
            dir,
            "[General]\nServerDNSIP=127.0.0.1\nUsername=ann\nPassword=stored-secret\n"
            "ClientPortNumber=" +
                std::to_string(server.port()) + "\n[Options]\n" + options);
        weak = frame = new TavoroClientFrame(nullptr, wxID_ANY);
        iconizeAsked = false;
        frame->Bind(wxEVT_ICONIZE, [this](wxIconizeEvent& event) {
            iconizeAsked = iconizeAsked || event.IsIconized();
        });
        TrayIcon::showAtStart(*frame, getSettings(), hidden);
        frame->connectToServer();
    }
    bool connected() {
        return server.accept() && waitFor([&] { return frame->session().hasConnection(); });
    }
    TrayIcon& tray() { return *frame->trayIcon(); }
    void command(wxEvtHandler& to, int id) {
        wxCommandEvent event(wxEVT_MENU, id);
        to.ProcessEvent(event);
    }
    // The tray menu's Show/Hide label and the number of the status checked in it.
    std::pair<wxString, int> menuState() {
        std::unique_ptr<wxMenu> menu(tray().buildMenu());
        int checked = -1;
        for (int number = 0; number < Types::kOperatorStatusCount; ++number)
            checked = menu->IsChecked(ID_TOOL_ONLINE + number) ? number : checked;
        return {menu->GetLabelText(TrayIcon::ID_TRAY_SHOW_HIDE), checked};
    }
    // waiting: what the tooltip says after the status about chats waiting for an operator.
    void expectShows(OperatorStatus status, const wxString& waiting = wxString()) {
        EXPECT_EQ(tray().tooltip(),
                  "Tavoro Client - " + Types::operatorStatusText(status) + waiting);
        EXPECT_EQ(menuState().second, Types::statusNumber(status));
        EXPECT_EQ(frame->selectedStatus(), status) << "the toolbar agrees";
    }
    // Accepts the connection, plays the key exchange and returns the login's password field.
    std::string loginPassword() {
        if (!server.accept() || !server.openSession())
            return "<no session: " + server.lastError() + ">";
        const std::string login = server.nextFrame();
        return login.rfind("@LOGIN:", 0) == 0 ? login.substr(login.rfind('\t') + 1) : login;
    }

    Tavoro::Test::TempDir dir;
    wxString settingsPath;
    Tavoro::Test::ScriptedServer server{
        [](const std::function<bool()>& c, int ms) { return waitFor(c, ms); }};
    TavoroClientFrame* frame = nullptr;
    wxWeakRef<TavoroClientFrame> weak;
    bool iconizeAsked = false;
    std::vector<wxString> prompts;
    int answer = wxYES;
    wxString typed;
};

TEST_F(StartTest, HiddenWithATrayMinimisedWithoutAndShownOrHiddenFromTheTray) {
    struct Case {
        bool tray;
        const char* options;
        bool shown, iconized;
        bool minimizedOption = false;  // --minimized, as the setting
    } const cases[] = {{true, "HideClientOnStartup=yes\n", false, false},
                       {true, "", true, false},
                       {false, "HideClientOnStartup=yes\n", true, true},  // never lost
                       {false, "", true, false},
                       {true, "", false, false, true},
                       {false, "", true, true, true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.tray ? "tray, " : "no tray, ") + c.options +
                     (c.minimizedOption ? " --minimized" : ""));
        start(c.tray, c.options, c.minimizedOption);
        ASSERT_TRUE(connected()) << "starts connected";
        EXPECT_EQ(frame->trayIcon() != nullptr, c.tray);
        EXPECT_EQ(frame->IsShown(), c.shown);
        EXPECT_EQ(waitFor([&] { return iconizeAsked; }, c.iconized ? 10000 : 0), c.iconized);
        if (c.tray && !c.shown) {
            // The menu's Show/Hide and a left click on the icon each show or hide the window.
            EXPECT_EQ(menuState().first, "Show");
            command(tray(), TrayIcon::ID_TRAY_SHOW_HIDE);
            EXPECT_TRUE(frame->IsShown());
            EXPECT_EQ(menuState().first, "Hide");
            wxTaskBarIconEvent click(wxEVT_TASKBAR_LEFT_DOWN, &tray());
            tray().ProcessEvent(click);
            EXPECT_FALSE(frame->IsShown());
            tray().ProcessEvent(click);
            EXPECT_TRUE(frame->IsShown());
        }
        weak->Destroy();
        ASSERT_TRUE(waitFor([&] { return !weak; }));
    }
}

TEST_F(StartTest, TrayFollowsEveryStatusChangeAndQuitsAsTheFileMenuDoes) {
    start(true, "NumberOfChatBeforeAutoBusy=1\n");
    ASSERT_TRUE(connected());
    std::unique_ptr<wxMenu> menu(tray().buildMenu());
    for (int id = ID_TOOL_ONLINE; id <= ID_TOOL_AWAY; ++id)
        EXPECT_EQ(menu->GetLabelText(id), frame->clientToolBar()->FindById(id)->GetLabel());
    expectShows(OperatorStatus::Online);

    command(tray(), ID_TOOL_BRB);  // chosen in the tray: sent, and the toolbar follows
    EXPECT_EQ(server.nextFrame(), "@STATUS:2");
    expectShows(OperatorStatus::BeRightBack);
    wxCommandEvent tool(wxEVT_TOOL, ID_TOOL_AWAY);  // chosen on the toolbar
    frame->ProcessWindowEvent(tool);
    EXPECT_EQ(server.nextFrame(), "@STATUS:3");
    expectShows(OperatorStatus::Away);

    // Set by the session while chatting to as many visitors as "Mark me as Busy" says.
    server.send("@VISITORS:c1\t10.0.0.9\tVera\tshop.example\t10:01\t\tSales\ten\tN\t-\t0");
    ASSERT_TRUE(waitFor([&] { return frame->session().chats().size() == 1; }));
    // The list still shows the chat waiting: nobody in "Talking To" until the server says so.
    frame->startChat(0);
    expectShows(OperatorStatus::Busy, " - 1 chat waiting");
    frame->closeChat("c1");
    expectShows(OperatorStatus::Away, " - 1 chat waiting");

    answer = wxNO;
    command(tray(), wxID_EXIT);
    ASSERT_EQ(prompts.size(), 1u);
    EXPECT_TRUE(prompts[0].StartsWith("Quit Tavoro Client?")) << prompts[0];
    Tavoro::Test::pumpEvents(100);
    EXPECT_TRUE(weak) << "No keeps the client running";
    answer = wxYES;
    command(tray(), wxID_EXIT);
    EXPECT_TRUE(waitFor([&] { return !weak; }));
}

TEST_F(StartTest, PasswordAskedBeforeEveryLoginUsedOnceAndNeverStored) {
    start(false, "AlwaysAskForPassword=no\n");
    EXPECT_EQ(loginPassword(), "stored-secret");
    EXPECT_TRUE(prompts.empty()) << "not asked without the option";
    weak->Destroy();
    ASSERT_TRUE(waitFor([&] { return !weak; }));

    // Cancel: no connection, and the status bar says how to log on.
    start(false, "AlwaysAskForPassword=yes\n");
    EXPECT_EQ(prompts, std::vector<wxString>{"ann@127.0.0.1"}) << "asked before connecting";
    EXPECT_FALSE(server.accept(300));
    const wxString status = frame->GetStatusBar()->GetStatusText(0);
    EXPECT_TRUE(status.Contains("Reconnect") && status.Contains("File")) << status;

    // Re&connect asks again; each login sends what was typed for it.
    for (const char* password : {"typed-secret", "second-secret"}) {
        typed = password;
        command(*frame, ID_MENU_RECONNECT);
        EXPECT_EQ(loginPassword(), password);
    }
    typed.clear();  // Cancel while connected ends the connection
    command(*frame, ID_MENU_RECONNECT);
    EXPECT_EQ(prompts.size(), 4u);
    EXPECT_TRUE(server.waitForEnd());
    EXPECT_FALSE(server.accept(300));

    weak->Destroy();  // the settings are written as the window goes
    ASSERT_TRUE(waitFor([&] { return !weak; }));
    wxString file;
    ASSERT_TRUE(wxFFile(settingsPath).ReadAll(&file));
    EXPECT_TRUE(file.Contains("Password=stored-secret")) << file;
    EXPECT_FALSE(file.Contains("typed-secret") || file.Contains("second-secret")) << file;
}

}  // namespace
