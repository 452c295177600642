// The day summary view: values and peak caption from a summary record, and the refresh timer
// that asks the main window for the summary and stops when the main window sends nothing.
#include <gtest/gtest.h>

#include <wx/frame.h>
#include <wx/stattext.h>

#include <functional>
#include <vector>

#include "GuiTestUtil.h"
#include "NullServices.h"
#include "types/DaySummary.h"
#include "widgets/ClientServices.h"
#include "widgets/DaySummaryView.h"

using namespace Tavoro;

namespace {

// Stands in for the main window: answers the refresh request as told and counts the asks.
class FakeServices : public Tavoro::Test::NullServices {
  public:
    bool requestDaySummary() override {
        ++asks;
        return pageShownWithSite;
    }

    bool pageShownWithSite = true;
    int asks = 0;
};

// A summary record whose field i holds "v<i>", with peak count and time and a field of its own
// for every value the view shows.
wxString summaryRecord() {
    wxString record;
    for (int field = 0; field < 25; ++field) {
        if (field > 0)
            record += "\t";
        if (field == 18)
            record += "37";
        else if (field == 19)
            record += "14:05";
        else
            record += wxString::Format("v%d", field);
    }
    return record + "\t" + "a|b|c|d|e|f|g|h";
}

class DaySummaryTest : public ::testing::Test {
  protected:
    void SetUp() override {
        m_frame = new wxFrame(nullptr, wxID_ANY, "test", wxDefaultPosition, wxSize(600, 400));
        m_view = new DaySummaryView(m_frame, &m_services);
        m_frame->Show();
    }
    void TearDown() override {
        m_frame->Destroy();
        Tavoro::Test::pumpEvents(20);
    }
    wxString valueOf(DaySummaryView::Value value) const {
        return m_view->value_text(value)->GetLabelText();
    }

    FakeServices m_services;
    wxFrame* m_frame = nullptr;
    DaySummaryView* m_view = nullptr;
};

TEST_F(DaySummaryTest, ValuesAndPeakCaptionComeFromTheRecord) {
    EXPECT_EQ(m_view->peak_label()->GetLabelText(), "Peak @");

    m_view->show_summary(Types::DaySummary(summaryRecord()));
    struct Shown {
        DaySummaryView::Value value;
        const char* text;
    };
    const std::vector<Shown> expected{
        {DaySummaryView::VALUE_CURRENT_VISITORS, "v2"},
        {DaySummaryView::VALUE_TOTAL_VISITS, "v3"},
        {DaySummaryView::VALUE_TOTAL_SPIDERS, "v7"},
        {DaySummaryView::VALUE_TOTAL_HUMANS, "0"},  // no field counts humans
        {DaySummaryView::VALUE_ENTRY_ALERTS_FREE, "v4"},
        {DaySummaryView::VALUE_ENTRY_ALERTS_PAID, "v5"},
        {DaySummaryView::VALUE_NEW_VISITS, "v6"},
        {DaySummaryView::VALUE_NEW_PROSPECTS, "v9"},
        {DaySummaryView::VALUE_NEW_CUSTOMERS, "v10"},
        {DaySummaryView::VALUE_RETURNING_VISITS, "0"},  // nor returning visits
        {DaySummaryView::VALUE_PAGE_VIEWS, "v17"},
        {DaySummaryView::VALUE_DOWNLOADS, "v13"},
        {DaySummaryView::VALUE_PAGE_ERRORS, "v16"},
        {DaySummaryView::VALUE_HACK_EXCEPTIONS, "v14"},
        {DaySummaryView::VALUE_PEAK, "37"},
        {DaySummaryView::VALUE_CHAT_REQUESTS, "v11"},
        {DaySummaryView::VALUE_MISSED_CHATS, "0"},  // not the hack exceptions of field 14
        {DaySummaryView::VALUE_TOTAL_COST_TODAY, "v23"},
        {DaySummaryView::VALUE_TOTAL_REVENUE, "v24"},
    };
    ASSERT_EQ(expected.size(), static_cast<size_t>(DaySummaryView::VALUE_COUNT));
    for (const Shown& shown : expected) {
        SCOPED_TRACE(shown.value);
        EXPECT_EQ(valueOf(shown.value), shown.text);
    }
    EXPECT_EQ(m_view->peak_label()->GetLabelText(), "Peak @14:05");
}

TEST_F(DaySummaryTest, ServerTextsAreShownLiterally) {
    wxString record = summaryRecord();
    record.Replace("v23", "R&D 5");
    m_view->show_summary(Types::DaySummary(record));
    EXPECT_EQ(valueOf(DaySummaryView::VALUE_TOTAL_COST_TODAY), "R&D 5");

    // A summary too short to parse is empty: its texts are shown as they are, the peak
    // caption keeps no stale time.
    m_view->show_summary(Types::DaySummary("S1\tonly\ttwo"));
    EXPECT_EQ(valueOf(DaySummaryView::VALUE_CURRENT_VISITORS), "");
    EXPECT_EQ(valueOf(DaySummaryView::VALUE_MISSED_CHATS), "0");
    EXPECT_EQ(m_view->peak_label()->GetLabelText(), "Peak @");
}

TEST_F(DaySummaryTest, TimerRunsEveryTwentyFiveSecondsFromConstruction) {
    EXPECT_TRUE(m_view->is_timer_running());
    EXPECT_EQ(m_view->timer_interval(), 25000);
}

TEST_F(DaySummaryTest, TickAsksAndStopsWhenNothingWasSent) {
    struct TickCase {
        const char* what;
        bool sent;
        bool runningAfter;
    };
    for (const TickCase& c : {TickCase{"page shown with a site selected", true, true},
                              TickCase{"page hidden or no site", false, false}}) {
        SCOPED_TRACE(c.what);
        m_view->restart_timer();
        m_services.asks = 0;
        m_services.pageShownWithSite = c.sent;
        m_view->refresh_tick();
        EXPECT_EQ(m_services.asks, 1);
        EXPECT_EQ(m_view->is_timer_running(), c.runningAfter);
    }

    // A tick that arrives after the timer stopped asks nothing.
    m_services.asks = 0;
    m_view->refresh_tick();
    EXPECT_EQ(m_services.asks, 0);
}

TEST_F(DaySummaryTest, RealTicksRefreshUntilStoppedAndRestartKeepsTheInterval) {
    m_view->set_timer_interval(20);
    EXPECT_TRUE(m_view->is_timer_running());
    ASSERT_TRUE(Tavoro::Test::waitFor([&] { return m_services.asks >= 3; }, 5000));
    EXPECT_TRUE(m_view->is_timer_running());

    // The main window no longer shows the page: the next tick stops the timer for good.
    m_services.pageShownWithSite = false;
    ASSERT_TRUE(Tavoro::Test::waitFor([&] { return !m_view->is_timer_running(); }, 5000));
    const int asksWhenStopped = m_services.asks;
    Tavoro::Test::pumpEvents(100);
    EXPECT_EQ(m_services.asks, asksWhenStopped);

    // The page is shown again: the main window restarts the timer with the same interval.
    m_services.pageShownWithSite = true;
    m_view->restart_timer();
    EXPECT_TRUE(m_view->is_timer_running());
    EXPECT_EQ(m_view->timer_interval(), 20);
    ASSERT_TRUE(
        Tavoro::Test::waitFor([&] { return m_services.asks >= asksWhenStopped + 2; }, 5000));

    // Another page became current: stopped by the main window, no more asks.
    m_view->stop_timer();
    EXPECT_FALSE(m_view->is_timer_running());
    const int asksAfterStop = m_services.asks;
    Tavoro::Test::pumpEvents(100);
    EXPECT_EQ(m_services.asks, asksAfterStop);
}

TEST_F(DaySummaryTest, ViewWithoutServicesKeepsItsTimer) {
    auto* view = new DaySummaryView(m_frame, nullptr);
    view->refresh_tick();
    EXPECT_TRUE(view->is_timer_running());
    view->Destroy();
}

}  // namespace
