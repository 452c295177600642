// The real main window against the demo monitoring server: key exchange, login, banners,
// the first request, refusal of a wrong password, goodbye on close, a server that goes away.
#include <gtest/gtest.h>

#include <wx/statusbr.h>
#include <wx/toolbar.h>
#include <wx/weakref.h>

#include <sstream>
#include <string>
#include <vector>

#include "FrameTestUtil.h"
#include "GuiTestUtil.h"
#include "app/ClientIds.h"
#include "app/TavoroClientFrame.h"
#include "app/UiPrompts.h"
#include "settings/TavoroSettings.h"
#include "support/DemoServerProcess.h"
#include "support/TempDir.h"

using namespace Tavoro;
using Tavoro::Test::waitFor;

namespace {

size_t countLines(const std::string& log, const std::string& text) {
    std::istringstream in(log);
    size_t n = 0;
    for (std::string line; std::getline(in, line);)
        n += line.find(text) != std::string::npos;
    return n;
}

class SessionTest : public ::testing::Test {
  protected:
    void SetUp() override {
        UiPrompts::messageBox = [this](wxWindow*, const wxString& text, const wxString& caption,
                                       long) {
            prompts.push_back(caption + ": " + text);
            return wxOK;
        };
        ASSERT_TRUE(server.start());
    }
    void TearDown() override {
        if (weak) {
            weak->Destroy();
            EXPECT_TRUE(waitFor([&] { return !weak; }));
        }
        UiPrompts::messageBox = nullptr;
    }
    void startClient(const std::string& credentials) {
        Tavoro::Test::useSettingsFile(dir, "[General]\nServerDNSIP=127.0.0.1\nClientPortNumber=" +
                                               std::to_string(server.port()) + "\n" + credentials);
        frame = new TavoroClientFrame(nullptr, wxID_ANY);
        weak = frame;
        frame->Show();
        frame->connectToServer();
    }
    wxString status() const { return frame->GetStatusBar()->GetStatusText(0); }
    size_t inLog(const std::string& text) const { return countLines(server.log(), text); }

    Tavoro::Test::TempDir dir;
    Tavoro::Test::DemoServerProcess server{TAVORO_DEMO_SERVER};
    TavoroClientFrame* frame = nullptr;
    wxWeakRef<TavoroClientFrame> weak;
    std::vector<wxString> prompts;
};

TEST_F(SessionTest, LogsInAndSaysGoodbyeOnce) {
    startClient("Username=demo\nPassword=demo\nOperatorName=Dee Mo\nDefaultStatus=1\n");
    ASSERT_TRUE(waitFor([&] { return status().StartsWith("Connected to Tavoro version"); }))
        << status();
    EXPECT_TRUE(frame->session().isLoggedIn());
    EXPECT_EQ(frame->session().statusText(), status());
    EXPECT_TRUE(waitFor([&] { return inLog("<- @GETDS") == 1; })) << server.log();
    EXPECT_EQ(inLog(R"(<- @LOGIN:\tDee Mo\t\t\tLC-0.0.10.51\t1\ten\tdemo\t)"), 1u) << server.log();

    frame->Close();
    ASSERT_TRUE(waitFor([&] { return !weak; }));
    EXPECT_TRUE(waitFor([&] { return inLog("<- @CLOSE") == 1; })) << server.log();
    Tavoro::Test::pumpEvents(100);
    EXPECT_EQ(inLog("<- @CLOSE"), 1u);
    // The only prompt was the question before quitting.
    ASSERT_EQ(prompts.size(), 1u);
    EXPECT_TRUE(prompts[0].StartsWith("Quit Tavoro Client: ")) << prompts[0];
}

TEST_F(SessionTest, ReconnectLogsInWithTheStatusTheToolbarShows) {
    startClient("Username=demo\nPassword=demo\nOperatorName=Dee Mo\nDefaultStatus=1\n");
    ASSERT_TRUE(waitFor([&] { return frame->session().isLoggedIn(); }));
    frame->clientToolBar()->ToggleTool(ID_TOOL_AWAY, true);
    wxCommandEvent away(wxEVT_TOOL, ID_TOOL_AWAY);
    frame->ProcessWindowEvent(away);
    ASSERT_TRUE(waitFor([&] { return inLog("<- @STATUS:3") == 1; })) << server.log();
    frame->reconnect();
    ASSERT_TRUE(waitFor([&] { return inLog("<- @LOGIN:") == 2; })) << server.log();
    EXPECT_EQ(inLog(R"(<- @LOGIN:\tDee Mo\t\t\tLC-0.0.10.51\t3\ten\tdemo\t)"), 1u) << server.log();
    EXPECT_EQ(Tavoro::Types::statusNumber(frame->selectedStatus()), 3);
}

TEST_F(SessionTest, WrongPasswordShowsTheServersError) {
    startClient("Username=demo\nPassword=wrong\n");
    ASSERT_TRUE(waitFor([&] { return prompts.size() == 1; }));
    EXPECT_TRUE(prompts[0].StartsWith("Message From Server: ")) << prompts[0];
    EXPECT_FALSE(frame->session().hasConnection());
    EXPECT_FALSE(frame->session().isLoggedIn())
        << "no @CLOSE owed to a server that refused the login";
    frame->Close();
    ASSERT_TRUE(waitFor([&] { return !weak; }));
    EXPECT_EQ(inLog("<- @CLOSE"), 0u) << server.log();
}

TEST_F(SessionTest, ServerGoingAwayLeavesTheWindowUp) {
    startClient("Username=demo\nPassword=demo\n");
    ASSERT_TRUE(waitFor([&] { return frame->session().isLoggedIn(); }));
    server.stop();
    ASSERT_TRUE(waitFor([&] { return !frame->session().hasConnection(); }));
    EXPECT_TRUE(status().StartsWith("Connection lost, reconnecting in")) << status();
    EXPECT_FALSE(frame->session().isLoggedIn());
    // The window still works, and a later server is reached by reconnecting.
    ASSERT_TRUE(server.start());
    getSettings().setInt(SETTING_CLIENT_PORT_NUMBER, server.port());
    frame->reconnect();
    EXPECT_TRUE(waitFor([&] { return frame->session().isLoggedIn(); }));
}

}  // namespace
