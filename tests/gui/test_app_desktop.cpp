// The client on the desktop: the main window in German, the log for support with its Help
// menu item, and the command line.
#include <gtest/gtest.h>

#include <wx/ffile.h>
#include <wx/log.h>
#include <wx/menu.h>
#include <wx/notebook.h>
#include <wx/statusbr.h>
#include <wx/toolbar.h>
#include <wx/translation.h>
#include <wx/weakref.h>

#include <string>
#include <vector>

#include "app/ClientIds.h"
#include "app/CommandLine.h"
#include "app/OperatorLog.h"
#include "app/TavoroClientFrame.h"
#include "app/Translations.h"
#include "app/UiPrompts.h"
#include "dialog/SettingsDialog.h"
#include "settings/TavoroSettings.h"
#include "support/FrameTestUtil.h"
#include "support/GuiTestUtil.h"
#include "support/ScriptedServer.h"
#include "support/TempDir.h"
#include "tavoro/Version.h"

using namespace Tavoro;
using Tavoro::Test::waitFor;

namespace {

class DesktopTest : public ::testing::Test {
  protected:
    void SetUp() override {
        UiPrompts::messageBox = [this](wxWindow*, const wxString& text, const wxString&, long) {
            prompts.push_back(text);
            return wxOK;
        };
    }
    void TearDown() override {
        if (weak)
            weak->Destroy();
        EXPECT_TRUE(waitFor([&] { return !weak; }));
        UiPrompts::messageBox = nullptr;
        UiPrompts::optionsDialog = nullptr;
        OperatorLog::openFolder = nullptr;
        OperatorLog::stop();
        wxTranslations::Set(nullptr);
    }
    void start(unsigned short port) {
        Tavoro::Test::useSettingsFile(dir,
                                      "[General]\nServerDNSIP=127.0.0.1\nUsername=ann\n"
                                      "Password=stored-secret\nClientPortNumber=" +
                                          std::to_string(port) + "\n");
        weak = frame = new TavoroClientFrame(nullptr, wxID_ANY);
        frame->Show();
        frame->connectToServer();
    }
    wxString statusText() { return frame->GetStatusBar()->GetStatusText(0); }
    wxMenu* helpMenu() {
        wxMenuBar* bar = frame->GetMenuBar();
        return bar->GetMenu(bar->GetMenuCount() - 1);
    }

    Tavoro::Test::TempDir dir;
    TavoroClientFrame* frame = nullptr;
    wxWeakRef<TavoroClientFrame> weak;
    std::vector<wxString> prompts;
};

wxString localeDir() {
    wxString dir;
    wxGetEnv("TAVORO_LOCALE_DIR", &dir);
    return dir;
}

wxString contentOf(const wxString& path) {
    wxString text;
    wxFFile file(path, "r");
    if (file.IsOpened())
        file.ReadAll(&text, wxConvUTF8);
    return text;
}

}  // namespace

TEST_F(DesktopTest, MainWindowSpeaksGermanWithTheBuiltCatalog) {
    ASSERT_FALSE(localeDir().empty()) << "TAVORO_LOCALE_DIR names the catalogs of the build";
    Translations::setUp(localeDir(), "de");
    start(1);  // nothing listens there: the connection fails at once

    wxMenuBar* bar = frame->GetMenuBar();
    EXPECT_EQ(bar->GetMenuLabelText(0), "Datei");
    EXPECT_EQ(bar->GetMenuLabelText(bar->GetMenuCount() - 1), "Hilfe");
    EXPECT_EQ(bar->GetLabel(ID_MENU_RECONNECT), "Neu &verbinden");
    EXPECT_EQ(bar->GetLabel(ID_MENU_OPEN_LOG_FOLDER), wxString(L"&Protokollordner \u00f6ffnen"));
    wxToolBar* tools = frame->clientToolBar();
    EXPECT_EQ(tools->GetToolShortHelp(ID_TOOL_BUSY), wxString(L"Status setzen: Besch\u00e4ftigt"));
    EXPECT_EQ(tools->FindById(ID_TOOL_AWAY)->GetLabel(), "Abwesend");

    wxString dialogTitle;
    UiPrompts::optionsDialog = [&](wxWindow* parent) {
        Dialog::SettingsDialog dialog(parent, getSettings());
        dialogTitle = dialog.GetTitle();
        return wxID_CANCEL;
    };
    wxCommandEvent options(wxEVT_MENU, ID_MENU_OPTIONS);
    frame->ProcessWindowEvent(options);
    EXPECT_EQ(dialogTitle, wxString(L"Tavoro Client \u2013 Optionen"));

    // Nobody listens: the failed connect is retried, and the status bar says so in German.
    EXPECT_TRUE(waitFor([&] {
        return statusText().StartsWith("Verbindung verloren, neuer Versuch");
    })) << statusText();
}

TEST_F(DesktopTest, LogKeepsConnectionEventsAndErrorsButNoSecrets) {
    const Tavoro::Test::TempDir state;
    OperatorLog::start(state.path() + "/tavoro");
    Tavoro::Test::ScriptedServer server{
        [](const std::function<bool()>& c, int ms) { return waitFor(c, ms); }};
    start(server.port());
    ASSERT_TRUE(server.accept());
    ASSERT_TRUE(server.openSession()) << server.lastError();
    ASSERT_EQ(server.nextFrame().rfind("@LOGIN:", 0), 0u);
    server.close();
    ASSERT_TRUE(waitFor([&] { return !frame->session().hasConnection(); }));
    wxLogError("The disk is full");

    const wxString log = contentOf(OperatorLog::file());
    EXPECT_TRUE(log.Contains("info: Tavoro Client " + wxString(kClientVersion) + " started"));
    EXPECT_TRUE(log.Contains("Connection lost, reconnecting in 1 s (attempt 1)")) << log;
    EXPECT_TRUE(log.Contains("error: The disk is full")) << log;
    EXPECT_FALSE(log.Contains("stored-secret")) << log;
    EXPECT_FALSE(log.Contains(Tavoro::Test::ScriptedServer::kSessionKey)) << log;

    wxString opened;
    OperatorLog::openFolder = [&](const wxString& folder) {
        opened = folder;
        return true;
    };
    wxCommandEvent chosen(wxEVT_MENU, ID_MENU_OPEN_LOG_FOLDER);
    helpMenu()->ProcessEvent(chosen);  // as a click on the item arrives
    EXPECT_EQ(opened, state.path() + "/tavoro");
}

TEST(CommandLine, OptionsAreReadAndMistakesEndWithStatusTwo) {
    const auto run = [](std::vector<const char*> args) {
        args.insert(args.begin(), "tavoro");
        return CommandLine::parse(static_cast<int>(args.size()), const_cast<char**>(args.data()),
                                  "/opt/t/bin/tavoro");
    };
    const auto normal = run({"--settings", "/tmp/operator.ini", "--minimized"});
    EXPECT_FALSE(normal.exitStatus);
    EXPECT_EQ(normal.options.settingsFile, "/tmp/operator.ini");
    EXPECT_TRUE(normal.options.minimized);
    EXPECT_FALSE(run({}).options.minimized);

    const auto version = run({"--version"});
    EXPECT_EQ(version.exitStatus, 0);
    EXPECT_EQ(version.out, "tavoro " + wxString(kClientVersion) + "\n");
    const auto help = run({"--help"});
    EXPECT_EQ(help.exitStatus, 0);
    EXPECT_TRUE(help.out.Contains("--minimized")) << help.out;
    const auto paths = run({"--paths", "--settings", "/tmp/operator.ini"});
    EXPECT_EQ(paths.exitStatus, 0);
    EXPECT_TRUE(paths.out.Contains("settings: /tmp/operator.ini\n")) << paths.out;
    EXPECT_TRUE(paths.out.Contains("translations: " + localeDir())) << paths.out;
    EXPECT_TRUE(paths.out.Contains("log: ")) << paths.out;

    for (const auto& bad : {std::vector<const char*>{"--bogus"}, {"--settings"}, {"extra"}}) {
        const auto outcome = run(bad);
        EXPECT_EQ(outcome.exitStatus, 2) << bad[0];
        EXPECT_TRUE(outcome.err.Contains("--help")) << outcome.err;
        EXPECT_GT(outcome.err.Length(), 30u) << "says what was wrong: " << outcome.err;
    }
}
