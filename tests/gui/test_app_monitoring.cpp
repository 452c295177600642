// The monitoring side of the main window against a scripted server on loopback: sites into
// the tree, visitors into the grid, live events, and the requests that drive the conversation.
#include <gtest/gtest.h>

#include <wx/grid.h>
#include <wx/notebook.h>
#include <wx/srchctrl.h>
#include <wx/stattext.h>
#include <wx/weakref.h>

#include <algorithm>
#include <string>
#include <vector>

#include "app/SiteTreeView.h"
#include "app/TavoroClientFrame.h"
#include "app/UiPrompts.h"
#include "dialog/VisitDetail.h"
#include "net/ConnectionThread.h"
#include "support/FrameTestUtil.h"
#include "support/GuiTestUtil.h"
#include "support/LoopbackServer.h"
#include "support/TempDir.h"
#include "types/VisitorType.h"
#include "widgets/DaySummaryView.h"
#include "widgets/VisitorGrid.h"

using namespace Tavoro;
using Tavoro::Test::LoopbackServer;
using Tavoro::Test::waitFor;

namespace {

const std::string ESC = "\x1b";
const std::string NUL(1, '\0');

// A visitor line of the wire format: 22 TAB-separated fields.
std::string visitor(const std::string& site, const std::string& number, const std::string& user,
                    const std::string& flags = "NNNNNNNNNNNNN") {
    std::vector<std::string> f(22);
    f[0] = site + ":10.0.0." + number + ":t" + number;
    f[1] = number;
    f[2] = "1";
    f[4] = "3";
    f[6] = "host" + number + ".example";
    f[8] = user;
    f[9] = "/index.html";
    f[11] = "10:05";
    f[12] = "Firefox";
    f[13] = "Linux";
    f[14] = flags;
    f[19] = "Leeds|Yorkshire|UK|ISP|1,2";
    f[20] = "http://search.example/?q=blue+shoes";
    f[21] = "10:00";
    std::string line;
    for (size_t i = 0; i < f.size(); ++i)
        line += (i ? "\t" : "") + f[i];
    return line;
}

std::string summary(const std::string& site) {
    std::string s = site;
    for (int i = 1; i < 30; ++i)
        s += "\t" + std::to_string(i);
    return s;
}

std::string siteDetails(const std::string& key, const std::string& name,
                        const std::string& groupKey, const std::string& groupName) {
    return "@SD:" + key + "\t" + name + "\t" + key + ".example\t" + groupKey + "\t" + groupName +
           "\tN\t1|Hot|255|3" + NUL;
}

class MonitoringTest : public ::testing::Test {
  protected:
    void SetUp() override {
        UiPrompts::messageBox = [](wxWindow*, const wxString&, const wxString&, long) {
            return wxOK;
        };
        Tavoro::Test::useSettingsFile(dir, "[General]\nServerDNSIP=127.0.0.1\nClientPortNumber=" +
                                               std::to_string(server.port()) + "\n");
        frame = new TavoroClientFrame(nullptr, wxID_ANY);
        weak = frame;
        frame->Show();
        connect();
    }
    void TearDown() override {
        if (weak) {
            weak->Destroy();
            EXPECT_TRUE(waitFor([&] { return !weak; }));
        }
        UiPrompts::messageBox = nullptr;
    }
    void connect() {
        frame->connectToServer();
        ASSERT_TRUE(server.accept());
        ASSERT_TRUE(waitFor([&] { return frame->session().hasConnection(); }));
    }
    std::vector<std::string> sentFrames(size_t atLeast, int ms = 3000) {
        return reader.next(atLeast, ms);
    }
    void loadSites() {
        server.send("@DS:" + summary("A") + ESC + summary("B") + ESC + summary("C") + NUL);
        EXPECT_EQ(sentFrames(4),
                  (std::vector<std::string>{"@GETSD:A", "@GETSD:B", "@GETSD:C", "@GET"}));
        server.send(siteDetails("A", "Alpha", "G1", "Group One") +
                    siteDetails("B", "Beta", "G1", "Another Name") +
                    siteDetails("C", "Gamma", "", ""));
        ASSERT_TRUE(waitFor([&] { return frame->session().sites().size() == 3; }));
    }
    void loadVisitors() {
        server.send("@CV:" + visitor("A", "1", "ann") + ESC + visitor("A", "2", "al") + ESC +
                    visitor("A", "3", "abe") + ESC + visitor("C", "4", "cy") + NUL);
        EXPECT_EQ(sentFrames(1), std::vector<std::string>{"@STARTEVENTS"});
    }
    wxString label(const wxString& siteKey) {
        for (const auto& site : frame->session().sites()) {
            if (site->siteKey() == siteKey) {
                return frame->siteTree()->GetItemText(frame->siteTree()->siteNode(site->siteKey()));
            }
        }
        return "(no such site)";
    }
    std::vector<wxString> gridUsers() {
        std::vector<wxString> users;
        VisitorGrid* grid = frame->visitorGrid();
        for (int row = 0; row < grid->GetNumberRows(); ++row) {
            const Types::VisitorType* v = grid->visitor_at(row);
            users.push_back(v ? v->username() : wxString("(none)"));
        }
        return users;
    }
    void select(const wxTreeItemId& item) {
        frame->siteTree()->SelectItem(item);
        Tavoro::Test::pumpEvents(20);
    }
    wxTreeItemId nodeOf(const wxString& siteKey) {
        for (const auto& site : frame->session().sites()) {
            if (site->siteKey() == siteKey)
                return frame->siteTree()->siteNode(site->siteKey());
        }
        return wxTreeItemId();
    }

    Tavoro::Test::TempDir dir;
    LoopbackServer server;
    TavoroClientFrame* frame = nullptr;
    wxWeakRef<TavoroClientFrame> weak;
    Tavoro::Test::SentFrameReader reader{server};
};

using Users = std::vector<wxString>;

TEST_F(MonitoringTest, SitesAreGroupedInTheTree) {
    loadSites();
    wxTreeCtrl* tree = frame->siteTree();
    const wxTreeItemId monitored = frame->siteTree()->monitoredSitesItem();
    ASSERT_EQ(tree->GetChildrenCount(monitored, false), 2u) << "one group node and Gamma";
    wxTreeItemIdValue cookie;
    const wxTreeItemId group = tree->GetFirstChild(monitored, cookie);
    EXPECT_EQ(tree->GetItemText(group), "Group One") << "named after the first site of the group";
    EXPECT_EQ(tree->GetItemParent(nodeOf("A")), group);
    EXPECT_EQ(tree->GetItemParent(nodeOf("B")), group);
    EXPECT_EQ(tree->GetItemParent(nodeOf("C")), monitored) << "no group: directly below";
    EXPECT_EQ(label("A"), "Alpha") << "the name alone until the visitors are counted";
    EXPECT_EQ(tree->GetChildrenCount(frame->siteTree()->allSitesItem()), 0u);

    // A second "@SD" for a known site replaces its record, not its node.
    server.send(siteDetails("A", "Alpha Renamed", "G1", "Group One"));
    ASSERT_TRUE(waitFor([&] {
        for (const auto& s : frame->session().sites())
            if (s->siteName() == "Alpha Renamed")
                return true;
        return false;
    }));
    EXPECT_EQ(frame->session().sites().size(), 3u);
    EXPECT_EQ(tree->GetChildrenCount(group, false), 2u);
    EXPECT_EQ(frame->siteDomain("A"), "A.example");
    EXPECT_EQ(frame->siteDomain("nope"), "Unknown Domain");
    ASSERT_TRUE(frame->findAlert("A", "1"));
    EXPECT_EQ(frame->findAlert("A", "1")->iconFileName, "Red Flag.ico");
    EXPECT_EQ(frame->findAlert("A", "9"), nullptr);

    // A second "@DS" on the same connection asks for nothing.
    server.send("@DS:" + summary("A") + NUL);
    EXPECT_TRUE(sentFrames(1, 300).empty());
}

TEST_F(MonitoringTest, VisitorsCountsAndLiveEvents) {
    loadSites();
    loadVisitors();
    ASSERT_TRUE(waitFor([&] { return frame->visitorGrid()->GetNumberRows() == 4; }));
    EXPECT_EQ(gridUsers(), (Users{"ann", "al", "abe", "cy"})) << "everybody under the root";
    EXPECT_EQ(label("A"), "Alpha (3)");
    EXPECT_EQ(label("B"), "Beta (0)");
    EXPECT_EQ(label("C"), "Gamma (1)");

    // A site selected: only its visitors; an event of another site changes only counts.
    select(nodeOf("A"));
    EXPECT_EQ(gridUsers(), (Users{"ann", "al", "abe"}));
    server.send("@EV:" + visitor("B", "5", "bea") + NUL);
    ASSERT_TRUE(waitFor([&] { return label("B") == "Beta (1)"; }));
    EXPECT_EQ(gridUsers(), (Users{"ann", "al", "abe"}));
    // A changed visitor of the shown site is updated in place.
    server.send("@EV:" + visitor("A", "2", "alice") + NUL);
    ASSERT_TRUE(waitFor([&] { return gridUsers() == Users{"ann", "alice", "abe"}; }));
    EXPECT_EQ(label("A"), "Alpha (3)") << "an update is not a new visitor";

    // The group shows its sites one after the other.
    select(frame->siteTree()->GetItemParent(nodeOf("A")));
    EXPECT_EQ(gridUsers(), (Users{"ann", "alice", "abe", "bea"}));
    server.send("@EV:" + visitor("C", "6", "cal") + NUL);
    server.send("@EV:" + visitor("B", "7", "ben") + NUL);
    ASSERT_TRUE(waitFor([&] { return gridUsers().size() == 5; }));
    EXPECT_EQ(gridUsers().back(), "ben");
    EXPECT_TRUE(waitFor([&] { return label("C") == "Gamma (2)"; })) << label("C");

    // A visitor leaves: row and count go; an unknown key changes nothing.
    server.send("@ER:A:10.0.0.1:t1" + NUL + "@ER:nobody" + NUL);
    ASSERT_TRUE(waitFor([&] { return label("A") == "Alpha (2)"; }));
    EXPECT_EQ(gridUsers(), (Users{"alice", "abe", "bea", "ben"}));
    server.send("@ER:C:10.0.0.4:t4" + NUL);
    ASSERT_TRUE(waitFor([&] { return label("C") == "Gamma (1)"; }));
    EXPECT_EQ(gridUsers().size(), 4u) << "not shown: the grid is untouched";

    select(frame->siteTree()->allSitesItem());
    EXPECT_EQ(gridUsers(), (Users{"alice", "abe", "bea", "cal", "ben"}));
}

TEST_F(MonitoringTest, FilterBoxAboveTheGridNarrowsItAndFollowsEvents) {
    loadSites();
    loadVisitors();
    ASSERT_TRUE(waitFor([&] { return frame->visitorGrid()->GetNumberRows() == 4; }));
    auto* box = dynamic_cast<wxSearchCtrl*>(wxWindow::FindWindowByName("ID_VISITOR_FILTER", frame));
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(box->GetParent(), frame->visitorGrid()->GetParent());
    EXPECT_LT(box->GetPosition().y, frame->visitorGrid()->GetPosition().y) << "above the grid";

    box->SetValue("AL");  // as typed: one text event
    EXPECT_EQ(gridUsers(), Users{"al"});
    // Changing into the filter shows the visitor, changing out of it hides it.
    server.send("@EV:" + visitor("A", "3", "alma") + NUL);
    server.send("@EV:" + visitor("A", "2", "bo") + NUL);
    ASSERT_TRUE(waitFor([&] { return gridUsers() == Users{"alma"}; })) << gridUsers().size();
    // A new visitor that passes comes in; one of another field passes too (host name).
    server.send("@EV:" + visitor("A", "8", "alf") + NUL);
    ASSERT_TRUE(waitFor([&] { return gridUsers() == (Users{"alma", "alf"}); }));
    box->SetValue("host4.");
    EXPECT_EQ(gridUsers(), Users{"cy"});
    // Over the selected site only.
    select(nodeOf("A"));
    EXPECT_EQ(gridUsers(), Users{});
    box->SetValue("");
    EXPECT_EQ(gridUsers(), (Users{"ann", "bo", "alma", "alf"}));
}

TEST_F(MonitoringTest, FullListReplacesCountsInsteadOfAddingThem) {
    loadSites();
    loadVisitors();
    ASSERT_TRUE(waitFor([&] { return label("A") == "Alpha (3)"; }));
    server.send("@CV:" + visitor("A", "1", "ann") + NUL);
    ASSERT_TRUE(waitFor([&] { return label("A") == "Alpha (1)"; }));
    EXPECT_EQ(label("C"), "Gamma (0)");
    EXPECT_EQ(gridUsers(), Users{"ann"});
}

// Live events change the grid's rows at once; its painting is held back briefly so that a fast
// stream is painted a few times a second instead of once per event. The hold must always end,
// or the grid would show a stale picture for good.
TEST_F(MonitoringTest, LiveEventsChangeRowsAtOnceAndThePaintingHoldEnds) {
    loadSites();
    loadVisitors();
    VisitorGrid* grid = frame->visitorGrid();
    ASSERT_TRUE(waitFor([&] { return gridUsers().size() == 4; }));
    for (int i = 0; i < 3; ++i) {
        server.send("@EV:" + visitor("C", "9", "nia") + NUL);
        ASSERT_TRUE(waitFor([&] { return gridUsers().size() == 5; }));
        EXPECT_EQ(gridUsers().back(), "nia");
        EXPECT_TRUE(waitFor([&] { return grid->GetBatchCount() == 0; }, 3000))
            << "the grid's painting stayed held after an added visitor";
        server.send("@ER:C:10.0.0.9:t9" + NUL);
        ASSERT_TRUE(waitFor([&] { return gridUsers().size() == 4; }));
        EXPECT_TRUE(waitFor([&] { return grid->GetBatchCount() == 0; }, 3000))
            << "the grid's painting stayed held after a visitor left";
    }
}

TEST_F(MonitoringTest, ReconnectAsksForSitesAndVisitorsAgain) {
    loadSites();
    loadVisitors();
    frame->reconnect();
    server.closePeer();
    ASSERT_TRUE(server.accept());
    ASSERT_TRUE(waitFor([&] { return frame->session().hasConnection(); }));
    reader.reset();
    server.send("@DS:" + summary("A") + ESC + summary("B") + ESC + summary("C") + NUL);
    EXPECT_EQ(sentFrames(4), (std::vector<std::string>{"@GETSD:A", "@GETSD:B", "@GETSD:C", "@GET"}))
        << "live events must resume after a reconnect";
    server.send(siteDetails("A", "Alpha", "G1", "Group One"));
    server.send("@CV:" + visitor("A", "1", "ann") + NUL);
    EXPECT_EQ(sentFrames(1), std::vector<std::string>{"@STARTEVENTS"});
    ASSERT_TRUE(waitFor([&] { return label("A") == "Alpha (1)"; }));
    EXPECT_EQ(frame->session().sites().size(), 3u) << "the tree keeps its nodes";
    EXPECT_EQ(frame->siteTree()->GetChildrenCount(frame->siteTree()->monitoredSitesItem(), false),
              2u);
}

TEST_F(MonitoringTest, DaySummaryRequestsFollowThePageAndSelection) {
    loadSites();
    EXPECT_FALSE(frame->requestDaySummary()) << "no site selected";
    select(nodeOf("B"));
    EXPECT_FALSE(frame->requestDaySummary()) << "the Day Summary page is not shown";
    frame->mainNotebook()->ChangeSelection(1);
    EXPECT_TRUE(frame->requestDaySummary());
    EXPECT_EQ(sentFrames(1), std::vector<std::string>{"@GETDSSITE:B"});

    // The answer for the selected site fills the view; another site's does not.
    std::string other = "A";
    for (int i = 1; i < 30; ++i)
        other += "\t" + std::to_string(100 + i);
    server.send("@DS:" + other + NUL + "@DS:" + summary("B") + NUL);
    DaySummaryView* view = frame->daySummaryView();
    ASSERT_TRUE(waitFor([&] {
        return view->value_text(DaySummaryView::VALUE_CURRENT_VISITORS)->GetLabel() == "2";
    }));
    EXPECT_EQ(view->value_text(DaySummaryView::VALUE_TOTAL_VISITS)->GetLabel(), "3");

    // Leaving the page stops the refresh; coming back restarts it and asks at once.
    frame->mainNotebook()->SetSelection(0);
    Tavoro::Test::pumpEvents(20);
    EXPECT_FALSE(view->is_timer_running());
    frame->mainNotebook()->SetSelection(1);
    Tavoro::Test::pumpEvents(20);
    EXPECT_TRUE(view->is_timer_running());
    EXPECT_EQ(sentFrames(1), std::vector<std::string>{"@GETDSSITE:B"});
}

}  // namespace

namespace {

// A flood of frames already read (a busy moment's backlog) is handled in order and in full,
// but in slices: the window's other queued work runs before the flood is through, and the loss
// of the connection read after the frames is handled after them.
TEST_F(MonitoringTest, BacklogOfFramesIsHandledInSlicesAndInOrder) {
    loadSites();
    loadVisitors();
    const unsigned long before = frame->session().eventsHandled();
    ReceivedQueue* reader = frame->session().receivedQueue();
    enum Handed { kFrame, kLost };
    auto post = [&](Handed what, const std::string& text) {
        Tavoro::Test::postAsReader(reader, text, what == kLost);
    };
    constexpr int kFlood = 6000;
    for (int i = 0; i < kFlood; ++i)
        post(kFrame, "@EV:" + visitor("C", std::to_string(100 + i), "u" + std::to_string(i)));
    post(kLost, "");
    long handledWhenOtherWorkRan = -1;
    wxTheApp->CallAfter([&] {
        handledWhenOtherWorkRan = static_cast<long>(frame->session().eventsHandled() - before);
    });

    ASSERT_TRUE(waitFor([&] { return handledWhenOtherWorkRan >= 0; }));
    EXPECT_LT(handledWhenOtherWorkRan, kFlood) << "the window was held until the flood was through";
    ASSERT_TRUE(waitFor([&] { return !frame->session().hasConnection(); }, 60000));
    EXPECT_EQ(frame->session().eventsHandled() - before, static_cast<unsigned long>(kFlood))
        << "every frame read before the loss is handled before it";
    EXPECT_TRUE(
        frame->GetStatusBar()->GetStatusText(0).StartsWith("Connection lost, reconnecting"));
    std::vector<wxString> users;
    for (const auto& v : frame->session().visitors())
        users.push_back(v.username());
    ASSERT_EQ(users.size(), 4u + kFlood);
    for (int i = 0; i < kFlood; ++i)
        ASSERT_EQ(users[4 + i], wxString::Format("u%d", i)) << "frames handled out of order";
}

}  // namespace

namespace {

// The visit detail's own page changes travel up through the main notebook, but only the main
// notebook's pages start or stop the day summary.
TEST_F(MonitoringTest, VisitDetailPagesLeaveTheDaySummaryAlone) {
    loadSites();
    select(nodeOf("B"));
    frame->reshowDetail();
    frame->mainNotebook()->SetSelection(1);
    Tavoro::Test::pumpEvents(20);
    EXPECT_EQ(sentFrames(1), std::vector<std::string>{"@GETDSSITE:B"});
    frame->mainNotebook()->SetSelection(0);
    Tavoro::Test::pumpEvents(20);
    DaySummaryView* view = frame->daySummaryView();
    ASSERT_FALSE(view->is_timer_running());

    wxNotebook* inner = frame->visitDetail()->notebook();
    ASSERT_GT(inner->GetPageCount(), 1u);
    inner->SetSelection(1);
    Tavoro::Test::pumpEvents(20);
    EXPECT_FALSE(view->is_timer_running());
    EXPECT_TRUE(sentFrames(1, 200).empty()) << "asked for a day summary nobody sees";
    EXPECT_EQ(frame->mainNotebook()->GetSelection(), 0);
}

// Two visitors sent with one key: every event and departure acts on the row of its own record,
// and no row is left showing a record the list has freed (the sanitizer run reads freed memory
// here otherwise).
TEST_F(MonitoringTest, RowsFollowTheirOwnRecordWhenKeysRepeat) {
    loadSites();
    std::string first = visitor("A", "1", "ann");
    std::string second = visitor("A", "2", "bea");
    second.replace(0, second.find('\t'), "A:10.0.0.1:t1");  // the first visitor's key
    server.send("@CV:" + first + ESC + second + NUL);
    EXPECT_EQ(sentFrames(1), std::vector<std::string>{"@STARTEVENTS"});
    ASSERT_EQ(gridUsers(), (Users{"ann", "bea"}));

    auto rowsShowListedRecords = [&] {
        for (int row = 0; row < frame->visitorGrid()->GetNumberRows(); ++row) {
            bool listed = false;
            for (const Types::VisitorType& v : frame->session().visitors())
                listed = listed || &v == frame->visitorGrid()->visitor_at(row);
            if (!listed)
                return false;
        }
        return true;
    };
    // The second visitor (number 2) gets a new name, then a key of its own, then leaves.
    std::string renamed = visitor("A", "2", "bea2");
    renamed.replace(0, renamed.find('\t'), "A:10.0.0.1:t1");
    server.send("@EV:" + renamed + NUL);
    ASSERT_TRUE(waitFor([&] { return gridUsers() == Users{"ann", "bea2"}; })) << gridUsers()[0];
    server.send("@EV:" + visitor("A", "2", "bea3") + NUL);
    ASSERT_TRUE(waitFor([&] { return gridUsers() == Users{"ann", "bea3"}; }));
    EXPECT_EQ(frame->visitorGrid()->key_at(0), "A:10.0.0.1:t1");
    EXPECT_EQ(frame->visitorGrid()->key_at(1), "A:10.0.0.2:t2");
    server.send("@ER:A:10.0.0.2:t2" + NUL);
    ASSERT_TRUE(waitFor([&] { return frame->session().visitors().size() == 1; }));
    EXPECT_TRUE(rowsShowListedRecords());
    EXPECT_EQ(gridUsers(), Users{"ann"});
    EXPECT_TRUE(waitFor([&] { return label("A") == "Alpha (1)"; })) << label("A");
}

}  // namespace

namespace {

// A summary whose counts are all `count`, with its own peak, peak time and revenue.
std::string summaryOf(const std::string& site, int count, int peak, const std::string& peakTime,
                      const std::string& revenue) {
    std::vector<std::string> f(26, std::to_string(count));
    f[0] = site;
    f[18] = std::to_string(peak);
    f[19] = peakTime;
    f[24] = revenue;
    f[25] = "";
    std::string line;
    for (size_t i = 0; i < f.size(); ++i)
        line += (i ? "\t" : "") + f[i];
    return line;
}

// "Day Summary" shows the figures of what the tree's selection covers and says whose they are:
// a site's own, a group's or all sites' totals, never a site left over from before.
TEST_F(MonitoringTest, DaySummaryCoversTheSelection) {
    loadSites();
    DaySummaryView* view = frame->daySummaryView();
    auto value = [&](DaySummaryView::Value v) { return view->value_text(v)->GetLabel(); };
    select(nodeOf("B"));
    frame->mainNotebook()->SetSelection(1);
    Tavoro::Test::pumpEvents(20);
    EXPECT_EQ(sentFrames(1), std::vector<std::string>{"@GETDSSITE:B"});
    server.send("@DS:" + summaryOf("B", 5, 20, "10:30", "2.50") + NUL);
    ASSERT_TRUE(waitFor([&] { return value(DaySummaryView::VALUE_CURRENT_VISITORS) == "5"; }));
    EXPECT_EQ(view->scope_label()->GetLabel(), "Today on Beta");

    // All sites: their summaries are asked for, and the totals shown at once and on the answer.
    select(frame->siteTree()->allSitesItem());
    EXPECT_EQ(sentFrames(1), std::vector<std::string>{"@GETDS"});
    EXPECT_EQ(view->scope_label()->GetLabel(), "Today on all 3 sites");
    EXPECT_NE(value(DaySummaryView::VALUE_CURRENT_VISITORS), "5") << "one site's day shown";
    server.send("@DS:" + summaryOf("A", 1, 30, "09:00", "1") + ESC +
                summaryOf("B", 5, 20, "10:30", "2.50") + ESC +
                summaryOf("C", 100, 40, "14:15", "0.25") + NUL);
    ASSERT_TRUE(waitFor([&] { return value(DaySummaryView::VALUE_CURRENT_VISITORS) == "106"; }));
    EXPECT_EQ(value(DaySummaryView::VALUE_PAGE_VIEWS), "106");
    EXPECT_EQ(value(DaySummaryView::VALUE_PEAK), "40");
    EXPECT_EQ(view->peak_label()->GetLabel(), "Peak @14:15");
    EXPECT_EQ(value(DaySummaryView::VALUE_TOTAL_REVENUE), "3.75");
    EXPECT_TRUE(frame->requestDaySummary());
    EXPECT_EQ(sentFrames(1), std::vector<std::string>{"@GETDS"});

    // A group: its sites' totals, from what is known already.
    const wxTreeItemId group = frame->siteTree()->GetItemParent(nodeOf("A"));
    select(group);
    EXPECT_EQ(sentFrames(1), std::vector<std::string>{"@GETDS"});
    EXPECT_EQ(value(DaySummaryView::VALUE_CURRENT_VISITORS), "6");
    EXPECT_EQ(value(DaySummaryView::VALUE_PEAK), "30");
    EXPECT_EQ(view->scope_label()->GetLabel(),
              "Today on the 2 sites of " + frame->siteTree()->GetItemText(group));

    // Back to one site: its own figures.
    select(nodeOf("C"));
    EXPECT_EQ(sentFrames(1), std::vector<std::string>{"@GETDSSITE:C"});
    EXPECT_EQ(value(DaySummaryView::VALUE_CURRENT_VISITORS), "100");
    EXPECT_EQ(view->scope_label()->GetLabel(), "Today on Gamma");
}

}  // namespace
