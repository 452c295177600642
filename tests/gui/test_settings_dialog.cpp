// The client options dialog against a settings store on a private temporary file.
#include <gtest/gtest.h>

#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/combobox.h>
#include <wx/ffile.h>
#include <wx/filedlg.h>
#include <wx/menu.h>
#include <wx/notebook.h>
#include <wx/spinctrl.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>
#include <wx/treectrl.h>

#include <memory>
#include <vector>

#include "GuiTestUtil.h"
#include "NullServices.h"
#include "dialog/CannedResponsesPage.h"
#include "dialog/SettingsDialog.h"
#include "dialog/SpellChecking.h"
#include "dialog/VisitorChatFrame.h"
#include "settings/TavoroSettings.h"
#include "support/FakePasswordKeeper.h"
#include "support/TempDir.h"
#include "widgets/Notifications.h"
#include "widgets/StringItemData.h"

using Tavoro::TavoroSettings;
using Tavoro::Dialog::SettingsDialog;
using namespace Tavoro;

namespace {

const wxString kTransferDefault = "Please pick up the chat session for visitor %VISITORNAME%";
const wxString kChatDefault = "Hello %NAME%. My name is %MYNAME% how can I help you?";

// Every text box, with a value to store or type in it.
struct TextCase {
    int id;
    wxString value;
};
const std::vector<TextCase> kTexts = {
    {SETTING_AUTHENTICATION_STRING, "auth-1234"},
    {SETTING_SERVER_DNS_IP, "chat.example.test"},
    {SETTING_CALLBACK_SOUND_PATH, "/tmp/callback.wav"},
    {SETTING_CHAT_REQUEST_SOUND_PATH, "/tmp/request.mp3"},
    {SETTING_CHAT_TRANSFER_MESSAGE, "Over to you: %VISITORNAME%"},
    {SETTING_DEPARTMENT_NAME, L"Verk\u00e4ufe"},
    {SETTING_OPERATOR_NAME, L"Ana \u4e2d"},
    {SETTING_PASSWORD, "p=a;s#s"},
    {SETTING_PROSPECT_SOUND_PATH, "/tmp/prospect.wav"},
    {SETTING_DEFAULT_CHAT_MESSAGE, "Hi %NAME%,\nI am %MYNAME%."},
    {SETTING_SMS_NUMBER, "+44 7700 900123"},
    {SETTING_USERNAME, "ana"},
    {SETTING_NEW_VISITOR_SOUND_PATH, "/tmp/visitor.wav"},
    {SETTING_TLS_CA_FILE, "/etc/tavoro/ca.pem"},
    {SETTING_TLS_PIN_SHA256, "AB:CD:EF"},
};

// Every plain check box with the state it shows when its key is missing.
struct CheckCase {
    int id;
    bool whenMissing;
};
const std::vector<CheckCase> kChecks = {
    {SETTING_ALWAYS_ASK_FOR_PASSWORD, false},
    {SETTING_AUTO_CHECK_SPELLING, false},
    {SETTING_CONFIRM_CLOSE_CLIENT, true},
    {SETTING_ELAPSED_TIME, false},
    {SETTING_HIDE_CLIENT_ON_STARTUP, false},
    {SETTING_LEAVE_CHAT_ON_SCREEN, false},
    {SETTING_POPUP_FOR_EXCEPTIONS, false},
    {SETTING_POPUP_FOR_NEW_VISITORS, false},
    {SETTING_RIGHT_TO_LEFT_TEXT, false},
    {SETTING_CHECK_SPELLING_AS_YOU_TYPE, false},
    {SETTING_USE_TLS, false},
};

const std::vector<TextCase> kCombos = {
    {SETTING_UNKNOWN, "en_GB"},
    {SETTING_POPUP_DISPLAY_STYLE, "Three"},
    {SETTING_LANGUAGE, "Deutsch"},
    {SETTING_POPUP_STYLE, "my own style"},
};

// The three check boxes that switch a spin box: value shown for a missing key, value set
// when the box is ticked.
struct LinkedCase {
    int id;
    int whenMissing;
    int whenTicked;
};
const std::vector<LinkedCase> kLinked = {
    {SETTING_MINUTES_TO_LOG_OFF_AFTER, 10, 10},       // Away
    {SETTING_MINUTES_INACTIVE_UNTIL_LOGOFF, 60, 60},  // Log Off
    {SETTING_CHATS_BEFORE_AUTO_BUSY, 2, 3},           // Busy
};

// The installed dictionary of a code, if there is one.
const Tavoro::Dialog::Dictionary* installedDictionary(const wxString& code) {
    static const std::vector<Tavoro::Dialog::Dictionary> installed =
        Tavoro::Dialog::installedDictionaries();
    for (const auto& d : installed) {
        if (d.code == code)
            return &d;
    }
    return nullptr;
}

wxString fileText(const wxString& path) {
    wxFFile file(path, "r");
    wxString text;
    if (file.IsOpened())
        file.ReadAll(&text);
    return text;
}

void click(wxWindow* button) {
    ASSERT_NE(button, nullptr);
    wxCommandEvent event(wxEVT_BUTTON, button->GetId());
    event.SetEventObject(button);
    button->GetEventHandler()->ProcessEvent(event);
}

// Changes a check box the way a click does: new state, then the event.
void toggle(wxCheckBox* box, bool ticked) {
    ASSERT_NE(box, nullptr);
    box->SetValue(ticked);
    wxCommandEvent event(wxEVT_CHECKBOX, box->GetId());
    event.SetEventObject(box);
    event.SetInt(ticked ? 1 : 0);
    box->GetEventHandler()->ProcessEvent(event);
}

class SettingsDialogTest : public ::testing::Test {
  protected:
    void TearDown() override {
        dialog.reset();
        store.reset();
    }

    // Opens the store on the temporary file and builds a dialog over it; with a keyring, the
    // store keeps the password there.
    SettingsDialog& open(PasswordKeeper* keyring = nullptr) {
        dialog.reset();
        store = std::make_unique<TavoroSettings>(path);
        store->setPasswordKeeper(keyring);
        dialog.reset(new SettingsDialog(nullptr, *store));
        return *dialog;
    }

    void removeFile() {
        if (wxFileExists(path))
            wxRemoveFile(path);
    }

    // Writes values into the file as an earlier run would have.
    void seed(const std::vector<TextCase>& values) {
        TavoroSettings writer(path);
        for (const TextCase& v : values)
            writer.setString(v.id, v.value);
        writer.flush();
    }

    Tavoro::Test::TempDir dir;
    wxString path = dir.file("settings.ini");
    std::unique_ptr<TavoroSettings> store;
    std::unique_ptr<SettingsDialog> dialog;
};

TEST_F(SettingsDialogTest, EmptyConfigurationShowsDefaults) {
    SettingsDialog& d = open();
    EXPECT_EQ(d.GetTitle(), "Tavoro Client Options");
    const char* const pages[] = {"General", "Options", "Popups", "Spelling", "Canned Responses"};
    ASSERT_EQ(d.notebook()->GetPageCount(), 5u);
    for (size_t i = 0; i < 5; ++i)
        EXPECT_EQ(d.notebook()->GetPageText(i), pages[i]);

    EXPECT_EQ(d.spinFor(SETTING_CLIENT_PORT_NUMBER)->GetValue(), 8011);
    EXPECT_EQ(d.spinFor(SETTING_CHAT_REQUEST_REPEAT_SECONDS)->GetValue(), 15);
    for (const LinkedCase& c : kLinked) {
        SCOPED_TRACE(c.id);
        EXPECT_EQ(d.spinFor(c.id)->GetValue(), c.whenMissing);
        EXPECT_TRUE(d.spinFor(c.id)->IsEnabled());
        EXPECT_TRUE(d.linkedCheckBoxFor(c.id)->GetValue());
    }
    for (const CheckCase& c : kChecks) {
        EXPECT_EQ(d.checkBoxFor(c.id)->GetValue(), c.whenMissing) << TavoroSettings::keyOf(c.id);
    }
    for (const TextCase& c : kTexts) {
        const wxString expected = c.id == SETTING_CHAT_TRANSFER_MESSAGE  ? kTransferDefault
                                  : c.id == SETTING_DEFAULT_CHAT_MESSAGE ? kChatDefault
                                                                         : wxString();
        EXPECT_EQ(d.textFor(c.id)->GetValue(), expected) << TavoroSettings::keyOf(c.id);
    }
    for (const TextCase& c : kCombos)
        EXPECT_EQ(d.comboFor(c.id)->GetValue(), "");
    EXPECT_FALSE(wxFileExists(path)) << "building the dialog writes nothing";
}

TEST_F(SettingsDialogTest, StoredValuesLoadIntoTheirControls) {
    std::vector<TextCase> stored = kTexts;
    stored.insert(stored.end(), kCombos.begin(), kCombos.end());
    // Each check box stored opposite to its default; "Yes" is not "yes".
    for (const CheckCase& c : kChecks) {
        stored.push_back(
            {c.id, c.whenMissing ? (c.id == SETTING_CONFIRM_CLOSE_CLIENT ? "Yes" : "no") : "yes"});
    }
    stored.push_back({SETTING_CLIENT_PORT_NUMBER, "4242"});
    stored.push_back({SETTING_MINUTES_TO_LOG_OFF_AFTER, "25"});
    stored.push_back({SETTING_MINUTES_INACTIVE_UNTIL_LOGOFF, "90"});
    stored.push_back({SETTING_CHATS_BEFORE_AUTO_BUSY, "4"});
    seed(stored);

    SettingsDialog& d = open();
    for (const TextCase& c : kTexts) {
        EXPECT_EQ(d.textFor(c.id)->GetValue(), c.value) << TavoroSettings::keyOf(c.id);
    }
    for (const TextCase& c : kCombos) {
        // An installed dictionary shows by its name.
        const auto* dictionary = c.id == SETTING_UNKNOWN ? installedDictionary(c.value) : nullptr;
        EXPECT_EQ(d.comboFor(c.id)->GetValue(), dictionary ? dictionary->name : c.value)
            << TavoroSettings::keyOf(c.id);
    }
    for (const CheckCase& c : kChecks) {
        EXPECT_EQ(d.checkBoxFor(c.id)->GetValue(), !c.whenMissing) << TavoroSettings::keyOf(c.id);
    }
    EXPECT_EQ(d.spinFor(SETTING_CLIENT_PORT_NUMBER)->GetValue(), 4242);
    EXPECT_EQ(d.spinFor(SETTING_MINUTES_TO_LOG_OFF_AFTER)->GetValue(), 25);
    EXPECT_EQ(d.spinFor(SETTING_MINUTES_INACTIVE_UNTIL_LOGOFF)->GetValue(), 90);
    EXPECT_EQ(d.spinFor(SETTING_CHATS_BEFORE_AUTO_BUSY)->GetValue(), 4);
}

TEST_F(SettingsDialogTest, StoredEmptyMessagesStayEmpty) {
    // Only a missing key gets the default text; an emptied message is the operator's choice.
    seed({{SETTING_CHAT_TRANSFER_MESSAGE, ""}, {SETTING_DEFAULT_CHAT_MESSAGE, ""}});
    SettingsDialog& d = open();
    EXPECT_EQ(d.textFor(SETTING_CHAT_TRANSFER_MESSAGE)->GetValue(), "");
    EXPECT_EQ(d.textFor(SETTING_DEFAULT_CHAT_MESSAGE)->GetValue(), "");
}

TEST_F(SettingsDialogTest, LinkedSpinBoxesLoadFromStoredValue) {
    struct Row {
        const char* stored;
        int shown;
        bool on;
    };
    const Row rows[] = {
        {"0", 0, false}, {"-3", 0, false},   {"abc", 0, false},  {"", 0, false},
        {"1", 1, true},  {"100", 100, true}, {"150", 100, true},
    };
    for (const Row& row : rows) {
        for (const LinkedCase& c : kLinked) {
            SCOPED_TRACE(wxString::Format("%s = '%s'", TavoroSettings::keyOf(c.id), row.stored));
            removeFile();
            seed({{c.id, row.stored}});
            SettingsDialog& d = open();
            EXPECT_EQ(d.spinFor(c.id)->GetValue(), row.shown);
            EXPECT_EQ(d.spinFor(c.id)->IsEnabled(), row.on);
            EXPECT_EQ(d.linkedCheckBoxFor(c.id)->GetValue(), row.on);
        }
    }
}

TEST_F(SettingsDialogTest, PortLoadsOnlyUsablePorts) {
    struct Row {
        const char* stored;  // nullptr: key missing
        int shown;
    };
    const Row rows[] = {{nullptr, 8011},  {"0", 8011},     {"-1", 8011},
                        {"x80", 8011},    {"1", 1},        {"80", 80},
                        {"65535", 65535}, {"65536", 8011}, {"56356", 56356}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.stored ? row.stored : "(missing)");
        removeFile();
        if (row.stored)
            seed({{SETTING_CLIENT_PORT_NUMBER, row.stored}});
        SettingsDialog& d = open();
        EXPECT_EQ(d.spinFor(SETTING_CLIENT_PORT_NUMBER)->GetValue(), row.shown);
    }
    wxSpinCtrl* port = dialog->spinFor(SETTING_CLIENT_PORT_NUMBER);
    EXPECT_EQ(port->GetMin(), 1);
    EXPECT_EQ(port->GetMax(), 65535);
}

TEST_F(SettingsDialogTest, LinkedCheckBoxesSwitchTheirSpinBoxes) {
    SettingsDialog& d = open();
    for (const LinkedCase& c : kLinked) {
        SCOPED_TRACE(TavoroSettings::keyOf(c.id));
        wxSpinCtrl* spin = d.spinFor(c.id);
        wxCheckBox* box = d.linkedCheckBoxFor(c.id);
        toggle(box, false);
        EXPECT_EQ(spin->GetValue(), 0);
        EXPECT_FALSE(spin->IsEnabled());
        toggle(box, true);
        EXPECT_EQ(spin->GetValue(), c.whenTicked);
        EXPECT_TRUE(spin->IsEnabled());
    }
}

TEST_F(SettingsDialogTest, OkWritesEverySettingAndFlushes) {
    SettingsDialog& d = open();
    for (const TextCase& c : kTexts)
        d.textFor(c.id)->ChangeValue(c.value);
    for (const TextCase& c : kCombos)
        d.comboFor(c.id)->SetValue(c.value);
    for (size_t i = 0; i < kChecks.size(); ++i)
        d.checkBoxFor(kChecks[i].id)->SetValue(i % 2 == 0);
    toggle(d.linkedCheckBoxFor(SETTING_MINUTES_TO_LOG_OFF_AFTER), false);
    d.spinFor(SETTING_MINUTES_INACTIVE_UNTIL_LOGOFF)->SetValue(45);
    d.spinFor(SETTING_CHATS_BEFORE_AUTO_BUSY)->SetValue(7);
    d.spinFor(SETTING_CLIENT_PORT_NUMBER)->SetValue(65535);
    d.spinFor(SETTING_CHAT_REQUEST_REPEAT_SECONDS)->SetValue(40);

    d.Show();
    ::testing::internal::CaptureStdout();
    click(d.FindWindow(wxID_OK));
    const std::string out = ::testing::internal::GetCapturedStdout();
    EXPECT_FALSE(d.IsShown());
    EXPECT_EQ(d.GetReturnCode(), wxID_OK);

    // 15 texts but the password (Always Ask For Password is ticked: it is kept nowhere), 11
    // check boxes, 4 combo boxes, 3 linked spins, the port and the repeat.
    size_t writes = 0;
    for (size_t at = out.find("wrote setting to file."); at != std::string::npos;
         at = out.find("wrote setting to file.", at + 1)) {
        ++writes;
    }
    EXPECT_EQ(writes, 34u) << out;

    TavoroSettings reread(path);
    for (const TextCase& c : kTexts) {
        if (c.id == SETTING_PASSWORD) {
            EXPECT_FALSE(reread.exists(c.id));
        } else {
            EXPECT_EQ(reread.getString(c.id), c.value) << TavoroSettings::keyOf(c.id);
        }
    }
    for (const TextCase& c : kCombos) {
        EXPECT_EQ(reread.getString(c.id), c.value) << TavoroSettings::keyOf(c.id);
    }
    for (size_t i = 0; i < kChecks.size(); ++i) {
        EXPECT_EQ(reread.getString(kChecks[i].id), i % 2 == 0 ? "yes" : "no")
            << TavoroSettings::keyOf(kChecks[i].id);
    }
    EXPECT_EQ(reread.getString(SETTING_MINUTES_TO_LOG_OFF_AFTER), "0");
    EXPECT_EQ(reread.getString(SETTING_MINUTES_INACTIVE_UNTIL_LOGOFF), "45");
    EXPECT_EQ(reread.getString(SETTING_CHATS_BEFORE_AUTO_BUSY), "7");
    EXPECT_EQ(reread.getString(SETTING_CLIENT_PORT_NUMBER), "65535");
    EXPECT_EQ(reread.getString(SETTING_CHAT_REQUEST_REPEAT_SECONDS), "40");
    // The dictionary has no key of its own.
    EXPECT_TRUE(fileText(path).Contains("\nUnknown=en_GB\n") ||
                fileText(path).StartsWith("Unknown=en_GB\n"))
        << fileText(path);
    // The canned responses are not settings.
    EXPECT_FALSE(fileText(path).Contains("Test Subject"));
}

TEST_F(SettingsDialogTest, ThePasswordIsKeptInTheKeyringTheFileOrNowhere) {
    struct Case {
        const char* what;
        bool keyringAnswers;
        bool alwaysAsk;
        const char* place;
        bool inKeyring;
        bool inFile;
    };
    const Case cases[] = {
        {"keyring", true, false, "The password is kept in the desktop's keyring.", true, false},
        {"no keyring", false, false, "No keyring answers: the password is kept in the settings",
         false, true},
        {"always ask", true, true, "The password is not kept", false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        removeFile();
        seed({{SETTING_SERVER_DNS_IP, "chat.example"},
              {SETTING_USERNAME, "ann"},
              {SETTING_PASSWORD, "in file"},
              {SETTING_ALWAYS_ASK_FOR_PASSWORD, c.alwaysAsk ? "yes" : "no"}});
        Tavoro::Test::FakePasswordKeeper keyring;
        keyring.kept[{"chat.example", "ann"}] = "in keyring";
        keyring.answers = c.keyringAnswers;
        SettingsDialog& d = open(&keyring);
        EXPECT_TRUE(d.passwordPlace()->GetLabel().StartsWith(c.place))
            << d.passwordPlace()->GetLabel();
        EXPECT_EQ(d.textFor(SETTING_PASSWORD)->GetValue(),
                  c.keyringAnswers ? "in keyring" : "in file");

        // Kept under the user name typed with it, and removed from every other place.
        d.textFor(SETTING_USERNAME)->ChangeValue("bea");
        d.textFor(SETTING_PASSWORD)->ChangeValue("new");
        click(d.FindWindow(wxID_OK));
        keyring.answers = true;
        EXPECT_EQ(keyring.find("chat.example", "bea").has_value(), c.inKeyring);
        if (c.inKeyring) {
            EXPECT_EQ(*keyring.find("chat.example", "bea"), "new");
        }
        TavoroSettings reread(path);
        EXPECT_EQ(reread.exists(SETTING_PASSWORD), c.inFile);
        if (c.inFile) {
            EXPECT_EQ(reread.getString(SETTING_PASSWORD), "new");
        }
    }
}

TEST_F(SettingsDialogTest, OkOnEmptyConfigurationStoresTheShownDefaults) {
    SettingsDialog& d = open();
    click(d.FindWindow(wxID_OK));
    TavoroSettings reread(path);
    EXPECT_EQ(reread.getString(SETTING_CLIENT_PORT_NUMBER), "8011");
    EXPECT_EQ(reread.getString(SETTING_MINUTES_TO_LOG_OFF_AFTER), "10");
    EXPECT_EQ(reread.getString(SETTING_MINUTES_INACTIVE_UNTIL_LOGOFF), "60");
    EXPECT_EQ(reread.getString(SETTING_CHATS_BEFORE_AUTO_BUSY), "2");
    EXPECT_EQ(reread.getString(SETTING_CHAT_TRANSFER_MESSAGE), kTransferDefault);
    EXPECT_EQ(reread.getString(SETTING_DEFAULT_CHAT_MESSAGE), kChatDefault);
    EXPECT_EQ(reread.getString(SETTING_CONFIRM_CLOSE_CLIENT), "yes");
    EXPECT_EQ(reread.getString(SETTING_HIDE_CLIENT_ON_STARTUP), "no");
    // The pop-up notices stay off, as they were before the dialog was opened.
    EXPECT_EQ(reread.getString(SETTING_POPUP_FOR_NEW_VISITORS), "no");
    EXPECT_EQ(reread.getString(SETTING_POPUP_FOR_EXCEPTIONS), "no");
    EXPECT_TRUE(reread.exists(SETTING_SERVER_DNS_IP));
    EXPECT_EQ(reread.getString(SETTING_SERVER_DNS_IP), "");

    // A second run shows what the first stored.
    SettingsDialog& again = open();
    EXPECT_EQ(again.spinFor(SETTING_CHATS_BEFORE_AUTO_BUSY)->GetValue(), 2);
    EXPECT_TRUE(again.linkedCheckBoxFor(SETTING_CHATS_BEFORE_AUTO_BUSY)->GetValue());
}

TEST_F(SettingsDialogTest, CancelAndHelpWriteNothing) {
    seed({{SETTING_SERVER_DNS_IP, "old.example.test"}, {SETTING_CLIENT_PORT_NUMBER, "9000"}});
    const wxString before = fileText(path);

    SettingsDialog& d = open();
    d.textFor(SETTING_SERVER_DNS_IP)->ChangeValue("new.example.test");
    d.spinFor(SETTING_CLIENT_PORT_NUMBER)->SetValue(1234);
    d.checkBoxFor(SETTING_ELAPSED_TIME)->SetValue(true);
    toggle(d.linkedCheckBoxFor(SETTING_CHATS_BEFORE_AUTO_BUSY), false);
    d.Show();

    click(d.FindWindow(wxID_HELP));
    EXPECT_TRUE(d.IsShown()) << "Help leaves the dialog open";
    click(d.FindWindow(wxID_CANCEL));
    EXPECT_FALSE(d.IsShown());
    EXPECT_EQ(d.GetReturnCode(), wxID_CANCEL);

    EXPECT_EQ(fileText(path), before);
    // Nothing waits in the store either, for a later flush by the main window to pick up.
    EXPECT_EQ(store->getString(SETTING_SERVER_DNS_IP), "old.example.test");
    EXPECT_FALSE(store->exists(SETTING_ELAPSED_TIME));
    store->flush();
    EXPECT_EQ(TavoroSettings(path).getString(SETTING_CLIENT_PORT_NUMBER), "9000");
}

// The titles of a tree's entries, depth first, indented by depth ("Greetings", " Welcome").
std::vector<wxString> treeTitles(wxTreeCtrl* tree, const wxTreeItemId& parent, int depth = 0) {
    std::vector<wxString> out;
    wxTreeItemIdValue cookie;
    for (wxTreeItemId c = tree->GetFirstChild(parent, cookie); c.IsOk();
         c = tree->GetNextChild(parent, cookie)) {
        out.push_back(wxString(' ', depth) + tree->GetItemText(c));
        const auto below = treeTitles(tree, c, depth + 1);
        out.insert(out.end(), below.begin(), below.end());
    }
    return out;
}

wxTreeItemId findTitle(wxTreeCtrl* tree, const wxTreeItemId& parent, const wxString& title) {
    wxTreeItemIdValue cookie;
    for (wxTreeItemId c = tree->GetFirstChild(parent, cookie); c.IsOk();
         c = tree->GetNextChild(parent, cookie)) {
        if (tree->GetItemText(c) == title)
            return c;
        const wxTreeItemId below = findTitle(tree, c, title);
        if (below.IsOk())
            return below;
    }
    return wxTreeItemId();
}

TEST_F(SettingsDialogTest, CannedResponsesShowAndSaveTheirText) {
    SettingsDialog& d = open();
    wxTreeCtrl* tree = d.cannedTree();
    const wxTreeItemId root = tree->GetRootItem();
    ASSERT_TRUE(root.IsOk());
    EXPECT_EQ(tree->GetItemText(root), "Subjects");
    // The first start offers examples.
    const std::vector<wxString> first = treeTitles(tree, root);
    ASSERT_GE(first.size(), 2u);
    EXPECT_EQ(first[0], "Greetings");
    EXPECT_EQ(first[1], " Welcome");
    EXPECT_EQ(tree->GetSelection(), root) << "the root starts selected";
    EXPECT_EQ(d.cannedText()->GetValue(), "") << "and has no text";

    const wxTreeItemId welcome = findTitle(tree, root, "Welcome");
    tree->SelectItem(welcome);
    EXPECT_TRUE(d.cannedText()->GetValue().Contains("%NAME%"));
    const wxString typed = L"Hi %NAME%,\n\tprices = low; \u00fcber \u4e2d";
    d.cannedText()->ChangeValue(typed);
    click(d.saveTextButton());

    // Save Text without a selection changes nothing and does not fail.
    tree->Unselect();
    d.cannedText()->ChangeValue("lost");
    click(d.saveTextButton());

    // Kept without OK: the next dialog shows it.
    SettingsDialog& again = open();
    EXPECT_EQ(treeTitles(again.cannedTree(), again.cannedTree()->GetRootItem()), first);
    again.cannedTree()->SelectItem(
        findTitle(again.cannedTree(), again.cannedTree()->GetRootItem(), "Welcome"));
    EXPECT_EQ(again.cannedText()->GetValue(), typed);
}

TEST_F(SettingsDialogTest, CannedResponsesMenuAddsRenamesMovesAndDeletes) {
    std::vector<wxString> answers;
    std::vector<wxString> questions;
    int confirm = wxNO;
    Dialog::CannedResponsesPage::askNameHook = [&](wxWindow*, const wxString&, wxString& value) {
        if (answers.empty())
            return false;
        value = answers.front();
        answers.erase(answers.begin());
        return true;
    };
    Dialog::CannedResponsesPage::messageBoxHook = [&](wxWindow*, const wxString& text,
                                                      const wxString&, long) {
        questions.push_back(text);
        return confirm;
    };
    using Page = Dialog::CannedResponsesPage;

    SettingsDialog& d = open();
    Page* page = d.cannedPage();
    wxTreeCtrl* tree = d.cannedTree();
    wxMenu* menu = d.contextMenu();
    for (int id : {Page::ID_ADD_SUBJECT, Page::ID_ADD_RESPONSE, Page::ID_RENAME, Page::ID_DELETE,
                   Page::ID_MOVE_UP, Page::ID_MOVE_DOWN}) {
        wxMenuItem* item = menu->FindItem(id);
        ASSERT_NE(item, nullptr) << id;
        EXPECT_TRUE(item->GetItemLabel().Contains("&")) << "mnemonic: " << item->GetItemLabel();
    }

    // Everything goes, with a question each time; "No" keeps the entry.
    tree->SelectItem(findTitle(tree, tree->GetRootItem(), "Greetings"));
    page->run_command(Page::ID_DELETE);
    ASSERT_EQ(questions.size(), 1u);
    EXPECT_TRUE(questions[0].Contains("Greetings"));
    EXPECT_EQ(treeTitles(tree, tree->GetRootItem())[0], "Greetings");
    confirm = wxYES;
    while (tree->GetChildrenCount(tree->GetRootItem(), false) > 0) {
        tree->SelectItem(
            findTitle(tree, tree->GetRootItem(), treeTitles(tree, tree->GetRootItem())[0]));
        page->run_command(Page::ID_DELETE);
    }

    answers = {"Sales", "Billing", "Prices", "Refunds", "Money back"};
    tree->SelectItem(tree->GetRootItem());
    page->run_command(Page::ID_ADD_SUBJECT);   // Sales
    page->run_command(Page::ID_ADD_SUBJECT);   // Billing, after the selected Sales
    page->run_command(Page::ID_ADD_RESPONSE);  // Prices under the selected Billing
    tree->SelectItem(findTitle(tree, tree->GetRootItem(), "Billing"));
    page->run_command(Page::ID_ADD_RESPONSE);  // Refunds, last under Billing
    page->run_command(Page::ID_RENAME);        // Refunds becomes Money back
    d.cannedText()->ChangeValue("Refunds take 5 days.");
    click(d.saveTextButton());
    page->run_command(Page::ID_MOVE_UP);
    tree->SelectItem(findTitle(tree, tree->GetRootItem(), "Billing"));
    page->run_command(Page::ID_MOVE_UP);
    const std::vector<wxString> expected = {"Billing", " Money back", " Prices", "Sales"};
    EXPECT_EQ(treeTitles(tree, tree->GetRootItem()), expected);
    // The first subject cannot move further up.
    page->run_command(Page::ID_MOVE_UP);
    EXPECT_EQ(treeTitles(tree, tree->GetRootItem()), expected);
    // A cancelled name adds nothing.
    page->run_command(Page::ID_ADD_SUBJECT);
    EXPECT_EQ(treeTitles(tree, tree->GetRootItem()), expected);

    Page::askNameHook = nullptr;
    Page::messageBoxHook = nullptr;
    SettingsDialog& again = open();
    EXPECT_EQ(treeTitles(again.cannedTree(), again.cannedTree()->GetRootItem()), expected);
    again.cannedTree()->SelectItem(
        findTitle(again.cannedTree(), again.cannedTree()->GetRootItem(), "Money back"));
    EXPECT_EQ(again.cannedText()->GetValue(), "Refunds take 5 days.");
}

// A dialog whose file chooser answers from a script instead of asking the operator.
class ScriptedChooserDialog : public SettingsDialog {
  public:
    using SettingsDialog::SettingsDialog;
    wxString answer;
    bool confirm = true;
    std::vector<wxString> asked;

  protected:
    bool chooseSoundFile(const wxString& current, wxString* chosen) override {
        asked.push_back(current);
        if (confirm)
            *chosen = answer;
        return confirm;
    }
};

TEST_F(SettingsDialogTest, FolderButtonsFillTheirOwnSoundBox) {
    seed({{SETTING_CALLBACK_SOUND_PATH, "/old/callback.wav"}});
    store = std::make_unique<TavoroSettings>(path);
    auto* d = new ScriptedChooserDialog(nullptr, *store);
    dialog.reset(d);
    EXPECT_EQ(d->fileChooser()->GetMessage(), "Select file");
    EXPECT_EQ(d->fileChooser()->GetWildcard(), "*.wav;*.mp3");

    const int sounds[] = {SETTING_CHAT_REQUEST_SOUND_PATH, SETTING_NEW_VISITOR_SOUND_PATH,
                          SETTING_CALLBACK_SOUND_PATH, SETTING_PROSPECT_SOUND_PATH};
    for (int id : sounds) {
        SCOPED_TRACE(TavoroSettings::keyOf(id));
        d->answer = wxString::Format("/sounds/%d.wav", id);
        click(d->soundButtonFor(id));
        for (int other : sounds) {
            const wxString text = d->textFor(other)->GetValue();
            if (other == id) {
                EXPECT_EQ(text, d->answer);
            } else {
                EXPECT_NE(text, d->answer);
            }
        }
    }
    EXPECT_EQ(d->asked.at(2), "/old/callback.wav") << "the chooser starts at the current file";

    d->confirm = false;
    click(d->soundButtonFor(SETTING_PROSPECT_SOUND_PATH));
    EXPECT_EQ(d->textFor(SETTING_PROSPECT_SOUND_PATH)->GetValue(),
              wxString::Format("/sounds/%d.wav", SETTING_PROSPECT_SOUND_PATH))
        << "a cancelled chooser leaves the box alone";
}

// "Test" plays the chat request sound typed in the dialog and shows a sample notice in the
// styles chosen there, saved or not; the text beside each style says what it means. The SMS
// number and the call-back sound are kept but marked unused.
TEST_F(SettingsDialogTest, PopupsPageTestsAndExplainsTheChosenStyles) {
    SettingsDialog& d = open();
    std::vector<wxString> sounds;
    std::vector<Notifications::Notice> notices;
    Notifications::playSound = [&](const wxString& file) { sounds.push_back(file); };
    Notifications::showNotice = [&](const Notifications::Notice& n) { notices.push_back(n); };

    EXPECT_EQ(d.popupStyleMeaning()->GetLabel(), "Chat requests and the alerts ticked below");
    d.textFor(SETTING_CHAT_REQUEST_SOUND_PATH)->ChangeValue("/typed/ring.wav");
    d.comboFor(SETTING_POPUP_DISPLAY_STYLE)->SetValue("Two");
    EXPECT_EQ(d.displayStyleMeaning()->GetLabel(),
              "Title only: no visitor's details on the screen");
    toggle(d.checkBoxFor(SETTING_LEAVE_CHAT_ON_SCREEN), true);
    click(d.testButton());
    EXPECT_EQ(sounds, std::vector<wxString>{"/typed/ring.wav"});
    ASSERT_EQ(notices.size(), 1u);
    EXPECT_EQ(notices[0].title, "www.example.com Chat");
    EXPECT_EQ(notices[0].body, "");
    EXPECT_TRUE(notices[0].stayUntilClicked);

    d.comboFor(SETTING_POPUP_STYLE)->SetValue("Three");
    EXPECT_EQ(d.popupStyleMeaning()->GetLabel(), "No notices: sounds only");
    click(d.testButton());
    EXPECT_EQ(sounds.size(), 2u);
    EXPECT_EQ(notices.size(), 1u) << "no notices means none for the test either";
    Notifications::playSound = nullptr;
    Notifications::showNotice = nullptr;

    for (wxWindow* unused :
         {static_cast<wxWindow*>(d.textFor(SETTING_SMS_NUMBER)),
          static_cast<wxWindow*>(d.textFor(SETTING_CALLBACK_SOUND_PATH)),
          static_cast<wxWindow*>(d.soundButtonFor(SETTING_CALLBACK_SOUND_PATH))}) {
        EXPECT_FALSE(unused->IsEnabled()) << unused->GetName();
        EXPECT_TRUE(unused->GetToolTipText().StartsWith("Not used")) << unused->GetName();
    }
}

TEST_F(SettingsDialogTest, ControlsAreFoundByWindowName) {
    SettingsDialog& d = open();
    const std::vector<std::pair<const char*, wxWindow*>> named = {
        {"ID_SERVER_DNS_IP", d.textFor(SETTING_SERVER_DNS_IP)},
        {"ID_PORT_NUMBER", d.spinFor(SETTING_CLIENT_PORT_NUMBER)},
        {"ID_AUTHENTICATION_STRING", d.textFor(SETTING_AUTHENTICATION_STRING)},
        {"ID_USERNAME", d.textFor(SETTING_USERNAME)},
        {"ID_PASSWORD", d.textFor(SETTING_PASSWORD)},
        {"ID_OPERATOR_NAME", d.textFor(SETTING_OPERATOR_NAME)},
        {"ID_DEPARTMENT_NAME", d.textFor(SETTING_DEPARTMENT_NAME)},
        {"ID_SMS_NUMBER", d.textFor(SETTING_SMS_NUMBER)},
        {"ID_LANGUAGE", d.comboFor(SETTING_LANGUAGE)},
        {"ID_HIDE_ON_STARTUP", d.checkBoxFor(SETTING_HIDE_CLIENT_ON_STARTUP)},
        {"ID_BUSY_CHECK", d.linkedCheckBoxFor(SETTING_CHATS_BEFORE_AUTO_BUSY)},
        {"ID_BUSY_SPIN", d.spinFor(SETTING_CHATS_BEFORE_AUTO_BUSY)},
        {"ID_ELAPSED_TIME", d.checkBoxFor(SETTING_ELAPSED_TIME)},
        {"ID_RIGHT_TO_LEFT", d.checkBoxFor(SETTING_RIGHT_TO_LEFT_TEXT)},
        {"ID_LOG_OFF_CHECK", d.linkedCheckBoxFor(SETTING_MINUTES_INACTIVE_UNTIL_LOGOFF)},
        {"ID_LOG_OFF_SPIN", d.spinFor(SETTING_MINUTES_INACTIVE_UNTIL_LOGOFF)},
        {"ID_AWAY_CHECK", d.linkedCheckBoxFor(SETTING_MINUTES_TO_LOG_OFF_AFTER)},
        {"ID_AWAY_SPIN", d.spinFor(SETTING_MINUTES_TO_LOG_OFF_AFTER)},
        {"ID_ASK_PASSWORD", d.checkBoxFor(SETTING_ALWAYS_ASK_FOR_PASSWORD)},
        {"ID_CONFIRM_EXIT", d.checkBoxFor(SETTING_CONFIRM_CLOSE_CLIENT)},
        {"ID_DEFAULT_CHAT_MESSAGE", d.textFor(SETTING_DEFAULT_CHAT_MESSAGE)},
        {"ID_CHAT_TRANSFER_MESSAGE", d.textFor(SETTING_CHAT_TRANSFER_MESSAGE)},
        {"ID_POPUP_STYLE", d.comboFor(SETTING_POPUP_STYLE)},
        {"ID_DISPLAY_STYLE", d.comboFor(SETTING_POPUP_DISPLAY_STYLE)},
        {"ID_POPUP_NEW_VISITORS", d.checkBoxFor(SETTING_POPUP_FOR_NEW_VISITORS)},
        {"ID_POPUP_EXCEPTIONS", d.checkBoxFor(SETTING_POPUP_FOR_EXCEPTIONS)},
        {"ID_LEAVE_CHAT_ON_SCREEN", d.checkBoxFor(SETTING_LEAVE_CHAT_ON_SCREEN)},
        {"ID_CHAT_REQUEST_SOUND", d.textFor(SETTING_CHAT_REQUEST_SOUND_PATH)},
        {"ID_CHAT_REQUEST_REPEAT", d.spinFor(SETTING_CHAT_REQUEST_REPEAT_SECONDS)},
        {"ID_NEW_VISITOR_SOUND", d.textFor(SETTING_NEW_VISITOR_SOUND_PATH)},
        {"ID_CALLBACK_SOUND", d.textFor(SETTING_CALLBACK_SOUND_PATH)},
        {"ID_PROSPECT_SOUND", d.textFor(SETTING_PROSPECT_SOUND_PATH)},
        {"ID_PROSPECT_SOUND_BUTTON", d.soundButtonFor(SETTING_PROSPECT_SOUND_PATH)},
        {"ID_SPELL_AS_YOU_TYPE", d.checkBoxFor(SETTING_CHECK_SPELLING_AS_YOU_TYPE)},
        {"ID_SPELL_BEFORE_SENDING", d.checkBoxFor(SETTING_AUTO_CHECK_SPELLING)},
        {"ID_DICTIONARY", d.comboFor(SETTING_UNKNOWN)},
        {"ID_CANNED_TREE", d.cannedTree()},
        {"ID_CANNED_TEXT", d.cannedText()},
        {"ID_SAVE_TEXT", d.saveTextButton()},
        {"ID_USE_TLS", d.checkBoxFor(SETTING_USE_TLS)},
        {"ID_TLS_CA_FILE", d.textFor(SETTING_TLS_CA_FILE)},
        {"ID_TLS_PIN_SHA256", d.textFor(SETTING_TLS_PIN_SHA256)},
        {"ID_PASSWORD_PLACE", d.passwordPlace()},
    };
    for (const auto& [name, control] : named) {
        ASSERT_NE(control, nullptr) << name;
        EXPECT_EQ(d.FindWindow(name), control) << name;
    }
    EXPECT_NE(d.FindWindow("ID_TEST_POPUP"), nullptr);
    EXPECT_TRUE(d.textFor(SETTING_PASSWORD)->HasFlag(wxTE_PASSWORD));
    EXPECT_EQ(d.comboFor(SETTING_POPUP_STYLE)->GetCount(), 3u);
    EXPECT_EQ(d.comboFor(SETTING_POPUP_DISPLAY_STYLE)->GetString(2), "Three");
    EXPECT_EQ(d.comboFor(SETTING_UNKNOWN)->GetCount(),
              Tavoro::Dialog::installedDictionaries().size());
}

TEST_F(SettingsDialogTest, DictionaryOffersTheInstalledOnesAndStoresTheCode) {
    const auto* enUS = installedDictionary("en_US");
    if (!enUS)
        GTEST_SKIP() << "the en_US spelling dictionary is not installed (Debian package "
                        "hunspell-en-us)";
    const auto installed = Tavoro::Dialog::installedDictionaries();
    SettingsDialog& d = open();
    wxComboBox* box = d.comboFor(SETTING_UNKNOWN);
    ASSERT_EQ(box->GetCount(), installed.size());
    for (size_t i = 0; i < installed.size(); ++i)
        EXPECT_EQ(box->GetString(i), installed[i].name);

    const int at = box->FindString(enUS->name);
    ASSERT_NE(at, wxNOT_FOUND);
    box->SetSelection(at);
    click(d.FindWindow(wxID_OK));
    EXPECT_EQ(TavoroSettings(path).getString(SETTING_UNKNOWN), "en_US");

    // A stored code shows by its name; an older file may hold a name typed into the box, which
    // is understood and stored as its code from then on; other text stays as it was typed.
    const struct {
        const char* stored;
        wxString shown;
        const char* saved;
    } cases[] = {
        {"en_US", enUS->name, "en_US"},
        {"english (united states)", enUS->name, "en_US"},
        {"Klingon", "Klingon", "Klingon"},
        {"", "", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.stored);
        removeFile();
        seed({{SETTING_UNKNOWN, c.stored}});
        SettingsDialog& again = open();
        EXPECT_EQ(again.comboFor(SETTING_UNKNOWN)->GetValue(), c.shown);
        click(again.FindWindow(wxID_OK));
        EXPECT_EQ(TavoroSettings(path).getString(SETTING_UNKNOWN), c.saved);
    }
}

TEST_F(SettingsDialogTest, OkHandsTextOptionsToOpenChatWindows) {
    // The chat windows read the process-wide store: let the dialog edit that one.
    wxSetEnv("TAVORO_SETTINGS_FILE", path);
    disposeSettings();
    Tavoro::Test::NullServices services;
    auto* chat = new Tavoro::Dialog::VisitorChatFrame(nullptr, &services);
    auto* input = dynamic_cast<wxTextCtrl*>(wxWindow::FindWindowByName("ID_TEXTCTRL1", chat));
    ASSERT_NE(input, nullptr);
    EXPECT_FALSE(Tavoro::Dialog::isTextViewRightToLeft(*input));
    {
        SettingsDialog d(nullptr, getSettings());
        d.checkBoxFor(SETTING_RIGHT_TO_LEFT_TEXT)->SetValue(true);
        click(d.FindWindow(wxID_OK));
    }
    EXPECT_TRUE(Tavoro::Dialog::isTextViewRightToLeft(*input));
    EXPECT_EQ(input->GetLayoutDirection(), wxLayout_RightToLeft);
    chat->Destroy();
    Tavoro::Test::pumpEvents(20);
    disposeSettings();
    wxUnsetEnv("TAVORO_SETTINGS_FILE");
}

}  // namespace
