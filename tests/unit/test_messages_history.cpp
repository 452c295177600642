#include <gtest/gtest.h>

#include "messages/S_PREVCHATS.h"
#include "messages/S_PREVVISITS.h"
#include "messages/S_VISITDETAIL.h"
#include "messages/TavoroMessage.h"

using namespace Tavoro::Messages;

namespace {

const wxString ESC(wxUniChar(27));

wxString detailLine(unsigned n, std::initializer_list<std::pair<unsigned, wxString>> set = {}) {
    std::vector<wxString> fields;
    for (unsigned i = 0; i < n; ++i)
        fields.push_back(wxString::Format("v%u", i));
    for (const auto& [i, value] : set)
        fields[i] = value;
    wxString out;
    for (unsigned i = 0; i < n; ++i)
        out << (i ? "\t" : "") << fields[i];
    return out;
}

// ---------------------------------------------------------------- "@VISITDETAIL"

TEST(S_VISITDETAIL, NamedFields) {
    const S_VISITDETAIL m(TavoroMessage(
        MK_VISITDETAIL,
        "S1:1.2.3.4:t\n" + detailLine(37, {{4, "Leeds|West Yorkshire|UK|Acme Ltd|53.8,-1.5"},
                                           {11, "http://engine/"},
                                           {12, "search?q=red+shoes"}})));
    EXPECT_EQ(m.site(), "S1");
    EXPECT_EQ(m.visitField1(), "v1");
    EXPECT_EQ(m.visitField2(), "v2");
    EXPECT_EQ(m.username(), "v3");
    EXPECT_EQ(m.visitNumber(), "v5");
    EXPECT_EQ(m.entryAlertId(), "v6");
    EXPECT_EQ(m.opSys(), "v8");
    EXPECT_EQ(m.searchEngine(), "v10");
    EXPECT_EQ(m.started(), "v13");
    EXPECT_EQ(m.visitCost(), "v16");
    EXPECT_EQ(m.visitRevenue(), "v17");
    EXPECT_EQ(m.visitCount(), "v22");
    EXPECT_EQ(m.firstAlertId(), "v25");
    EXPECT_EQ(m.totalCost(), "v26");
    EXPECT_EQ(m.totalRevenue(), "v27");
    EXPECT_EQ(m.dnsNote(), "v28");
    EXPECT_EQ(m.visitField(36), "v36");
    EXPECT_EQ(m.visitField(37), "") << "past the last field";
    EXPECT_EQ(m.referrer(), "http://engine/search?q=red+shoes");
    EXPECT_EQ(m.keywords(), "red shoes");
    EXPECT_EQ(m.locationPart0(), "Leeds");
    EXPECT_EQ(m.locationPart1(), "West Yorkshire");
    EXPECT_EQ(m.locationPart2(), "UK");
    EXPECT_EQ(m.company(), "Acme Ltd");
    EXPECT_EQ(m.extra0(), "53.8");
    EXPECT_EQ(m.extra1(), "-1.5");
    EXPECT_TRUE(m.pages().empty()) << "no ESC: no pages";
}

TEST(S_VISITDETAIL, ShortDetailLine) {
    const S_VISITDETAIL m(TavoroMessage(MK_VISITDETAIL, "S1:ip:t\n" + detailLine(20)));
    EXPECT_EQ(m.visitField(19), "v19");
    for (unsigned i = 20; i < 37; ++i)
        EXPECT_EQ(m.visitField(i), "") << i;
    EXPECT_EQ(m.company(), "");
    const S_VISITDETAIL keyOnly(TavoroMessage(MK_VISITDETAIL, "S1"));
    EXPECT_EQ(keyOnly.site(), "S1");
    EXPECT_EQ(keyOnly.username(), "");
}

TEST(S_VISITDETAIL, Pages) {
    struct Case {
        wxString pages;
        std::vector<wxString> times;
        const char* what;
    };
    const Case cases[] = {
        {"a\r\rb\r", {"a", "b"}, "empty lines and the trailing one skipped"},
        {"10:00\t/a\tx\t200\tHome\r10:01\t/b\tx\t404\t", {"10:00", "10:01"}, "two pages"},
        {"", {}, "ESC with nothing after it"},
        {"\r\r", {}, "only separators"},
    };
    for (const Case& c : cases) {
        const S_VISITDETAIL m(
            TavoroMessage(MK_VISITDETAIL, "S1:ip:t\n" + detailLine(37) + ESC + c.pages));
        ASSERT_EQ(m.pages().size(), c.times.size()) << c.what;
        for (size_t i = 0; i < c.times.size(); ++i) {
            EXPECT_EQ(m.pages()[i].time, c.times[i]) << c.what;
        }
    }
    const S_VISITDETAIL m(
        TavoroMessage(MK_VISITDETAIL, "S1:ip:t\n" + detailLine(37) + ESC + "10:01\t/b\tx\t404\t"));
    EXPECT_EQ(m.pages()[0].url, "/b");
    EXPECT_EQ(m.pages()[0].status, "404");
    EXPECT_EQ(m.pages()[0].title, "") << "the window shows the url instead";
}

TEST(S_VISITDETAIL, LocationParts) {
    struct Case {
        const char* location;
        const char* p0;
        const char* p1;
        const char* p2;
        const char* company;
        const char* e0;
        const char* e1;
        const char* what;
    };
    const Case cases[] = {
        {"Leeds|West Yorkshire|UK|Acme Ltd|53.8,-1.5", "Leeds", "West Yorkshire", "UK", "Acme Ltd",
         "53.8", "-1.5", "full"},
        {"Leeds", "Leeds", "", "", "", "", "", "one part"},
        {"a|b|c|d|e", "a", "b", "c", "d", "e", "", "no comma in part 4"},
        {"a|b|c|d|1,2,3|f", "a", "b", "c", "d", "1", "2", "extra parts ignored"},
        {"", "", "", "", "", "", "", "empty"},
    };
    for (const Case& c : cases) {
        const S_VISITDETAIL m(
            TavoroMessage(MK_VISITDETAIL, "S1:ip:t\n" + detailLine(37, {{4, c.location}})));
        EXPECT_EQ(m.locationPart0(), c.p0) << c.what;
        EXPECT_EQ(m.locationPart1(), c.p1) << c.what;
        EXPECT_EQ(m.locationPart2(), c.p2) << c.what;
        EXPECT_EQ(m.company(), c.company) << c.what;
        EXPECT_EQ(m.extra0(), c.e0) << c.what;
        EXPECT_EQ(m.extra1(), c.e1) << c.what;
    }
}

// ---------------------------------------------------------------- "@PREVVISITS", "@PREVCHATS"

TEST(S_PREVVISITS, Table) {
    struct Case {
        wxString data;
        std::vector<wxString> numbers;
        const char* what;
    };
    const Case cases[] = {
        {"S1:ip:t\n1\tx\td" + ESC + "2\tx\td", {"1", "2"}, "two visits"},
        {"S1:ip:t\n1\tx\td" + ESC, {"1"}, "trailing ESC adds none"},
        {"S1:ip:t\n", {}, "empty line 1"},
        {"S1:ip:t", {}, "no line 1"},
        {"S1:ip:t\n" + ESC + "2", {"", "2"}, "empty visit first"},
    };
    for (const Case& c : cases) {
        const S_PREVVISITS m(TavoroMessage(MK_PREVVISITS, c.data));
        EXPECT_EQ(m.site(), "S1") << c.what;
        EXPECT_EQ(m.ipAddress(), "ip") << c.what;
        EXPECT_EQ(m.keyTail(), "t") << c.what;
        ASSERT_EQ(m.visits().size(), c.numbers.size()) << c.what;
        for (size_t i = 0; i < c.numbers.size(); ++i) {
            EXPECT_EQ(m.visits()[i].visitNumber, c.numbers[i]) << c.what;
        }
    }
}

TEST(S_PREVCHATS, Table) {
    const wxString chat1 = "2024-01-02 10:00\tAnn\tc17\tbob\tSales\t3725";
    const wxString chat2 = "2024-01-03 11:00\tAnn\tc18\teve\tSupport\t59";
    struct Case {
        wxString data;
        std::vector<wxString> ids;
        const char* what;
    };
    const Case cases[] = {
        {"S1:ip\n" + chat1 + ESC + chat2, {"c17", "c18"}, "two chats"},
        {"S1:ip\n", {}, "empty line 1: count 0"},
        {"S1:ip\n" + chat1 + ESC, {"c17"}, "trailing ESC adds none"},
    };
    for (const Case& c : cases) {
        const S_PREVCHATS m(TavoroMessage(MK_PREVCHATS, c.data));
        EXPECT_EQ(m.site(), "S1") << c.what;
        EXPECT_EQ(m.ipAddress(), "ip") << c.what;
        ASSERT_EQ(m.count(), static_cast<int32_t>(c.ids.size())) << c.what;
        for (size_t i = 0; i < c.ids.size(); ++i) {
            EXPECT_EQ(m.chats()[i].chatId, c.ids[i]) << c.what;
        }
    }
    const S_PREVCHATS m(TavoroMessage(MK_PREVCHATS, "S1:ip\n" + chat1));
    EXPECT_EQ(m.chats()[0].duration, "1:2:5");
}

}  // namespace
