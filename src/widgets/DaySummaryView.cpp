#include "widgets/DaySummaryView.h"

#include "types/DaySummary.h"
#include "widgets/ClientServices.h"

#include <wx/dcclient.h>
#include <wx/intl.h>
#include <wx/scrolwin.h>
#include <wx/sizer.h>
#include <wx/stattext.h>

#include <algorithm>

namespace Tavoro {
namespace {

// One caption with its value text: window names and positions in pixels (x, y) inside the
// scrolled window; the value's size in pixels.
struct Entry {
    DaySummaryView::Value value;
    const char* caption;
    const char* captionName;
    int captionX, captionY;
    const char* valueName;
    int valueX, valueY;
    int valueWidth, valueHeight;
};

// Captions are translated where they are created (wxGetTranslation) and listed here with
// wxTRANSLATE so that the catalog extraction sees them.
const Entry kEntries[] = {
    {DaySummaryView::VALUE_CURRENT_VISITORS, wxTRANSLATE("Current Visitors"), "ID_STATICTEXT1", 0,
     8, "ID_STATICTEXT14", 136, 8, 48, 17},
    {DaySummaryView::VALUE_TOTAL_VISITS, wxTRANSLATE("Total Visits"), "ID_STATICTEXT4", 0, 40,
     "ID_STATICTEXT15", 136, 40, 48, 17},
    {DaySummaryView::VALUE_TOTAL_SPIDERS, wxTRANSLATE("Total Spiders"), "ID_STATICTEXT3", 0, 64,
     "ID_STATICTEXT16", 136, 64, 48, 17},
    {DaySummaryView::VALUE_TOTAL_HUMANS, wxTRANSLATE("Total Humans"), "ID_STATICTEXT5", 0, 88,
     "ID_STATICTEXT17", 136, 88, 48, 17},
    {DaySummaryView::VALUE_ENTRY_ALERTS_FREE, wxTRANSLATE("Entry Alerts (free)"), "ID_STATICTEXT6",
     0, 112, "ID_STATICTEXT18", 144, 112, 40, 17},
    {DaySummaryView::VALUE_ENTRY_ALERTS_PAID, wxTRANSLATE("Entry Alerts (paid)"), "ID_STATICTEXT7",
     0, 136, "ID_STATICTEXT19", 144, 136, 40, 17},
    {DaySummaryView::VALUE_NEW_VISITS, wxTRANSLATE("New Visits"), "ID_STATICTEXT8", 0, 160,
     "ID_STATICTEXT20", 144, 160, 40, 17},
    {DaySummaryView::VALUE_NEW_PROSPECTS, wxTRANSLATE("New Prospects"), "ID_STATICTEXT9", 0, 184,
     "ID_STATICTEXT21", 144, 184, 40, 17},
    {DaySummaryView::VALUE_NEW_CUSTOMERS, wxTRANSLATE("New Customers"), "ID_STATICTEXT10", 0, 208,
     "ID_STATICTEXT22", 144, 208, 40, 17},
    {DaySummaryView::VALUE_RETURNING_VISITS, wxTRANSLATE("Returning Visits"), "ID_STATICTEXT11", 0,
     232, "ID_STATICTEXT23", 144, 232, 40, 17},
    {DaySummaryView::VALUE_PAGE_VIEWS, wxTRANSLATE("Page Views"), "ID_STATICTEXT32", 0, 256,
     "ID_STATICTEXT33", 144, 256, 40, 17},
    {DaySummaryView::VALUE_DOWNLOADS, wxTRANSLATE("Downloads"), "ID_STATICTEXT12", 0, 280,
     "ID_STATICTEXT24", 144, 280, 40, 17},
    {DaySummaryView::VALUE_PAGE_ERRORS, wxTRANSLATE("Page Errors"), "ID_STATICTEXT2", 0, 304,
     "ID_STATICTEXT25", 144, 304, 40, 17},
    {DaySummaryView::VALUE_HACK_EXCEPTIONS, wxTRANSLATE("Hack Exceptions"), "ID_STATICTEXT13", 0,
     328, "ID_STATICTEXT26", 144, 328, 40, 17},
    {DaySummaryView::VALUE_PEAK, wxTRANSLATE("Peak @"), "ID_STATICTEXT27", 232, 8,
     "ID_STATICTEXT36", 352, 8, 40, 17},
    {DaySummaryView::VALUE_CHAT_REQUESTS, wxTRANSLATE("Chat Requests"), "ID_STATICTEXT28", 232, 40,
     "ID_STATICTEXT34", 352, 40, 40, 17},
    {DaySummaryView::VALUE_MISSED_CHATS, wxTRANSLATE("Missed Chats"), "ID_STATICTEXT29", 232, 64,
     "ID_STATICTEXT35", 352, 64, 40, 17},
    {DaySummaryView::VALUE_TOTAL_COST_TODAY, wxTRANSLATE("Total Cost Today"), "ID_STATICTEXT30",
     232, 232, "ID_STATICTEXT37", 352, 232, 40, 17},
    {DaySummaryView::VALUE_TOTAL_REVENUE, wxTRANSLATE("Total Revenue"), "ID_STATICTEXT31", 232, 256,
     "ID_STATICTEXT38", 352, 256, 40, 17},
};

static_assert(sizeof(kEntries) / sizeof(kEntries[0]) == DaySummaryView::VALUE_COUNT,
              "one layout entry per value text");

}  // namespace

DaySummaryView::DaySummaryView(wxWindow* parent, ClientServices* services)
    : wxPanel(parent, wxID_ANY, wxDefaultPosition, wxDefaultSize, wxTAB_TRAVERSAL, "id"),
      m_services(services),
      m_timer(this) {
    build_layout();
    Bind(wxEVT_TIMER, &DaySummaryView::on_timer, this, m_timer.GetId());
    Bind(wxEVT_PAINT, &DaySummaryView::on_paint, this);
    m_timer.Start(m_interval, wxTIMER_CONTINUOUS);
}

DaySummaryView::~DaySummaryView() = default;

void DaySummaryView::build_layout() {
    auto* sizer = new wxBoxSizer(wxVERTICAL);
    m_scopeLabel = new wxStaticText(this, wxID_ANY, wxString(), wxDefaultPosition, wxDefaultSize,
                                    wxST_NO_AUTORESIZE | wxST_ELLIPSIZE_END, "ID_SCOPE");
    m_scopeLabel->SetFont(m_scopeLabel->GetFont().Bold());
    sizer->Add(m_scopeLabel, 0, wxLEFT | wxRIGHT | wxTOP | wxEXPAND, 5);
    m_scrolled =
        new wxScrolledWindow(this, wxID_ANY, wxDefaultPosition, wxDefaultSize,
                             wxHSCROLL | wxVSCROLL | wxALWAYS_SHOW_SB, "ID_SCROLLEDWINDOW1");

    // The texts sit at fixed positions; the scrolled area covers the farthest of them.
    wxSize extent(0, 0);
    for (const Entry& entry : kEntries) {
        auto* caption = new wxStaticText(m_scrolled, wxID_ANY, wxGetTranslation(entry.caption),
                                         wxPoint(entry.captionX, entry.captionY), wxDefaultSize, 0,
                                         entry.captionName);
        auto* value =
            new wxStaticText(m_scrolled, wxID_ANY, "0", wxPoint(entry.valueX, entry.valueY),
                             wxSize(entry.valueWidth, entry.valueHeight), 0, entry.valueName);
        m_values[entry.value] = value;
        if (entry.value == VALUE_PEAK) {
            m_peakLabel = caption;
        }
        for (const wxWindow* text :
             {static_cast<const wxWindow*>(caption), static_cast<const wxWindow*>(value)}) {
            const wxRect rect = text->GetRect();
            extent.x = std::max(extent.x, rect.GetRight() + 1);
            extent.y = std::max(extent.y, rect.GetBottom() + 1);
        }
    }
    m_scrolled->SetVirtualSize(extent);
    m_scrolled->SetScrollRate(8, 8);

    // An expanding window takes the whole cell, so no alignment flag goes with wxEXPAND.
    sizer->Add(m_scrolled, 1, wxALL | wxEXPAND, 5);
    SetSizer(sizer);
    sizer->SetSizeHints(this);
}

void DaySummaryView::show_summary(const Types::DaySummary& summary) {
    // Server texts are shown literally: an "&" in a value is not a mnemonic.
    auto show = [this](Value value, const wxString& text) { m_values[value]->SetLabelText(text); };
    show(VALUE_CURRENT_VISITORS, summary.currentVisitors);
    show(VALUE_TOTAL_VISITS, summary.totalVisits);
    show(VALUE_TOTAL_SPIDERS, summary.totalSpiders);
    // No field of the summary counts human visitors; spiders subtracted from visits would be
    // a guess, so the value stays "0".
    show(VALUE_TOTAL_HUMANS, "0");
    show(VALUE_ENTRY_ALERTS_FREE, summary.entryAlertsFree);
    show(VALUE_ENTRY_ALERTS_PAID, summary.entryAlertsPaid);
    show(VALUE_NEW_VISITS, summary.newVisits);
    show(VALUE_NEW_PROSPECTS, summary.newProspects);
    show(VALUE_NEW_CUSTOMERS, summary.newCustomers);
    // Neither returning visits nor missed chats have a field of their own: "0".
    show(VALUE_RETURNING_VISITS, "0");
    show(VALUE_PAGE_VIEWS, summary.pageViews);
    show(VALUE_DOWNLOADS, summary.downloads);
    show(VALUE_PAGE_ERRORS, summary.pageErrors);
    show(VALUE_HACK_EXCEPTIONS, summary.hackExceptions);
    show(VALUE_PEAK, summary.peakCount);
    show(VALUE_CHAT_REQUESTS, summary.chatRequests);
    show(VALUE_MISSED_CHATS, "0");
    show(VALUE_TOTAL_COST_TODAY, summary.totalCostToday);
    show(VALUE_TOTAL_REVENUE, summary.totalRevenue);
    m_peakLabel->SetLabelText(_("Peak @") + summary.peakTime);
}

void DaySummaryView::show_scope(const wxString& text) {
    // Site and group names are shown literally: an "&" is not a mnemonic.
    m_scopeLabel->SetLabelText(text);
}

void DaySummaryView::restart_timer() {
    m_timer.Start(m_interval, wxTIMER_CONTINUOUS);
}

void DaySummaryView::stop_timer() {
    m_timer.Stop();
}

void DaySummaryView::set_timer_interval(int milliseconds) {
    if (milliseconds <= 0) {
        return;
    }
    m_interval = milliseconds;
    if (m_timer.IsRunning()) {
        m_timer.Start(m_interval, wxTIMER_CONTINUOUS);
    }
}

void DaySummaryView::on_timer(wxTimerEvent&) {
    refresh_tick();
}

void DaySummaryView::refresh_tick() {
    // A tick already queued when the timer was stopped is ignored.
    if (!m_timer.IsRunning() || m_services == nullptr) {
        return;
    }
    if (!m_services->requestDaySummary()) {
        m_timer.Stop();
    }
}

void DaySummaryView::on_paint(wxPaintEvent&) {
    // The captions and values are child windows; the panel itself draws nothing.
    wxPaintDC dc(this);
}

}  // namespace Tavoro
