// A chat that waits keeps asking until it is taken (the sound again, the taskbar mark, the tray
// icon's count, the highlighted row with the time waited), its notice offers "Pick up" and goes
// when the chat is taken, and none of it takes the keyboard or the top of the screen from the
// chat window the operator is typing in: checked with the X server's own stacking order and
// input focus, without a window manager and under a real one.
#include <gtest/gtest.h>

#include <wx/grid.h>
#include <wx/notebook.h>
#include <wx/textctrl.h>
#include <wx/weakref.h>

#include <gtk/gtk.h>

#include <string>
#include <vector>

#include "app/ChatAlerts.h"
#include "app/ClientIds.h"
#include "app/TavoroClientFrame.h"
#include "app/TrayIcon.h"
#include "app/UiPrompts.h"
#include "dialog/VisitorChatFrame.h"
#include "support/DesktopProbe.h"
#include "support/FrameTestUtil.h"
#include "support/GuiTestUtil.h"
#include "support/LoopbackServer.h"
#include "support/TempDir.h"
#include "widgets/Notifications.h"

using namespace Tavoro;
using Tavoro::Test::LoopbackServer;
using Tavoro::Test::pumpEvents;
using Tavoro::Test::waitFor;

namespace {

const std::string ESC = "\x1b";
const std::string NUL(1, '\0');

// A chatting-visitor record: id, IP, name, domain, last activity, talking to, department,
// language, translating, (unused), monitored by.
std::string chatter(const std::string& id, const std::string& name, const std::string& talkingTo) {
    return id + "\t10.0.0." + std::to_string(id.size()) + "\t" + name + "\tshop.example\t10:01\t" +
           talkingTo + "\tSales\ten\tN\t-\t0";
}

class AlertsTest : public ::testing::Test {
  protected:
    void SetUp() override {
        UiPrompts::messageBox = [](wxWindow*, const wxString&, const wxString&, long) {
            return wxOK;
        };
        Notifications::playSound = [this](const wxString& file) { sounds.push_back(file); };
        Notifications::showNotice = [this](const Notifications::Notice& notice) {
            notices.push_back(notice);
        };
        Notifications::closeNotice = [this](const wxString& key) { closed.push_back(key); };
        ChatAlerts::clockMs = [this] { return nowMs; };
        TrayIcon::isAvailable = [] { return true; };
        Tavoro::Test::useSettingsFile(
            dir,
            "[General]\nServerDNSIP=127.0.0.1\nClientPortNumber=" + std::to_string(server.port()) +
                "\n[Popups]\nChatRequestSoundPath=/s/ring.wav\n" + extra);
        frame = new TavoroClientFrame(nullptr, wxID_ANY);
        weak = frame;
        frame->SetSize(40, 40, 700, 500);
        frame->Show();
        frame->connectToServer();
        ASSERT_TRUE(server.accept());
        ASSERT_TRUE(waitFor([&] { return frame->session().hasConnection(); }));
        server.send("@CLIENTS:5\t10.1.1.5\tAmy\tSales\t0\ten\tamy" + ESC +
                    "7\t10.1.1.7\tBob\tSupport\t1\ten\tbob" + NUL);
    }
    void TearDown() override {
        if (weak) {
            weak->Destroy();
            EXPECT_TRUE(waitFor([&] { return !weak; }));
        }
        UiPrompts::messageBox = nullptr;
        Notifications::playSound = nullptr;
        Notifications::showNotice = nullptr;
        Notifications::closeNotice = nullptr;
        ChatAlerts::clockMs = nullptr;
        TrayIcon::isAvailable = nullptr;
    }
    void sendList(const std::vector<std::string>& chats) {
        std::string list;
        for (const std::string& chat : chats)
            list += (list.empty() ? "" : ESC) + chat;
        server.send("@VISITORS:" + list + NUL);
        ASSERT_TRUE(waitFor([&] {
            return frame->chattingGrid()->GetNumberRows() == static_cast<int>(chats.size());
        }));
    }
    // Moves the clock on and lets the alert's timer run once more.
    void advance(long long ms) {
        nowMs += ms;
        pumpEvents(ChatAlerts::kTickMs + 300);
    }
    bool urgent() const { return gtk_window_get_urgency_hint(GTK_WINDOW(frame->GetHandle())); }
    wxString cell(int row, int col) const { return frame->chattingGrid()->GetCellValue(row, col); }
    wxColour background(int row) const {
        return frame->chattingGrid()->GetCellBackgroundColour(row, CHAT_COL_NAME);
    }

    std::string extra;
    Tavoro::Test::TempDir dir;
    LoopbackServer server;
    TavoroClientFrame* frame = nullptr;
    wxWeakRef<TavoroClientFrame> weak;
    long long nowMs = 1000000;
    std::vector<wxString> sounds;
    std::vector<Notifications::Notice> notices;
    std::vector<wxString> closed;
};

// Opens a chat window on a chat the operator (Amy, connection 5) has taken, and puts it in
// front with the keyboard in its input box, as when the operator is typing to a visitor.
// The main window shows "Pending Call Backs" meanwhile.
Dialog::VisitorChatFrame* typeInAChat(TavoroClientFrame* frame, LoopbackServer& server) {
    frame->chatNotebook()->ChangeSelection(CHAT_PAGE_CALL_BACKS);
    frame->startChat(0);
    Dialog::VisitorChatFrame* window = frame->chatWindow("c1");
    if (!window)
        return nullptr;
    server.send("@VISITORS:" + chatter("c1", "Vera", "5") + NUL);
    waitFor([&] { return !frame->chattingGrid()->GetCellValue(0, CHAT_COL_TALKING_TO).empty(); });
    window->Raise();
    wxWindow::FindWindowByName("ID_TEXTCTRL1", window)->SetFocus();
    return window;
}

void expectChatWindowKeepsFrontAndKeyboard(TavoroClientFrame* frame,
                                           Dialog::VisitorChatFrame* window,
                                           LoopbackServer& server) {
    ASSERT_TRUE(waitFor([&] {
        return Tavoro::Test::isStackedAbove(window, frame) && Tavoro::Test::hasInputFocus(window);
    })) << "the chat window is not in front with the keyboard to begin with";
    // The widget of the chat window that keystrokes reach while that window has the keyboard.
    auto typingWidget = [&] { return gtk_window_get_focus(GTK_WINDOW(window->GetHandle())); };
    GtkWidget* typing = typingWidget();
    ASSERT_TRUE(typing);

    server.send("@CHAT:c2:shop.example:Walt" + NUL);
    server.send("@VISITORS:" + chatter("c1", "Vera", "5") + ESC + chatter("c2", "Walt", "") + NUL);
    ASSERT_TRUE(waitFor([&] { return frame->chattingGrid()->GetNumberRows() == 2; }));
    server.send("@MESSAGE:c1\nAre you there?" + NUL);
    ASSERT_TRUE(waitFor([&] { return window->transcript_html().Contains("Are you there?"); }));
    pumpEvents(500);

    EXPECT_TRUE(Tavoro::Test::isStackedAbove(window, frame))
        << "the main window came up over the chat window";
    EXPECT_TRUE(Tavoro::Test::hasInputFocus(window)) << "the keyboard left the chat window";
    EXPECT_EQ(typingWidget(), typing) << "the focus moved inside the chat window";
    EXPECT_EQ(frame->chatNotebook()->GetSelection(), CHAT_PAGE_CHATTING)
        << "the waiting chats are still shown in the main window";
}

TEST_F(AlertsTest, AWaitingChatKeepsAskingUntilAnotherOperatorTakesIt) {
    server.send("@CHAT:c1:shop.example:Vera" + NUL);
    ASSERT_TRUE(waitFor([&] { return notices.size() == 1; }));
    EXPECT_EQ(sounds.size(), 1u);
    nowMs += 5000;  // the list comes later than the request: the wait counts from the request
    sendList({chatter("c1", "Vera", ""), chatter("c9", "Walt", "7")});

    EXPECT_TRUE(urgent()) << "the taskbar shows the main window needs attention";
    ASSERT_TRUE(frame->trayIcon());
    EXPECT_EQ(frame->trayIcon()->tooltip(), "Tavoro Client - Online - 1 chat waiting");
    EXPECT_EQ(cell(0, CHAT_COL_LAST_ACTIVITY), "10:01 - waiting 0:05");
    EXPECT_EQ(cell(1, CHAT_COL_LAST_ACTIVITY), "10:01");
    EXPECT_NE(background(0), background(1)) << "the waiting row stands out";
    EXPECT_EQ(cell(0, CHAT_COL_TALKING_TO), "") << "the waiting row still reads as waiting";

    advance(9000);  // 14 s after the request
    EXPECT_EQ(sounds.size(), 1u) << "not before 15 s";
    EXPECT_EQ(cell(0, CHAT_COL_LAST_ACTIVITY), "10:01 - waiting 0:14");
    nowMs += 1000;
    ASSERT_TRUE(waitFor([&] { return sounds.size() == 2; }, 5000)) << "heard again at 15 s";
    EXPECT_EQ(sounds[1], "/s/ring.wav");
    nowMs += 15000;
    ASSERT_TRUE(waitFor([&] { return sounds.size() == 3; }, 5000)) << "and every 15 s";
    EXPECT_EQ(notices.size(), 1u) << "the notice is not shown again";

    // Bob takes it: everything stops at once.
    server.send("@VISITORS:" + chatter("c1", "Vera", "7") + ESC + chatter("c9", "Walt", "7") + NUL);
    ASSERT_TRUE(waitFor([&] { return !cell(0, CHAT_COL_TALKING_TO).empty(); }));
    EXPECT_EQ(closed, std::vector<wxString>{"chat:c1"}) << "its notice is withdrawn";
    EXPECT_FALSE(urgent());
    EXPECT_EQ(frame->trayIcon()->tooltip(), "Tavoro Client - Online");
    EXPECT_EQ(cell(0, CHAT_COL_LAST_ACTIVITY), "10:01");
    EXPECT_EQ(background(0), background(1));
    advance(60000);
    EXPECT_EQ(sounds.size(), 3u);
}

class AlertsOnceTest : public AlertsTest {
  protected:
    void SetUp() override {
        extra = "ChatRequestRepeatSeconds=0\n";
        AlertsTest::SetUp();
    }
};

TEST_F(AlertsOnceTest, RepeatZeroAsksOnceAndTheLongestWaitStandsOutMost) {
    sendList({chatter("c1", "Vera", "")});
    nowMs += 30000;
    sendList({chatter("c1", "Vera", ""), chatter("c2", "Walt", "")});
    EXPECT_EQ(frame->trayIcon()->tooltip(), "Tavoro Client - Online - 2 chats waiting");
    EXPECT_EQ(cell(0, CHAT_COL_LAST_ACTIVITY), "10:01 - waiting 0:30");
    EXPECT_EQ(cell(1, CHAT_COL_LAST_ACTIVITY), "10:01 - waiting 0:00");
    EXPECT_NE(background(0), background(1));
    EXPECT_TRUE(frame->chattingGrid()->GetCellFont(0, CHAT_COL_NAME).GetWeight() >
                frame->chattingGrid()->GetCellFont(1, CHAT_COL_NAME).GetWeight());
    server.send("@CHAT:c3:shop.example:Xena" + NUL);
    ASSERT_TRUE(waitFor([&] { return sounds.size() == 1; }));
    advance(120000);
    EXPECT_EQ(sounds.size(), 1u);

    // A chat withdrawn (gone from the list) stops waiting too.
    sendList({chatter("c2", "Walt", "")});
    EXPECT_EQ(frame->trayIcon()->tooltip(), "Tavoro Client - Online - 1 chat waiting");
    EXPECT_EQ(cell(0, CHAT_COL_LAST_ACTIVITY), "10:01 - waiting 2:00");
    EXPECT_TRUE(urgent());
    sendList({});
    EXPECT_FALSE(urgent());
}

// The notice's "Pick up" takes the chat as a double click on its row does; once the chat is the
// operator's the notice goes.
TEST_F(AlertsTest, PickUpOnTheNoticeTakesTheChat) {
    sendList({chatter("c1", "Vera", "")});
    server.send("@CHAT:c1:shop.example:Vera" + NUL);
    ASSERT_TRUE(waitFor([&] { return notices.size() == 1; }));
    ASSERT_EQ(notices[0].actions.size(), 1u);
    EXPECT_EQ(notices[0].actions[0].label, "Pick up");
    EXPECT_EQ(notices[0].key, "chat:c1");
    notices[0].actions[0].onChosen();
    ASSERT_TRUE(frame->chatWindow("c1"));
    EXPECT_TRUE(waitFor([&] {
        return server.readFrames(1, 0).find(std::string("@CHAT:c1") + NUL) != std::string::npos;
    }));
    EXPECT_TRUE(closed.empty());
    server.send("@VISITORS:" + chatter("c1", "Vera", "5") + NUL);
    ASSERT_TRUE(waitFor([&] { return !closed.empty(); }));
    EXPECT_EQ(closed, std::vector<wxString>{"chat:c1"});
}

TEST_F(AlertsTest, ARequestLeavesTheChatWindowInFrontWithTheKeyboard) {
    sendList({chatter("c1", "Vera", "")});
    Dialog::VisitorChatFrame* window = typeInAChat(frame, server);
    ASSERT_TRUE(window);
    expectChatWindowKeepsFrontAndKeyboard(frame, window, server);
}

TEST_F(AlertsTest, UnderAWindowManagerTooARequestLeavesTheChatWindowInFront) {
    Tavoro::Test::WindowManager manager;
    ASSERT_TRUE(manager.running()) << "openbox is needed (scripts/setup.sh installs it)";
    sendList({chatter("c1", "Vera", "")});
    Dialog::VisitorChatFrame* window = typeInAChat(frame, server);
    ASSERT_TRUE(window);
    expectChatWindowKeepsFrontAndKeyboard(frame, window, server);
}

}  // namespace
