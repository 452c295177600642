#include <gtest/gtest.h>

#include "tools/wxStringSplitter.h"

using Tavoro::Tools::wxStringSplitter;

namespace {

struct SplitCase {
    const char* text;
    bool keepTrailing;
    std::vector<std::string> fields;
    const char* what;
};

TEST(StringSplitter, FieldTable) {
    const SplitCase cases[] = {
        {"", true, {}, "empty text has no fields"},
        {"", false, {}, "empty text has no fields without trailing"},
        {"a|b", true, {"a", "b"}, "plain split"},
        {"a|b", false, {"a", "b"}, "plain split without trailing"},
        {"a||b", true, {"a", "", "b"}, "inner empty field kept"},
        {"a||b", false, {"a", "", "b"}, "inner empty field kept without trailing"},
        {"a|b|", true, {"a", "b", ""}, "trailing empty field kept"},
        {"a|b|", false, {"a", "b"}, "trailing empty field dropped"},
        {"|a", true, {"", "a"}, "leading empty field"},
        {"|a", false, {"", "a"}, "leading empty field without trailing"},
        {"||", true, {"", "", ""}, "only separators"},
        {"||", false, {""}, "only separators without trailing"},
    };
    for (const SplitCase& c : cases) {
        wxStringSplitter s(c.text, '|', c.keepTrailing);
        ASSERT_EQ(s.count(), c.fields.size()) << c.what;
        for (unsigned i = 0; i < s.count(); ++i) {
            EXPECT_EQ(s.item(i).ToStdString(), c.fields[i]) << c.what << " field " << i;
        }
    }
}

TEST(StringSplitter, ReadingPastTheEndIsEmptyOrZero) {
    wxStringSplitter s("a\t12x\t-7", '\t', true);
    ASSERT_EQ(s.count(), 3u);
    EXPECT_TRUE(s.item(5).empty());
    EXPECT_EQ(s.itemAsLong(5), 0);
    EXPECT_EQ(s.itemAsLong(1), 12) << "leading digits are read";
    EXPECT_EQ(s.itemAsLong(2), -7);
    EXPECT_EQ(s.itemAsLong(0), 0) << "nothing readable gives 0";
    EXPECT_TRUE(s.item(4000000000u).empty());
}

TEST(StringSplitter, OtherSeparatorsAndWideText) {
    wxStringSplitter esc(wxString::FromUTF8("x\x1by\x1b"), wxChar(27), false);
    EXPECT_EQ(esc.count(), 2u);
    wxStringSplitter wide(wxString(L"\u00e9t\u00e9,\u4e2d"), ',', true);
    ASSERT_EQ(wide.count(), 2u);
    EXPECT_EQ(wide.item(1), wxString(L"\u4e2d"));
}

}  // namespace
