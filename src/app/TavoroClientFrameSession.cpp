// The main window's reactions to its session: the connection's banners and alerts, the sites
// and their visitors, and the day summary.
#include <wx/notebook.h>

#include "app/ClientIds.h"
#include "app/TavoroClientFrame.h"
#include "app/UiPrompts.h"
#include "messages/S_SD.h"
#include "widgets/DaySummaryView.h"
#include "widgets/VisitorGrid.h"

namespace Tavoro {

using namespace Messages;

namespace {
constexpr int kGridPaintMs = 80;
}

void TavoroClientFrame::connectToServer() {
    m_session.setLoginStatus(selectedStatus());
    m_session.connect();
}

void TavoroClientFrame::reconnect() {
    m_session.setLoginStatus(selectedStatus());
    m_session.reconnect();
}

void TavoroClientFrame::sessionStatus(const wxString& text) {
    showStatus(text);
}

bool TavoroClientFrame::serverWanted() {
    return UiPrompts::showOptions(this) == wxID_OK;
}

void TavoroClientFrame::sessionAlert(const wxString& text, const wxString& title) {
    UiPrompts::showMessage(this, text, title, wxOK);
}

void TavoroClientFrame::daySummariesChanged() {
    if (m_notebook1->GetSelection() == PAGE_DAY_SUMMARY)
        showDaySummaryOfSelection();
}

void TavoroClientFrame::showDaySummaryOfSelection() {
    const std::vector<const S_SD*> sites = sitesOfSelection();
    std::vector<const Types::DaySummary*> parts;
    for (const S_SD* site : sites) {
        if (const Types::DaySummary* summary = m_session.daySummary(site->siteKey()))
            parts.push_back(summary);
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

void TavoroClientFrame::visitorsReloading() {
    // The grid refers to the records of the list: it lets go before the list is rebuilt.
    m_visitorGrid->remove_all_visitors();
}

void TavoroClientFrame::visitorsReloaded() {
    showVisitorsOfSelection();
    updateAllSiteLabels();
}

void TavoroClientFrame::visitorAdded(const Types::VisitorType& visitor) {
    if (!isSiteShown(visitor.site()))
        return;
    holdGridPaint();
    m_visitorGrid->add_visitor(visitor);
}

void TavoroClientFrame::visitorChanged(const wxString& previousKey,
                                       const Types::VisitorType& visitor) {
    if (!isSiteShown(visitor.site()))
        return;
    holdGridPaint();
    m_visitorGrid->update_visitor(previousKey, visitor);
}

void TavoroClientFrame::visitorLeaving(const Types::VisitorType& visitor) {
    if (!isSiteShown(visitor.site()))
        return;
    holdGridPaint();
    m_visitorGrid->remove_visitor(visitor);
}

void TavoroClientFrame::siteCountChanged(const wxString& siteKey, long count) {
    updateSiteLabel(siteKey, count);
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
