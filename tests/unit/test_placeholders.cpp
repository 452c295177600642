#include <gtest/gtest.h>

#include "messages/ChatTranscript.h"
#include "messages/S_SESSION.h"
#include "tools/Placeholders.h"

using namespace Tavoro;
using Tools::fillPlaceholders;
using Tools::PlaceholderFill;

namespace {

TEST(Placeholders, EveryOrFirstOccurrence) {
    struct Case {
        wxString pattern;
        PlaceholderFill fill;
        wxString expected;
        const char* what;
    };
    const Case cases[] = {
        {"Hi %NAME%, I am %ME%.", PlaceholderFill::Every, "Hi Ann, I am Bo.", "two placeholders"},
        {"%NAME% and %NAME%", PlaceholderFill::Every, "Ann and Ann", "every occurrence"},
        {"%NAME% and %NAME%", PlaceholderFill::First, "Ann and %NAME%", "first occurrence only"},
        {"%ME%%NAME%%ME%", PlaceholderFill::First, "BoAnn%ME%", "first of each, side by side"},
        {"no placeholder", PlaceholderFill::Every, "no placeholder", "nothing to fill"},
        {"%OTHER% %NAME", PlaceholderFill::Every, "%OTHER% %NAME", "unknown or unclosed"},
        {"100% %NAME%%", PlaceholderFill::Every, "100% Ann%", "stray percent signs"},
        {"", PlaceholderFill::Every, "", "empty pattern"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(fillPlaceholders(c.pattern, {{"%NAME%", "Ann"}, {"%ME%", "Bo"}}, c.fill),
                  c.expected)
            << c.what;
    }
    EXPECT_EQ(fillPlaceholders("a %X% b", {{"", "never"}, {"%X%", ""}}), "a  b")
        << "an empty placeholder matches nothing; an empty value removes the placeholder";
    EXPECT_EQ(
        fillPlaceholders(wxString(L"\u00e9 %NAME% \u20ac"), {{"%NAME%", wxString(L"\u00c5sa")}}),
        wxString(L"\u00e9 \u00c5sa \u20ac"));
}

// Values come from visitors and servers: whatever they hold is shown as it is, never taken for
// another placeholder, whichever order the placeholders are listed or written in.
TEST(Placeholders, ValuesAreNeverFilledAgain) {
    EXPECT_EQ(fillPlaceholders("Visitor %NAME% on %DOMAIN%",
                               {{"%DOMAIN%", "%NAME%.example"}, {"%NAME%", "Ann"}}),
              "Visitor Ann on %NAME%.example");
    EXPECT_EQ(fillPlaceholders("Visitor %NAME% on %DOMAIN%",
                               {{"%NAME%", "%DOMAIN%"}, {"%DOMAIN%", "shop.example"}}),
              "Visitor %DOMAIN% on shop.example");
    EXPECT_EQ(fillPlaceholders("%NAME%", {{"%NAME%", "%NAME%%NAME%"}}), "%NAME%%NAME%");

    // A value full of placeholders cannot multiply the text.
    wxString hostile;
    for (int i = 0; i < 1000; ++i)
        hostile << "%MESSAGE%";
    const wxString filled = fillPlaceholders("%NAME%: %MESSAGE%, %MESSAGE%",
                                             {{"%NAME%", hostile}, {"%MESSAGE%", "hello"}});
    EXPECT_EQ(filled, hostile + ": hello, hello");
}

// The texts built from templates keep the values they were given.
TEST(Placeholders, FilledTextsKeepTheirValues) {
    EXPECT_EQ(Messages::S_SESSION::fillPlaceholders("%APPNAME% %VERSION% %REGISTEREDTO%",
                                                    "%VERSION%", "2.5", "%APPNAME%"),
              "%VERSION% 2.5 %APPNAME%");

    wxString out;
    ASSERT_TRUE(Messages::ChatTranscript::fragment("%MESSAGE%", "0", "hi", "%TIME% %MESSAGE%", {},
                                                   1 << 20, out));
    EXPECT_EQ(out,
              "<font color='#AAAAAA'>%TIME% %MESSAGE% said at %MESSAGE%:</font><br><font "
              "color='#000000'>hi</font><br>");
    ASSERT_TRUE(Messages::ChatTranscript::fragment("10:00", "1", "%OPERATORNAME%", "V",
                                                   {"%MESSAGE%"}, 1 << 20, out));
    EXPECT_EQ(out,
              "<font color='#AAAAAA'>%MESSAGE% said at 10:00:</font><br><font "
              "color='#0000FF'>%OPERATORNAME%</font><br>");
    // The limit is on the finished fragment.
    ASSERT_TRUE(
        Messages::ChatTranscript::fragment("10:00", "1", "hello", "V", {"Bo"}, 1 << 20, out));
    const size_t length = out.length();
    EXPECT_TRUE(
        Messages::ChatTranscript::fragment("10:00", "1", "hello", "V", {"Bo"}, length, out));
    EXPECT_FALSE(
        Messages::ChatTranscript::fragment("10:00", "1", "hello", "V", {"Bo"}, length - 1, out));
}

}  // namespace
