#include <gtest/gtest.h>

#include <vector>

#include "messages/ChatTranscript.h"
#include "tools/HtmlText.h"

using namespace Tavoro;

TEST(HtmlText, EscapingAndLinks) {
    struct Case {
        const char* text;
        const char* html;
        const char* what;
    };
    const Case cases[] = {
        {"plain words", "plain words", "nothing to change"},
        {"<b>bold</b> & \"q\" 'a'", "&lt;b&gt;bold&lt;/b&gt; &amp; &quot;q&quot; &#39;a&#39;",
         "markup and quotes become text"},
        {"see http://shop.example/a?x=1&y=2.",
         "see <a href=\"http://shop.example/a?x=1&amp;y=2\">http://shop.example/a?x=1&amp;y=2</a>.",
         "address made clickable, closing full stop left outside"},
        {"www.shop.example now", "<a href=\"http://www.shop.example\">www.shop.example</a> now",
         "www address gets a scheme"},
        {"javascript:alert(1) file:///etc/passwd", "javascript:alert(1) file:///etc/passwd",
         "no other scheme becomes a link"},
        {"xhttp://not.a.word", "xhttp://not.a.word", "only at the start of a word"},
        {"<a href='x'>http://e.example</a>", "&lt;a href=&#39;x&#39;&gt;http://e.example&lt;/a&gt;",
         "a visitor's own anchor stays text"},
        {"http://a.example<br>", "<a href=\"http://a.example\">http://a.example</a>&lt;br&gt;",
         "an escaped character ends the address"},
        {"1\r\n2\n3\r4", "1<br>2<br>3<br>4", "line breaks"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Tools::linkifyEscaped(Tools::escapeHtml(c.text)), c.html) << c.what;
    }
}

TEST(HtmlText, MarkupEscapingForNotices) {
    EXPECT_EQ(Tools::escapeMarkup("<b>Ann</b> & \"Bo\" O'Neil"),
              "&lt;b&gt;Ann&lt;/b&gt; &amp; &quot;Bo&quot; O&apos;Neil");
    // Already escaped text is escaped again: it is the visitor's literal text.
    EXPECT_EQ(Tools::escapeMarkup("&amp;"), "&amp;amp;");
    // Line breaks and other characters are left to the daemon.
    EXPECT_EQ(Tools::escapeMarkup(wxString(L"a\nb\r\n\u00e9 %NAME%")),
              wxString(L"a\nb\r\n\u00e9 %NAME%"));
}

TEST(HtmlText, TranscriptValuesAreEscaped) {
    wxString out;
    ASSERT_TRUE(Messages::ChatTranscript::fragment("10:00", "0", "<img src=x>", "<i>Eve</i>", {},
                                                   1 << 20, out));
    EXPECT_FALSE(out.Contains("<img")) << out;
    EXPECT_FALSE(out.Contains("<i>")) << out;
    EXPECT_TRUE(out.Contains("&lt;img src=x&gt;")) << out;
    ASSERT_TRUE(Messages::ChatTranscript::fragment("10:00", "1", "go to www.a.example", "V",
                                                   {"<Op>"}, 1 << 20, out));
    EXPECT_TRUE(out.Contains("&lt;Op&gt;")) << out;
    EXPECT_TRUE(out.Contains("<a href=\"http://www.a.example\">")) << out;
}
