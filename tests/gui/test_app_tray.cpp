// The tray icon of the main window against a loopback server: hidden and minimised starts,
// the icon and menu following the operator's status, and its menu's commands acting as the
// toolbar and the File menu do.
#include <gtest/gtest.h>

#include <wx/menu.h>
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
#include "support/LoopbackServer.h"
#include "support/TempDir.h"

using namespace Tavoro;
using Tavoro::Test::waitFor;
using Types::OperatorStatus;

namespace {

using Frames = std::vector<std::string>;

class TrayTest : public ::testing::Test {
  protected:
    void SetUp() override {
        UiPrompts::messageBox = [this](wxWindow*, const wxString& text, const wxString&, long) {
            prompts.push_back(text);
            return answer;
        };
    }
    void TearDown() override {
        if (weak) {
            weak->Destroy();
            EXPECT_TRUE(waitFor([&] { return !weak; }));
        }
        UiPrompts::messageBox = nullptr;
        TrayIcon::isAvailable = nullptr;
    }
    // Starts the main window as the application does, with or without a tray on the desktop.
    void start(bool trayAvailable, const std::string& options) {
        TrayIcon::isAvailable = [trayAvailable] { return trayAvailable; };
        Tavoro::Test::useSettingsFile(dir, "[General]\nServerDNSIP=127.0.0.1\nClientPortNumber=" +
                                               std::to_string(server.port()) + "\n[Options]\n" +
                                               options);
        frame = new TavoroClientFrame(nullptr, wxID_ANY);
        weak = frame;
        frame->Bind(wxEVT_ICONIZE, [this](wxIconizeEvent& event) {
            iconizeAsked = iconizeAsked || event.IsIconized();
            event.Skip();
        });
        TrayIcon::showAtStart(*frame, getSettings());
        frame->connectToServer();
        ASSERT_TRUE(server.accept());
        ASSERT_TRUE(waitFor([&] { return frame->session().hasConnection(); }));
    }
    TrayIcon& tray() { return *frame->trayIcon(); }
    void trayCommand(int id) {
        wxCommandEvent event(wxEVT_MENU, id);
        tray().ProcessEvent(event);
    }
    // The tray menu's Show/Hide label and the status item checked in it.
    std::pair<wxString, int> menuState() {
        std::unique_ptr<wxMenu> menu(tray().buildMenu());
        int checked = -1;
        for (int number = 0; number < Types::kOperatorStatusCount; ++number) {
            if (menu->IsChecked(ID_TOOL_ONLINE + number))
                checked = number;
        }
        return {menu->GetLabelText(TrayIcon::ID_TRAY_SHOW_HIDE), checked};
    }
    void expectShows(OperatorStatus status) {
        EXPECT_EQ(tray().shownStatus(), status);
        EXPECT_EQ(tray().tooltip(), "Tavoro Client - " + Types::operatorStatusText(status));
        EXPECT_EQ(menuState().second, Types::statusNumber(status));
        EXPECT_EQ(frame->selectedStatus(), status) << "the toolbar agrees";
    }

    Tavoro::Test::TempDir dir;
    Tavoro::Test::LoopbackServer server;
    Tavoro::Test::SentFrameReader reader{server};
    TavoroClientFrame* frame = nullptr;
    wxWeakRef<TavoroClientFrame> weak;
    bool iconizeAsked = false;
    std::vector<wxString> prompts;
    int answer = wxYES;
};

TEST_F(TrayTest, StartHiddenShownOrMinimisedByTrayAndOption) {
    struct Case {
        bool trayAvailable;
        const char* options;
        bool trayExpected, shownExpected, iconizeExpected;
    } const cases[] = {
        {true, "HideClientOnStartup=yes\n", true, false, false},
        {true, "HideClientOnStartup=no\n", true, true, false},
        {false, "HideClientOnStartup=yes\n", false, true, true},  // never lost without a tray
        {false, "", false, true, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.trayAvailable ? "tray, " : "no tray, ") + c.options);
        iconizeAsked = false;
        start(c.trayAvailable, c.options);
        EXPECT_EQ(frame->trayIcon() != nullptr, c.trayExpected);
        EXPECT_EQ(frame->IsShown(), c.shownExpected);
        if (c.iconizeExpected)
            EXPECT_TRUE(waitFor([&] { return iconizeAsked; }, 3000)) << "not minimised";
        else
            EXPECT_FALSE(iconizeAsked);
        weak->Destroy();
        ASSERT_TRUE(waitFor([&] { return !weak; }));
        server.closePeer();
    }
}

TEST_F(TrayTest, ShowHideFromTheMenuAndTheIcon) {
    start(true, "HideClientOnStartup=yes\n");
    EXPECT_EQ(menuState().first, "Show");
    trayCommand(TrayIcon::ID_TRAY_SHOW_HIDE);
    EXPECT_TRUE(frame->IsShown());
    EXPECT_EQ(menuState().first, "Hide");
    trayCommand(TrayIcon::ID_TRAY_SHOW_HIDE);
    EXPECT_FALSE(frame->IsShown());

    // A left click on the icon does the same.
    wxTaskBarIconEvent click(wxEVT_TASKBAR_LEFT_DOWN, &tray());
    tray().ProcessEvent(click);
    EXPECT_TRUE(frame->IsShown());
    tray().ProcessEvent(click);
    EXPECT_FALSE(frame->IsShown());
}

TEST_F(TrayTest, IconAndMenuFollowEveryStatusChange) {
    start(true, "NumberOfChatBeforeAutoBusy=1\n");
    std::unique_ptr<wxMenu> menu(tray().buildMenu());
    for (int number = 0; number < Types::kOperatorStatusCount; ++number) {
        const int id = ID_TOOL_ONLINE + number;
        EXPECT_EQ(menu->GetLabelText(id), frame->clientToolBar()->FindById(id)->GetLabel());
    }
    expectShows(OperatorStatus::Online);

    // Chosen in the tray: sent, and the toolbar follows.
    trayCommand(ID_TOOL_BRB);
    EXPECT_EQ(reader.next(1), Frames{"@STATUS:2"});
    expectShows(OperatorStatus::BeRightBack);

    // Chosen on the toolbar: the tray follows.
    wxCommandEvent tool(wxEVT_TOOL, ID_TOOL_AWAY);
    frame->ProcessWindowEvent(tool);
    EXPECT_EQ(reader.next(1), Frames{"@STATUS:3"});
    expectShows(OperatorStatus::Away);

    // Set by the session while chatting to as many visitors as "Mark me as Busy" says.
    using namespace std::string_literals;
    server.send("@VISITORS:c1\t10.0.0.9\tVera\tshop.example\t10:01\t\tSales\ten\tN\t-\t0\0"s);
    ASSERT_TRUE(waitFor([&] { return frame->session().chats().size() == 1; }));
    frame->startChat(0);
    ASSERT_TRUE(waitFor([&] { return tray().shownStatus() == OperatorStatus::Busy; }));
    expectShows(OperatorStatus::Busy);
    frame->closeChat("c1");
    expectShows(OperatorStatus::Away);
}

TEST_F(TrayTest, QuitAsksAsTheFileMenuDoes) {
    start(true, "HideClientOnStartup=yes\n");
    answer = wxNO;
    trayCommand(wxID_EXIT);
    ASSERT_EQ(prompts.size(), 1u);
    EXPECT_TRUE(prompts[0].StartsWith("Quit Tavoro Client?")) << prompts[0];
    Tavoro::Test::pumpEvents(100);
    EXPECT_TRUE(weak) << "No keeps the client running";

    answer = wxYES;
    trayCommand(wxID_EXIT);
    EXPECT_TRUE(waitFor([&] { return !weak; }));
    frame = nullptr;
}

}  // namespace
