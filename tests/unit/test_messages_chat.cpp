#include <gtest/gtest.h>

#include "messages/ChatTranscript.h"
#include "messages/S_CHAT.h"
#include "messages/S_CHATTRANSFER.h"
#include "messages/S_CURRENTCHAT.h"
#include "messages/S_FROMCLIENT.h"
#include "messages/S_MESSAGE.h"
#include "messages/S_PREVCHAT.h"
#include "messages/S_PopupMessage.h"
#include "messages/S_VISITORS.h"
#include "messages/TavoroMessage.h"

using namespace Tavoro::Messages;

namespace {

const wxString ESC(wxUniChar(27));

wxString operatorLine(const wxString& who, const wxString& time, const wxString& message) {
    return "<font color='#AAAAAA'>" + who + " said at " + time +
           ":</font><br><font color='#0000FF'>" + message + "</font><br>";
}

wxString visitorLine(const wxString& who, const wxString& time, const wxString& message) {
    return "<font color='#AAAAAA'>" + who + " said at " + time +
           ":</font><br><font color='#000000'>" + message + "</font><br>";
}

// ---------------------------------------------------------------- "@VISITORS"

TEST(S_VISITORS, Table) {
    const wxString rec1 = "17\t1.2.3.4\tAnn\tshop\t10:05\t3\tSales\ten\tNo\tx";
    const wxString rec2 = "18\t5.6.7.8\tBob\tshop\t10:06\t\tSales\ten\tNo\tx\t4";
    struct Case {
        wxString data;
        int32_t count;
        const char* firstName;
        const char* what;
    };
    const Case cases[] = {
        {"", 0, nullptr, "nobody chatting"},
        {rec1 + ESC + rec2, 2, "Ann", "two records"},
        {rec1 + ESC, 1, "Ann", "trailing ESC adds none"},
        {ESC + rec1, 2, "", "leading empty record is an empty row"},
        {"short\trecord", 1, "", "short record is an empty row"},
    };
    for (const Case& c : cases) {
        const S_VISITORS m(TavoroMessage(MK_VISITORS, c.data));
        ASSERT_EQ(m.count(), c.count) << c.what;
        ASSERT_EQ(m.records().size(), static_cast<size_t>(c.count)) << c.what;
        if (c.firstName) {
            EXPECT_EQ(m.records()[0].name, c.firstName) << c.what;
        }
    }
    const S_VISITORS two(TavoroMessage(MK_VISITORS, rec1 + ESC + rec2));
    EXPECT_EQ(two.records()[1].talkingTo, "") << "waiting visitor";
    EXPECT_EQ(two.records()[1].monitoredBy, "4");
}

// ---------------------------------------------------------------- "@CHAT", "@MESSAGE"

TEST(S_CHAT, Table) {
    struct Case {
        const char* data;
        const char* text0;
        const char* domain;
        const char* name;
        const char* what;
    };
    const Case cases[] = {
        {"x:site1:Ann", "x", "site1", "Ann", "three fields"},
        {"x:site1", "", "", "", "two fields: all empty"},
        {"x:site1:Ann:Lee", "x", "site1", "Ann", "name cut at a further colon"},
        {"::", "", "", "", "three empty fields"},
        {"", "", "", "", "empty"},
    };
    for (const Case& c : cases) {
        const S_CHAT m(TavoroMessage(MK_CHAT, c.data));
        EXPECT_EQ(m.text0(), c.text0) << c.what;
        EXPECT_EQ(m.domain(), c.domain) << c.what;
        EXPECT_EQ(m.visitorName(), c.name) << c.what;
    }
}

TEST(S_MESSAGE, Table) {
    struct Case {
        const char* data;
        const char* chatId;
        const char* text;
        bool left;
        const char* what;
    };
    const Case cases[] = {
        {"17\nHello", "17", "Hello", false, "a line"},
        {"17", "", "", false, "no LF: both empty"},
        {"17\nHello\nmore", "17", "Hello", false, "text after a second LF dropped"},
        {"17\n", "17", "", false, "empty line"},
        {"17\nVisitor has left the conversation.", "17", "Visitor has left the conversation.", true,
         "visitor left"},
        {"17\nvisitor has left the conversation.", "17", "visitor has left the conversation.",
         false, "the signal is case-sensitive"},
    };
    for (const Case& c : cases) {
        const S_MESSAGE m(TavoroMessage(MK_MESSAGE, c.data));
        EXPECT_EQ(m.chatId(), c.chatId) << c.what;
        EXPECT_EQ(m.text(), c.text) << c.what;
        EXPECT_EQ(m.visitorLeft(), c.left) << c.what;
    }
}

// ---------------------------------------------------------------- "@FROMCLIENT"

TEST(S_FROMCLIENT, TextsAndTransfers) {
    const S_FROMCLIENT plain(TavoroMessage(MK_FROMCLIENT, "Bob\nLunch?"));
    EXPECT_EQ(plain.from(), "Bob");
    EXPECT_EQ(plain.text(), "Lunch?");
    EXPECT_FALSE(plain.isTransfer());

    const S_FROMCLIENT none(TavoroMessage(MK_FROMCLIENT, "Bob"));
    EXPECT_EQ(none.from(), "") << "one line: nothing";

    struct Case {
        const char* text;
        const char* d0;
        const char* d1;
        const char* d2;
        const char* note;
        const char* what;
    };
    const Case cases[] = {
        {"~transfer~17:site1:Ann~Please take over", "17", "site1", "Ann", "Please take over",
         "full offer"},
        {"~transfer~17:site1:Ann~", "17", "site1", "Ann", "", "empty note"},
        {"~transfer~17:site1", "17", "site1", "", "", "missing name and note"},
        {"~transfer~", "", "", "", "", "marker only"},
        {"~transfer~17:s:A~note~more", "17", "s", "A", "note", "note cut at a further ~"},
    };
    for (const Case& c : cases) {
        const S_FROMCLIENT from(TavoroMessage(MK_FROMCLIENT, wxString("Eve\n") + c.text));
        EXPECT_TRUE(from.isTransfer()) << c.what;
        const S_CHATTRANSFER t(from);
        EXPECT_EQ(t.from(), "Eve") << c.what;
        EXPECT_EQ(t.detail0(), c.d0) << c.what;
        EXPECT_EQ(t.detail1(), c.d1) << c.what;
        EXPECT_EQ(t.detail2(), c.d2) << c.what;
        EXPECT_EQ(t.note(), c.note) << c.what;
    }
}

// ---------------------------------------------------------------- "@POPUP"

TEST(S_PopupMessage, Table) {
    struct Case {
        const char* data;
        S_PopupMessage::Kind kind;
        const char* text;
        const char* what;
    };
    const Case cases[] = {
        {"Arrival\tNew visitor on shop", S_PopupMessage::POPUP_NEW_VISITOR, "New visitor on shop",
         "A"},
        {"Prospect\tp", S_PopupMessage::POPUP_NEW_PROSPECT, "p", "P"},
        {"Customer\tc", S_PopupMessage::POPUP_NEW_CUSTOMER, "c", "C"},
        {"E\te", S_PopupMessage::POPUP_NEW_EXCEPTION, "e", "E"},
        {"X\tx", S_PopupMessage::POPUP_NONE, "x", "unknown letter: no kind, text kept"},
        {"a\tx", S_PopupMessage::POPUP_NONE, "x", "lower case is not a kind"},
        {"\tx", S_PopupMessage::POPUP_NONE, "x", "empty kind field"},
        {"Prospect", S_PopupMessage::POPUP_NONE, "", "one field: nothing set"},
    };
    for (const Case& c : cases) {
        const S_PopupMessage m(TavoroMessage(MK_POPUP, c.data));
        EXPECT_EQ(m.kind(), c.kind) << c.what;
        EXPECT_EQ(m.text(), c.text) << c.what;
    }
}

// ---------------------------------------------------------------- transcripts

wxString chatData(const wxString& operators, const wxString& transcript) {
    return "S1:1.2.3.4:tail\nh0\tAnn\t" + operators + "\tx3" + ESC + transcript;
}

TEST(S_CURRENTCHAT, HeaderFields) {
    const S_CURRENTCHAT m(TavoroMessage(MK_CURRENTCHAT, chatData("Bob,Eve", "")));
    EXPECT_EQ(m.site(), "S1");
    EXPECT_EQ(m.ipAddress(), "1.2.3.4");
    EXPECT_EQ(m.keyTail(), "tail");
    EXPECT_EQ(m.visitorName(), "Ann");
    EXPECT_EQ(m.operatorNames(), "Bob,Eve");
    EXPECT_EQ(m.text3(), "x3");
    EXPECT_EQ(m.transcriptHtml(), "");
}

TEST(S_CURRENTCHAT, TranscriptTable) {
    struct Case {
        wxString operators;
        wxString transcript;
        wxString html;
        const char* what;
    };
    const Case cases[] = {
        {"Bob,Eve", "10:00\t0\tHi", visitorLine("Ann", "10:00", "Hi"), "visitor line"},
        {"Bob,Eve", "10:01\t1\tHello", operatorLine("Bob", "10:01", "Hello"), "operator 1"},
        {"Bob,Eve", "10:01\t2\tHello", operatorLine("Eve", "10:01", "Hello"), "operator 2"},
        {"Bob,Eve", "10:01\t3\tHello", operatorLine("", "10:01", "Hello"),
         "operator past the list"},
        {"Bob,Eve", "10:01\t-1\tHello", operatorLine("", "10:01", "Hello"), "negative speaker"},
        {"Bob,Eve", "10:01\t00\tHello", operatorLine("", "10:01", "Hello"),
         "speaker 00 is not the visitor and names nobody"},
        {"Bob,Eve", "10:01\tx\tHello", operatorLine("", "10:01", "Hello"), "speaker not a number"},
        {"", "10:01\t1\tHello", operatorLine("", "10:01", "Hello"), "no operators at all"},
        {"Bob", "10:00\t0\tHi\r10:01\t1\tHello\r",
         visitorLine("Ann", "10:00", "Hi") + operatorLine("Bob", "10:01", "Hello"),
         "trailing CR adds no fragment"},
        {"Bob", "10:00\t0\tHi\r\r10:01\t1\tYo",
         visitorLine("Ann", "10:00", "Hi") + operatorLine("", "", "") +
             operatorLine("Bob", "10:01", "Yo"),
         "empty line between CRs: operator template, empty values"},
        {"Bob", "10:00\t0", visitorLine("Ann", "10:00", ""), "missing message"},
        {"Bob", "", "", "no transcript"},
        {"%MESSAGE%", "10:00\t1\tHi", operatorLine("%MESSAGE%", "10:00", "Hi"),
         "name holding %MESSAGE% shows as it is"},
        {"Bob", "%OPERATORNAME%\t1\tHi", operatorLine("Bob", "%OPERATORNAME%", "Hi"),
         "time holding the name placeholder shows as it is"},
        {"Bob", "%TIME%\t1\tHi", operatorLine("Bob", "%TIME%", "Hi"),
         "inserted %TIME% is not searched again"},
        {"Bob", "t\t1\t%MESSAGE%", operatorLine("Bob", "t", "%MESSAGE%"),
         "message holding its own placeholder inserted once"},
        {"Bob", "t\t0\t<b>x</b>", visitorLine("Ann", "t", "&lt;b&gt;x&lt;/b&gt;"),
         "values are escaped: a visitor's markup stays text"},
    };
    for (const Case& c : cases) {
        const S_CURRENTCHAT m(TavoroMessage(MK_CURRENTCHAT, chatData(c.operators, c.transcript)));
        EXPECT_EQ(m.transcriptHtml(), c.html) << c.what;
    }
}

TEST(S_CURRENTCHAT, VisitorNameHoldingPlaceholders) {
    const wxString data = wxString("S1:ip:t\nh0\t%TIME%%MESSAGE%\tBob\tx") + ESC + "t\t0\tm";
    const S_CURRENTCHAT m(TavoroMessage(MK_CURRENTCHAT, data));
    // Values go in in one pass: placeholders inside the name are never filled.
    EXPECT_EQ(m.transcriptHtml(), visitorLine("%TIME%%MESSAGE%", "t", "m"));
}

TEST(S_CURRENTCHAT, MissingHeaderParts) {
    const S_CURRENTCHAT noEsc(TavoroMessage(MK_CURRENTCHAT, "S1:ip"));
    EXPECT_EQ(noEsc.site(), "S1");
    EXPECT_EQ(noEsc.ipAddress(), "ip");
    EXPECT_EQ(noEsc.keyTail(), "");
    EXPECT_EQ(noEsc.visitorName(), "");
    EXPECT_EQ(noEsc.transcriptHtml(), "");
    const S_CURRENTCHAT empty(TavoroMessage(MK_CURRENTCHAT, ""));
    EXPECT_EQ(empty.site(), "");
}

// Placeholders in the names and times of a hostile transcript cannot multiply its size; the HTML
// stays within its limit and the lines that would pass it are left out.
TEST(S_CURRENTCHAT, HostileTranscriptStaysBounded) {
    wxString name;
    for (int i = 0; i < 2000; ++i)
        name << "%MESSAGE%";
    wxString time;
    for (int i = 0; i < 2000; ++i)
        time << "%OPERATORNAME%";
    const wxString message(wxUniChar('m'), 5000);
    wxString transcript;
    for (int i = 0; i < 20; ++i)
        transcript << (i ? "\r" : "") << time << "\t1\t" << message;
    const S_CURRENTCHAT m(TavoroMessage(MK_CURRENTCHAT, chatData(name, transcript)));
    EXPECT_LE(m.transcriptHtml().length(), ChatTranscript::kMaxHtmlLength);

    // A large but honest transcript is kept whole.
    wxString honest;
    for (int i = 0; i < 200; ++i)
        honest << (i ? "\r" : "") << "10:00\t1\t" << message;
    const S_CURRENTCHAT big(TavoroMessage(MK_CURRENTCHAT, chatData("Bob", honest)));
    EXPECT_EQ(big.transcriptHtml().length(), 200 * operatorLine("Bob", "10:00", message).length());
}

TEST(S_PREVCHAT, SkipsTheFirstLine) {
    struct Case {
        wxString transcript;
        wxString html;
        const char* what;
    };
    const Case cases[] = {
        {"10:00\t0\tHi", "", "one line: nothing shown"},
        {"10:00\t0\tHi\r10:01\t1\tHello\r10:02\t0\tBye",
         operatorLine("Bob", "10:01", "Hello") + visitorLine("Ann", "10:02", "Bye"),
         "three lines: two fragments"},
        {"", "", "empty"},
    };
    for (const Case& c : cases) {
        const S_PREVCHAT m(TavoroMessage(MK_PREVCHAT, chatData("Bob", c.transcript)));
        EXPECT_EQ(m.transcriptHtml(), c.html) << c.what;
    }
    const S_PREVCHAT m(TavoroMessage(MK_PREVCHAT, chatData("Bob,Eve", "")));
    EXPECT_EQ(m.site(), "S1");
    EXPECT_EQ(m.ipAddress(), "1.2.3.4");
    EXPECT_EQ(m.text0(), "h0");
    EXPECT_EQ(m.visitorName(), "Ann");
    EXPECT_EQ(m.operatorNames(), "Bob,Eve");
    EXPECT_EQ(m.text3(), "x3");
}

}  // namespace
