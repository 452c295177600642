// The chat request notice as the desktop gets it: a private session bus with a notification
// service in the test, which records the notices the client shows and closes, and reports a
// click or a button chosen as a notification daemon does. The session bus is this binary's own:
// it is set up before anything in the process talks to a bus.
#include <gtest/gtest.h>

#include <wx/grid.h>
#include <wx/notebook.h>
#include <wx/weakref.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "app/ClientIds.h"
#include "app/TavoroClientFrame.h"
#include "app/UiPrompts.h"
#include "dialog/VisitorChatFrame.h"
#include "support/DesktopProbe.h"
#include "support/FrameTestUtil.h"
#include "support/GuiTestUtil.h"
#include "support/LoopbackServer.h"
#include "support/TempDir.h"

using namespace Tavoro;
using Tavoro::Test::LoopbackServer;
using Tavoro::Test::NotificationService;
using Tavoro::Test::waitFor;

namespace {

const std::string NUL(1, '\0');

std::string chatter(const std::string& id, const std::string& name, const std::string& talkingTo) {
    return id + "\t10.0.0.9\t" + name + "\tshop.example\t10:01\t" + talkingTo +
           "\tSales\ten\tN\t-\t0";
}

class DesktopNoticesTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        dir = std::make_unique<Tavoro::Test::TempDir>();
        bus = std::make_unique<Tavoro::Test::PrivateSessionBus>(dir->path().ToStdString());
        if (bus->running())
            service = std::make_unique<NotificationService>(bus->address());
    }
    static void TearDownTestSuite() {
        service.reset();
        bus.reset();
        dir.reset();
    }
    void SetUp() override {
        ASSERT_TRUE(bus->running()) << "dbus-daemon is needed (scripts/setup.sh installs it)";
        ASSERT_TRUE(service && service->running());
        UiPrompts::messageBox = [](wxWindow*, const wxString&, const wxString&, long) {
            return wxOK;
        };
        Tavoro::Test::useSettingsFile(*dir, "[General]\nServerDNSIP=127.0.0.1\nClientPortNumber=" +
                                                std::to_string(server.port()) + "\n");
        frame = new TavoroClientFrame(nullptr, wxID_ANY);
        weak = frame;
        frame->Show();
        frame->connectToServer();
        ASSERT_TRUE(server.accept());
        ASSERT_TRUE(waitFor([&] { return frame->session().hasConnection(); }));
        server.send("@CLIENTS:5\t10.1.1.5\tAmy\tSales\t0\ten\tamy" + NUL);
    }
    void TearDown() override {
        if (weak) {
            weak->Destroy();
            EXPECT_TRUE(waitFor([&] { return !weak; }));
        }
        UiPrompts::messageBox = nullptr;
    }
    // Sends a chat request and returns the notice the service got for it.
    NotificationService::Shown request(const std::string& chatId, const std::string& name) {
        const size_t before = service->shown().size();
        server.send("@CHAT:" + chatId + ":shop.example:" + name + NUL);
        EXPECT_TRUE(waitFor([&] { return service->shown().size() > before; }));
        return service->shown().size() > before ? service->shown().back()
                                                : NotificationService::Shown();
    }
    bool closedByClient(uint32_t id) {
        const std::vector<uint32_t> closed = service->closed();
        return std::find(closed.begin(), closed.end(), id) != closed.end();
    }

    static std::unique_ptr<Tavoro::Test::TempDir> dir;
    static std::unique_ptr<Tavoro::Test::PrivateSessionBus> bus;
    static std::unique_ptr<NotificationService> service;
    LoopbackServer server;
    TavoroClientFrame* frame = nullptr;
    wxWeakRef<TavoroClientFrame> weak;
};

std::unique_ptr<Tavoro::Test::TempDir> DesktopNoticesTest::dir;
std::unique_ptr<Tavoro::Test::PrivateSessionBus> DesktopNoticesTest::bus;
std::unique_ptr<NotificationService> DesktopNoticesTest::service;

TEST_F(DesktopNoticesTest, PickUpTakesTheChatAndTheNoticeGoesOnceItIsTaken) {
    server.send("@VISITORS:" + chatter("c1", "Vera", "") + NUL);
    const NotificationService::Shown notice = request("c1", "Vera");
    EXPECT_EQ(notice.summary, "shop.example Chat");
    EXPECT_EQ(notice.body, "Visitor Vera has requested a chat on shop.example");
    const std::string pickUp = Tavoro::Test::actionKeyOf(notice, "Pick up");
    ASSERT_FALSE(pickUp.empty()) << "no \"Pick up\" button on the notice";

    service->invokeAction(notice.id, pickUp);
    ASSERT_TRUE(waitFor([&] { return frame->chatWindow("c1") != nullptr; }))
        << "\"Pick up\" did not take the chat";
    EXPECT_TRUE(waitFor(
        [&] { return server.readFrames(1, 0).find("@CHAT:c1" + NUL) != std::string::npos; }));
    EXPECT_FALSE(closedByClient(notice.id)) << "withdrawn before the server said it is taken";

    server.send("@VISITORS:" + chatter("c1", "Vera", "5") + NUL);
    EXPECT_TRUE(waitFor([&] { return closedByClient(notice.id); }))
        << "the notice stayed after the chat was taken";
}

TEST_F(DesktopNoticesTest, AClickShowsTheWaitingChatsAndAWithdrawnChatTakesItsNoticeAlong) {
    frame->chatNotebook()->ChangeSelection(CHAT_PAGE_CALL_BACKS);
    frame->Iconize(true);
    server.send("@VISITORS:" + chatter("c2", "Walt", "") + NUL);
    const NotificationService::Shown notice = request("c2", "Walt");
    ASSERT_NE(notice.id, 0u);
    frame->chatNotebook()->ChangeSelection(CHAT_PAGE_CALL_BACKS);

    service->invokeAction(notice.id, "default");
    EXPECT_TRUE(waitFor([&] {
        return !frame->IsIconized() && frame->chatNotebook()->GetSelection() == CHAT_PAGE_CHATTING;
    })) << "a click on the notice did not bring up the waiting chats";
    EXPECT_EQ(frame->chatWindow("c2"), nullptr) << "a click alone takes no chat";

    server.send("@VISITORS:" + NUL);
    EXPECT_TRUE(waitFor([&] { return closedByClient(notice.id); }))
        << "the notice stayed after the visitor went";
}

}  // namespace
