#include <gtest/gtest.h>

#include "messages/S_CLIENTS.h"
#include "messages/S_DS.h"
#include "messages/S_SD.h"
#include "messages/S_SS.h"
#include "messages/TavoroMessage.h"

using namespace Tavoro::Messages;

namespace {

const wxString ESC(wxUniChar(27));

wxString summary(const wxString& site) {
    wxString line = site;
    for (unsigned i = 1; i < 25; ++i)
        line << '\t' << i;
    return line + "\ta|b|c|d|e|f|g|h";
}

// ---------------------------------------------------------------- "@DS"

TEST(S_DS, Table) {
    struct Case {
        wxString data;
        std::vector<wxString> sites;
        const char* what;
    };
    const Case cases[] = {
        {"", {}, "empty: no summaries"},
        {summary("S1"), {"S1"}, "one site"},
        {summary("S1") + ESC + summary("S2"), {"S1", "S2"}, "two sites in order"},
        {summary("S1") + ESC, {"S1"}, "trailing ESC adds none"},
        {summary("S1") + ESC + ESC + summary("S2"), {"S1", "", "S2"}, "empty record in between"},
        {"S1\t2\t3", {""}, "short record: empty summary"},
    };
    for (const Case& c : cases) {
        const S_DS m(TavoroMessage(MK_DS, c.data));
        ASSERT_EQ(m.count(), static_cast<int32_t>(c.sites.size())) << c.what;
        for (size_t i = 0; i < c.sites.size(); ++i) {
            EXPECT_EQ(m.summaries()[i].site, c.sites[i]) << c.what;
        }
    }
    const S_DS one(TavoroMessage(MK_DS, summary("S1")));
    EXPECT_EQ(one.summaries()[0].currentVisitors, "2");
    EXPECT_EQ(one.summaries()[0].alertTotals.size(), 1u);
}

// ---------------------------------------------------------------- "@SD"

TEST(S_SD, Table) {
    struct Case {
        wxString data;
        const char* key;
        const char* domain;
        bool flag5;
        std::vector<wxString> alertIds;
        const char* what;
    };
    const Case cases[] = {
        {"S1\tShop\tshop.example\tG1\tRetail\tY\t1|Hot|255|3" + ESC + "2|Cold|0|1",
         "S1",
         "shop.example",
         true,
         {"1", "2"},
         "two alerts in order"},
        {"S1\tShop\tshop.example\tG1\tRetail\tN\t",
         "S1",
         "shop.example",
         false,
         {},
         "7 fields, empty field 6: no alerts"},
        {"S1\tShop\tshop.example\tG1\tRetail\tN", "", "", false, {}, "6 fields: all empty"},
        {"S1\tShop\tshop.example\tG1\tRetail\tTrue\t1|Hot|255|3" + ESC,
         "S1",
         "shop.example",
         true,
         {"1", ""},
         "trailing ESC keeps an empty alert"},
        {"S1\tShop\td\tG1\tRetail\t1\tx", "S1", "d", true, {""}, "short alert record is empty"},
        {"S1\tShop\td\tG1\tRetail\ttrue\t", "S1", "d", false, {}, "flag forms are case-sensitive"},
    };
    for (const Case& c : cases) {
        const S_SD m(TavoroMessage(MK_SD, c.data));
        EXPECT_EQ(m.siteKey(), c.key) << c.what;
        EXPECT_EQ(m.domain(), c.domain) << c.what;
        EXPECT_EQ(m.flag5(), c.flag5) << c.what;
        ASSERT_EQ(m.alertCount(), static_cast<int32_t>(c.alertIds.size())) << c.what;
        for (size_t i = 0; i < c.alertIds.size(); ++i) {
            EXPECT_EQ(m.alerts()[i].alertId, c.alertIds[i]) << c.what;
        }
    }
    const S_SD m(TavoroMessage(
        MK_SD, "S1\tShop\tshop.example\tG1\tRetail\tY\t1|Hot|255|3" + ESC + "2|Cold|0|1"));
    EXPECT_EQ(m.siteName(), "Shop");
    EXPECT_EQ(m.groupKey(), "G1");
    EXPECT_EQ(m.groupName(), "Retail");
    ASSERT_NE(m.findAlert("2"), nullptr);
    EXPECT_EQ(m.findAlert("2")->iconFileName, "Blue Flag.ico");
    EXPECT_EQ(m.findAlert("3"), nullptr);
}

// ---------------------------------------------------------------- "@SS"

TEST(S_SS, NameTable) {
    const char* names[] = {"Group",
                           "Domain",
                           "Name",
                           "SiteKey",
                           "GatewayAddress",
                           "GatewayAddressSSL",
                           "HomePage",
                           "GmtBiasUseDefault",
                           "GmtBias",
                           "ChatOnLineGraphic",
                           "ChatOffLineGraphic",
                           "ChatInviteGraphic",
                           "ChatInviteCustomGraphic",
                           "ChatWarningGraphic",
                           "ChatLogoGraphic"};
    for (int32_t i = 0; i < 15; ++i) {
        EXPECT_EQ(S_SS::numberOfName(names[i]), i + 1) << names[i];
    }
    EXPECT_EQ(S_SS::numberOfName("name"), 0) << "case-sensitive";
    EXPECT_EQ(S_SS::numberOfName(""), 0);
}

TEST(S_SS, Values) {
    S_SS m(TavoroMessage(MK_SS, "S1\nName=Shop\nGmtBias=-60\nGmtBiasUseDefault=False"));
    EXPECT_EQ(m.header(), "S1");
    EXPECT_EQ(m.textValue(S_SS::SS_NAME), "Shop");
    EXPECT_EQ(m.intValue(S_SS::SS_GMT_BIAS), -60);
    EXPECT_FALSE(m.boolValue(S_SS::SS_GMT_BIAS_USE_DEFAULT));

    struct Case {
        const char* line;
        int32_t number;
        const char* text;
        long asInt;
        bool asBool;
        const char* what;
    };
    const Case cases[] = {
        {"GmtBiasUseDefault=True", 8, "True", 0, true, "True is true"},
        {"GmtBiasUseDefault=true", 8, "true", 0, false, "lower case is false"},
        {"GmtBias=12abc", 9, "12abc", 12, false, "leading digits"},
        {"GmtBias=", 9, "", 0, false, "empty value"},
        {"Name", 3, "", 0, false, "no = gives an empty value"},
        {"HomePage=http://x/?a=b", 7, "http://x/?a", 0, false, "value cut at a second ="},
        {"=orphan", 0, "orphan", 0, false, "empty name is number 0"},
    };
    for (const Case& c : cases) {
        S_SS s(TavoroMessage(MK_SS, wxString("S1\n") + c.line));
        EXPECT_EQ(s.textValue(c.number), c.text) << c.what;
        EXPECT_EQ(s.intValue(c.number), c.asInt) << c.what;
        EXPECT_EQ(s.boolValue(c.number), c.asBool) << c.what;
    }
}

TEST(S_SS, UnknownNamesShareNumberZero) {
    S_SS m(TavoroMessage(MK_SS, "S1\nColour=red\nSize=3\nName=A\nName=B"));
    EXPECT_EQ(m.textValue(0), "3") << "the last unknown name wins";
    EXPECT_EQ(m.textValue(S_SS::SS_NAME), "B") << "a repeated name replaces the value";
    EXPECT_EQ(m.values().size(), 2u);
    EXPECT_EQ(S_SS::numberOfName("Colour"), 0) << "names from the server are not added";
}

TEST(S_SS, ReadEntersAMissingNumber) {
    S_SS m(TavoroMessage(MK_SS, "S1\nName=Shop"));
    EXPECT_EQ(m.values().size(), 1u);
    EXPECT_EQ(m.textValue(S_SS::SS_DOMAIN), "");
    EXPECT_EQ(m.values().size(), 2u);
    EXPECT_EQ(m.values().count(S_SS::SS_DOMAIN), 1u);
    EXPECT_EQ(m.intValue(S_SS::SS_GMT_BIAS), 0);
    EXPECT_FALSE(m.boolValue(S_SS::SS_GMT_BIAS_USE_DEFAULT));
    EXPECT_EQ(m.values().size(), 4u);

    m.setTextValue(S_SS::SS_NAME, "Other");
    EXPECT_EQ(m.textValue(S_SS::SS_NAME), "Other");
}

TEST(S_SS, EmptyData) {
    S_SS m(TavoroMessage(MK_SS, ""));
    EXPECT_EQ(m.header(), "");
    EXPECT_TRUE(m.values().empty());
}

// ---------------------------------------------------------------- "@CLIENTS"

TEST(S_CLIENTS, Table) {
    const wxString bob = "7\t1.1.1.1\tBob\tSales\t0\ten\tbob";
    const wxString eve = "8\t2.2.2.2\tEve\tSupport\t1\tfr";
    struct Case {
        wxString data;
        std::vector<wxString> names;
        const char* what;
    };
    const Case cases[] = {
        {bob + ESC + "1\t2\t3\t4\t5" + ESC + eve,
         {"Bob", "", "Eve"},
         "5-field record in the middle is an empty operator"},
        {"", {}, "nobody logged in"},
        {bob + ESC, {"Bob"}, "trailing ESC adds none"},
    };
    for (const Case& c : cases) {
        const S_CLIENTS m(TavoroMessage(MK_CLIENTS, c.data));
        ASSERT_EQ(m.count(), static_cast<int32_t>(c.names.size())) << c.what;
        for (size_t i = 0; i < c.names.size(); ++i) {
            EXPECT_EQ(m.operators()[i].name, c.names[i]) << c.what;
        }
    }
    const S_CLIENTS m(TavoroMessage(MK_CLIENTS, bob + ESC + eve));
    ASSERT_NE(m.findByConnection("8"), nullptr);
    EXPECT_EQ(m.findByConnection("8")->statusText, "Busy");
    EXPECT_EQ(m.findByConnection("8")->username, "");
    EXPECT_EQ(m.findByConnection("9"), nullptr);
}

}  // namespace
