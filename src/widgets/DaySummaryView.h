#pragma once

#include <wx/panel.h>
#include <wx/timer.h>

#include <array>

class wxScrolledWindow;
class wxStaticText;

namespace Tavoro::Types {
class DaySummary;
}

namespace Tavoro {

class ClientServices;

// The "Day Summary" page of the main window: the statistics of the day of one site or of
// several together, as fixed captions with their values ("0" until a summary arrives), under a
// line that names what they cover.
//
// The view keeps itself current: a repeating timer (every 25 seconds) asks the main window to
// request the summaries again. When the main window answers that it sent nothing (the page is
// hidden) the timer stops, until the main window restarts it on showing the page again.
class DaySummaryView : public wxPanel {
  public:
    // The value texts, in layout order (first column top to bottom, then the second column).
    enum Value {
        VALUE_CURRENT_VISITORS,
        VALUE_TOTAL_VISITS,
        VALUE_TOTAL_SPIDERS,
        VALUE_TOTAL_HUMANS,
        VALUE_ENTRY_ALERTS_FREE,
        VALUE_ENTRY_ALERTS_PAID,
        VALUE_NEW_VISITS,
        VALUE_NEW_PROSPECTS,
        VALUE_NEW_CUSTOMERS,
        VALUE_RETURNING_VISITS,
        VALUE_PAGE_VIEWS,
        VALUE_DOWNLOADS,
        VALUE_PAGE_ERRORS,
        VALUE_HACK_EXCEPTIONS,
        VALUE_PEAK,
        VALUE_CHAT_REQUESTS,
        VALUE_MISSED_CHATS,
        VALUE_TOTAL_COST_TODAY,
        VALUE_TOTAL_REVENUE,
        VALUE_COUNT
    };

    // Interval of the refresh timer, in milliseconds.
    static constexpr int REFRESH_INTERVAL_MS = 25000;

    // services: the main window's request services; not owned, may be null (no refresh is
    // then requested, but the timer keeps running). The refresh timer starts here.
    DaySummaryView(wxWindow* parent, ClientServices* services);
    ~DaySummaryView() override;

    ClientServices* services() const { return m_services; }
    wxStaticText* value_text(Value value) const { return m_values[value]; }
    // The caption "Peak @", which carries the time of the peak once a summary arrived.
    wxStaticText* peak_label() const { return m_peakLabel; }
    // The line above the figures that names what they cover ("Today on Shop", "Today on all
    // 3 sites"); empty until the main window names it.
    wxStaticText* scope_label() const { return m_scopeLabel; }
    void show_scope(const wxString& text);

    // Shows one site's summary: every value as the text the server sent, and the peak caption
    // "Peak @" followed directly by the peak time. "Total Humans", "Returning Visits" and
    // "Missed Chats" have no field of their own in the summary and show "0".
    void show_summary(const Types::DaySummary& summary);

    // The refresh timer. restart_timer starts it again with its interval (the main window
    // calls it when the "Day Summary" page becomes current); stop_timer stops it (another
    // page became current).
    void restart_timer();
    void stop_timer();
    bool is_timer_running() const { return m_timer.IsRunning(); }
    int timer_interval() const { return m_interval; }
    // Changes the interval; a running timer goes on with the new one.
    void set_timer_interval(int milliseconds);

    // One tick of the refresh timer: asks the main window for the summary and stops the timer
    // when nothing was requested. Does nothing while the timer is stopped.
    void refresh_tick();

  private:
    void build_layout();
    void on_timer(wxTimerEvent& event);
    void on_paint(wxPaintEvent& event);

    ClientServices* m_services;
    wxTimer m_timer;
    int m_interval = REFRESH_INTERVAL_MS;
    wxScrolledWindow* m_scrolled = nullptr;
    std::array<wxStaticText*, VALUE_COUNT> m_values{};
    wxStaticText* m_peakLabel = nullptr;
    wxStaticText* m_scopeLabel = nullptr;
};

}  // namespace Tavoro
