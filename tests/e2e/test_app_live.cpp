// The real main window against the live demo server: what the window shows agrees with the
// server's own account of its visitors while events flow, and a whole chat runs end to end.
#include <gtest/gtest.h>

#include <wx/grid.h>
#include <wx/statusbr.h>
#include <wx/weakref.h>

#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "FrameTestUtil.h"
#include "GuiTestUtil.h"
#include "app/SiteTreeView.h"
#include "app/TavoroClientFrame.h"
#include "app/UiPrompts.h"
#include "dialog/VisitorChatFrame.h"
#include "support/DemoServerProcess.h"
#include "support/TempDir.h"
#include "widgets/VisitorGrid.h"

using namespace Tavoro;
using Tavoro::Test::waitFor;

namespace {

// The server's account of its visitors: "visitor<TAB>site<TAB>key" and "site<TAB>key<TAB>n".
struct ServerState {
    std::vector<wxString> keys;
    std::map<wxString, long> counts;
};

ServerState parseState(const wxString& data) {
    ServerState state;
    std::istringstream in(data.ToStdString());
    for (std::string line; std::getline(in, line);) {
        std::vector<std::string> f;
        std::istringstream fields(line);
        for (std::string part; std::getline(fields, part, '\t');)
            f.push_back(part);
        if (f.size() == 3 && f[0] == "visitor")
            state.keys.push_back(wxString(f[2]));
        if (f.size() == 3 && f[0] == "site")
            state.counts[wxString(f[1])] = std::stol(f[2]);
    }
    return state;
}

class LiveTest : public ::testing::Test {
  protected:
    void SetUp() override {
        UiPrompts::messageBox = [](wxWindow*, const wxString&, const wxString&, long) {
            return wxOK;
        };
    }
    void TearDown() override {
        if (weak) {
            weak->Destroy();
            EXPECT_TRUE(waitFor([&] { return !weak; }));
        }
        UiPrompts::messageBox = nullptr;
    }
    void startClient() {
        ASSERT_TRUE(server.start());
        Tavoro::Test::useSettingsFile(dir, "[General]\nServerDNSIP=127.0.0.1\nClientPortNumber=" +
                                               std::to_string(server.port()) +
                                               "\nUsername=demo\nPassword=demo\n");
        frame = new TavoroClientFrame(nullptr, wxID_ANY);
        weak = frame;
        frame->Show();
        frame->session().unhandledMessageObserver = [this](const Messages::TavoroMessage& m) {
            if (m.command() == "@STATE")
                stateReplies.push_back(m.data());
        };
        frame->connectToServer();
        ASSERT_TRUE(waitFor([&] { return frame->session().visitors().size() > 0; }, 15000));
    }

    Tavoro::Test::TempDir dir;
    Tavoro::Test::DemoServerProcess server{TAVORO_DEMO_SERVER};
    TavoroClientFrame* frame = nullptr;
    wxWeakRef<TavoroClientFrame> weak;
    std::vector<wxString> stateReplies;
    std::vector<wxString> windowKeys;
};

TEST_F(LiveTest, WindowAgreesWithTheServerWhileEventsFlow) {
    server.addArgs({"--event-rate", "40", "--chat-interval", "0"});
    startClient();
    Tavoro::Test::pumpEvents(2500);  // let arrivals, changes and departures flow

    // The reply comes in order with the events: when it is handled, the window has applied
    // every event the server sent before it.
    frame->sendToServer("@STATE");
    ASSERT_TRUE(waitFor([&] { return !stateReplies.empty(); }));
    const ServerState state = parseState(stateReplies[0]);
    ASSERT_FALSE(state.keys.empty());

    std::vector<wxString> clientKeys;
    for (const auto& v : frame->session().visitors())
        clientKeys.push_back(v.visitorKey());
    EXPECT_EQ(clientKeys, state.keys);
    for (const auto& [site, count] : state.counts) {
        EXPECT_EQ(frame->session().visitors().siteCount(site), count) << site;
    }
    // The tree's labels carry the same counts, and the grid (everything selected) every row.
    // (Labels follow the counts a moment later; the test does not wait for that moment, while
    // events still flow.)
    frame->siteTree()->showChangedCounts();
    for (const auto& site : frame->session().sites()) {
        const wxString label =
            frame->siteTree()->GetItemText(frame->siteTree()->siteNode(site->siteKey()));
        EXPECT_TRUE(label.EndsWith(wxString::Format(
            "(%ld)", static_cast<long>(frame->session().visitors().siteCount(site->siteKey())))))
            << label;
    }
    EXPECT_EQ(frame->visitorGrid()->GetNumberRows(), static_cast<int>(state.keys.size()));
}

TEST_F(LiveTest, AChatRunsFromRequestToClose) {
    server.addArgs({"--event-rate", "0", "--chat-interval", "1", "--numbered-lines"});
    startClient();
    wxGrid* chats = frame->chattingGrid();
    const int waiting = Tavoro::Test::waitForWaitingChat(chats, 15000);
    ASSERT_GE(waiting, 0) << "no chat request arrived";
    const wxString chatId = chats->GetCellValue(waiting, 0);
    frame->startChat(waiting);
    Dialog::VisitorChatFrame* window = frame->chatWindow(chatId);
    ASSERT_TRUE(window);
    EXPECT_TRUE(server.waitForLog("<- @CHAT:" + chatId.ToStdString(), 5000));

    for (int i = 1; i <= 3; ++i) {
        frame->sendChatText(chatId, wxString::Format("question %d", i));
        const wxString expected = wxString::Format("line %d:", i);
        ASSERT_TRUE(waitFor([&] { return window->transcript_html().Contains(expected); }, 10000))
            << "visitor line " << i << " never arrived";
    }
    frame->closeChat(chatId);
    EXPECT_TRUE(server.waitForLog("<- @CLOSECHAT:" + chatId.ToStdString(), 5000));
    EXPECT_FALSE(frame->chatWindows().contains(chatId));
}

}  // namespace
