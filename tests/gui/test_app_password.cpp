// "Always Ask For Password": the main window asks before every login, against a scripted server
// that plays the whole key exchange; the typed password goes into that login only.
#include <gtest/gtest.h>

#include <wx/ffile.h>
#include <wx/statusbr.h>
#include <wx/weakref.h>

#include <string>
#include <vector>

#include "app/ClientIds.h"
#include "app/TavoroClientFrame.h"
#include "app/UiPrompts.h"
#include "settings/TavoroSettings.h"
#include "support/FrameTestUtil.h"
#include "support/GuiTestUtil.h"
#include "support/ScriptedServer.h"
#include "support/TempDir.h"

using namespace Tavoro;
using Tavoro::Test::waitFor;

namespace {

struct Asked {
    wxString userName;
    wxString server;
    bool connectionOpen;
};

class PasswordTest : public ::testing::Test {
  protected:
    void SetUp() override {
        UiPrompts::passwordEntry = [this](wxWindow*, const wxString& user, const wxString& host,
                                          wxString& password) {
            asked.push_back(
                {user, host, frame->session().hasConnection() || frame->session().isConnecting()});
            if (typed.empty())
                return false;
            password = typed;
            return true;
        };
    }
    void TearDown() override {
        destroyFrame();
        UiPrompts::passwordEntry = nullptr;
    }
    void start(const std::string& askOption) {
        settingsPath = Tavoro::Test::useSettingsFile(
            dir,
            "[General]\nServerDNSIP=127.0.0.1\nClientPortNumber=" + std::to_string(server.port()) +
                "\nUsername=ann\nPassword=stored-secret\n[Options]\nAlwaysAskForPassword=" +
                askOption + "\n");
        frame = new TavoroClientFrame(nullptr, wxID_ANY);
        weak = frame;
        frame->Show();
    }
    void destroyFrame() {
        if (weak) {
            weak->Destroy();
            EXPECT_TRUE(waitFor([&] { return !weak; }));
        }
    }
    // Accepts the connection, plays the key exchange and returns the login's password field.
    std::string loginPassword() {
        if (!server.accept() || !server.openSession())
            return "<no session: " + server.lastError() + ">";
        const std::string login = server.nextFrame();
        if (login.rfind("@LOGIN:", 0) != 0)
            return "<no login but \"" + login + "\">";
        return login.substr(login.rfind('\t') + 1);
    }
    void reconnectFromMenu() {
        wxCommandEvent again(wxEVT_MENU, ID_MENU_RECONNECT);
        frame->ProcessWindowEvent(again);
    }
    wxString statusBar() const { return frame->GetStatusBar()->GetStatusText(0); }

    Tavoro::Test::TempDir dir;
    wxString settingsPath;
    Tavoro::Test::ScriptedServer server{
        [](const std::function<bool()>& c, int ms) { return waitFor(c, ms); }};
    TavoroClientFrame* frame = nullptr;
    wxWeakRef<TavoroClientFrame> weak;
    std::vector<Asked> asked;
    wxString typed;
};

TEST_F(PasswordTest, TypedPasswordIsUsedForThatLoginOnlyAndNeverStored) {
    start("yes");
    typed = "typed-secret";
    frame->connectToServer();
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_EQ(asked[0].userName, "ann");
    EXPECT_EQ(asked[0].server, "127.0.0.1");
    EXPECT_FALSE(asked[0].connectionOpen) << "asked before the connection is opened";
    EXPECT_EQ(loginPassword(), "typed-secret");

    // Re&connect asks again and uses the new answer.
    typed = "second-secret";
    reconnectFromMenu();
    EXPECT_EQ(asked.size(), 2u);
    EXPECT_EQ(loginPassword(), "second-secret");

    destroyFrame();  // the settings are written as the window goes
    wxString file;
    ASSERT_TRUE(wxFFile(settingsPath).ReadAll(&file));
    EXPECT_TRUE(file.Contains("Password=stored-secret")) << file;
    EXPECT_FALSE(file.Contains("typed-secret") || file.Contains("second-secret")) << file;
}

TEST_F(PasswordTest, CancelOpensNoConnectionAndReconnectAsksAgain) {
    start("yes");
    frame->connectToServer();
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_FALSE(server.accept(300)) << "no connection after Cancel";
    EXPECT_FALSE(frame->session().hasConnection() || frame->session().isConnecting());
    EXPECT_TRUE(statusBar().Contains("Reconnect") && statusBar().Contains("File")) << statusBar();

    typed = "typed-secret";
    reconnectFromMenu();
    EXPECT_EQ(asked.size(), 2u);
    EXPECT_EQ(loginPassword(), "typed-secret");

    // Cancel while connected ends the connection without a login on a new one.
    typed.clear();
    reconnectFromMenu();
    EXPECT_EQ(asked.size(), 3u);
    EXPECT_TRUE(server.waitForEnd());
    EXPECT_FALSE(server.accept(300));
    EXPECT_TRUE(statusBar().Contains("Reconnect")) << statusBar();
}

TEST_F(PasswordTest, WithoutTheOptionTheStoredPasswordIsSentUnasked) {
    start("no");
    frame->connectToServer();
    EXPECT_EQ(loginPassword(), "stored-secret");
    EXPECT_TRUE(asked.empty());
}

}  // namespace
