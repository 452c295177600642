// The canned responses file, the waiting order of chats and the visitor filter's text test.
#include <gtest/gtest.h>

#include <wx/ffile.h>
#include <wx/filename.h>

#include <unistd.h>
#include <algorithm>
#include <string>
#include <vector>

#include "settings/CannedResponses.h"
#include "support/TempDir.h"
#include "types/TextFilter.h"
#include "types/WaitingChats.h"

using namespace Tavoro;

namespace {

std::vector<CannedResponse> awkwardList() {
    return {
        {"Sales", "", {{"Prices = list", L"Line one\nline\ttwo\\n \u00fcber \u4e2d\r\n", {}}}},
        {L"\u00c9t\u00e9", "trailing backslash \\", {{"a", "b", {{"deep", "=x=", {}}}}}},
        {"", "", {}},
    };
}

Types::VisitorChatType chat(const wxString& id, const wxString& talkingTo = "") {
    Types::VisitorChatType c;
    c.id = id;
    c.talkingTo = talkingTo;
    return c;
}

}  // namespace

TEST(CannedResponses, AwkwardTextsSurviveTheFile) {
    Tavoro::Test::TempDir dir;
    const wxString file = dir.file("canned");
    ASSERT_TRUE(CannedResponses::save(file, awkwardList()));
    bool ok = false;
    EXPECT_EQ(CannedResponses::load(file, &ok), awkwardList());
    EXPECT_TRUE(ok);
    // One line per entry whatever the texts hold.
    const std::string bytes = CannedResponses::serialise(awkwardList());
    EXPECT_EQ(std::count(bytes.begin(), bytes.end(), '\n'), 7);

    const auto choices = CannedResponses::choices(awkwardList());
    ASSERT_EQ(choices.size(), 4u);
    EXPECT_EQ(choices[0].label, "Sales / Prices = list");
    EXPECT_EQ(choices[3].label, L"\u00c9t\u00e9 / a / deep");
    EXPECT_EQ(choices[3].text, "=x=");
}

TEST(CannedResponses, FirstStartOffersExamplesAndAnEmptyListStaysEmpty) {
    Tavoro::Test::TempDir dir;
    const wxString file = dir.file("canned");
    const auto first = CannedResponses::load(file);
    ASSERT_FALSE(first.empty());
    EXPECT_FALSE(CannedResponses::choices(first).empty());
    for (const CannedChoice& c : CannedResponses::choices(first))
        EXPECT_FALSE(c.text.Contains("Test")) << c.text;
    ASSERT_TRUE(CannedResponses::save(file, {}));
    EXPECT_TRUE(CannedResponses::load(file).empty()) << "deleting everything is kept";
}

TEST(CannedResponses, FailedWriteKeepsTheEarlierList) {
    Tavoro::Test::TempDir dir;
    const wxString file = dir.file("canned");
    const std::vector<CannedResponse> earlier = {{"Old", "kept", {}}};
    ASSERT_TRUE(CannedResponses::save(file, earlier));

    // A write that stops half-way, as a full disk or a crash would leave it.
    CannedResponses::writeHook = [](int fd, const std::string& bytes) {
        return ::write(fd, bytes.data(), bytes.size() / 2) >= 0 && false;
    };
    EXPECT_FALSE(CannedResponses::save(file, awkwardList()));
    CannedResponses::writeHook = nullptr;
    EXPECT_EQ(CannedResponses::load(file), earlier);
    EXPECT_FALSE(wxFileName::FileExists(file + ".tmp")) << "no half-written file is left";

    // The temporary file cannot even be created.
    ASSERT_TRUE(wxFileName::Mkdir(file + ".tmp"));
    EXPECT_FALSE(CannedResponses::save(file, awkwardList()));
    EXPECT_EQ(CannedResponses::load(file), earlier);
}

TEST(CannedResponses, DamagedLinesAreSkippedNotFatal) {
    const auto list = CannedResponses::parse("junk\n5\tToo deep\tx\nz\tbad depth\t\n0\tOk\ttext");
    ASSERT_EQ(list.size(), 2u);
    EXPECT_EQ(list[0].title, "Too deep") << "a line too deep hangs where it can";
    EXPECT_EQ(list[1].title, "Ok");
    EXPECT_EQ(list[1].text, "text");
    const auto more = CannedResponses::parse("0\tA\t\n1\tB\tb\n0\tC\tc\n");
    ASSERT_EQ(more.size(), 2u);
    EXPECT_EQ(more[0].children.size(), 1u);
    EXPECT_EQ(more[1].title, "C");
}

TEST(WaitingChats, LongestWaitingIsTheFirstSeenWithoutAnOperator) {
    Types::WaitingChats waiting;
    const auto isWaiting = [](const Types::VisitorChatType& c) { return c.talkingTo.empty(); };
    const auto any = [](const wxString&) { return true; };
    EXPECT_EQ(waiting.longestWaiting(any), "");

    waiting.update({chat("7", "3"), chat("5"), chat("9")}, isWaiting);
    EXPECT_EQ(waiting.longestWaiting(any), "5") << "list order among chats new together";
    // The server lists newer chats first: the turn taken earlier still counts.
    waiting.update({chat("12"), chat("9"), chat("5")}, isWaiting);
    EXPECT_EQ(waiting.longestWaiting(any), "5");
    // Taken by an operator: its turn is gone, also if it comes back waiting later.
    waiting.update({chat("12"), chat("9"), chat("5", "4")}, isWaiting);
    EXPECT_EQ(waiting.longestWaiting(any), "9");
    waiting.update({chat("5"), chat("12"), chat("9")}, isWaiting);
    EXPECT_EQ(waiting.longestWaiting(any), "9");
    EXPECT_EQ(waiting.longestWaiting([](const wxString& id) { return id != "9"; }), "12");
}

TEST(TextFilter, ContainsIgnoringCase) {
    const Types::TextFilter leeds("LeEdS");
    EXPECT_TRUE(leeds.matches("Leeds, United Kingdom"));
    EXPECT_TRUE(leeds.matches("in leeds"));
    EXPECT_FALSE(leeds.matches("Leed"));
    EXPECT_FALSE(leeds.matches(""));
    EXPECT_TRUE(Types::TextFilter("").matches("anything"));
    EXPECT_TRUE(Types::TextFilter("").empty());

    const Types::TextFilter umlaut(L"\u00dcBER");
    EXPECT_TRUE(
        umlaut.matches("M\xc3\xbc"
                       "nchen \xc3\xbc"
                       "ber"));
    EXPECT_FALSE(umlaut.matches("uber"));
    // Non-ASCII bytes in the record do not disturb an ASCII needle.
    EXPECT_TRUE(
        Types::TextFilter("chen").matches("M\xc3\xbc"
                                          "nCHEN"));
}
