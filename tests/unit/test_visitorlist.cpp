#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <utility>
#include <vector>

#include "messages/S_CV.h"
#include "messages/S_EV.h"
#include "messages/TavoroMessage.h"
#include "types/KeyedHash.h"
#include "types/VisitorList.h"

using namespace Tavoro::Messages;
using namespace Tavoro::Types;

namespace {

const wxString ESC(wxUniChar(27));

// A full visitor line (22 fields) with the given key parts, number and username.
wxString visitor(const wxString& site, const wxString& ip, const wxString& number,
                 const wxString& username = "u", const wxString& tail = "t") {
    wxString line;
    line << site << ':' << ip << ':' << tail << '\t' << number;
    for (unsigned i = 2; i < 22; ++i) {
        line << '\t';
        if (i == 8) {
            line << username;
        } else if (i == 14) {
            line << "NNNNNNNNNNNNN";
        } else {
            line << 'x' << i;
        }
    }
    return line;
}

wxString keyOf(const wxString& site, const wxString& ip, const wxString& tail = "t") {
    return site + ":" + ip + ":" + tail;
}

wxString cvData(std::initializer_list<wxString> lines) {
    wxString data;
    bool first = true;
    for (const wxString& l : lines) {
        if (!first)
            data << ESC;
        data << l;
        first = false;
    }
    return data;
}

void fullList(VisitorList& list, const wxString& data) {
    S_CV(TavoroMessage(MK_CV, data), list);
}

VisitorList::EventOutcome event(VisitorList& list, const wxString& line) {
    return list.applyEvent(S_EV(TavoroMessage(MK_EV, line)));
}

std::vector<wxString> usernames(const VisitorList& list) {
    std::vector<wxString> out;
    for (const VisitorType& v : list)
        out.push_back(v.username());
    return out;
}

using Names = std::vector<wxString>;

// ---------------------------------------------------------------- "@CV"

TEST(VisitorListCV, Table) {
    struct Case {
        wxString data;
        Names order;
        std::map<wxString, int32_t> counts;
        const char* what;
    };
    const Case cases[] = {
        {cvData({visitor("S1", "a", "1", "ann"), visitor("S1", "b", "2", "bob"),
                 visitor("S2", "c", "3", "cy")}),
         {"ann", "bob", "cy"},
         {{"S1", 2}, {"S2", 1}},
         "two of S1 and one of S2, in order"},
        {"", {}, {}, "empty list: no visitors, no counts"},
        {cvData({visitor("S1", "a", "1", "ann"), ""}),
         {"ann"},
         {{"S1", 1}},
         "trailing ESC adds no visitor"},
        {cvData({visitor("S1", "a", "1", "ann"), "", visitor("S1", "b", "2", "bob")}),
         {"ann", "", "bob"},
         {{"S1", 2}, {"", 1}},
         "two ESC in a row give an empty visitor"},
        {cvData({"too\tshort", visitor("S1", "a", "1", "ann")}),
         {"", "ann"},
         {{"S1", 1}, {"", 1}},
         "short record gives an empty visitor"},
        {cvData({visitor("S1", "a", "1", "ann"), visitor("S1", "a", "1", "dup")}),
         {"ann", "dup"},
         {{"S1", 2}},
         "duplicates are both listed"},
    };
    for (const Case& c : cases) {
        VisitorList list;
        fullList(list, c.data);
        EXPECT_EQ(usernames(list), c.order) << c.what;
        EXPECT_EQ(list.siteCounts(), c.counts) << c.what;
        EXPECT_TRUE(list.isConsistent()) << c.what;
    }
}

// The counts of a replaced list are rebuilt, not added on top of the old ones.
TEST(VisitorListCV, ReplacingTheListRebuildsTheCounts) {
    VisitorList list;
    fullList(list, cvData({visitor("S1", "a", "1"), visitor("S1", "b", "2")}));
    fullList(list, cvData({visitor("S1", "c", "3"), visitor("S2", "d", "4")}));
    EXPECT_EQ(list.size(), 2u);
    EXPECT_EQ(list.siteCount("S1"), 1) << "not 3: the removed visitors are taken back";
    EXPECT_EQ(list.siteCount("S2"), 1);

    fullList(list, "");
    EXPECT_TRUE(list.empty());
    EXPECT_EQ(list.siteCount("S1"), 0) << "an empty list leaves no count behind";
    EXPECT_TRUE(list.siteCounts().empty());
    EXPECT_TRUE(list.isConsistent());
}

TEST(VisitorListCV, OldVisitorsAreNoLongerFound) {
    VisitorList list;
    fullList(list, visitor("S1", "a", "1"));
    fullList(list, visitor("S2", "b", "2"));
    EXPECT_EQ(list.findByKey(keyOf("S1", "a")), nullptr);
    EXPECT_EQ(list.findByIdentity("S1", "1"), nullptr);
    EXPECT_NE(list.findByKey(keyOf("S2", "b")), nullptr);
}

// ---------------------------------------------------------------- "@EV"

TEST(VisitorListEV, UpdatesTheVisitorWithSameSiteAndNumber) {
    VisitorList list;
    fullList(list, cvData({visitor("S1", "a", "1", "ann"), visitor("S1", "b", "2", "bob")}));
    const auto outcome = event(list, visitor("S1", "a", "2", "bobby"));
    EXPECT_FALSE(outcome.added);
    EXPECT_EQ(outcome.previousKey, keyOf("S1", "b"));
    ASSERT_NE(outcome.visitor, nullptr);
    EXPECT_EQ(outcome.visitor->username(), "bobby");
    EXPECT_EQ(usernames(list), (Names{"ann", "bobby"})) << "updated in place, order kept";
    EXPECT_EQ(list.siteCount("S1"), 2) << "an update does not count";
    // The key changed with the update: the old key no longer finds it, the new one does.
    EXPECT_EQ(list.findByKey(keyOf("S1", "b")), nullptr);
    EXPECT_EQ(list.findByKey(keyOf("S1", "a")), list.findByIdentity("S1", "1"))
        << "first of the two visitors now sharing key S1:a:t";
    EXPECT_TRUE(list.isConsistent());
}

TEST(VisitorListEV, AddsWhenNoVisitorMatches) {
    struct Case {
        wxString line;
        bool added;
        int32_t s1, s2;
        const char* what;
    };
    const Case cases[] = {
        {visitor("S1", "z", "1", "new"), false, 1, 0, "same site and number: update"},
        {visitor("S2", "a", "1", "new"), true, 1, 1, "same number, other site: new visitor"},
        {visitor("S1", "a", "01", "new"), true, 2, 0, "number texts compare as text"},
        {visitor("s1", "a", "1", "new"), true, 1, 0, "site keys are case-sensitive"},
    };
    for (const Case& c : cases) {
        VisitorList list;
        fullList(list, visitor("S1", "a", "1", "old"));
        const auto outcome = event(list, c.line);
        EXPECT_EQ(outcome.added, c.added) << c.what;
        EXPECT_EQ(list.siteCount("S1"), c.s1) << c.what;
        EXPECT_EQ(list.siteCount("S2"), c.s2) << c.what;
        EXPECT_EQ(list.size(), c.added ? 2u : 1u) << c.what;
        EXPECT_EQ(list.begin()->username(), c.added ? "old" : "new") << c.what;
        EXPECT_TRUE(list.isConsistent()) << c.what;
    }
}

// The first `fields` TAB-separated fields of a line.
wxString firstFields(const wxString& line, unsigned fields) {
    wxString cut;
    unsigned tabsSeen = 0;
    for (wxUniChar ch : line) {
        if (ch == '\t' && ++tabsSeen == fields)
            break;
        cut << ch;
    }
    return cut;
}

TEST(VisitorListEV, SeventeenFieldEventIsParsed) {
    wxString line = visitor("S1", "a", "5", "ann");
    // Cut to 17 fields: a visitor line of that length would be empty, an event is not.
    const wxString cut = firstFields(line, 17);
    VisitorList list;
    const auto outcome = event(list, cut);
    EXPECT_TRUE(outcome.added);
    EXPECT_EQ(outcome.visitor->username(), "ann");
    EXPECT_EQ(outcome.visitor->number(), 5);
    EXPECT_EQ(outcome.visitor->location(), "");
    EXPECT_TRUE(VisitorType(cut).username().empty()) << "the same text as a visitor line";

    const S_EV tooShort(TavoroMessage(MK_EV, "a\tb\tc"));
    EXPECT_TRUE(tooShort.site().empty());
    EXPECT_TRUE(tooShort.visitorKey().empty());
}

TEST(VisitorListEV, SixteenFieldEventIsTooShort) {
    // One field fewer than the shortest event: nothing is taken from it, so the window
    // ignores it (an empty visitor key).
    const wxString cut = firstFields(visitor("S1", "a", "5", "ann"), 16);
    ASSERT_EQ(cut.Freq('\t'), 15u);
    const S_EV event(TavoroMessage(MK_EV, cut));
    EXPECT_TRUE(event.visitorKey().empty());
    EXPECT_TRUE(event.site().empty());
    EXPECT_TRUE(event.username().empty());
    EXPECT_EQ(event.number(), S_EV(TavoroMessage(MK_EV, "")).number());
}

TEST(VisitorListEV, UpdateDerivesStatusAndKeywordsAgain) {
    VisitorList list;
    fullList(list, visitor("S1", "a", "1"));
    wxString line = visitor("S1", "a", "1");
    line.Replace("NNNNNNNNNNNNN", "NNNYNNNNNNNNN");
    line.Replace("x20", "http://e/?q=blue+hat");
    event(list, line);
    const VisitorType* v = list.findByIdentity("S1", "1");
    ASSERT_NE(v, nullptr);
    EXPECT_EQ(v->status(), VisitorType::STATUS_FLAG3);
    EXPECT_EQ(v->searchKeywords(), "blue hat");
}

// With duplicates, the first listed visitor is the one updated, and it stays first.
TEST(VisitorListEV, DuplicatesUpdateTheFirstOne) {
    VisitorList list;
    fullList(list, cvData({visitor("S1", "a", "1", "first"), visitor("S1", "b", "1", "second")}));
    event(list, visitor("S1", "c", "1", "updated"));
    EXPECT_EQ(usernames(list), (Names{"updated", "second"}));
    event(list, visitor("S1", "d", "1", "again"));
    EXPECT_EQ(usernames(list), (Names{"again", "second"}));
    EXPECT_TRUE(list.isConsistent());
}

// An event kept by the caller is copied into the list, one handed over is taken over; both give
// the same list, and the handed-over event is left empty rather than pointing into text the
// list now owns.
TEST(VisitorListEV, KeptAndHandedOverEventsGiveTheSameList) {
    const wxString lines[] = {
        visitor("S1", "a", "1", "ann"),    // added
        visitor("S2", "b", "2", "bob"),    // added
        visitor("S1", "c", "1", "annie"),  // updated, key changes
        visitor("S2", "b", "2", "bobby"),  // updated, same key
    };
    VisitorList kept;
    VisitorList handedOver;
    for (const wxString& line : lines) {
        const S_EV keptEvent(TavoroMessage(MK_EV, line));
        const auto keptOutcome = kept.applyEvent(keptEvent);
        EXPECT_EQ(keptEvent, S_EV(TavoroMessage(MK_EV, line))) << "a kept event is unchanged";

        S_EV event(TavoroMessage(MK_EV, line));
        const auto outcome = handedOver.applyEvent(std::move(event));
        EXPECT_EQ(outcome.added, keptOutcome.added) << line;
        EXPECT_EQ(outcome.previousKey, keptOutcome.previousKey) << line;
        EXPECT_EQ(*outcome.visitor, *keptOutcome.visitor) << line;
        EXPECT_EQ(static_cast<const VisitorFields&>(event), VisitorFields()) << line;
        EXPECT_TRUE(event.fieldView(8).empty()) << line;
    }
    EXPECT_EQ(usernames(handedOver), (Names{"annie", "bobby"}));
    EXPECT_TRUE(std::equal(kept.begin(), kept.end(), handedOver.begin(), handedOver.end()));
    EXPECT_EQ(handedOver.siteCounts(), kept.siteCounts());
    EXPECT_NE(handedOver.findByKey(keyOf("S1", "c")), nullptr);
    EXPECT_TRUE(handedOver.isConsistent());
}

// ---------------------------------------------------------------- "@ER"

TEST(VisitorListER, RemovesTheFirstVisitorWithTheKey) {
    VisitorList list;
    fullList(list, cvData({visitor("S1", "a", "1", "ann"), visitor("S1", "b", "2", "bob"),
                           visitor("S1", "a", "3", "dup"), visitor("S2", "c", "4", "cy")}));
    auto removed = list.removeByKey(keyOf("S1", "a"));
    ASSERT_NE(removed, nullptr);
    EXPECT_EQ(removed->username(), "ann");
    EXPECT_EQ(usernames(list), (Names{"bob", "dup", "cy"}));
    EXPECT_EQ(list.siteCount("S1"), 2);
    EXPECT_EQ(list.findByKey(keyOf("S1", "a"))->username(), "dup") << "next duplicate is found";
    EXPECT_EQ(list.findByIdentity("S1", "1"), nullptr);

    removed = list.removeByKey(keyOf("S2", "c"));
    ASSERT_NE(removed, nullptr);
    EXPECT_EQ(list.siteCount("S2"), 0);
    EXPECT_EQ(list.siteCounts().count("S2"), 0u) << "a site at 0 has no entry";
    EXPECT_TRUE(list.isConsistent());
}

TEST(VisitorListER, UnknownKeyChangesNothing) {
    VisitorList list;
    fullList(list, cvData({visitor("S1", "a", "1"), visitor("S2", "b", "2")}));
    const auto countsBefore = list.siteCounts();
    for (const wxString& key : {wxString("S1:a"), wxString("S1:a:t:x"), wxString(""),
                                wxString("s1:a:t"), keyOf("S3", "a")}) {
        EXPECT_EQ(list.removeByKey(key), nullptr) << key;
    }
    EXPECT_EQ(list.size(), 2u);
    EXPECT_EQ(list.siteCounts(), countsBefore);
}

TEST(VisitorListER, EmptyVisitorIsRemovedByTheEmptyKey) {
    VisitorList list;
    fullList(list, cvData({"", visitor("S1", "a", "1")}));
    EXPECT_EQ(list.siteCount(""), 1);
    EXPECT_NE(list.removeByKey(""), nullptr);
    EXPECT_EQ(list.siteCount(""), 0);
    EXPECT_EQ(list.size(), 1u);
}

// ---------------------------------------------------------------- against a plain model

// The same operations on a plain vector searched from the front: what the indexes must match.
struct PlainModel {
    struct Row {
        wxString site, number, key, username;
    };
    std::vector<Row> rows;

    void event(const Row& r) {
        for (Row& row : rows) {
            if (row.site == r.site && row.number == r.number) {
                row = r;
                return;
            }
        }
        rows.push_back(r);
    }
    void remove(const wxString& key) {
        for (auto it = rows.begin(); it != rows.end(); ++it) {
            if (it->key == key) {
                rows.erase(it);
                return;
            }
        }
    }
    std::map<wxString, int32_t> counts() const {
        std::map<wxString, int32_t> c;
        for (const Row& r : rows)
            ++c[r.site];
        return c;
    }
};

TEST(VisitorListModel, RandomEventsMatchAPlainList) {
    std::mt19937 rng(12345);
    // Few sites, numbers and addresses, so that duplicates and key changes are frequent.
    auto pick = [&](int n) { return static_cast<int>(rng() % static_cast<unsigned>(n)); };
    VisitorList list;
    PlainModel model;
    for (int step = 0; step < 4000; ++step) {
        const wxString site = wxString::Format("S%d", pick(3));
        const wxString ip = wxString::Format("ip%d", pick(4));
        const wxString number = wxString::Format("%d", pick(6));
        const wxString user = wxString::Format("u%d", step);
        const int op = pick(10);
        if (op < 5) {
            event(list, visitor(site, ip, number, user));
            model.event({site, number, keyOf(site, ip), user});
        } else if (op < 9) {
            list.removeByKey(keyOf(site, ip));
            model.remove(keyOf(site, ip));
        } else {
            // An occasional full list, with duplicates in it.
            wxString data;
            model.rows.clear();
            const int n = pick(8);
            for (int i = 0; i < n; ++i) {
                const wxString s = wxString::Format("S%d", pick(3));
                const wxString a = wxString::Format("ip%d", pick(4));
                const wxString num = wxString::Format("%d", pick(6));
                const wxString u = wxString::Format("cv%d_%d", step, i);
                data << (i ? ESC : wxString()) << visitor(s, a, num, u);
                model.rows.push_back({s, num, keyOf(s, a), u});
            }
            fullList(list, data);
        }
        Names expected;
        for (const auto& r : model.rows)
            expected.push_back(r.username);
        ASSERT_EQ(usernames(list), expected) << "step " << step;
        ASSERT_EQ(list.siteCounts(), model.counts()) << "step " << step;
        ASSERT_TRUE(list.isConsistent()) << "step " << step;
    }
}

}  // namespace

// ---------------------------------------------------------------- keyed hash

namespace {

// Reference vectors of SipHash-2-4: key 00..0f, message 00..(n-1).
TEST(KeyedHash, SipHashKnownAnswers) {
    unsigned char message[64];
    for (unsigned i = 0; i < 64; ++i)
        message[i] = static_cast<unsigned char>(i);
    const uint64_t k0 = 0x0706050403020100ULL;
    const uint64_t k1 = 0x0f0e0d0c0b0a0908ULL;
    EXPECT_EQ(Tavoro::Types::sipHash24(message, 0, k0, k1), 0x726fdb47dd0e0e31ULL);
    EXPECT_EQ(Tavoro::Types::sipHash24(message, 7, k0, k1), 0xab0200f58b01d137ULL);
    EXPECT_EQ(Tavoro::Types::sipHash24(message, 8, k0, k1), 0x93f5f5799a932462ULL);
    EXPECT_EQ(Tavoro::Types::sipHash24(message, 15, k0, k1), 0xa129ca6149be45e5ULL);
    EXPECT_EQ(Tavoro::Types::sipHash24(message, 63, k0, k1), 0x958a324ceb064572ULL);
}

TEST(KeyedHash, SameTextSameHash) {
    using Tavoro::Types::keyedHash;
    EXPECT_EQ(keyedHash("S1:1.2.3.4:k"), keyedHash(std::string("S1:1.2.3.4:k")));
    EXPECT_NE(keyedHash("S1:1.2.3.4:k"), keyedHash("S1:1.2.3.4:l"));
    EXPECT_NE(keyedHash(""), keyedHash(std::string_view("\0", 1)));
}

}  // namespace

namespace {

// Characters above U+00FF arrive only in the STX hexadecimal form of the envelope.
TEST(VisitorListCV, WideCharactersThroughTheHexForm) {
    const wxString name(L"\u674e\u96f7");
    const wxString text = "@CV:" + visitor("S1", "a", "1", name) + ESC + visitor("S2", "b", "2");
    wxString hex(wxUniChar(2));
    for (wxUniChar c : text)
        hex << wxString::Format("%04X", static_cast<unsigned>(c.GetValue()));
    const TavoroMessage message(hex);
    ASSERT_EQ(message.kind(), MK_CV);
    VisitorList list;
    S_CV(message, list);
    ASSERT_EQ(list.size(), 2u);
    EXPECT_EQ(list.begin()->username(), name);
    EXPECT_EQ(list.siteCount("S2"), 1);
}

}  // namespace

// A visitor whose key changes with an update (a visitor who logs in, say) is still found by
// its new key when it leaves, and no longer by its old one.
TEST(VisitorListEvents, ChangedKeyIsFollowedUntilTheVisitorLeaves) {
    VisitorList list;
    fullList(list, cvData({visitor("S1", "a", "1", "ann", "t")}));
    event(list, visitor("S1", "b", "2", "bob", "t"));
    const auto outcome = event(list, visitor("S1", "b", "2", "bob", "t2"));
    EXPECT_FALSE(outcome.added);
    EXPECT_EQ(outcome.previousKey, keyOf("S1", "b", "t"));
    EXPECT_EQ(list.findByKey(keyOf("S1", "b", "t")), nullptr);
    ASSERT_NE(list.findByKey(keyOf("S1", "b", "t2")), nullptr);
    EXPECT_NE(list.removeByKey(keyOf("S1", "b", "t2")), nullptr);
    EXPECT_EQ(list.size(), 1u);
    EXPECT_EQ(list.siteCount("S1"), 1);
    EXPECT_TRUE(list.isConsistent());
}

// Lookups by texts above Latin-1 find the visitors whose lines carried them.
TEST(VisitorListEvents, WideKeysAreFoundUpdatedAndRemoved) {
    const wxString site(L"\u5e97"), ip(L"\u00e9"), tail(L"\U0001F600");
    VisitorList list;
    fullList(list, cvData({visitor(site, ip, "1", "ann", tail), visitor("S1", "a", "2")}));
    EXPECT_EQ(list.siteCount(site), 1);
    ASSERT_NE(list.findByIdentity(site, "1"), nullptr);
    ASSERT_NE(list.findByKey(keyOf(site, ip, tail)), nullptr);
    EXPECT_FALSE(event(list, visitor(site, ip, "1", L"\u674e", tail)).added);
    EXPECT_EQ(list.findByKey(keyOf(site, ip, tail))->username(), wxString(L"\u674e"));
    EXPECT_NE(list.removeByKey(keyOf(site, ip, tail)), nullptr);
    EXPECT_EQ(list.siteCount(site), 0);
    EXPECT_EQ(list.size(), 1u);
    EXPECT_TRUE(list.isConsistent());
}
