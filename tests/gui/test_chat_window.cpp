// The chat window driven the way the main window drives it: server messages in, requests out
// through a fake set of services that records them.
#include <gtest/gtest.h>

#include <wx/button.h>
#include <wx/evtloop.h>
#include <wx/ffile.h>
#include <wx/html/htmlwin.h>
#include <wx/splitter.h>
#include <wx/statusbr.h>
#include <wx/textctrl.h>
#include <wx/toolbar.h>
#include <wx/uiaction.h>
#include <wx/weakref.h>

#include <memory>
#include <vector>

#include "GuiTestUtil.h"
#include "NullServices.h"
#include "TempDir.h"
#include "dialog/ResponsePicker.h"
#include "dialog/SpellChecking.h"
#include "dialog/VisitDetail.h"
#include "dialog/VisitorChatFrame.h"
#include "messages/S_CLIENTS.h"
#include "messages/S_CURRENTCHAT.h"
#include "messages/S_MESSAGE.h"
#include "messages/S_PREVCHAT.h"
#include "messages/S_PREVCHATS.h"
#include "messages/S_VISITDETAIL.h"
#include "messages/TavoroMessage.h"
#include "settings/CannedResponses.h"
#include "settings/TavoroSettings.h"
#include "widgets/ClientServices.h"

using namespace Tavoro;
using namespace Tavoro::Messages;
using Tavoro::Dialog::VisitorChatFrame;
using namespace Tavoro::Dialog;
using Tavoro::Test::TempDir;

namespace {

const wxString ESC(wxUniChar(27));
const wxString TAB("\t");

// Records every request as "operation|argument|argument..." in order.
class FakeServices : public Tavoro::Test::NullServices {
  public:
    void sendToServer(const wxString& text) override { log("sendToServer", {text}); }
    wxString operatorName(const wxString& n) const override { return "op" + n; }
    wxString siteDomain(const wxString& siteKey) const override {
        return siteKey == "S1" ? wxString("shop.example") : wxString("Unknown Domain");
    }
    const S_CLIENTS* operatorList() const override { return operators.get(); }
    void requestPrevChat(const wxString& site, const wxString& id) override {
        log("requestPrevChat", {site, id});
    }
    void requestPrevChats(const wxString& site, const wxString& ip) override {
        log("requestPrevChats", {site, ip});
    }
    void requestPrevVisits(const wxString& site, const wxString& ip,
                           const wxString& user) override {
        log("requestPrevVisits", {site, ip, user});
    }
    void pushLink(const wxString& id, const wxString& address) override {
        log("pushLink", {id, address});
    }
    void sendChatText(const wxString& id, const wxString& line) override {
        log("sendChatText", {id, line});
    }
    void sendTyping(const wxString& id, bool typing) override {
        log("sendTyping", {id, typing ? "on" : "off"});
    }
    bool blockVisitor(const wxString& id) override {
        log("blockVisitor", {id});
        return blockSent;
    }
    bool blockSent = true;
    void leaveChat(const wxString& id) override { log("leaveChat", {id}); }
    void closeChat(const wxString& id) override { log("closeChat", {id}); }
    void transferChat(const wxString& id, const wxString& site, const wxString& name,
                      const wxString& target) override {
        log("transferChat", {id, site, name, target});
    }

    // The requests other than the typing notices, which arrive on timers.
    std::vector<wxString> actions() const {
        std::vector<wxString> out;
        for (const wxString& r : requests) {
            if (!r.StartsWith("sendTyping"))
                out.push_back(r);
        }
        return out;
    }

    std::vector<wxString> requests;
    std::unique_ptr<S_CLIENTS> operators;

  private:
    void log(const wxString& what, std::initializer_list<wxString> args) {
        wxString entry = what;
        for (const wxString& a : args)
            entry += "|" + a;
        requests.push_back(entry);
    }
};

struct Popup {
    std::vector<int> ids;
    std::vector<wxString> labels;
    std::vector<bool> enabled;
};

class ChatWindowTest : public ::testing::Test {
  protected:
    void SetUp() override {
        wxSetEnv("TAVORO_SETTINGS_FILE", m_dir.file("settings"));
        disposeSettings();
        VisitorChatFrame::messageBoxHook = [this](wxWindow*, const wxString& text,
                                                  const wxString& caption, long) {
            m_prompts.push_back(caption + "|" + text);
            return m_answer;
        };
        VisitorChatFrame::popupMenuHook = [this](wxWindow*, wxMenu& menu) {
            m_popup = Popup();
            for (const wxMenuItem* item : menu.GetMenuItems()) {
                m_popup.ids.push_back(item->GetId());
                m_popup.labels.push_back(item->GetItemLabelText());
                m_popup.enabled.push_back(item->IsEnabled());
            }
        };
        VisitorChatFrame::openLinkHook = [this](const wxString& url) {
            m_opened.push_back(url);
            return true;
        };
        m_parent = new wxFrame(nullptr, wxID_ANY, "main");
    }
    void TearDown() override {
        if (m_chat)
            m_chat->Destroy();
        m_parent->Destroy();
        Tavoro::Test::pumpEvents(20);
        VisitorChatFrame::messageBoxHook = nullptr;
        VisitorChatFrame::popupMenuHook = nullptr;
        VisitorChatFrame::openLinkHook = nullptr;
        disposeSettings();
    }

    VisitorChatFrame* openChat(const wxString& key = "K7", const wxString& name = "Ann",
                               const wxString& site = "shop.example") {
        m_chat = new VisitorChatFrame(m_parent, &m_services);
        m_chat->setup_chat(key, name, site);
        m_chat->Show();
        return m_chat.get();
    }
    template <typename T>
    T* child(const char* name) {
        return dynamic_cast<T*>(wxWindow::FindWindowByName(name, m_chat.get()));
    }
    wxTextCtrl* input() { return child<wxTextCtrl>("ID_TEXTCTRL1"); }
    wxButton* sendButton() { return child<wxButton>("ID_SEND"); }
    // The window shows lines once the events at hand are handled: let that happen first.
    wxString transcriptText() {
        wxTheApp->ProcessPendingEvents();
        return child<wxHtmlWindow>("ID_HTMLWINDOW1")->ToText();
    }
    void type(const wxString& text) { input()->ChangeValue(text); }
    bool closed() {
        return Tavoro::Test::waitFor([this] { return !m_chat; }, 2000);
    }

    TempDir m_dir;
    FakeServices m_services;
    wxFrame* m_parent = nullptr;
    wxWeakRef<VisitorChatFrame> m_chat;
    std::vector<wxString> m_prompts;
    int m_answer = wxNO;
    Popup m_popup;
    std::vector<wxString> m_opened;
};

std::unique_ptr<S_CLIENTS> operatorsOf(std::initializer_list<wxString> lines) {
    wxString data;
    for (const wxString& line : lines)
        data += (data.empty() ? "" : ESC) + line;
    return std::make_unique<S_CLIENTS>(TavoroMessage(MK_CLIENTS, data));
}

std::unique_ptr<S_PREVCHATS> earlierChats(std::initializer_list<wxString> records) {
    wxString data = "S1:1.2.3.4\n";
    bool first = true;
    for (const wxString& r : records) {
        data += (first ? "" : ESC) + r;
        first = false;
    }
    return std::make_unique<S_PREVCHATS>(TavoroMessage(MK_PREVCHATS, data));
}

// ------------------------------------------------------------------ layout and set-up

TEST_F(ChatWindowTest, LayoutAndToolbar) {
    openChat();
    auto* toolBar = child<wxToolBar>("ID_TOOLBAR_CHAT");
    ASSERT_NE(toolBar, nullptr);
    const int ids[] = {
        VisitorChatFrame::ID_TOOL_EXIT,           VisitorChatFrame::ID_TOOL_CLOSE_CHAT,
        VisitorChatFrame::ID_TOOL_TRANSFER,       VisitorChatFrame::ID_TOOL_PREVIOUS_CHATS,
        VisitorChatFrame::ID_TOOL_BLOCK,          VisitorChatFrame::ID_TOOL_RESPONSES,
        VisitorChatFrame::ID_TOOL_SAVE_TRANSCRIPT};
    const char* labels[] = {"Exit\nChat",      "Exit and\nClose Chat", "Transfer To",
                            "Previous\nChats", "Block\nVisitor",       "Responses",
                            "Save\nTranscript"};
    ASSERT_EQ(toolBar->GetToolsCount(), 7u);
    for (size_t i = 0; i < 7; ++i) {
        const wxToolBarToolBase* tool = toolBar->GetToolByPos(static_cast<int>(i));
        EXPECT_EQ(tool->GetId(), ids[i]) << labels[i];
        EXPECT_EQ(tool->GetLabel(), labels[i]);
        EXPECT_TRUE(tool->GetNormalBitmap().IsOk()) << labels[i];
        EXPECT_TRUE(tool->IsEnabled()) << labels[i];
    }

    auto* outer = child<wxSplitterWindow>("ID_SPLITTERWINDOW2");
    auto* top = child<wxSplitterWindow>("ID_SPLITTERWINDOW1");
    auto* bottom = child<wxSplitterWindow>("ID_SPLITTERWINDOW3");
    ASSERT_TRUE(outer && top && bottom);
    EXPECT_EQ(outer->GetSplitMode(), wxSPLIT_HORIZONTAL);
    EXPECT_EQ(outer->GetWindow1(), top);
    EXPECT_EQ(outer->GetWindow2(), bottom);
    EXPECT_EQ(outer->GetSashGravity(), 1.0);
    EXPECT_EQ(bottom->GetSashGravity(), 1.0);
    // The transcript alone until a visit detail arrives.
    EXPECT_FALSE(top->IsSplit());
    EXPECT_EQ(top->GetWindow1(), child<wxHtmlWindow>("ID_HTMLWINDOW1"));
    EXPECT_EQ(bottom->GetWindow1(), input());
    EXPECT_EQ(bottom->GetWindow2(), sendButton());
    EXPECT_TRUE(input()->IsMultiLine());
    EXPECT_EQ(sendButton()->GetLabel(), "Send");
    auto* status = child<wxStatusBar>("ID_STATUSBAR1");
    ASSERT_NE(status, nullptr);
    EXPECT_EQ(status->GetFieldsCount(), 1);
    ASSERT_NE(m_chat->visit_detail(), nullptr);
    EXPECT_EQ(m_chat->visit_detail()->services(), &m_services);
}

TEST_F(ChatWindowTest, SetupSetsTitleKeysAndGreeting) {
    TavoroSettings& settings = getSettings();
    settings.setString(SETTING_DEFAULT_CHAT_MESSAGE, "Hello %NAME%, I am %MYNAME%.");
    settings.setString(SETTING_OPERATOR_NAME, "Bob");
    // A visitor name holding a placeholder is put in as it is, not replaced again.
    openChat("K7", "Ann %MYNAME%", "shop.example");
    EXPECT_EQ(m_chat->chat_key(), "K7");
    EXPECT_EQ(m_chat->visitor_name(), "Ann %MYNAME%");
    EXPECT_EQ(m_chat->web_site(), "shop.example");
    EXPECT_EQ(m_chat->GetTitle(), "Ann %MYNAME% On shop.example - Visitor Chat");
    EXPECT_EQ(input()->GetValue(), "Hello Ann %MYNAME%, I am Bob.");
    // Putting the greeting in is not the operator typing.
    EXPECT_FALSE(m_chat->is_operator_typing());
}

TEST_F(ChatWindowTest, StoredSizeAndInputRowHeight) {
    struct Case {
        const char* width;
        const char* height;
        int expectWidth;   // -1: not the stored value
        int expectHeight;  // -1: not the stored value
        int inputRow;      // distance of the sash from the splitter's bottom
    };
    const Case cases[] = {
        {"500", "240", 500, 240, 30}, {"500", "241", 500, 241, 60},
        {"520", "400", 520, 400, 60}, {"abc", "300", -1, 300, 60},  // unreadable width
        {"5", "999999", -1, -1, 60},                                // sizes no window can have
        {"-400", "-300", -1, -1, 60},
    };
    for (const Case& c : cases) {
        disposeSettings();
        getSettings().setString(SETTING_CHAT_FRAME_WIDTH, c.width);
        getSettings().setString(SETTING_CHAT_FRAME_HEIGHT, c.height);
        openChat();
        const wxSize size = m_chat->GetSize();
        if (c.expectWidth > 0)
            EXPECT_EQ(size.GetWidth(), c.expectWidth) << c.width;
        else
            EXPECT_GE(size.GetWidth(), VisitorChatFrame::kMinStoredSize) << c.width;
        if (c.expectHeight > 0)
            EXPECT_EQ(size.GetHeight(), c.expectHeight) << c.height;
        else
            EXPECT_LT(size.GetHeight(), VisitorChatFrame::kMaxStoredSize) << c.height;
        auto* outer = child<wxSplitterWindow>("ID_SPLITTERWINDOW2");
        EXPECT_EQ(outer->GetSize().GetHeight() - outer->GetSashPosition(), c.inputRow)
            << c.width << "x" << c.height;
        auto* bottom = child<wxSplitterWindow>("ID_SPLITTERWINDOW3");
        EXPECT_EQ(bottom->GetSize().GetWidth() - bottom->GetSashPosition(), 70);
        m_chat->Destroy();
        ASSERT_TRUE(closed());
    }
}

// ------------------------------------------------------------------ the operator's lines

TEST_F(ChatWindowTest, TypedLineIsSentAndShown) {
    openChat();
    type("How can I help?");
    m_chat->send_line();
    EXPECT_EQ(m_services.actions(), std::vector<wxString>{"sendChatText|K7|How can I help?"});
    EXPECT_TRUE(m_prompts.empty()) << "no address, no question";
    EXPECT_TRUE(transcriptText().Contains("You said at")) << transcriptText();
    EXPECT_TRUE(transcriptText().Contains("How can I help?"));
    EXPECT_EQ(input()->GetValue(), "");

    // Nothing to send: empty or only white space.
    for (const char* blank : {"", "   ", "\n"}) {
        type(blank);
        m_chat->send_line();
    }
    EXPECT_EQ(m_services.actions().size(), 1u);
}

TEST_F(ChatWindowTest, SendButtonAndEnterSend) {
    openChat();
    type("one");
    wxCommandEvent click(wxEVT_BUTTON, VisitorChatFrame::ID_SEND);
    click.SetEventObject(sendButton());
    sendButton()->ProcessWindowEvent(click);
    type("two");
    wxCommandEvent enter(wxEVT_TEXT_ENTER, input()->GetId());
    enter.SetEventObject(input());
    input()->ProcessWindowEvent(enter);
    EXPECT_EQ(m_services.actions(),
              (std::vector<wxString>{"sendChatText|K7|one", "sendChatText|K7|two"}));
}

TEST_F(ChatWindowTest, FindsAddresses) {
    struct Case {
        const char* line;
        const char* url;  // nullptr: no address
        const char* matched;
    };
    const Case cases[] = {
        {"see page.html please", "http://shop.example/page.html", "page.html"},
        {"try docs/v1.2/guide.htm?x=1&y=2 now", "http://shop.example/docs/v1.2/guide.htm?x=1&y=2",
         "docs/v1.2/guide.htm?x=1&y=2"},
        {"go to https://host.example:8080/a/b.php?q=1&r=2 ok",
         "https://host.example:8080/a/b.php?q=1&r=2", "https://host.example:8080/a/b.php?q=1&r=2"},
        {"HTTP://Host.Example/Path", "HTTP://Host.Example/Path", "HTTP://Host.Example/Path"},
        {"a.html and http://x.org/", "http://x.org/", "http://x.org/"},  // a scheme comes first
        {"no address in here", nullptr, nullptr},
        {"version 1.2 is out", nullptr, nullptr},  // extension too short
        {"", nullptr, nullptr},
    };
    for (const Case& c : cases) {
        const VisitorChatFrame::Address a = VisitorChatFrame::find_address(c.line, "shop.example");
        EXPECT_EQ(a.found, c.url != nullptr) << c.line;
        if (c.url) {
            EXPECT_EQ(a.url, c.url) << c.line;
            EXPECT_EQ(wxString(c.line).Mid(a.start, a.length), c.matched) << c.line;
        }
    }
    // Positions count characters, so text before the address may be any language.
    const wxString line = wxString::FromUTF8("Grüße: ÿ page.html");
    const VisitorChatFrame::Address a = VisitorChatFrame::find_address(line, "shop.example");
    ASSERT_TRUE(a.found);
    EXPECT_EQ(line.Mid(a.start, a.length), "page.html");
}

TEST_F(ChatWindowTest, SendAsALinkAnswers) {
    struct Case {
        int answer;
        std::vector<wxString> requests;
        bool inputKept;
        bool linkShown;
    };
    const Case cases[] = {
        {wxCANCEL, {}, true, false},
        {wxYES,
         {"pushLink|K7|http://shop.example/page.html", "sendChatText|K7|see page.html now"},
         false,
         true},
        {wxNO, {"sendChatText|K7|see page.html now"}, false, false},
    };
    for (const Case& c : cases) {
        m_services.requests.clear();
        m_prompts.clear();
        m_answer = c.answer;
        openChat();
        type("see page.html now");
        m_chat->send_line();
        ASSERT_EQ(m_prompts.size(), 1u);
        EXPECT_EQ(m_prompts[0],
                  "Client Question|Send As A Link?\r\n\r\nhttp://shop.example/page.html");
        EXPECT_EQ(m_services.actions(), c.requests) << c.answer;
        EXPECT_EQ(input()->GetValue() == "see page.html now", c.inputKept) << c.answer;
        const wxString html = m_chat->transcript_html();
        EXPECT_EQ(html.Contains("<a href=\"http://shop.example/page.html\">page.html</a>"),
                  c.linkShown)
            << html;
        EXPECT_EQ(transcriptText().Contains("see page.html now"), c.answer != wxCANCEL);
        m_chat->Destroy();
        ASSERT_TRUE(closed());
    }
}

TEST_F(ChatWindowTest, OperatorTypingNotices) {
    openChat();
    // The window says once, soon after opening, that the operator is not typing.
    ASSERT_TRUE(Tavoro::Test::waitFor([this] { return !m_services.requests.empty(); }, 3000));
    EXPECT_EQ(m_services.requests[0], "sendTyping|K7|off");
    m_services.requests.clear();

    input()->SetValue("h");  // an edit, as the operator's key press makes
    input()->SetValue("he");
    EXPECT_EQ(m_services.requests, std::vector<wxString>{"sendTyping|K7|on"});
    EXPECT_TRUE(m_chat->is_operator_typing());
    // Half a second without a key press ends the notice.
    ASSERT_TRUE(Tavoro::Test::waitFor([this] { return !m_chat->is_operator_typing(); }, 3000));
    EXPECT_EQ(m_services.requests,
              (std::vector<wxString>{"sendTyping|K7|on", "sendTyping|K7|off"}));

    // Sending the line ends the notice at once.
    m_services.requests.clear();
    input()->SetValue("hi");
    m_chat->send_line();
    EXPECT_EQ(m_services.requests, (std::vector<wxString>{"sendTyping|K7|on", "sendChatText|K7|hi",
                                                          "sendTyping|K7|off"}));
}

// ------------------------------------------------------------------ the visitor's side

TEST_F(ChatWindowTest, VisitorLineShowsWithName) {
    openChat();
    // As in the running program, with an event loop (the attention request needs one).
    wxGUIEventLoop loop;
    wxEventLoopActivator active(&loop);
    m_chat->show_message(S_MESSAGE(TavoroMessage(MK_MESSAGE, "K7\nIs shipping free?")));
    EXPECT_TRUE(transcriptText().Contains("Ann said at")) << transcriptText();
    EXPECT_TRUE(transcriptText().Contains("Is shipping free?"));
    // A line of another chat does not belong here.
    m_chat->show_message(S_MESSAGE(TavoroMessage(MK_MESSAGE, "K8\nWrong window")));
    EXPECT_FALSE(transcriptText().Contains("Wrong window"));
    if (!m_chat->IsActive()) {
        EXPECT_TRUE(m_chat->is_flash_timer_running());
    }
}

TEST_F(ChatWindowTest, HtmlInVisitorTextIsShownAsText) {
    openChat("K7", "<i>Eve</i>");
    m_chat->add_visitor_line("<script>alert(1)</script> & <b>bold</b>\nnext line");
    const wxString text = transcriptText();
    EXPECT_TRUE(text.Contains("<i>Eve</i> said at")) << text;
    EXPECT_TRUE(text.Contains("<script>alert(1)</script> & <b>bold</b>")) << text;
    const wxString html = m_chat->transcript_html();
    EXPECT_FALSE(html.Contains("<b>bold")) << html;
    EXPECT_FALSE(html.Contains("<script>")) << html;
    EXPECT_TRUE(html.Contains("&lt;b&gt;bold&lt;/b&gt;<br>next line")) << html;

    // The operator's own markup is text too.
    type("<u>x</u>");
    m_chat->send_line();
    EXPECT_TRUE(transcriptText().Contains("<u>x</u>"));
}

TEST_F(ChatWindowTest, EscapeHtml) {
    const std::pair<const char*, const char*> cases[] = {
        {"plain", "plain"},
        {"a<b>c", "a&lt;b&gt;c"},
        {"Tom & \"Jerry\" 'x'", "Tom &amp; &quot;Jerry&quot; &#39;x&#39;"},
        {"&lt;", "&amp;lt;"},
        {"1\r\n2\n3\r4", "1<br>2<br>3<br>4"},
        {"", ""},
    };
    for (const auto& [in, out] : cases)
        EXPECT_EQ(VisitorChatFrame::escape_html(in), out) << in;
}

// The typing notice comes twice per visitor line; showing it must not repaint the window on the
// spot (transcript included), which held up the line behind it by milliseconds. The text is
// painted with the window's next repaint.
TEST_F(ChatWindowTest, VisitorTypingInStatusBar) {
    openChat();
    auto* status = child<wxStatusBar>("ID_STATUSBAR1");
    Tavoro::Test::waitFor([&] { return status->IsShownOnScreen(); });
    Tavoro::Test::pumpEvents(50);
    int paints = 0;
    status->Bind(wxEVT_PAINT, [&](wxPaintEvent& event) {
        ++paints;
        event.Skip();
    });
    m_chat->show_typing(true);
    EXPECT_EQ(status->GetStatusText(), "The visitor is typing a message...");
    EXPECT_EQ(paints, 0) << "the status bar was repainted synchronously";
    EXPECT_TRUE(Tavoro::Test::waitFor([&] { return paints > 0; }))
        << "the new text is never painted";
    m_chat->show_typing(false);
    EXPECT_EQ(status->GetStatusText(), "");
}

TEST_F(ChatWindowTest, EndOfChatDisablesInput) {
    struct Case {
        const char* what;
        std::function<void(VisitorChatFrame&)> act;
        const char* line;
        std::vector<wxString> requests;
    };
    const Case cases[] = {
        {"visitor left",
         [](VisitorChatFrame& f) { f.show_visitor_left(); },
         ": Visitor Ann has left the conversation.",
         {}},
        {"leave notice",
         [](VisitorChatFrame& f) {
             f.show_message(
                 S_MESSAGE(TavoroMessage(MK_MESSAGE, "K7\nVisitor has left the conversation.")));
         },
         ": Visitor Ann has left the conversation.",
         {}},
        {"chat closed",
         [](VisitorChatFrame& f) { f.show_chat_closed(); },
         ": Chat session has been closed by server / operator.",
         {}},
        {"blocked",
         [](VisitorChatFrame& f) { f.block_visitor(); },
         ": Visitor Ann has been blocked.",
         {"blockVisitor|K7"}},
        {"ended while the connection was down",
         [](VisitorChatFrame& f) { f.show_reattached(false, {"are you <there>?"}); },
         ": The chat ended while the connection to the server was down.",
         {}},
    };
    for (const Case& c : cases) {
        m_services.requests.clear();
        openChat();
        c.act(*m_chat);
        EXPECT_TRUE(transcriptText().Contains(c.line)) << c.what << ": " << transcriptText();
        EXPECT_FALSE(input()->IsEnabled()) << c.what;
        EXPECT_FALSE(sendButton()->IsEnabled()) << c.what;
        EXPECT_TRUE(m_chat->is_chat_ended()) << c.what;
        EXPECT_EQ(m_services.actions(), c.requests) << c.what;
        // Nothing more leaves for this chat, not even a line still in the field.
        type("late line");
        m_chat->send_line();
        m_chat->show_transfer_menu();
        EXPECT_EQ(m_services.actions(), c.requests) << c.what;
        m_chat->Destroy();
        ASSERT_TRUE(closed());
    }
}

// After a reconnect the lines written while the connection was down show again, marked: sent
// when the chat was taken back (the chat goes on), or not sent when it ended meanwhile.
TEST_F(ChatWindowTest, LinesWrittenWhileDownShowHowTheyFared) {
    openChat();
    m_chat->show_reattached(true, {"still <there>?"});
    EXPECT_TRUE(transcriptText().Contains("(sent after reconnecting):")) << transcriptText();
    EXPECT_TRUE(transcriptText().Contains("still <there>?")) << transcriptText();
    EXPECT_TRUE(input()->IsEnabled());
    m_chat->show_reattached(false, {"one moment"});
    EXPECT_TRUE(transcriptText().Contains("Not sent: one moment")) << transcriptText();
    EXPECT_FALSE(input()->IsEnabled());
}

// A block that the main window could not send (the chat is no longer listed) says so and
// leaves the chat going.
TEST_F(ChatWindowTest, BlockThatWasNotSentLeavesTheChatGoing) {
    m_services.blockSent = false;
    openChat();
    m_chat->block_visitor();
    EXPECT_EQ(m_services.actions(), std::vector<wxString>{"blockVisitor|K7"});
    EXPECT_FALSE(transcriptText().Contains("has been blocked")) << transcriptText();
    EXPECT_TRUE(transcriptText().Contains("Visitor Ann could not be blocked")) << transcriptText();
    EXPECT_FALSE(m_chat->is_chat_ended());
    EXPECT_TRUE(input()->IsEnabled());
}

TEST_F(ChatWindowTest, TranscriptOfRunningChatReplacesPage) {
    openChat();
    m_chat->add_visitor_line("old line");
    const wxString data = "S1:1.2.3.4:t\nx" + TAB + "Ann" + TAB + "Bob" + TAB + "y" + ESC +
                          "10:00" + TAB + "0" + TAB + "Hi" + "\r" + "10:01" + TAB + "1" + TAB +
                          "Hello Ann";
    m_chat->show_current_chat(S_CURRENTCHAT(TavoroMessage(MK_CURRENTCHAT, data)));
    const wxString text = transcriptText();
    EXPECT_FALSE(text.Contains("old line")) << text;
    EXPECT_TRUE(text.Contains("Ann said at 10:00")) << text;
    EXPECT_TRUE(text.Contains("Bob said at 10:01")) << text;
}

// A burst of lines is shown in batches of a bounded size, each a short update of the view, and
// nothing waits for the event loop longer than the batch takes to fill.
TEST_F(ChatWindowTest, BurstOfLinesIsShownInBoundedBatches) {
    openChat();
    auto* html = child<wxHtmlWindow>("ID_HTMLWINDOW1");
    for (int i = 1; i <= 45; ++i)
        m_chat->add_visitor_line(wxString::Format("burst %d.", i));
    // Whether a batch ends by its size (20 lines) or by its time, fewer than a full batch of
    // lines wait, so line 45 - 19 is shown without the event loop.
    const int lastShown = 45 - 19;
    EXPECT_TRUE(html->ToText().Contains(wxString::Format("burst %d.", lastShown)))
        << "a full batch waited for the event loop";
    const wxString text = transcriptText();
    int at = 0;
    for (int i = 1; i <= 45; ++i) {
        const int found = text.Mid(at).Find(wxString::Format("burst %d.", i));
        ASSERT_NE(found, wxNOT_FOUND) << "line " << i << " missing or out of order";
        at += found + 1;
    }
}

TEST_F(ChatWindowTest, NewLinesScrollIntoView) {
    openChat();
    auto* html = child<wxHtmlWindow>("ID_HTMLWINDOW1");
    for (int i = 0; i < 60; ++i)
        m_chat->add_visitor_line(wxString::Format("line %d", i));
    wxTheApp->ProcessPendingEvents();  // the burst is shown once the events at hand are done
    int unitX = 0;
    int unitY = 0;
    html->GetScrollPixelsPerUnit(&unitX, &unitY);
    ASSERT_GT(unitY, 0);
    const int bottom = html->GetViewStart().y * unitY + html->GetClientSize().GetHeight();
    EXPECT_GT(html->GetViewStart().y, 0);
    EXPECT_GE(bottom + unitY, html->GetVirtualSize().GetHeight());
}

// ------------------------------------------------------------------ title flashing

TEST_F(ChatWindowTest, TitleFlashesWithItsTimer) {
    openChat();
    const wxString live = "Ann On shop.example - Visitor Chat";
    const wxString fresh = "New Chat Message from Ann";
    EXPECT_EQ(m_chat->new_message_title(), fresh);
    m_chat->flash_tick();
    EXPECT_EQ(m_chat->GetTitle(), fresh);
    EXPECT_TRUE(m_chat->is_title_flashing());
    m_chat->flash_tick();
    EXPECT_EQ(m_chat->GetTitle(), live);
    EXPECT_FALSE(m_chat->is_title_flashing());
    m_chat->flash_tick();
    EXPECT_EQ(m_chat->GetTitle(), fresh);

    // The operator comes to the window: the live title stays and the timer stops, whichever
    // title the last tick left.
    for (int ticks : {0, 1}) {
        m_chat->add_visitor_line("hello?");
        for (int i = 0; i < ticks; ++i)
            m_chat->flash_tick();
        wxActivateEvent activate(wxEVT_ACTIVATE, true, m_chat->GetId());
        activate.SetEventObject(m_chat.get());
        m_chat->ProcessWindowEvent(activate);
        EXPECT_EQ(m_chat->GetTitle(), live) << ticks;
        EXPECT_FALSE(m_chat->is_title_flashing()) << ticks;
        EXPECT_FALSE(m_chat->is_flash_timer_running()) << ticks;
    }
}

// ------------------------------------------------------------------ transfer

TEST_F(ChatWindowTest, TransferMenuListsOperatorsAndTransfers) {
    m_services.operators = operatorsOf(
        {"7" + TAB + "10.0.0.1" + TAB + "Bob" + TAB + "Sales" + TAB + "0" + TAB + "en",
         "12345" + TAB + "10.0.0.2" + TAB + "Eve & Co" + TAB + "Support" + TAB + "1" + TAB + "en"});
    openChat();
    m_chat->show_transfer_menu();
    EXPECT_EQ(m_popup.labels,
              (std::vector<wxString>{"Bob (Sales) - Online", "Eve & Co (Support) - Busy"}));
    ASSERT_EQ(m_popup.ids.size(), 2u);
    m_chat->choose_menu_item(m_popup.ids[1]);
    EXPECT_EQ(m_services.actions(),
              (std::vector<wxString>{"transferChat|K7|shop.example|Ann|12345", "leaveChat|K7"}));
    EXPECT_TRUE(closed());
}

TEST_F(ChatWindowTest, TransferMenuWithoutOperators) {
    for (bool emptyList : {false, true}) {
        m_services.operators = emptyList ? operatorsOf({}) : nullptr;
        openChat();
        m_chat->show_transfer_menu();
        EXPECT_EQ(m_popup.labels, std::vector<wxString>{"No Other Operators Available"});
        EXPECT_EQ(m_popup.enabled, std::vector<bool>{false});
        m_chat->choose_menu_item(m_popup.ids.at(0));
        m_chat->choose_menu_item(VisitorChatFrame::ID_TRANSFER_FIRST);  // no such target
        EXPECT_TRUE(m_services.actions().empty());
        EXPECT_TRUE(m_chat);
        m_chat->Destroy();
        ASSERT_TRUE(closed());
    }
}

// ------------------------------------------------------------------ closing

TEST_F(ChatWindowTest, ClosingLeavesTheChatAndStoresTheSize) {
    openChat();
    m_chat->SetSize(612, 433);
    m_chat->Close();
    m_chat->Close();  // a second close before destruction leaves nothing twice
    EXPECT_EQ(m_services.actions(), std::vector<wxString>{"leaveChat|K7"});
    ASSERT_TRUE(closed());
    EXPECT_EQ(getSettings().getInt(SETTING_CHAT_FRAME_WIDTH), 612);
    EXPECT_EQ(getSettings().getInt(SETTING_CHAT_FRAME_HEIGHT), 433);
}

TEST_F(ChatWindowTest, ExitToolsLeaveOrCloseTheChat) {
    struct Case {
        int tool;
        std::vector<wxString> requests;
    };
    const Case cases[] = {
        {VisitorChatFrame::ID_TOOL_EXIT, {"leaveChat|K7"}},
        {VisitorChatFrame::ID_TOOL_CLOSE_CHAT, {"closeChat|K7", "leaveChat|K7"}},
    };
    for (const Case& c : cases) {
        m_services.requests.clear();
        openChat();
        wxCommandEvent click(wxEVT_TOOL, c.tool);
        click.SetEventObject(m_chat.get());
        m_chat->ProcessWindowEvent(click);
        EXPECT_EQ(m_services.actions(), c.requests) << c.tool;
        EXPECT_TRUE(closed()) << c.tool;
    }
}

// ------------------------------------------------------------------ earlier chats

TEST_F(ChatWindowTest, EarlierChatsMenu) {
    openChat();
    m_chat->show_prev_chats(earlierChats(
        {"2024-01-01 10:00" + TAB + "Ann" + TAB + "c1" + TAB + "bob" + TAB + "Sales" + TAB + "65",
         "2024-02-01 11:00" + TAB + "A & B" + TAB + "c2" + TAB + "eve" + TAB + "Support" + TAB +
             "5"}));
    EXPECT_EQ(m_chat->previous_chat_ids(), (std::vector<wxString>{"c1", "c2"}));
    ASSERT_NE(m_chat->visit_detail()->prev_chats(), nullptr) << "handed on to the panel";
    m_chat->show_previous_chats_menu();
    EXPECT_EQ(m_popup.labels,
              (std::vector<wxString>{"2024-01-01 10:00 - Ann", "2024-02-01 11:00 - A & B"}));
    const int first = VisitorChatFrame::ID_PREVIOUS_CHAT_FIRST;
    EXPECT_EQ(m_popup.ids, (std::vector<int>{first, first + 1}));
    m_chat->choose_menu_item(first + 1);
    EXPECT_EQ(m_services.actions(), std::vector<wxString>{"requestPrevChat|S1|c2"});

    // A second list neither duplicates nor replaces the menu.
    m_chat->show_prev_chats(earlierChats({"2025-01-01 09:00" + TAB + "Ann" + TAB + "c9"}));
    EXPECT_EQ(m_chat->previous_chat_ids(), (std::vector<wxString>{"c1", "c2"}));
    EXPECT_EQ(m_chat->previous_chats_menu().GetMenuItemCount(), 2u);
    m_chat->choose_menu_item(first + 2);  // past the menu: nothing
    EXPECT_EQ(m_services.actions().size(), 1u);
}

TEST_F(ChatWindowTest, NoEarlierChatsDisablesTheTool) {
    openChat();
    m_chat->show_prev_chats(earlierChats({}));
    auto* toolBar = child<wxToolBar>("ID_TOOLBAR_CHAT");
    EXPECT_FALSE(toolBar->GetToolEnabled(VisitorChatFrame::ID_TOOL_PREVIOUS_CHATS));
    // A later list with chats fills the menu after all.
    m_chat->show_prev_chats(earlierChats({"2024-01-01 10:00" + TAB + "Ann" + TAB + "c1"}));
    EXPECT_TRUE(toolBar->GetToolEnabled(VisitorChatFrame::ID_TOOL_PREVIOUS_CHATS));
    EXPECT_EQ(m_chat->previous_chat_ids(), std::vector<wxString>{"c1"});
}

TEST_F(ChatWindowTest, ReadOnlyEarlierChat) {
    m_chat = new VisitorChatFrame(m_parent, &m_services);
    const wxString data = "S1:1.2.3.4:t\n2024-03-04 15:16" + TAB + "Ann" + TAB + "Bob" + TAB + "x" +
                          ESC + "15:16" + TAB + "0" + TAB + "opening line" + "\r" + "15:17" + TAB +
                          "0" + TAB + "I need help" + "\r" + "15:18" + TAB + "1" + TAB + "Sure";
    m_chat->show_previous_chat(std::make_unique<S_PREVCHAT>(TavoroMessage(MK_PREVCHAT, data)));
    m_chat->Show();
    EXPECT_TRUE(m_chat->is_read_only());
    EXPECT_EQ(m_chat->chat_key(), "");
    EXPECT_EQ(m_chat->GetTitle(), "Ann On shop.example - Visitor at 2024-03-04 15:16");
    const wxString text = transcriptText();
    EXPECT_TRUE(text.Contains("I need help")) << text;
    EXPECT_TRUE(text.Contains("Bob said at 15:18")) << text;
    EXPECT_FALSE(text.Contains("opening line")) << text;

    EXPECT_FALSE(child<wxSplitterWindow>("ID_SPLITTERWINDOW2")->IsSplit()) << "no input row";
    EXPECT_FALSE(child<wxSplitterWindow>("ID_SPLITTERWINDOW1")->IsSplit()) << "no visit detail";
    EXPECT_FALSE(input()->IsShownOnScreen());
    auto* toolBar = child<wxToolBar>("ID_TOOLBAR_CHAT");
    EXPECT_TRUE(toolBar->GetToolEnabled(VisitorChatFrame::ID_TOOL_EXIT));
    for (int tool : {VisitorChatFrame::ID_TOOL_CLOSE_CHAT, VisitorChatFrame::ID_TOOL_TRANSFER,
                     VisitorChatFrame::ID_TOOL_PREVIOUS_CHATS, VisitorChatFrame::ID_TOOL_BLOCK,
                     VisitorChatFrame::ID_TOOL_RESPONSES})
        EXPECT_FALSE(toolBar->GetToolEnabled(tool)) << tool;

    // Closing it leaves no chat; the typing timer never reports for it.
    Tavoro::Test::pumpEvents(700);
    m_chat->Close();
    ASSERT_TRUE(closed());
    EXPECT_TRUE(m_services.requests.empty());
}

TEST_F(ChatWindowTest, EarlierChatOfUnknownSite) {
    m_chat = new VisitorChatFrame(m_parent, &m_services);
    const wxString data = "S9:1.2.3.4:t\nyesterday" + TAB + "Ann" + TAB + "Bob" + ESC;
    m_chat->show_previous_chat(std::make_unique<S_PREVCHAT>(TavoroMessage(MK_PREVCHAT, data)));
    EXPECT_EQ(m_chat->GetTitle(), "Ann On Unknown Domain - Visitor at yesterday");
}

// ------------------------------------------------------------------ visit detail and links

TEST_F(ChatWindowTest, VisitDetailShowsBesideTranscript) {
    openChat();
    auto* top = child<wxSplitterWindow>("ID_SPLITTERWINDOW1");
    const wxString data = "S1:1.2.3.4:t\n0" + TAB + "1.2.3.4" + TAB + "x";
    m_chat->show_visit(std::make_unique<S_VISITDETAIL>(TavoroMessage(MK_VISITDETAIL, data)));
    ASSERT_TRUE(top->IsSplit());
    EXPECT_EQ(top->GetSplitMode(), wxSPLIT_VERTICAL);
    EXPECT_EQ(top->GetWindow1(), child<wxHtmlWindow>("ID_HTMLWINDOW1"));
    EXPECT_EQ(top->GetWindow2(), m_chat->visit_detail());
    EXPECT_NE(m_chat->visit_detail()->visit(), nullptr);
    EXPECT_EQ(top->GetSize().GetWidth() - top->GetSashPosition(), 200);
    // A second visit keeps the layout.
    m_chat->show_visit(std::make_unique<S_VISITDETAIL>(TavoroMessage(MK_VISITDETAIL, data)));
    EXPECT_TRUE(top->IsSplit());
}

TEST_F(ChatWindowTest, LinksOpenInTheBrowser) {
    openChat();
    m_answer = wxYES;
    type("see page.html");
    m_chat->send_line();
    auto* html = child<wxHtmlWindow>("ID_HTMLWINDOW1");
    const wxString before = m_chat->transcript_html();
    for (const char* href :
         {"http://shop.example/page.html", "file:///etc/passwd", "javascript:alert(1)"}) {
        html->OnLinkClicked(wxHtmlLinkInfo(href));
    }
    EXPECT_EQ(m_opened, std::vector<wxString>{"http://shop.example/page.html"});
    EXPECT_EQ(m_chat->transcript_html(), before) << "the transcript never navigates";
}

// ------------------------------------------------------------------ spelling and direction

// The tests that look words up use the American English dictionary (hunspell-en-us).
#define REQUIRE_EN_US_DICTIONARY()                                                    \
    if (installedDictionaryCode("en_US") != "en_US")                                  \
    GTEST_SKIP() << "the en_US spelling dictionary is not installed (Debian package " \
                    "hunspell-en-us)"

TEST_F(ChatWindowTest, WordsThatAreChecked) {
    struct Case {
        const wchar_t* line;
        std::vector<wxString> words;
    };
    const Case cases[] = {
        {L"Hello, how are you?", {"Hello", "how", "are", "you"}},
        {L"don't say \u201cwon\u2019t\u201d 'quoted'", {"don't", "say", L"won\u2019t", "quoted"}},
        {L"well-known A4 paper, 2nd floor", {"well", "known", "paper", "floor"}},
        {L"see www.shop.example/page.html or page.html or ann@shop.example now",
         {"see", "or", "or", "now"}},
        {L"Verk\u00e4ufe end. Next", {L"Verk\u00e4ufe", "end", "Next"}},
        {L"  \n\t ", {}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(wordsToCheck(c.line), c.words) << wxString(c.line);
}

TEST_F(ChatWindowTest, SpellCheckingAsYouTypeFollowsTheOption) {
    REQUIRE_EN_US_DICTIONARY();
    openChat();
    EXPECT_FALSE(isCheckingAsYouType(*input())) << "off until the operator switches it on";

    getSettings().setBool(SETTING_CHECK_SPELLING_AS_YOU_TYPE, true);
    getSettings().setString(SETTING_UNKNOWN, "en_US");
    VisitorChatFrame::apply_text_options_everywhere();
    EXPECT_TRUE(isCheckingAsYouType(*input()));
    EXPECT_EQ(asYouTypeLanguage(*input()), "en_US");

    // A window opened afterwards checks too; a dictionary that is not installed gives way to
    // the desktop's language.
    getSettings().setString(SETTING_UNKNOWN, "xx_NOT_INSTALLED");
    m_chat->Destroy();
    ASSERT_TRUE(closed());
    openChat();
    EXPECT_TRUE(isCheckingAsYouType(*input()));
    EXPECT_FALSE(asYouTypeLanguage(*input()).empty());

    getSettings().setBool(SETTING_CHECK_SPELLING_AS_YOU_TYPE, false);
    VisitorChatFrame::apply_text_options_everywhere();
    EXPECT_FALSE(isCheckingAsYouType(*input())) << "switched off";
    getSettings().setBool(SETTING_CHECK_SPELLING_AS_YOU_TYPE, true);
    VisitorChatFrame::apply_text_options_everywhere();
    getSettings().setBool(SETTING_CHECK_SPELLING_AS_YOU_TYPE, false);
    getSettings().setBool(SETTING_AUTO_CHECK_SPELLING, true);
    VisitorChatFrame::apply_text_options_everywhere();
    EXPECT_FALSE(isCheckingAsYouType(*input())) << "checking before sending is not as you type";
}

TEST_F(ChatWindowTest, MisspeltLineAsksBeforeSending) {
    REQUIRE_EN_US_DICTIONARY();
    getSettings().setBool(SETTING_AUTO_CHECK_SPELLING, true);
    getSettings().setString(SETTING_UNKNOWN, "en_US");
    openChat();
    const wxString misspelt = "I will recieve it tomorow, recieve it";

    m_answer = wxNO;
    type(misspelt);
    m_chat->send_line();
    ASSERT_EQ(m_prompts.size(), 1u);
    EXPECT_EQ(m_prompts[0],
              "Check Spelling|These words may be misspelt:\r\n\r\nrecieve, tomorow\r\n\r\nSend "
              "anyway?");
    EXPECT_TRUE(m_services.actions().empty());
    EXPECT_EQ(input()->GetValue(), misspelt) << "No keeps the line for correcting";
    EXPECT_FALSE(transcriptText().Contains("recieve"));

    m_answer = wxYES;
    m_chat->send_line();
    EXPECT_EQ(m_prompts.size(), 2u);
    EXPECT_EQ(m_services.actions(), std::vector<wxString>{"sendChatText|K7|" + misspelt});
    EXPECT_EQ(input()->GetValue(), "");

    // A correct line goes without a question.
    type("Thank you, I will send it today.");
    m_chat->send_line();
    EXPECT_EQ(m_prompts.size(), 2u);
    EXPECT_EQ(m_services.actions().size(), 2u);

    // With the option off nothing is asked.
    getSettings().setBool(SETTING_AUTO_CHECK_SPELLING, false);
    VisitorChatFrame::apply_text_options_everywhere();
    type(misspelt);
    m_chat->send_line();
    EXPECT_EQ(m_prompts.size(), 2u);
    EXPECT_EQ(m_services.actions().size(), 3u);
}

TEST_F(ChatWindowTest, RightToLeftTextOption) {
    openChat();
    auto* transcript = child<wxHtmlWindow>("ID_HTMLWINDOW1");
    type("abc def");
    m_chat->send_line();
    EXPECT_EQ(input()->GetLayoutDirection(), wxLayout_LeftToRight);
    EXPECT_FALSE(isTextViewRightToLeft(*input()));
    EXPECT_EQ(transcript->GetLayoutDirection(), wxLayout_LeftToRight);
    const int half = transcript->GetClientSize().x / 2;
    EXPECT_TRUE(Tavoro::Test::waitFor([&] {
        const auto ink = Tavoro::Test::inkColumns(transcript);
        return ink.first >= 0 && ink.second < half;
    })) << "left to right, the lines start at the left edge";

    getSettings().setBool(SETTING_RIGHT_TO_LEFT_TEXT, true);
    VisitorChatFrame::apply_text_options_everywhere();
    EXPECT_EQ(input()->GetLayoutDirection(), wxLayout_RightToLeft);
    EXPECT_TRUE(isTextViewRightToLeft(*input())) << "the text itself runs right to left";
    EXPECT_EQ(transcript->GetLayoutDirection(), wxLayout_RightToLeft);
    EXPECT_TRUE(Tavoro::Test::waitFor([&] {
        const auto ink = Tavoro::Test::inkColumns(transcript);
        return ink.first > half;
    })) << "right to left, the lines start at the right edge";

    // A window opened afterwards runs right to left from the start.
    m_chat->Destroy();
    ASSERT_TRUE(closed());
    openChat();
    EXPECT_TRUE(isTextViewRightToLeft(*input()));
    EXPECT_EQ(child<wxHtmlWindow>("ID_HTMLWINDOW1")->GetLayoutDirection(), wxLayout_RightToLeft);
}

}  // namespace

// ------------------------------------------------------------------ keyboard and responses

namespace {

// Presses a key (with modifiers) over a window: without a window manager the X server sends
// keys to the window under the pointer.
void pressOver(wxWindow* window, int key, int modifiers = wxMOD_NONE) {
    wxUIActionSimulator sim;
    window->SetFocus();
    sim.MouseMove(window->GetScreenRect().GetTopLeft() + wxPoint(10, 10));
    Tavoro::Test::pumpEvents(50);
    sim.Char(key, modifiers);
}

}  // namespace

TEST_F(ChatWindowTest, CannedResponseIsFilteredAndInsertedAtTheCursorUnsent) {
    ASSERT_TRUE(CannedResponses::save(
        CannedResponses::fileBeside(m_dir.file("settings")),
        {{"Billing",
          "",
          {{"Refunds", "%NAME%, refunds from %DOMAIN% take 5 days. %OPERATORNAME%", {}},
           {"Prices", "See the price list.", {}}}},
         {"Greetings", "", {{"Hello", L"Gr\u00fc\u00dfe %NAME%", {}}}}}));
    getSettings().setString(SETTING_OPERATOR_NAME, "Bob");
    openChat("K7", "Ann", "shop.example");
    type("Dear  thanks");
    input()->SetInsertionPoint(5);

    std::vector<std::vector<wxString>> listed;
    int opened = 0;
    VisitorChatFrame::responsePickerHook = [&](ResponsePicker& picker) {
        ++opened;
        listed.push_back(picker.shown_labels());
        picker.set_filter("REFUND");
        listed.push_back(picker.shown_labels());
        picker.set_filter(L"gr\u00dc");  // case-insensitive beyond ASCII, text searched too
        listed.push_back(picker.shown_labels());
        picker.set_filter("5 DAYS");
        listed.push_back(picker.shown_labels());
        picker.take();
        return picker.GetReturnCode();
    };
    wxCommandEvent tool(wxEVT_TOOL, VisitorChatFrame::ID_TOOL_RESPONSES);
    m_chat->GetEventHandler()->ProcessEvent(tool);
    VisitorChatFrame::responsePickerHook = nullptr;

    ASSERT_EQ(listed.size(), 4u);
    EXPECT_EQ(listed[0], (std::vector<wxString>{"Billing / Refunds", "Billing / Prices",
                                                "Greetings / Hello"}));
    EXPECT_EQ(listed[1], std::vector<wxString>{"Billing / Refunds"});
    EXPECT_EQ(listed[2], std::vector<wxString>{"Greetings / Hello"});
    EXPECT_EQ(listed[3], std::vector<wxString>{"Billing / Refunds"});
    EXPECT_EQ(input()->GetValue(), "Dear Ann, refunds from shop.example take 5 days. Bob thanks");
    EXPECT_TRUE(m_services.actions().empty()) << "nothing is sent";

    // Ctrl+Space opens it from the keyboard; a cancelled pick changes nothing.
    VisitorChatFrame::responsePickerHook = [&](ResponsePicker&) {
        ++opened;
        return wxID_CANCEL;
    };
    pressOver(input(), WXK_SPACE, wxMOD_CONTROL);
    EXPECT_TRUE(Tavoro::Test::waitFor([&] { return opened == 2; }, 3000));
    VisitorChatFrame::responsePickerHook = nullptr;
    EXPECT_EQ(input()->GetValue(), "Dear Ann, refunds from shop.example take 5 days. Bob thanks");
}

TEST_F(ChatWindowTest, EscapeKeepsTheChatAndCtrlDigitsAskTheMainWindow) {
    std::vector<int> asked;
    m_parent->Bind(
        wxEVT_MENU, [&](wxCommandEvent& e) { asked.push_back(e.GetId()); },
        VisitorChatFrame::ID_SWITCH_CHAT_FIRST, VisitorChatFrame::ID_SWITCH_CHAT_FIRST + 8);
    openChat();
    pressOver(input(), WXK_ESCAPE);
    pressOver(input(), '3', wxMOD_CONTROL);
    EXPECT_TRUE(Tavoro::Test::waitFor([&] { return !asked.empty(); }, 3000));
    EXPECT_EQ(asked, std::vector<int>{VisitorChatFrame::ID_SWITCH_CHAT_FIRST + 2});
    Tavoro::Test::pumpEvents(100);
    ASSERT_TRUE(m_chat);
    EXPECT_TRUE(m_chat->IsShown());
    EXPECT_FALSE(m_chat->is_chat_ended());
    EXPECT_TRUE(m_services.actions().empty()) << "the chat was neither left nor closed";
}

TEST_F(ChatWindowTest, TranscriptSavesAsTextOrHtml) {
    openChat("K7", "Ann <b>", "shop.example");
    m_chat->add_visitor_line(L"I need <help> \u4e2d");
    const wxString text = m_dir.file("chat.txt");
    const wxString html = m_dir.file("chat.html");
    std::vector<wxString> answers = {text, html, "", m_dir.file("missing/dir/chat.txt")};
    VisitorChatFrame::saveFileHook = [&](wxWindow*) {
        const wxString next = answers.front();
        answers.erase(answers.begin());
        return next;
    };
    for (int i = 0; i < 4; ++i) {
        wxCommandEvent tool(wxEVT_TOOL, VisitorChatFrame::ID_TOOL_SAVE_TRANSCRIPT);
        m_chat->GetEventHandler()->ProcessEvent(tool);
    }
    VisitorChatFrame::saveFileHook = nullptr;

    wxString saved;
    ASSERT_TRUE(wxFFile(text).ReadAll(&saved, wxConvUTF8));
    EXPECT_TRUE(saved.Contains(L"I need <help> \u4e2d")) << saved;
    EXPECT_FALSE(saved.Contains("<font")) << "plain text has no markup";
    ASSERT_TRUE(wxFFile(html).ReadAll(&saved, wxConvUTF8));
    EXPECT_TRUE(saved.StartsWith("<!DOCTYPE html>")) << saved;
    EXPECT_TRUE(saved.Contains("charset=\"utf-8\""));
    EXPECT_TRUE(saved.Contains(L"I need &lt;help&gt; \u4e2d")) << saved;
    // A cancelled choice saves nothing; a failed save says so.
    ASSERT_EQ(m_prompts.size(), 1u);
    EXPECT_TRUE(m_prompts[0].Contains("could not be saved")) << m_prompts[0];
}
