#pragma once

#include <wx/panel.h>

#include <array>

class wxScrolledWindow;
class wxStaticText;

namespace Tavoro {

class ClientServices;

// The "Day Summary" page of the main window: one site's statistics of the day as fixed
// captions with their values, "0" until a summary arrives.
//
// This class builds the layout; showing a day summary record and the refresh timer that asks
// the main window for the selected site's summary come with the day summary record.
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

    // services: the main window's request services; not owned, may be null (no refresh is
    // then requested).
    DaySummaryView(wxWindow* parent, ClientServices* services);
    ~DaySummaryView() override;

    ClientServices* services() const { return m_services; }
    wxStaticText* value_text(Value value) const { return m_values[value]; }
    // The caption "Peak @", which later carries the time of the peak.
    wxStaticText* peak_label() const { return m_peakLabel; }

  private:
    void build_layout();

    ClientServices* m_services;
    wxScrolledWindow* m_scrolled = nullptr;
    std::array<wxStaticText*, VALUE_COUNT> m_values{};
    wxStaticText* m_peakLabel = nullptr;
};

}  // namespace Tavoro
