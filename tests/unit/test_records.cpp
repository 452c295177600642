#include <gtest/gtest.h>

#include <initializer_list>
#include <vector>

#include "tools/wxStringSplitter.h"
#include "types/Alert.h"
#include "types/AlertTotal.h"
#include "types/ClientType.h"
#include "types/DaySummary.h"
#include "types/FieldSpans.h"
#include "types/PageType.h"
#include "types/PrevChatType.h"
#include "types/PrevVisitType.h"
#include "types/SearchTerms.h"
#include "types/VisitorChatType.h"
#include "types/VisitorType.h"

using namespace Tavoro::Types;

namespace {

wxString joined(std::initializer_list<wxString> fields, wxChar separator) {
    wxString out;
    bool first = true;
    for (const wxString& f : fields) {
        if (!first)
            out << separator;
        out << f;
        first = false;
    }
    return out;
}

wxString tabs(std::initializer_list<wxString> fields) {
    return joined(fields, '\t');
}

// A visitor line of n fields named "f0".."f<n-1>", with the given fields replaced.
wxString visitorLine(unsigned n, std::initializer_list<std::pair<unsigned, wxString>> set = {}) {
    std::vector<wxString> fields;
    for (unsigned i = 0; i < n; ++i)
        fields.push_back(wxString::Format("f%u", i));
    for (const auto& [index, value] : set) {
        if (index < n)
            fields[index] = value;
    }
    wxString out;
    for (unsigned i = 0; i < n; ++i)
        out << (i ? "\t" : "") << fields[i];
    return out;
}

// ---------------------------------------------------------------- VisitorType

TEST(VisitorType, EveryFieldLandsInItsMember) {
    const VisitorType v(
        visitorLine(22, {{0, "S1:10.0.0.1:abc"}, {1, "42"}, {4, "7"}, {14, "NNNNNNNNNNNNN"}}));
    EXPECT_EQ(v.visitorKey(), "S1:10.0.0.1:abc");
    EXPECT_EQ(v.site(), "S1");
    EXPECT_EQ(v.ipAddress(), "10.0.0.1");
    EXPECT_EQ(v.keyTail(), "abc");
    EXPECT_EQ(v.numberText(), "42");
    EXPECT_EQ(v.number(), 42);
    EXPECT_EQ(v.visitText(), "f2");
    EXPECT_EQ(v.raisedAlertId(), "f3");
    EXPECT_EQ(v.viewsText(), "7");
    EXPECT_EQ(v.pageViews(), 7);
    EXPECT_EQ(v.text5(), "f5");
    EXPECT_EQ(v.dns(), "f6");
    EXPECT_EQ(v.text7(), "f7");
    EXPECT_EQ(v.username(), "f8");
    EXPECT_EQ(v.onPage(), "f9");
    EXPECT_EQ(v.text10(), "f10");
    EXPECT_EQ(v.lastTime(), "f11");
    EXPECT_EQ(v.browser(), "f12");
    EXPECT_EQ(v.opSys(), "f13");
    EXPECT_EQ(v.text15(), "f15");
    EXPECT_EQ(v.text16(), "f16");
    EXPECT_EQ(v.text17(), "f17");
    EXPECT_EQ(v.text18(), "f18");
    EXPECT_EQ(v.location(), "f19");
    EXPECT_EQ(v.referrer(), "f20");
    EXPECT_EQ(v.startTime(), "f21");
}

struct VisitorCase {
    wxString line;
    wxString key, site, ip, tail, numberText;
    int32_t number;
    wxString location, referrer, startTime;
    const char* what;
};

TEST(VisitorType, LineTable) {
    const VisitorCase cases[] = {
        {visitorLine(17), "", "", "", "", "", 0, "", "", "", "17 fields: too short, all empty"},
        {visitorLine(18, {{0, "S1:1.2.3.4:t"}, {1, "5"}}), "S1:1.2.3.4:t", "S1", "1.2.3.4", "t",
         "5", 5, "", "", "", "18 fields: parsed, location/referrer/start missing"},
        {visitorLine(21, {{0, "S1:ip:t"}}), "S1:ip:t", "S1", "ip", "t", "f1", 0, "f19", "f20", "",
         "21 fields: start time missing"},
        {visitorLine(22, {{0, "S1"}}), "S1", "S1", "", "", "f1", 0, "f19", "f20", "f21",
         "key without colons: empty ip and tail"},
        {visitorLine(22, {{0, "S1:ip:t:extra"}}), "S1:ip:t:extra", "S1", "ip", "t", "f1", 0, "f19",
         "f20", "f21", "fourth key part ignored"},
        {visitorLine(22, {{1, "x"}}), "f0", "f0", "", "", "x", 0, "f19", "f20", "f21",
         "number text not numeric: number 0"},
        {visitorLine(22, {{1, "12x"}}), "f0", "f0", "", "", "12x", 12, "f19", "f20", "f21",
         "number read from leading digits"},
        {visitorLine(22, {{1, "-3"}}), "f0", "f0", "", "", "-3", -3, "f19", "f20", "f21",
         "negative number"},
        {visitorLine(22, {{1, "99999999999"}}), "f0", "f0", "", "", "99999999999", INT32_MAX, "f19",
         "f20", "f21", "number beyond 32 bits held at the limit"},
        {visitorLine(23), "f0", "f0", "", "", "f1", 0, "f19", "f20", "f21",
         "extra trailing field ignored"},
        {visitorLine(22) + "\t", "f0", "f0", "", "", "f1", 0, "f19", "f20", "f21",
         "trailing separator"},
        {"", "", "", "", "", "", 0, "", "", "", "empty line"},
    };
    for (const VisitorCase& c : cases) {
        const VisitorType v(c.line);
        EXPECT_EQ(v.visitorKey(), c.key) << c.what;
        EXPECT_EQ(v.site(), c.site) << c.what;
        EXPECT_EQ(v.ipAddress(), c.ip) << c.what;
        EXPECT_EQ(v.keyTail(), c.tail) << c.what;
        EXPECT_EQ(v.numberText(), c.numberText) << c.what;
        EXPECT_EQ(v.number(), c.number) << c.what;
        EXPECT_EQ(v.location(), c.location) << c.what;
        EXPECT_EQ(v.referrer(), c.referrer) << c.what;
        EXPECT_EQ(v.startTime(), c.startTime) << c.what;
    }
}

TEST(VisitorType, ShortLineEqualsDefault) {
    EXPECT_EQ(VisitorType(visitorLine(17, {{14, "YYYYYYYYYYYYY"}})), VisitorType());
    EXPECT_EQ(VisitorType().status(), VisitorType::STATUS_RETURNING);
}

struct StatusCase {
    const char* flags;
    const char* visitText;
    int32_t status;
    const char* what;
};

TEST(VisitorType, StatusPriority) {
    const StatusCase cases[] = {
        {"NNNNNNNNNNNNN", "1", 2, "no flag, first visit"},
        {"NNNNNNNNNNNNN", "2", 4, "no flag, later visit"},
        {"NNNNNNNNNNNNN", "01", 4, "visit text must be exactly 1"},
        {"YYYYYYYYYYYYY", "1", 0, "flag 0 beats everything"},
        {"NYYYYYYYNNNNN", "1", 8, "flag 1 next"},
        {"NNYYYYYYNNNNN", "1", 9, "then flag 3"},
        {"NNNYNNNNNNNNN", "2", 9, "flag 3 alone"},
        {"NNYNYYYYNNNNN", "1", 7, "then flag 7"},
        {"NNYNYYYNNNNNN", "1", 6, "then flag 6"},
        {"NNYNYYNNNNNNN", "1", 1, "then flag 5 (before 4)"},
        {"NNYNYNNNNNNNN", "1", 5, "then flag 4"},
        {"NNYNNNNNNNNNN", "1", 3, "then flag 2"},
        {"NNNNNNNNYYYYY", "2", 4, "flags 8 to 12 do not count"},
        {"yNNNNNNNNNNNN", "2", 4, "lower-case y is not a flag"},
        {"NNNNNY", "1", 1, "short flag text: the rest is not set"},
        {"", "1", 2, "empty flag text"},
    };
    for (const StatusCase& c : cases) {
        const VisitorType v(visitorLine(22, {{2, c.visitText}, {14, c.flags}}));
        EXPECT_EQ(v.status(), c.status) << c.what;
    }
}

TEST(VisitorType, FlagsByCharacterPosition) {
    const VisitorType v(visitorLine(22, {{14, "YNYNNNNNNNNNYY"}}));
    EXPECT_TRUE(v.flag(0));
    EXPECT_FALSE(v.flag(1));
    EXPECT_TRUE(v.flag(2));
    EXPECT_TRUE(v.flag(12));
    EXPECT_FALSE(v.flag(13)) << "only 13 flags";
    EXPECT_FALSE(v.flag(1000));
}

// The record keeps its line in UTF-8: every text above Latin-1 must come back as it was, flags
// are still counted in characters, and values no Unicode text can hold are replaced, not lost
// with the rest of the line.
TEST(VisitorType, TextsBeyondLatin1SurviveTheCompactLine) {
    const wxString cjk(L"\u674e\u96f7"), emoji(L"\U0001F600 shop"), latin(L"Jos\u00e9");
    const VisitorType v(visitorLine(22, {{0, cjk + L":10.0.0.1:\u00e9t\u00e9"},
                                         {8, cjk},
                                         {9, emoji},
                                         {13, latin},
                                         {14, L"\u00e9YNY"},
                                         {21, L"21\u00b0"}}));
    EXPECT_EQ(v.site(), cjk);
    EXPECT_EQ(v.keyTail(), L"\u00e9t\u00e9");
    EXPECT_EQ(v.username(), cjk);
    EXPECT_EQ(v.onPage(), emoji);
    EXPECT_EQ(v.opSys(), latin);
    EXPECT_EQ(v.startTime(), L"21\u00b0");
    EXPECT_EQ(v.dns(), "f6") << "fields after wide ones keep their places";
    EXPECT_FALSE(v.flag(0));
    EXPECT_TRUE(v.flag(1)) << "flag positions count characters, not bytes";
    EXPECT_TRUE(v.flag(3));

    wxString hostile = visitorLine(22, {{8, "ab"}});
    hostile.insert(hostile.find("ab") + 1, wxUniChar(0x7FFFFFFF));
    const VisitorType h(hostile);
    EXPECT_EQ(h.username(), L"a\uFFFDb");
    EXPECT_EQ(h.text10(), "f10");
}

TEST(VisitorType, SearchKeywordsFromReferrer) {
    const VisitorType v(visitorLine(22, {{20, "http://engine/search?hl=en&q=red+shoes"}}));
    EXPECT_EQ(v.searchKeywords(), "red shoes");
}

TEST(VisitorType, IconOfEveryStatus) {
    EXPECT_EQ(VisitorType::iconFileOfStatus(0), "Anonymous User Red.ico");
    EXPECT_EQ(VisitorType::iconFileOfStatus(1), "Prospect New 256.gif");
    EXPECT_EQ(VisitorType::iconFileOfStatus(2), "Anonymous User Green.ico");
    EXPECT_EQ(VisitorType::iconFileOfStatus(4), "Anonymous User Blue.ico");
    EXPECT_EQ(VisitorType::iconFileOfStatus(7), "Customer New 256.gif");
    EXPECT_EQ(VisitorType::iconFileOfStatus(9), "Anonymous User Blue Chat.ico");
    EXPECT_EQ(VisitorType::iconFileOfStatus(10), "");
    EXPECT_EQ(VisitorType::iconFileOfStatus(-1), "");
}

// ---------------------------------------------------------------- search terms

struct TermsCase {
    wxString referrer;
    wxString terms;
    const char* what;
};

TEST(SearchTerms, Table) {
    const TermsCase cases[] = {
        {"engine/search?hl=en&q=red+shoes", "red shoes", "q with plus for space"},
        {"engine/find?q=&search=blue%20hat", "blue hat", "empty q: search taken"},
        {"engine/page", "", "no query"},
        {"engine/?Q=x", "", "names are case-sensitive"},
        {"engine/?q=don%27t", "dont", "quote removed after decoding"},
        {"engine/?q=a+++b", "a  b", "three spaces shrink to two"},
        {"engine/?q=a++++b", "a  b", "four spaces shrink to two"},
        {"engine/?q=a&q=b", "b", "later parameter wins"},
        {"engine/?q=a&q=", "", "later empty parameter wins, nothing else"},
        {"engine/?kw=x&s=y", "y", "s preferred over kw"},
        {"engine/?search=1&term=2&r=3", "3", "r preferred over term and search"},
        {"engine/?keyword=k", "k", "keyword"},
        {"engine/?q=a=b", "a", "value cut at a second ="},
        {"engine/?q", "", "parameter without ="},
        {"engine/?x=1?q=2", "", "query cut at a second ?"},
        {"engine/?q=100%", "100%", "lone % at the end kept"},
        {"engine/?q=5%2", "5%2", "% with one digit kept"},
        {"engine/?q=%zz1", "%zz1", "% without hex digits kept"},
        {"engine/?q=%2B", " ", "decoded plus then read as a space"},
        {"engine/?q=%c3%a9", wxString(L"\u00c3\u00a9"), "bytes are not combined as UTF-8"},
        {"engine/?q=AN-EXCEPTIONfoo", "foo", "AN-EXCEPTION removed"},
        {"engine/?q=%41N-EXCEPTION", "", "AN-EXCEPTION removed after decoding"},
        {"?q=x", "x", "query only"},
        {"", "", "empty referrer"},
    };
    for (const TermsCase& c : cases) {
        EXPECT_EQ(searchTermsOf(c.referrer), c.terms) << c.what << " (" << c.referrer << ")";
    }
}

// ---------------------------------------------------------------- PageType

TEST(PageType, Table) {
    struct Case {
        wxString line;
        const char* time;
        const char* url;
        const char* text2;
        const char* status;
        const char* title;
        const char* what;
    };
    const Case cases[] = {
        {tabs({"10:01", "/a.html", "x", "200", "Home"}), "10:01", "/a.html", "x", "200", "Home",
         "full record"},
        {tabs({"10:01", "/a.html", "x", "200", ""}), "10:01", "/a.html", "x", "200", "",
         "empty title"},
        {"10:01", "10:01", "", "", "", "", "no minimum field count"},
        {"", "", "", "", "", "", "empty"},
        {tabs({"t", "u", "2", "s", "T", "extra"}), "t", "u", "2", "s", "T", "extra field ignored"},
    };
    for (const Case& c : cases) {
        PageType expected;
        expected.time = c.time;
        expected.url = c.url;
        expected.text2 = c.text2;
        expected.status = c.status;
        expected.title = c.title;
        EXPECT_EQ(PageType(c.line), expected) << c.what;
    }
}

// ---------------------------------------------------------------- VisitorChatType

TEST(VisitorChatType, Table) {
    const wxString ten =
        tabs({"17", "1.2.3.4", "Ann", "shop.example", "10:05", "3", "Sales", "en", "No", "x9"});
    VisitorChatType full;
    full.id = "17";
    full.ipAddress = "1.2.3.4";
    full.name = "Ann";
    full.domain = "shop.example";
    full.lastActivity = "10:05";
    full.talkingTo = "3";
    full.department = "Sales";
    full.language = "en";
    full.translating = "No";
    full.text9 = "x9";
    VisitorChatType monitored = full;
    monitored.monitoredBy = "4";

    EXPECT_EQ(VisitorChatType(ten), full) << "10 fields: monitoredBy empty";
    EXPECT_EQ(VisitorChatType(ten + "\t4"), monitored) << "11 fields";
    EXPECT_EQ(VisitorChatType(ten + "\t4\tmore"), monitored) << "12 fields";
    EXPECT_EQ(VisitorChatType(tabs({"1", "2", "3", "4", "5", "6", "7", "8", "9"})),
              VisitorChatType())
        << "9 fields: empty";
    EXPECT_EQ(VisitorChatType(""), VisitorChatType()) << "empty";
}

// ---------------------------------------------------------------- ClientType

TEST(ClientType, Table) {
    struct Case {
        wxString line;
        const char* connection;
        const char* name;
        const char* status;
        const char* language;
        const char* username;
        const char* what;
    };
    const Case cases[] = {
        {tabs({"7", "1.1.1.1", "Bob", "Sales", "2", "en", "bob"}), "7", "Bob", "Be Right Back",
         "en", "bob", "full record"},
        {tabs({"7", "1.1.1.1", "Bob", "Sales", "0", "en", "bob"}), "7", "Bob", "Online", "en",
         "bob", "online"},
        {tabs({"7", "1.1.1.1", "Bob", "Sales", "1", "en", "bob"}), "7", "Bob", "Busy", "en", "bob",
         "busy"},
        {tabs({"7", "1.1.1.1", "Bob", "Sales", "3", "en", "bob"}), "7", "Bob", "Away", "en", "bob",
         "away"},
        {tabs({"7", "1.1.1.1", "Bob", "Sales", "7", "en", "bob"}), "7", "Bob", "", "en", "bob",
         "unknown status number"},
        {tabs({"7", "1.1.1.1", "Bob", "Sales", "x", "en", "bob"}), "7", "Bob", "Online", "en",
         "bob", "status not numeric reads as 0"},
        {tabs({"7", "1.1.1.1", "Bob", "Sales", "-1", "en", "bob"}), "7", "Bob", "", "en", "bob",
         "negative status"},
        {tabs({"7", "1.1.1.1", "Bob", "Sales", "2", "en"}), "7", "Bob", "Be Right Back", "en", "",
         "6 fields: no username"},
        {tabs({"7", "1.1.1.1", "Bob", "Sales", "2"}), "", "", "", "", "", "5 fields: empty"},
    };
    for (const Case& c : cases) {
        const ClientType op(c.line);
        EXPECT_EQ(op.connection, c.connection) << c.what;
        EXPECT_EQ(op.name, c.name) << c.what;
        EXPECT_EQ(op.statusText, c.status) << c.what;
        EXPECT_EQ(op.language, c.language) << c.what;
        EXPECT_EQ(op.username, c.username) << c.what;
    }
    const ClientType op(tabs({"7", "1.1.1.1", "Bob", "Sales", "2", "en", "bob"}));
    EXPECT_EQ(op.ipAddress, "1.1.1.1");
    EXPECT_EQ(op.department, "Sales");
}

// ---------------------------------------------------------------- Alert

TEST(Alert, Table) {
    struct Case {
        wxString record;
        const char* icon;
        bool hasColour;
        int red, green, blue;
        const char* what;
    };
    const Case cases[] = {
        {"7|Hot|255|3", "Red Flag.ico", true, 255, 0, 0, "red"},
        {"7|Hot|0|9", "No Flag.ico", false, 0, 0, 0, "no colour, unknown kind"},
        {"7|Hot|65280|1", "Blue Flag.ico", true, 0, 255, 0, "green byte"},
        {"7|Hot|1193046|2", "Green Flag.ico", true, 0x56, 0x34, 0x12, "0x00BBGGRR order"},
        {"7|Hot|-5|4", "Yellow Flag.ico", false, 0, 0, 0, "negative colour"},
        {"7|Hot|x|5", "Grey Flag.ico", false, 0, 0, 0, "colour not numeric"},
        {"7|Hot|16777216|5", "Grey Flag.ico", true, 0, 0, 0, "fourth byte ignored"},
        {"7|Hot|255|3|extra", "Red Flag.ico", true, 255, 0, 0, "extra field ignored"},
        {"7|Hot|255", "", false, 0, 0, 0, "3 fields: empty"},
        {"", "", false, 0, 0, 0, "empty"},
    };
    for (const Case& c : cases) {
        const Alert a(c.record);
        EXPECT_EQ(a.iconFileName, c.icon) << c.what;
        EXPECT_EQ(a.hasColour, c.hasColour) << c.what;
        EXPECT_EQ(a.red, c.red) << c.what;
        EXPECT_EQ(a.green, c.green) << c.what;
        EXPECT_EQ(a.blue, c.blue) << c.what;
    }
    Alert expected;
    expected.alertId = "7";
    expected.name = "Hot";
    expected.colourText = "255";
    expected.flagText = "3";
    expected.flagKind = 3;
    expected.colour = 255;
    expected.iconFileName = "Red Flag.ico";
    expected.hasColour = true;
    expected.red = 255;
    EXPECT_EQ(Alert("7|Hot|255|3"), expected);
    EXPECT_EQ(Alert("7|Hot|255"), Alert());
}

// ---------------------------------------------------------------- AlertTotal, DaySummary

TEST(AlertTotal, Table) {
    const AlertTotal t("a|b|c|d|e|f|g|h");
    EXPECT_EQ(t.fields[0], "a");
    EXPECT_EQ(t.fields[7], "h");
    EXPECT_EQ(AlertTotal("a|b|c|d|e|f|g"), AlertTotal()) << "7 fields: empty";
    EXPECT_EQ(AlertTotal("a|b|c|d|e|f|g|h|i").fields[7], "h") << "extra field ignored";
    EXPECT_EQ(AlertTotal("|||||||").fields[0], "") << "8 empty fields";
}

wxString daySummaryLine(unsigned n, const wxString& field25) {
    wxString out;
    for (unsigned i = 0; i < n; ++i)
        out << (i ? "\t" : "") << wxString::Format("d%u", i);
    if (n > 25)
        out << "\t" << field25;
    return out;
}

TEST(DaySummary, Table) {
    const DaySummary two(daySummaryLine(25, "") + "\ta|b|c|d|e|f|g|h~i|j|k|l|m|n|o|p");
    EXPECT_EQ(two.site, "d0");
    EXPECT_EQ(two.currentVisitors, "d2");
    EXPECT_EQ(two.hackExceptions, "d14");
    EXPECT_EQ(two.peakCount, "d18");
    EXPECT_EQ(two.peakTime, "d19");
    EXPECT_EQ(two.totalCostToday, "d23");
    EXPECT_EQ(two.totalRevenue, "d24");
    ASSERT_EQ(two.alertTotals.size(), 2u);
    EXPECT_EQ(two.alertTotals[0].fields[0], "a");
    EXPECT_EQ(two.alertTotals[1].fields[0], "i");

    const DaySummary none(daySummaryLine(25, "") + "\t");
    EXPECT_EQ(none.site, "d0") << "26 fields, empty field 25";
    EXPECT_TRUE(none.alertTotals.empty());

    EXPECT_EQ(DaySummary(daySummaryLine(25, "")), DaySummary()) << "25 fields: empty";

    const DaySummary shortTotal(daySummaryLine(25, "") + "\tx~a|b|c|d|e|f|g|h~");
    ASSERT_EQ(shortTotal.alertTotals.size(), 3u) << "short and trailing parts still count";
    EXPECT_EQ(shortTotal.alertTotals[0], AlertTotal());
    EXPECT_EQ(shortTotal.alertTotals[2], AlertTotal());
}

TEST(DaySummary, TotalOfSeveralSites) {
    DaySummary a, b, c;
    a.currentVisitors = "3";
    b.currentVisitors = " 4";
    c.currentVisitors = "n/a";   // not a number: counts 0
    a.pageViews = "9000000000";  // beyond 32 bits
    b.pageViews = "1";
    a.peakCount = "7";
    a.peakTime = "09:10";
    b.peakCount = "12";
    b.peakTime = "11:45";
    c.peakCount = "12";
    c.peakTime = "15:00";  // a later equal peak does not replace the first
    a.totalCostToday = "1.5";
    b.totalCostToday = "2.25";
    c.totalCostToday = "";
    a.totalRevenue = "10";
    b.totalRevenue = "5";
    a.site = "A";
    a.alertTotals.emplace_back("a|b|c|d|e|f|g|h");

    const DaySummary sum = DaySummary::total({&a, &b, &c});
    EXPECT_EQ(sum.currentVisitors, "7");
    EXPECT_EQ(sum.pageViews, "9000000001");
    EXPECT_EQ(sum.peakCount, "12");
    EXPECT_EQ(sum.peakTime, "11:45");
    EXPECT_EQ(sum.totalCostToday, "3.75");
    EXPECT_EQ(sum.totalRevenue, "15");
    EXPECT_EQ(sum.newVisits, "0");
    EXPECT_EQ(sum.site, "") << "the total is no site's";
    EXPECT_TRUE(sum.alertTotals.empty());

    const DaySummary nothing = DaySummary::total({});
    EXPECT_EQ(nothing.currentVisitors, "0");
    EXPECT_EQ(nothing.peakCount, "0");
    EXPECT_EQ(nothing.peakTime, "");
    EXPECT_EQ(nothing.totalRevenue, "0");
}

// ---------------------------------------------------------------- PrevChatType, PrevVisitType

TEST(PrevChatType, Table) {
    struct Case {
        wxString line;
        const char* duration;
        const char* what;
    };
    const Case cases[] = {
        {tabs({"2024-01-02 10:00", "Ann", "c17", "bob", "Sales", "3725"}), "1:2:5",
         "hours, minutes, seconds without leading zeros"},
        {tabs({"d", "n", "c", "u", "dep", "59"}), "0:0:59", "under a minute"},
        {tabs({"d", "n", "c", "u", "dep", "x"}), "0:0:0", "not a number"},
        {tabs({"d", "n", "c", "u", "dep", "86400"}), "24:0:0", "a day"},
        {tabs({"d", "n", "c", "u", "dep", "-3725"}), "-1:-2:-5", "negative truncates to zero"},
        {tabs({"d", "n", "c", "u", "dep"}), "0:0:0", "no duration field"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(PrevChatType(c.line).duration, c.duration) << c.what;
    }
    const PrevChatType chat(tabs({"2024-01-02 10:00", "Ann", "c17", "bob", "Sales", "3725"}));
    EXPECT_EQ(chat.dateTime, "2024-01-02 10:00");
    EXPECT_EQ(chat.name, "Ann");
    EXPECT_EQ(chat.chatId, "c17");
    EXPECT_EQ(chat.user, "bob");
    EXPECT_EQ(chat.department, "Sales");
    EXPECT_EQ(PrevChatType(""), PrevChatType(tabs({"", "", "", "", "", "0"})));
}

TEST(PrevVisitType, Table) {
    wxString line;
    for (unsigned i = 0; i < 20; ++i)
        line << (i ? "\t" : "") << wxString::Format("v%u", i);
    const PrevVisitType v(line);
    EXPECT_EQ(v.visitNumber, "v0");
    EXPECT_EQ(v.date, "v2");
    EXPECT_EQ(v.time, "v3");
    EXPECT_EQ(v.alertId, "v4");
    EXPECT_EQ(v.firstPage, "v5");
    EXPECT_EQ(v.lastPage, "v6");
    EXPECT_EQ(v.minsOn, "v7");
    EXPECT_EQ(v.pages, "v8");
    EXPECT_EQ(v.text18, "v18");
    EXPECT_EQ(v.referrer, "v19");
    const PrevVisitType shortVisit(tabs({"3", "x", "2024-01-02"}));
    EXPECT_EQ(shortVisit.date, "2024-01-02") << "no minimum field count";
    EXPECT_EQ(shortVisit.referrer, "");
}

}  // namespace

// ---------------------------------------------------------------- FieldSpans

namespace {

// The in-place splitter must give exactly the fields of the copying one, in both modes.
TEST(FieldSpans, SameFieldsAsTheSplitter) {
    const char* texts[] = {"",      "|",     "||",     "|||",   "a",     "a|",   "a||",
                           "a|||",  "|a",    "|a|",    "||a",   "a|b",   "a||b", "a||b|",
                           "a|b||", "ab|cd", "|a||b|", "a|b|c", "||a||", "x|||y"};
    for (const char* t : texts) {
        for (bool keep : {true, false}) {
            const wxString text(t);
            const Tavoro::Tools::wxStringSplitter expected(text, '|', keep);
            const FieldSpans spans(text, '|', keep);
            ASSERT_EQ(spans.count(), expected.count()) << "'" << t << "' keep=" << keep;
            for (unsigned i = 0; i <= expected.count(); ++i) {
                EXPECT_EQ(spans.item(i), expected.item(i)) << "'" << t << "' field " << i;
                EXPECT_EQ(spans.itemAsLong(i), expected.itemAsLong(i)) << "'" << t << "'";
            }
        }
    }
}

TEST(FieldSpans, ManyFieldsPastTheInlineRoom) {
    wxString text;
    for (int i = 0; i < 100; ++i)
        text << (i ? "\t" : "") << i;
    text << "\t\t";
    const FieldSpans spans(text, '\t', false);
    ASSERT_EQ(spans.count(), 100u) << "trailing empty fields dropped past the inline room";
    EXPECT_EQ(spans.item(99), "99");
    EXPECT_EQ(spans.itemAsLong(57), 57);
    EXPECT_EQ(spans.item(100), "");
    const FieldSpans kept(text, '\t', true);
    EXPECT_EQ(kept.count(), 102u);
}

}  // namespace
