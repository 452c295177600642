// Text from the server that is not what it should be: characters beyond U+FFFF and broken
// surrogates in the hexadecimal form must become characters the screen can show.
#include <gtest/gtest.h>

#include "messages/TavoroMessage.h"

using namespace Tavoro::Messages;

namespace {

wxString chars(std::initializer_list<unsigned> codes) {
    wxString s;
    for (unsigned c : codes)
        s += wxUniChar(c);
    return s;
}

// Whether the text survives the trip to the screen: it converts to valid UTF-8 and back.
bool showable(const wxString& text) {
    const wxScopedCharBuffer utf8 = text.utf8_str();
    return wxString::FromUTF8(utf8.data(), utf8.length()) == text;
}

TEST(ReceivedHexForm, SurrogatesBecomeCharacters) {
    struct Case {
        const char* groups;
        wxString expected;
        const char* what;
    };
    const Case cases[] = {
        {"D83DDE00", chars({0x1F600}), "a pair is one character"},
        {"0041D83DDDFE0042", chars({0x41, 0x1F5FE, 0x42}), "a pair between ordinary characters"},
        {"DBFFDFFF", chars({0x10FFFF}), "the highest pair"},
        {"D800DC00", chars({0x10000}), "the lowest pair"},
        {"D8000041", chars({0xFFFD, 0x41}), "a high surrogate without its partner"},
        {"DC000041", chars({0xFFFD, 0x41}), "a low surrogate alone"},
        {"0041D800", chars({0x41, 0xFFFD}), "a high surrogate at the end"},
        {"DE00D83D", chars({0xFFFD, 0xFFFD}), "a pair in the wrong order"},
        {"D83DD83DDE00", chars({0xFFFD, 0x1F600}), "two high surrogates, then a low one"},
        {"D83DDE0", chars({0xFFFD, 0x0DE0}), "a short last group is no partner"},
        {"FFFD0000", chars({0xFFFD, 0}), "ordinary groups stay as they are"},
    };
    for (const Case& c : cases) {
        const wxString decoded = TavoroMessage::decodeHexForm(c.groups);
        EXPECT_EQ(decoded, c.expected) << c.what;
        EXPECT_TRUE(showable(decoded)) << c.what;
    }
}

TEST(ReceivedHexForm, WideFieldsOfAWholeMessage) {
    // "@EV:" and a field with an emoji and a lone surrogate, as a server sends it.
    const wxString text =
        wxString(wxUniChar(0x02)) + "00400045005600" + "3A" + "0042D83DDE000009D8000045";
    const TavoroMessage m(text);
    EXPECT_EQ(m.kind(), MK_EV);
    EXPECT_EQ(m.data(), chars({0x42, 0x1F600, 9, 0xFFFD, 0x45}));
    EXPECT_TRUE(showable(m.data()));
}

}  // namespace
