// Chats from the main window against a scripted server on loopback: the operator and chat
// lists, chat requests, picking up a chat, lines and typing reaching the chat window, the end
// of a chat, closing, and history replies routed to the right window.
#include <gtest/gtest.h>

#include <wx/grid.h>
#include <wx/menu.h>
#include <wx/notebook.h>
#include <wx/splitter.h>
#include <wx/statusbr.h>
#include <wx/stopwatch.h>
#include <wx/weakref.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "app/ChatShortcuts.h"
#include "app/ClientIds.h"
#include "app/TavoroClientFrame.h"
#include "app/UiPrompts.h"
#include "dialog/VisitDetail.h"
#include "dialog/VisitorChatFrame.h"
#include "messages/S_CHAT.h"
#include "messages/S_PopupMessage.h"
#include "net/ConnectionThread.h"
#include "settings/TavoroSettings.h"
#include "support/FrameTestUtil.h"
#include "support/GuiTestUtil.h"
#include "support/LoopbackServer.h"
#include "support/TempDir.h"
#include "widgets/Notifications.h"
#include "widgets/VisitorGrid.h"

using namespace Tavoro;
using Tavoro::Test::LoopbackServer;
using Tavoro::Test::waitFor;

namespace {

const std::string ESC = "\x1b";
const std::string NUL(1, '\0');
using Frames = std::vector<std::string>;

// A chatting-visitor record: id, IP, name, domain, last activity, talking to, department,
// language, translating, (unused), monitored by.
std::string chatter(const std::string& id, const std::string& ip, const std::string& name,
                    const std::string& domain, const std::string& talkingTo,
                    const std::string& monitoredBy = "0") {
    return id + "\t" + ip + "\t" + name + "\t" + domain + "\t10:01\t" + talkingTo +
           "\tSales\ten\tN\t-\t" + monitoredBy;
}

std::string visitorLine(const std::string& site, const std::string& ip, const std::string& number,
                        const std::string& user) {
    std::vector<std::string> f(22);
    f[0] = site + ":" + ip + ":t" + number;
    f[1] = number;
    f[2] = "1";
    f[8] = user;
    f[14] = "NNNNNNNNNNNNN";
    std::string line;
    for (size_t i = 0; i < f.size(); ++i)
        line += (i ? "\t" : "") + f[i];
    return line;
}

class ChatsTest : public ::testing::Test {
  protected:
    void SetUp() override {
        UiPrompts::messageBox = [this](wxWindow*, const wxString& text, const wxString& caption,
                                       long) {
            prompts.push_back(caption + ": " + text);
            return answer;
        };
        Notifications::playSound = [this](const wxString& file) { sounds.push_back(file); };
        Notifications::showNotice = [this](const Notifications::Notice& notice) {
            notices.push_back(notice.title);
            shownNotices.push_back(notice);
        };
        Tavoro::Test::useSettingsFile(dir, "[General]\nServerDNSIP=127.0.0.1\nClientPortNumber=" +
                                               std::to_string(server.port()) + "\n" + extra);
        frame = new TavoroClientFrame(nullptr, wxID_ANY);
        weak = frame;
        frame->Show();
        frame->connectToServer();
        ASSERT_TRUE(server.accept());
        ASSERT_TRUE(waitFor([&] { return frame->session().hasConnection(); }));
    }
    void TearDown() override {
        if (weak) {
            weak->Destroy();
            EXPECT_TRUE(waitFor([&] { return !weak; }));
        }
        UiPrompts::messageBox = nullptr;
    }
    // The frames sent since the last call, waiting (bounded) for at least atLeast of them. The
    // chat windows' typing notices ("@0:id", "@1:id") follow a timer, not the steps of a test,
    // and no test here expects them: they are left out, so they cannot race the steps.
    std::vector<std::string> sentFrames(size_t atLeast, int ms = 3000) {
        const auto isTyping = [](const std::string& f) {
            return f.rfind("@0:", 0) == 0 || f.rfind("@1:", 0) == 0;
        };
        Frames kept;
        wxStopWatch watch;
        do {
            const long left = std::max(1L, ms - watch.Time());
            for (std::string& f : reader.next(atLeast - kept.size(), static_cast<int>(left))) {
                if (!isTyping(f))
                    kept.push_back(std::move(f));
            }
        } while (kept.size() < atLeast && watch.Time() < ms);
        return kept;
    }
    wxString cell(wxGrid* grid, int row, int col) { return grid->GetCellValue(row, col); }
    // Two operators, one waiting visitor (row 0) and one served by Bob (row 1).
    void loadChatLists() {
        server.send("@CLIENTS:5\t10.1.1.5\tAmy\tSales\t0\ten\tamy" + ESC +
                    "7\t10.1.1.7\tBob\tSupport\t1\ten\tbob" + NUL);
        server.send("@VISITORS:" + chatter("c1", "10.0.0.9", "Vera", "shop.example", "") + ESC +
                    chatter("c2", "10.0.0.8", "Walt", "shop.example", "7") + NUL);
        ASSERT_TRUE(waitFor([&] { return frame->chattingGrid()->GetNumberRows() == 2; }));
    }
    void loadSiteAndVisitor() {
        server.send("@SD:S1\tShop\tshop.example\t\t\tN\t" + NUL);
        server.send("@CV:" + visitorLine("S1", "10.0.0.9", "3", "vera") + NUL);
        ASSERT_TRUE(waitFor([&] { return frame->session().visitors().size() == 1; }));
        sentFrames(1);  // "@STARTEVENTS"
    }

    std::string extra;
    Tavoro::Test::TempDir dir;
    LoopbackServer server;
    TavoroClientFrame* frame = nullptr;
    wxWeakRef<TavoroClientFrame> weak;
    Tavoro::Test::SentFrameReader reader{server};
    std::vector<wxString> prompts;
    std::vector<wxString> sounds;
    std::vector<wxString> notices;
    std::vector<Notifications::Notice> shownNotices;
    int answer = wxOK;
};

TEST_F(ChatsTest, OperatorAndChatListsFillTheirGrids) {
    // Before any operator list, operator numbers read as "Unknown Operator", "0" as nothing.
    server.send("@VISITORS:" + chatter("c1", "10.0.0.9", "Vera", "shop.example", "7", "0") + NUL);
    ASSERT_TRUE(waitFor([&] { return frame->chattingGrid()->GetNumberRows() == 1; }));
    EXPECT_EQ(cell(frame->chattingGrid(), 0, 4), "Unknown Operator");
    EXPECT_EQ(cell(frame->chattingGrid(), 0, 8), "");

    loadChatLists();
    wxGrid* ops = frame->operatorsGrid();
    ASSERT_EQ(ops->GetNumberRows(), 2);
    EXPECT_EQ(cell(ops, 1, 2), "Bob");
    EXPECT_EQ(cell(ops, 1, 6), "bob");
    EXPECT_EQ(frame->mainNotebook()->GetPageText(2), "Connected Users 2");
    wxGrid* chats = frame->chattingGrid();
    EXPECT_EQ(cell(chats, 0, 0), "c1");
    EXPECT_EQ(cell(chats, 0, 1), "Vera");
    EXPECT_EQ(cell(chats, 0, 2), "shop.example");
    EXPECT_EQ(cell(chats, 0, 4), "");
    EXPECT_EQ(cell(chats, 1, 4), "Bob");
    EXPECT_EQ(cell(chats, 1, 9), "10.0.0.8");
    EXPECT_EQ(frame->operatorName("7"), "Bob");
    EXPECT_EQ(frame->operatorName("99"), "Unknown Operator");

    // Shorter lists shrink the grids; an empty list empties it.
    server.send("@CLIENTS:5\t10.1.1.5\tAmy\tSales\t0\ten\tamy" + NUL);
    server.send("@VISITORS:" + chatter("c3", "10.0.0.7", "Xena", "shop.example", "") + NUL);
    ASSERT_TRUE(waitFor([&] { return ops->GetNumberRows() == 1 && cell(chats, 0, 0) == "c3"; }));
    EXPECT_EQ(chats->GetNumberRows(), 1);
    EXPECT_EQ(frame->mainNotebook()->GetPageText(2), "Connected Users 1");
    server.send("@VISITORS:" + NUL);
    ASSERT_TRUE(waitFor([&] { return chats->GetNumberRows() == 0; }));
}

TEST_F(ChatsTest, ChatRequestWithoutSoundSettingIsSilent) {
    frame->chatNotebook()->ChangeSelection(1);
    server.send("@CHAT:x:shop.example:Vera" + NUL);
    ASSERT_TRUE(waitFor([&] { return frame->chatNotebook()->GetSelection() == 0; }));
    EXPECT_TRUE(sounds.empty());
    EXPECT_EQ(notices, std::vector<wxString>{"shop.example Chat"});
}

class ChatsWithSoundTest : public ChatsTest {
  protected:
    void SetUp() override {
        extra = "[Popups]\nChatRequestSoundPath=/usr/share/sounds/ring.wav\n";
        ChatsTest::SetUp();
    }
};

class ChatsWithAutoBusyTest : public ChatsTest {
  protected:
    void SetUp() override {
        extra = "[Options]\nNumberOfChatBeforeAutoBusy=1\n";
        ChatsTest::SetUp();
    }
};

// The toolbar follows the status the session sets while the operator is chatting.
TEST_F(ChatsWithAutoBusyTest, TheToolbarShowsBusyWhileChatting) {
    loadChatLists();
    frame->startChat(0);
    EXPECT_EQ(sentFrames(3), (Frames{"@CHAT:c1", "@GETPREVCHATS::10.0.0.9", "@STATUS:1"}));
    EXPECT_EQ(frame->selectedStatus(), Types::OperatorStatus::Busy);
    frame->closeChat("c1");
    EXPECT_EQ(sentFrames(2), (Frames{"@CLOSECHAT:c1", "@STATUS:0"}));
    EXPECT_EQ(frame->selectedStatus(), Types::OperatorStatus::Online);
}

class ChatsWithVisitorSoundsTest : public ChatsTest {
  protected:
    void SetUp() override {
        extra = "[Popups]\nNewVisitorSoundPath=/s/new.wav\nProspectSoundPath=/s/prospect.wav\n";
        Notifications::clockMs = [this] { return now; };
        ChatsTest::SetUp();
    }
    void TearDown() override {
        ChatsTest::TearDown();
        Notifications::clockMs = nullptr;
    }
    long long now = 8'000'000'000'000LL;
};

// A visitor the list did not have plays the new-visitor sound, once for a burst; the full list
// at log-in plays nothing; a listed visitor turning prospect plays the prospect sound once.
TEST_F(ChatsWithVisitorSoundsTest, NewVisitorsAndProspectsAreHeard) {
    loadSiteAndVisitor();
    EXPECT_TRUE(sounds.empty()) << "the visitor list at log-in is not news";
    for (int i = 0; i < 3; ++i)
        server.send(
            "@EV:" +
            visitorLine("S1", "10.1.0." + std::to_string(i), "4" + std::to_string(i), "new") + NUL);
    ASSERT_TRUE(waitFor([&] { return frame->session().visitors().size() == 4; }));
    EXPECT_EQ(sounds, std::vector<wxString>{"/s/new.wav"});

    // Vera (number 3) becomes a prospect (flag 5), then stays one.
    std::string prospect = visitorLine("S1", "10.0.0.9", "3", "vera");
    prospect.replace(prospect.find("NNNNNNNNNNNNN"), 13, "NNNNNYNNNNNNN");
    server.send("@EV:" + prospect + NUL);
    server.send("@EV:" + prospect + NUL);
    ASSERT_TRUE(waitFor([&] { return frame->session().eventsHandled() == 5; }));
    EXPECT_EQ(sounds, (std::vector<wxString>{"/s/new.wav", "/s/prospect.wav"}));
}

// Clicking a chat request's notice brings the main window back, on the waiting chats.
TEST_F(ChatsTest, ClickingAChatRequestNoticeShowsTheWaitingChats) {
    frame->chatNotebook()->ChangeSelection(CHAT_PAGE_CALL_BACKS);
    frame->Iconize(true);
    server.send("@CHAT:x:shop.example:Vera" + NUL);
    ASSERT_TRUE(waitFor([&] { return shownNotices.size() == 1; }));
    frame->chatNotebook()->ChangeSelection(CHAT_PAGE_CALL_BACKS);
    ASSERT_TRUE(shownNotices[0].onClick);
    shownNotices[0].onClick();
    EXPECT_FALSE(frame->IsIconized());
    EXPECT_TRUE(frame->IsShown());
    EXPECT_EQ(frame->chatNotebook()->GetSelection(), CHAT_PAGE_CHATTING);
}

TEST_F(ChatsWithSoundTest, ChatRequestPlaysTheConfiguredSound) {
    server.send("@CHAT:x:shop.example:Vera" + NUL);
    ASSERT_TRUE(waitFor([&] { return !sounds.empty(); }));
    EXPECT_EQ(sounds[0], "/usr/share/sounds/ring.wav");
}

TEST_F(ChatsTest, PickingUpAChatOpensAndRegistersItsWindow) {
    loadSiteAndVisitor();
    loadChatLists();
    frame->startChat(0);
    EXPECT_EQ(sentFrames(3),
              (Frames{"@CHAT:c1", "@GETVISIT:S1:10.0.0.9:vera:1", "@GETPREVCHATS:S1:10.0.0.9"}));
    Dialog::VisitorChatFrame* window = frame->chatWindow("c1");
    ASSERT_TRUE(window);
    EXPECT_EQ(window->chat_key(), "c1");

    // Lines and typing reach the window through the table.
    server.send("@MESSAGE:c1\nHello <b>there</b>" + NUL + "@1:c1" + NUL);
    ASSERT_TRUE(waitFor([&] { return window->transcript_html().Contains("Hello"); }));
    EXPECT_FALSE(window->transcript_html().Contains("<b>there</b>")) << "visitor text escaped";
    server.send("@MESSAGE:nosuchchat\nlost" + NUL);

    // History for the chat's visitor goes to the chat window, not the main visit detail.
    server.send("@PREVCHATS:S1:10.0.0.9\nold1\tS1\t10.0.0.9\tVera\t2026-12-01\t65" + NUL);
    ASSERT_TRUE(waitFor([&] { return window->visit_detail()->prev_chats() != nullptr; }));
    EXPECT_EQ(frame->visitDetail()->prev_chats(), nullptr);

    // Picking it up again only raises the window.
    server.send("@VISITORS:" + chatter("c1", "10.0.0.9", "Vera", "shop.example", "5") + NUL);
    ASSERT_TRUE(waitFor([&] { return cell(frame->chattingGrid(), 0, 4) == "Amy"; }));
    frame->startChat(0);
    EXPECT_TRUE(sentFrames(1, 200).empty()) << "no second @CHAT";
    EXPECT_TRUE(prompts.empty());

    // The end-of-chat sentence ends it and takes it out of the table.
    server.send("@MESSAGE:c1\nVisitor has left the conversation." + NUL);
    ASSERT_TRUE(waitFor([&] { return !frame->chatWindows().contains("c1"); }));
    EXPECT_TRUE(window->is_chat_ended());
}

TEST_F(ChatsTest, AChatTakenByAnotherOperatorIsRefused) {
    loadChatLists();
    frame->startChat(1);
    ASSERT_EQ(prompts.size(), 1u);
    EXPECT_EQ(prompts[0],
              "Visitor Already Chatting: Visitor Walt has already started chatting to Bob");
    EXPECT_TRUE(sentFrames(1, 200).empty());
    EXPECT_EQ(frame->chatWindow("c2"), nullptr);
}

TEST_F(ChatsTest, TheRefusalDoesNotBlockTheWindow) {
    loadChatLists();
    UiPrompts::messageBox = nullptr;
    frame->startChat(1);  // returns at once: the notice is modeless
    wxWindow* notice = nullptr;
    for (wxWindow* w : wxTopLevelWindows) {
        if (w->GetLabel() == "Visitor Already Chatting" && w->IsShown())
            notice = w;
    }
    ASSERT_TRUE(notice);
    wxWeakRef<wxWindow> alive(notice);
    wxCommandEvent ok(wxEVT_BUTTON, wxID_OK);
    ok.SetEventObject(notice);
    notice->ProcessWindowEvent(ok);
    EXPECT_TRUE(waitFor([&] { return !alive; })) << "OK closes and destroys it";
}

TEST_F(ChatsTest, ClosingAChatSessionAsksFirst) {
    loadChatLists();
    frame->startChat(0);
    sentFrames(2);
    frame->chattingGrid()->SelectRow(0);
    answer = wxNO;
    frame->closeChatSession();
    EXPECT_TRUE(sentFrames(1, 200).empty());
    EXPECT_FALSE(frame->chattingGrid()->IsSelection());
    ASSERT_EQ(prompts.size(), 1u);
    EXPECT_TRUE(
        prompts[0].StartsWith("Close Visitor Chat: Really close chat session for Vera? \r\n"));

    frame->chattingGrid()->SelectRow(0);
    answer = wxYES;
    frame->closeChatSession();
    EXPECT_EQ(sentFrames(1), Frames{"@CLOSECHAT:c1"});
    EXPECT_FALSE(frame->chatWindows().contains("c1"));
}

TEST_F(ChatsTest, ClosingTheMainWindowAsksFirstAndThenLeavesTheOpenChats) {
    loadChatLists();
    frame->startChat(0);
    // The chat and its history are asked for before the question (the chat window's typing
    // notices are left out of what sentFrames reads).
    EXPECT_EQ(sentFrames(3).back(), "@GETPREVCHATS::10.0.0.9");
    server.send("@SS:" + NUL);
    Tavoro::Test::pumpEvents(100);

    // No keeps everything as it was: the window, the chat window, and nothing said.
    answer = wxNO;
    frame->Close();
    Tavoro::Test::pumpEvents(100);
    ASSERT_TRUE(weak) << "No closed the window";
    EXPECT_TRUE(frame->chatWindow("c1"));
    EXPECT_TRUE(sentFrames(1, 200).empty()) << "something went to the server after No";
    ASSERT_EQ(prompts.size(), 1u);
    EXPECT_TRUE(prompts[0].StartsWith("Quit Tavoro Client: Quit Tavoro Client?")) << prompts[0];
    EXPECT_TRUE(prompts[0].Contains("chatting to 1 visitor;")) << prompts[0];

    answer = wxYES;
    frame->Close();
    ASSERT_TRUE(waitFor([&] { return !weak; }));
    EXPECT_EQ(sentFrames(1), Frames{"@LEAVE:c1"});
}

TEST_F(ChatsTest, AForcedCloseOrTheOptionOffAsksNothing) {
    // A close that cannot be refused (the desktop session ending) goes at once.
    answer = wxNO;
    frame->Close(true);
    ASSERT_TRUE(waitFor([&] { return !weak; }));
    EXPECT_TRUE(prompts.empty());

    // With "Ask For Confirmation On Exit" off, closing just closes.
    frame = new TavoroClientFrame(nullptr, wxID_ANY);
    weak = frame;
    getSettings().setBool(SETTING_CONFIRM_CLOSE_CLIENT, false);
    frame->Close();
    ASSERT_TRUE(waitFor([&] { return !weak; }));
    EXPECT_TRUE(prompts.empty());
}

TEST_F(ChatsTest, InvitationsGoToTheSelectedVisitor) {
    loadSiteAndVisitor();
    frame->sendInvite();
    ASSERT_EQ(prompts.size(), 1u);
    EXPECT_TRUE(prompts[0].StartsWith("No Visitor Selected: No visitor selected."));
    EXPECT_TRUE(sentFrames(1, 200).empty());

    frame->visitorGrid()->SelectRow(0);
    frame->sendInvite();
    EXPECT_EQ(sentFrames(1), Frames{"@INVITE:10.0.0.9\tvera\tshop.example"});
    EXPECT_EQ(prompts.back(), "Invite Sent: Invite Sent");

    // A text invitation remembers its text for the next one; Cancel sends nothing.
    std::vector<wxString> offered;
    bool accept = true;
    UiPrompts::textEntry = [&](wxWindow*, const wxString& initial, wxString& text) {
        offered.push_back(initial);
        text = "Can I help?";
        return accept;
    };
    frame->sendTextInvite();
    EXPECT_EQ(sentFrames(1), Frames{"@INVITE:10.0.0.9\tvera\tshop.example\x1b"
                                    "Can I help?"});
    accept = false;
    frame->sendTextInvite();
    EXPECT_TRUE(sentFrames(1, 200).empty());
    UiPrompts::textEntry = nullptr;
    EXPECT_EQ(offered, (std::vector<wxString>{"", "Can I help?"}));
    EXPECT_EQ(getSettings().getString(SETTING_INVITES_LAST_TEXT), "Can I help?");
}

TEST_F(ChatsTest, HistoryForNobodyShownIsDropped) {
    loadSiteAndVisitor();
    server.send("@PREVCHATS:S1:10.9.9.9\nold1\tS1\t10.9.9.9\tX\t2026-12-01\t65" + NUL +
                "@MSG:sync" + NUL);
    ASSERT_TRUE(waitFor([&] { return !prompts.empty(); }));
    EXPECT_EQ(frame->visitDetail()->prev_chats(), nullptr);

    // The selected visitor's history goes to the main visit detail, which is shown.
    frame->visitorGrid()->SelectRow(0);
    server.send("@PREVCHATS:S1:10.0.0.9\nold1\tS1\t10.0.0.9\tVera\t2026-12-01\t65" + NUL);
    ASSERT_TRUE(waitFor([&] { return frame->visitDetail()->prev_chats() != nullptr; }));
    EXPECT_TRUE(frame->visitorsSplitter()->IsSplit());
}

// A chat line read behind a flood of visitor events is shown before the flood is handled, and
// the chat window's frames keep their order among themselves. A line read just before the loss
// of the connection is shown, and the loss is handled after every frame read before it.
TEST_F(ChatsTest, ChatLinesGoAheadOfQueuedVisitorEvents) {
    loadSiteAndVisitor();
    loadChatLists();
    frame->startChat(0);
    Dialog::VisitorChatFrame* window = frame->chatWindow("c1");
    ASSERT_TRUE(window);
    const unsigned long before = frame->session().eventsHandled();
    // Shared with the observer: the window may show a line after the test body has ended.
    auto shownAt = std::make_shared<std::vector<long>>();
    std::vector<long>& handledWhenShown = *shownAt;
    TavoroClientFrame* main = frame;
    window->lineShownObserver = [shownAt, main, before](long) {
        shownAt->push_back(static_cast<long>(main->session().eventsHandled() - before));
    };

    ReceivedQueue* reader = frame->session().receivedQueue();
    enum Handed { kFrame, kLost };
    auto post = [&](Handed what, const std::string& text) {
        Tavoro::Test::postAsReader(reader, text, what == kLost);
    };
    constexpr int kFlood = 3000;
    auto flood = [&](int from) {
        for (int i = from; i < from + kFlood / 2; ++i)
            post(kFrame, "@EV:" + visitorLine("S1", "10.1.0.1", std::to_string(100 + i),
                                              "u" + std::to_string(i)));
    };
    flood(0);
    post(kFrame, "@MESSAGE:c1\nfirst");
    flood(kFlood / 2);
    post(kFrame, "@1:c1");
    post(kFrame, "@MESSAGE:c1\nsecond");
    post(kFrame, "@MESSAGE:c1\nthird");
    post(kLost, "");

    ASSERT_TRUE(waitFor([&] { return !handledWhenShown.empty(); }));
    EXPECT_LT(handledWhenShown.front(), 100) << "the line waited for the visitor events";
    ASSERT_TRUE(waitFor([&] { return !frame->session().hasConnection(); }, 60000));
    EXPECT_EQ(frame->session().eventsHandled() - before, static_cast<unsigned long>(kFlood));
    EXPECT_EQ(frame->session().visitors().size(), 1u + kFlood);
    EXPECT_TRUE(
        frame->GetStatusBar()->GetStatusText(0).StartsWith("Connection lost, reconnecting"));
    const wxString html = window->transcript_html();
    const int first = html.Find("first"), second = html.Find("second"), third = html.Find("third");
    ASSERT_NE(first, wxNOT_FOUND);
    ASSERT_NE(second, wxNOT_FOUND);
    ASSERT_NE(third, wxNOT_FOUND) << "a line read before the loss was dropped";
    EXPECT_LT(first, second);
    EXPECT_LT(second, third);
}

// Desktop notices as Notifications hands them to the daemon.
class NoticesTest : public ::testing::Test {
  protected:
    void SetUp() override {
        Notifications::playSound = nullptr;
        Notifications::showNotice = [this](const Notifications::Notice& notice) {
            shown.push_back({notice.title, notice.body});
            stays.push_back(notice.stayUntilClicked);
        };
    }
    void TearDown() override { Notifications::showNotice = nullptr; }
    void popup(const wxString& data) {
        Notifications::popupReceived(
            settings, Messages::S_PopupMessage(Messages::TavoroMessage(Messages::MK_POPUP, data)));
    }

    Tavoro::Test::TempDir dir;
    TavoroSettings settings{dir.file("settings.ini")};
    std::vector<std::pair<wxString, wxString>> shown;
    std::vector<bool> stays;
};

TEST_F(NoticesTest, BodiesCarryVisitorAndServerTextsEscaped) {
    Notifications::chatRequested(
        settings,
        Messages::S_CHAT(Messages::TavoroMessage("@CHAT:c1:a&b.example:<b>Vera</b> O'Neil")));
    settings.setString(SETTING_POPUP_FOR_EXCEPTIONS, "yes");
    popup("E\t<i>Error</i> in \"cart\" & 'pay'");
    using Notice = std::pair<wxString, wxString>;
    EXPECT_EQ(
        shown,
        (std::vector<Notice>{
            {"a&b.example Chat",
             "Visitor &lt;b&gt;Vera&lt;/b&gt; O&apos;Neil has requested a chat on "
             "a&amp;b.example"},
            {"New Exception", "&lt;i&gt;Error&lt;/i&gt; in &quot;cart&quot; &amp; &apos;pay&apos;"},
        }));
}

// A domain or visitor name that holds a placeholder's name shows as it is.
TEST_F(NoticesTest, PlaceholderNamesInTheRequestShowAsTheyAre) {
    Notifications::chatRequested(
        settings, Messages::S_CHAT(Messages::TavoroMessage("@CHAT:c1:%NAME%.example:%DOMAIN%")));
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].first, "%NAME%.example Chat");
    EXPECT_EQ(shown[0].second, "Visitor %DOMAIN% has requested a chat on %NAME%.example");
}

TEST_F(NoticesTest, PopupsOnlyWhenTheirSettingIsYes) {
    // Missing keys: no notices at all.
    popup("Arrival\tnew visitor");
    popup("E\tan exception");
    EXPECT_TRUE(shown.empty());
    settings.setString(SETTING_POPUP_FOR_NEW_VISITORS, "no");
    settings.setString(SETTING_POPUP_FOR_EXCEPTIONS, "no");
    popup("Arrival\tnew visitor");
    popup("E\tan exception");
    EXPECT_TRUE(shown.empty());
    settings.setString(SETTING_POPUP_FOR_NEW_VISITORS, "yes");
    popup("Arrival\tnew visitor");
    popup("E\tan exception");
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].first, "New Visitor");
}

// "Popup Style" chooses which notices appear, "Display Style" how much they show; the leave-on-
// screen option keeps chat requests up until clicked. Unknown stored values read as "One".
TEST_F(NoticesTest, PopupAndDisplayStylesChooseWhichNoticesShowAndHowMuch) {
    settings.setString(SETTING_POPUP_FOR_NEW_VISITORS, "yes");
    const auto request = [&] {
        Notifications::chatRequested(
            settings, Messages::S_CHAT(Messages::TavoroMessage("@CHAT:c1:shop.example:Vera")));
    };
    using Notice = std::pair<wxString, wxString>;
    const Notice chat{"shop.example Chat", "Visitor Vera has requested a chat on shop.example"};
    const Notice visitor{"New Visitor", "on the shop"};

    settings.setString(SETTING_POPUP_STYLE, "Two");  // chat requests only
    request();
    popup("A\ton the shop");
    EXPECT_EQ(shown, std::vector<Notice>{chat});
    shown.clear();
    stays.clear();
    settings.setString(SETTING_POPUP_STYLE, "Three");  // none
    request();
    popup("A\ton the shop");
    EXPECT_TRUE(shown.empty());
    settings.setString(SETTING_POPUP_STYLE, "something else");
    request();
    popup("A\ton the shop");
    EXPECT_EQ(shown, (std::vector<Notice>{chat, visitor}));
    EXPECT_EQ(stays, (std::vector<bool>{false, false}));

    shown.clear();
    stays.clear();
    settings.setString(SETTING_POPUP_DISPLAY_STYLE, "Two");  // titles only
    settings.setBool(SETTING_LEAVE_CHAT_ON_SCREEN, true);
    request();
    popup("A\ton the shop");
    EXPECT_EQ(shown, (std::vector<Notice>{{chat.first, ""}, {visitor.first, ""}}));
    EXPECT_EQ(stays, (std::vector<bool>{true, false})) << "only chat requests stay";
    shown.clear();
    stays.clear();
    settings.setString(SETTING_POPUP_DISPLAY_STYLE, "Three");  // everything stays
    settings.setBool(SETTING_LEAVE_CHAT_ON_SCREEN, false);
    request();
    popup("A\ton the shop");
    EXPECT_EQ(shown, (std::vector<Notice>{chat, visitor}));
    EXPECT_EQ(stays, (std::vector<bool>{true, true}));
}

// New-visitor and prospect sounds: a burst is heard once, each sound on its own, and again
// once the burst is over; nothing without a file.
TEST_F(NoticesTest, VisitorSoundsPlayOncePerBurst) {
    std::vector<wxString> sounds;
    long long now = 4'000'000'000'000LL;  // far from any other test's use of the same rule
    Notifications::clockMs = [&] { return now; };
    Notifications::playSound = [&](const wxString& file) { sounds.push_back(file); };
    Notifications::visitorArrived(settings);
    EXPECT_TRUE(sounds.empty());
    settings.setString(SETTING_NEW_VISITOR_SOUND_PATH, "/s/new.wav");
    settings.setString(SETTING_PROSPECT_SOUND_PATH, "/s/prospect.wav");
    for (int i = 0; i < 50; ++i) {
        Notifications::visitorArrived(settings);
        now += 50;
    }
    Notifications::visitorBecameProspect(settings);
    Notifications::visitorBecameProspect(settings);
    EXPECT_EQ(sounds, (std::vector<wxString>{"/s/new.wav", "/s/prospect.wav"}));
    now += Notifications::kBurstGapMs;
    Notifications::visitorArrived(settings);
    EXPECT_EQ(sounds.size(), 3u);
    EXPECT_EQ(sounds.back(), "/s/new.wav");
    Notifications::clockMs = nullptr;
    Notifications::playSound = nullptr;
}

}  // namespace

namespace {

std::string currentChat(const std::string& ip, const std::string& name, const std::string& line) {
    return "@CURRENTCHAT:S1:" + ip + ":t\nx\t" + name + "\tAmy\ty" + ESC + "10:00\t0\t" + line;
}

// A transcript read right behind the chat list it is found in is shown, in one read or queued
// behind visitor events, and the lines after it stay after it.
TEST_F(ChatsTest, TranscriptBehindItsChatListIsShown) {
    loadChatLists();
    frame->startChat(0);
    Dialog::VisitorChatFrame* window = frame->chatWindow("c1");
    ASSERT_TRUE(window);
    server.send("@VISITORS:" + NUL);
    ASSERT_TRUE(waitFor([&] { return frame->chattingGrid()->GetNumberRows() == 0; }));

    server.send("@VISITORS:" + chatter("c1", "10.0.0.9", "Vera", "shop.example", "5") + NUL +
                currentChat("10.0.0.9", "Vera", "from the transcript") + NUL +
                "@MESSAGE:c1\nafter the transcript" + NUL);
    ASSERT_TRUE(
        waitFor([&] { return window->transcript_html().Contains("after the transcript"); }));
    const wxString html = window->transcript_html();
    const int transcript = html.Find("from the transcript");
    ASSERT_NE(transcript, wxNOT_FOUND) << "the transcript was looked up before its chat list";
    EXPECT_LT(transcript, html.Find("after the transcript"));

    // Queued behind visitor events, a list and its transcript still keep their order, and a
    // chat line with no list in front of it still goes ahead of the events.
    server.send("@VISITORS:" + NUL);
    ASSERT_TRUE(waitFor([&] { return frame->chattingGrid()->GetNumberRows() == 0; }));
    ReceivedQueue* reader = frame->session().receivedQueue();
    for (int i = 0; i < 200; ++i)
        Tavoro::Test::postAsReader(reader,
                                   "@EV:" + visitorLine("S1", "10.1.0.1", std::to_string(100 + i),
                                                        "u" + std::to_string(i)));
    Tavoro::Test::postAsReader(
        reader, "@VISITORS:" + chatter("c1", "10.0.0.9", "Vera", "shop.example", "5"));
    Tavoro::Test::postAsReader(reader, currentChat("10.0.0.9", "Vera", "second transcript"));
    ASSERT_TRUE(waitFor([&] { return frame->session().eventsHandled() >= 200; }));
    ASSERT_TRUE(
        waitFor([&] { return window->transcript_html().Contains("second transcript"); }, 2000));
}

}  // namespace

namespace {

// Two double-clicks on a waiting chat before the next list take it once and open one window.
TEST_F(ChatsTest, PickingUpTwiceTakesTheChatOnce) {
    loadSiteAndVisitor();
    loadChatLists();
    wxGridEvent dclick(frame->chattingGrid()->GetId(), wxEVT_GRID_CELL_LEFT_DCLICK,
                       frame->chattingGrid(), 0, 1);
    frame->chattingGrid()->ProcessWindowEvent(dclick);
    Dialog::VisitorChatFrame* first = frame->chatWindow("c1");
    ASSERT_TRUE(first);
    frame->chattingGrid()->ProcessWindowEvent(dclick);
    EXPECT_EQ(sentFrames(3),
              (Frames{"@CHAT:c1", "@GETVISIT:S1:10.0.0.9:vera:1", "@GETPREVCHATS:S1:10.0.0.9"}));
    EXPECT_TRUE(sentFrames(1, 200).empty()) << "the chat was taken twice";
    EXPECT_EQ(frame->chatWindow("c1"), first);
    int windows = 0;
    for (wxWindow* w : wxTopLevelWindows)
        windows += dynamic_cast<Dialog::VisitorChatFrame*>(w) != nullptr;
    EXPECT_EQ(windows, 1);
}

// While a prompt or a context menu is up, new lists may move the rows: the action still acts
// on the chat or visitor chosen, or on nobody when that one is gone.
TEST_F(ChatsTest, PromptsActOnTheChatOrVisitorChosen) {
    loadSiteAndVisitor();
    loadChatLists();
    frame->startChat(0);
    sentFrames(3);
    auto listArrives = [&](const std::string& list, const wxString& firstId) {
        server.send("@VISITORS:" + list + NUL);
        EXPECT_TRUE(waitFor([&] {
            return frame->chattingGrid()->GetNumberRows() > 0 &&
                   cell(frame->chattingGrid(), 0, 0) == firstId;
        }));
    };

    // Close: Vera's chat moves down to row 1 while the question is up; hers is closed.
    const std::string vera = chatter("c1", "10.0.0.9", "Vera", "shop.example", "5");
    const std::string yves = chatter("c9", "10.0.0.1", "Yves", "shop.example", "");
    frame->chattingGrid()->SelectRow(0);
    UiPrompts::messageBox = [&](wxWindow*, const wxString&, const wxString& caption, long) {
        if (caption == "Close Visitor Chat")
            listArrives(yves + ESC + vera, "c9");
        return wxYES;
    };
    frame->closeChatSession();
    EXPECT_EQ(sentFrames(1), Frames{"@CLOSECHAT:c1"});

    // Close again: the chat is gone from the list by the time the answer comes.
    frame->chattingGrid()->SelectRow(0);  // Yves
    UiPrompts::messageBox = [&](wxWindow*, const wxString&, const wxString&, long) {
        listArrives(vera, "c1");
        return wxYES;
    };
    frame->closeChatSession();
    EXPECT_TRUE(sentFrames(1, 200).empty()) << "closed a chat that was not asked about";
    EXPECT_EQ(frame->GetStatusBar()->GetStatusText(0),
              "The chat with Yves has already ended: nothing was closed.");

    // "Start Chatting To": the menu names the row right-clicked; the list changes while it is
    // up, and the chat of that row is taken.
    listArrives(yves + ESC + vera, "c9");
    UiPrompts::popupMenu = [&](wxWindow* window, wxMenu*, const wxPoint&) {
        listArrives(vera + ESC + yves, "c1");
        wxCommandEvent choose(wxEVT_MENU, ID_CHAT_START);
        window->ProcessWindowEvent(choose);
    };
    wxGridEvent rclick(frame->chattingGrid()->GetId(), wxEVT_GRID_CELL_RIGHT_CLICK,
                       frame->chattingGrid(), 0, 1);
    frame->chattingGrid()->ProcessWindowEvent(rclick);
    UiPrompts::popupMenu = nullptr;
    EXPECT_EQ(sentFrames(2), (Frames{"@CHAT:c9", "@GETPREVCHATS:S1:10.0.0.1"}));
    EXPECT_TRUE(frame->chatWindow("c9"));

    // Text invite: the visitor leaves while the text is typed; nothing is sent.
    UiPrompts::messageBox = [&](wxWindow*, const wxString& text, const wxString& caption, long) {
        prompts.push_back(caption + ": " + text);
        return wxOK;
    };
    frame->visitorGrid()->SelectRow(0);
    UiPrompts::textEntry = [&](wxWindow*, const wxString&, wxString& text) {
        server.send("@ER:S1:10.0.0.9:t3" + NUL);
        EXPECT_TRUE(waitFor([&] { return frame->session().visitors().size() == 0; }));
        text = "Hello";
        return true;
    };
    frame->sendTextInvite();
    UiPrompts::textEntry = nullptr;
    for (const std::string& f : sentFrames(1, 200))
        EXPECT_NE(f.rfind("@INVITE", 0), 0u) << "invited whoever came next: " << f;
    EXPECT_EQ(frame->GetStatusBar()->GetStatusText(0),
              "The visitor has left the site: no invite was sent.");
}

// ------------------------------------------------------------------ keyboard-first chatting

TEST_F(ChatsTest, PickUpKeyTakesTheChatThatHasWaitedLongest) {
    loadSiteAndVisitor();
    wxMenuBar* bar = frame->GetMenuBar();
    wxMenuItem* pickUp = bar->FindItem(ID_MENU_PICK_UP);
    ASSERT_NE(pickUp, nullptr);
    EXPECT_EQ(pickUp->GetItemLabel(), "&Pick Up Longest Waiting\tCtrl+P");
    auto press = [&] {
        wxCommandEvent key(wxEVT_MENU, ID_MENU_PICK_UP);
        frame->GetEventHandler()->ProcessEvent(key);
    };

    loadChatLists();  // c1 (Vera) waits, c2 is Bob's
    // A newer chat is listed first; c1 has still waited longer.
    server.send("@VISITORS:" + chatter("c3", "10.0.0.7", "Xena", "shop.example", "") + ESC +
                chatter("c1", "10.0.0.9", "Vera", "shop.example", "") + ESC +
                chatter("c2", "10.0.0.8", "Walt", "shop.example", "7") + NUL);
    ASSERT_TRUE(waitFor([&] { return frame->chattingGrid()->GetNumberRows() == 3; }));
    EXPECT_EQ(frame->shortcuts().longestWaitingChat(), "c1");
    press();
    // Exactly what a double click on its row sends.
    EXPECT_EQ(sentFrames(3),
              (Frames{"@CHAT:c1", "@GETVISIT:S1:10.0.0.9:vera:1", "@GETPREVCHATS:S1:10.0.0.9"}));
    ASSERT_TRUE(frame->chatWindow("c1"));

    // The chat now open is not taken again: the next one is.
    press();
    const Frames next = sentFrames(1);
    ASSERT_FALSE(next.empty());
    EXPECT_EQ(next[0], "@CHAT:c3");
    ASSERT_TRUE(frame->chatWindow("c3"));

    // Nobody waits: nothing is sent, the status bar says so.
    press();
    EXPECT_TRUE(sentFrames(1, 200).empty());
    EXPECT_TRUE(frame->GetStatusBar()->GetStatusText().Contains("No chat is waiting"))
        << frame->GetStatusBar()->GetStatusText();
}

TEST_F(ChatsTest, ChatsMenuListsOpenChatsAndCtrlDigitsSwitch) {
    loadSiteAndVisitor();
    server.send("@VISITORS:" + chatter("c1", "10.0.0.9", "Vera & Co", "shop.example", "") + ESC +
                chatter("c3", "10.0.0.7", "Xena", "other.example", "") + NUL);
    ASSERT_TRUE(waitFor([&] { return frame->chattingGrid()->GetNumberRows() == 2; }));
    frame->startChat("c1");
    frame->startChat("c3");
    ASSERT_TRUE(frame->chatWindow("c1") && frame->chatWindow("c3"));

    wxMenuBar* bar = frame->GetMenuBar();
    const int chats = bar->FindMenu("Chats");
    ASSERT_NE(chats, wxNOT_FOUND);
    EXPECT_EQ(bar->GetMenuLabel(chats), "&Chats");
    frame->shortcuts().refreshMenu();
    std::vector<wxString> labels;
    for (const wxMenuItem* item : bar->GetMenu(chats)->GetMenuItems()) {
        if (!item->IsSeparator())
            labels.push_back(item->GetItemLabel());
    }
    EXPECT_EQ(labels, (std::vector<wxString>{"&Pick Up Longest Waiting\tCtrl+P",
                                             "&1 Vera && Co (shop.example)\tCtrl+1",
                                             "&2 Xena (other.example)\tCtrl+2"}));

    std::vector<wxWindow*> raised;
    ChatShortcuts::raiseHook = [&](wxWindow* w) { raised.push_back(w); };
    // Ctrl+2 in the main window, Ctrl+1 in a chat window (which hands it to the main window),
    // and Ctrl+9 with no ninth chat.
    wxCommandEvent second(wxEVT_MENU, Dialog::VisitorChatFrame::ID_SWITCH_CHAT_FIRST + 1);
    frame->GetEventHandler()->ProcessEvent(second);
    wxCommandEvent first(wxEVT_MENU, Dialog::VisitorChatFrame::ID_SWITCH_CHAT_FIRST);
    frame->chatWindow("c3")->GetEventHandler()->ProcessEvent(first);
    wxCommandEvent ninth(wxEVT_MENU, Dialog::VisitorChatFrame::ID_SWITCH_CHAT_FIRST + 8);
    frame->GetEventHandler()->ProcessEvent(ninth);
    ChatShortcuts::raiseHook = nullptr;
    EXPECT_EQ(raised, (std::vector<wxWindow*>{frame->chatWindow("c3"), frame->chatWindow("c1")}));
}

}  // namespace
