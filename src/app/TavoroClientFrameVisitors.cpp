// Handlers of the messages that describe the monitored sites and their visitors.
#include <wx/notebook.h>

#include "app/TavoroClientFrame.h"
#include "messages/ClientRequests.h"
#include "messages/S_CV.h"
#include "messages/S_DS.h"
#include "messages/S_EV.h"
#include "widgets/DaySummaryView.h"
#include "widgets/VisitorGrid.h"

namespace Tavoro {

using namespace Messages;

void TavoroClientFrame::handleDaySummaries(const TavoroMessage& message) {
    const S_DS summaries(message);
    for (const auto& summary : summaries.summaries()) {
        if (!summary.site.empty())
            m_daySummaries[summary.site] = summary;
    }
    if (!m_sitesRequested) {
        // The first summaries of a connection name the monitored sites: ask for each site's
        // details, then for the visitors.
        m_sitesRequested = true;
        for (const auto& summary : summaries.summaries()) {
            sendToServer(getSiteDetailsRequest(summary.site));
        }
        sendToServer(getVisitorsRequest());
        return;
    }
    if (m_notebook1->GetSelection() == 1)
        showDaySummaryOfSelection();
}

void TavoroClientFrame::showDaySummaryOfSelection() {
    const std::vector<const S_SD*> sites = sitesOfSelection();
    std::vector<const Types::DaySummary*> parts;
    for (const S_SD* site : sites) {
        const auto found = m_daySummaries.find(site->siteKey());
        if (found != m_daySummaries.end())
            parts.push_back(&found->second);
    }
    const wxTreeItemId item = m_tree->GetSelection();
    wxString scope;
    if (!selectedSiteKey().empty() && sites.size() == 1) {
        scope = _("Today on %SITENAME%");
        scope.Replace("%SITENAME%", sites.front()->siteName());
        m_daySummary->show_summary(parts.empty() ? Types::DaySummary::total({}) : *parts.front());
        m_daySummary->show_scope(scope);
        return;
    }
    if (item.IsOk() && item != m_rootItem && item != m_allSitesItem &&
        item != m_monitoredSitesItem) {
        scope = _("Today on the %NUMBER% sites of %GROUPNAME%");
        scope.Replace("%GROUPNAME%", m_tree->GetItemText(item));
    } else {
        scope = _("Today on all %NUMBER% sites");
    }
    scope.Replace("%NUMBER%", wxString::Format("%zu", sites.size()));
    m_daySummary->show_summary(Types::DaySummary::total(parts));
    m_daySummary->show_scope(scope);
}

wxString TavoroClientFrame::daySummaryRequestOfSelection() const {
    const wxString key = selectedSiteKey();
    return key.empty() ? getDaySummariesRequest() : getSiteDaySummaryRequest(key);
}

void TavoroClientFrame::handleSiteDetails(const TavoroMessage& message) {
    auto site = std::make_unique<S_SD>(message);
    if (site->siteKey().empty())
        return;  // too few fields: nothing to show
    addSite(std::move(site));
}

void TavoroClientFrame::handleCurrentVisitors(const TavoroMessage& message) {
    // The grid refers to the records of the list: empty it before the list is rebuilt.
    m_visitorGrid->remove_all_visitors();
    S_CV rebuild(message, m_visitors);
    showVisitorsOfSelection();
    updateAllSiteLabels();
    sendToServer(startEventsRequest());
}

void TavoroClientFrame::handleVisitorEvent(const TavoroMessage& message) {
    ++m_eventsHandled;
    const S_EV event(message);
    if (event.visitorKey().empty())
        return;  // too few fields
    const Types::VisitorList::EventOutcome outcome = m_visitors.applyEvent(event);
    if (!outcome.visitor)
        return;
    const wxString site = outcome.visitor->site();
    if (outcome.added) {
        updateSiteLabel(site, m_visitors.siteCount(site));
    }
    if (!isSiteShown(site))
        return;
    holdGridPaint();
    if (outcome.added) {
        m_visitorGrid->add_visitor(*outcome.visitor);
    } else {
        m_visitorGrid->update_visitor(outcome.previousKey, *outcome.visitor);
    }
}

void TavoroClientFrame::handleVisitorRemoved(const TavoroMessage& message) {
    ++m_eventsHandled;
    const wxString key = message.data();
    const Types::VisitorType* visitor = m_visitors.findByKey(key);
    if (!visitor)
        return;
    const wxString site = visitor->site();
    if (isSiteShown(site)) {
        holdGridPaint();
        m_visitorGrid->remove_visitor(*visitor);
    }
    m_visitors.removeByKey(key);
    updateSiteLabel(site, m_visitors.siteCount(site));
}

namespace {
constexpr int kGridPaintMs = 80;
}

void TavoroClientFrame::holdGridPaint() {
    if (m_gridPaintHeld)
        return;
    m_gridPaintHeld = true;
    m_visitorGrid->BeginBatch();
    m_gridPaintTimer.StartOnce(kGridPaintMs);
}

void TavoroClientFrame::releaseGridPaint() {
    if (!m_gridPaintHeld)
        return;
    m_gridPaintHeld = false;
    m_visitorGrid->EndBatch();
}

}  // namespace Tavoro
