// The real main window against the demo server speaking TLS: the whole opening, live events
// and a chat inside the TLS stream, and every refused server named in the status bar without
// a byte of the protocol sent in plain text.
#include <gtest/gtest.h>

#include <wx/grid.h>
#include <wx/statusbr.h>
#include <wx/weakref.h>

#include <string>
#include <vector>

#include "FrameTestUtil.h"
#include "GuiTestUtil.h"
#include "app/TavoroClientFrame.h"
#include "app/UiPrompts.h"
#include "dialog/VisitorChatFrame.h"
#include "settings/TavoroSettings.h"
#include "support/DemoServerProcess.h"
#include "support/TempDir.h"
#include "support/TestCertificates.h"

using namespace Tavoro;
using Tavoro::Test::waitFor;

namespace {

class TlsAppTest : public ::testing::Test {
  protected:
    void SetUp() override {
        UiPrompts::messageBox = [](wxWindow*, const wxString&, const wxString&, long) {
            return wxOK;
        };
        ASSERT_TRUE(certs.make()) << "openssl failed";
    }
    void TearDown() override {
        if (weak) {
            weak->Destroy();
            EXPECT_TRUE(waitFor([&] { return !weak; }));
        }
        UiPrompts::messageBox = nullptr;
    }
    std::vector<std::string> tlsArgs(const std::string& cert) const {
        return {"--tls-cert", certs.pem(cert), "--tls-key", certs.key(cert)};
    }
    // The client on "localhost" with TLS on and the test CA trusted.
    void startClient() {
        Tavoro::Test::useSettingsFile(
            dir,
            "[General]\nServerDNSIP=localhost\nClientPortNumber=" + std::to_string(server.port()) +
                "\nUsername=demo\nPassword=demo\n[Security]\nUseTLS=yes\nTLSCAFile=" +
                certs.pem("ca") + "\n");
        frame = new TavoroClientFrame(nullptr, wxID_ANY);
        weak = frame;
        frame->Show();
        frame->connectToServer();
    }
    wxString status() const { return frame->GetStatusBar()->GetStatusText(0); }

    Tavoro::Test::TempDir dir;
    Tavoro::Test::TempDir certDir;
    Tavoro::Test::TestCertificates certs{std::string(certDir.path().utf8_str())};
    Tavoro::Test::DemoServerProcess server{TAVORO_DEMO_SERVER};
    TavoroClientFrame* frame = nullptr;
    wxWeakRef<TavoroClientFrame> weak;
};

TEST_F(TlsAppTest, OpeningEventsAndAChatRunInsideTls) {
    server.addArgs(tlsArgs("server"));
    server.addArgs({"--event-rate", "40", "--chat-interval", "1", "--numbered-lines"});
    ASSERT_TRUE(server.start()) << server.error();
    startClient();
    ASSERT_TRUE(waitFor([&] { return status().StartsWith("Connected to Tavoro version"); }, 15000))
        << status();
    ASSERT_TRUE(waitFor([&] { return frame->session().eventsHandled() >= 20; }, 15000));
    EXPECT_GT(frame->session().visitors().size(), 0u);

    wxGrid* chats = frame->chattingGrid();
    const int waiting = Tavoro::Test::waitForWaitingChat(chats, 15000);
    ASSERT_GE(waiting, 0) << "no chat request arrived";
    const wxString chatId = chats->GetCellValue(waiting, 0);
    frame->startChat(waiting);
    Dialog::VisitorChatFrame* window = frame->chatWindow(chatId);
    ASSERT_TRUE(window);
    frame->sendChatText(chatId, "question over TLS");
    EXPECT_TRUE(waitFor([&] { return window->transcript_html().Contains("line 1:"); }, 10000));
    EXPECT_TRUE(server.waitForLog("question over TLS", 5000));
}

TEST_F(TlsAppTest, EachRefusedServerIsNamedInTheStatusBar) {
    struct Case {
        const char* what;
        std::vector<std::string> serverArgs;
        std::string caFile;
        std::string pin;
        wxString status;
    };
    const std::vector<Case> cases = {
        {"untrusted", tlsArgs("server"), certs.pem("otherca"), "",
         "Not connected: the server's TLS certificate is not trusted"},
        {"wrong host", tlsArgs("otherhost"), certs.pem("ca"), "",
         "Not connected: the server's TLS certificate is for another host name"},
        {"expired", tlsArgs("expired"), certs.pem("ca"), "",
         "Not connected: the server's TLS certificate has expired or is not valid yet"},
        {"pin mismatch", tlsArgs("server"), "", certs.fingerprint("selfsigned"),
         "Not connected: the server's TLS certificate does not match the pinned fingerprint"},
        {"plain server", {}, certs.pem("ca"), "", "Not connected: the server does not speak TLS"},
    };
    ASSERT_TRUE(server.start()) << server.error();
    startClient();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_TRUE(server.restart(c.serverArgs)) << server.error();
        getSettings().setString(SETTING_TLS_CA_FILE, c.caFile);
        getSettings().setString(SETTING_TLS_PIN_SHA256, c.pin);
        frame->reconnect();
        EXPECT_TRUE(waitFor([&] { return status() == c.status; }, 10000)) << status();
        EXPECT_FALSE(frame->session().hasConnection());
        // Never a fallback: the client's key or login never reached the server.
        EXPECT_EQ(server.log().find("<- @PUBLICKEY"), std::string::npos) << server.log();
        EXPECT_EQ(server.log().find("<- @LOGIN"), std::string::npos) << server.log();
    }
}

}  // namespace
