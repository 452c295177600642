// The main window's reactions to its session: the connection's banners and alerts, the sites
// and their visitors, and the day summary.
#include <wx/notebook.h>
#include <wx/toolbar.h>

#include "app/ClientIds.h"
#include "app/OperatorLog.h"
#include "app/ReconnectBar.h"
#include "app/SiteTreeView.h"
#include "app/TavoroClientFrame.h"
#include "app/TrayIcon.h"
#include "app/UiPrompts.h"
#include "messages/S_SD.h"
#include "widgets/DaySummaryView.h"
#include "widgets/Notifications.h"
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

void TavoroClientFrame::operatorStatusChanged() {
    m_toolBar->ToggleTool(statusToolOf(m_session.status()), true);
    if (m_tray)
        m_tray->showStatus(m_session.status());
}

void TavoroClientFrame::sessionStatus(const wxString& text) {
    OperatorLog::note(text);
    showStatus(text);
}

void TavoroClientFrame::retryChanged() {
    m_reconnectBar->follow();
}

bool TavoroClientFrame::serverWanted() {
    return UiPrompts::showOptions(this) == wxID_OK;
}

bool TavoroClientFrame::loginPasswordWanted(const wxString& userName, const wxString& server,
                                            wxString& password) {
    return UiPrompts::askPassword(this, userName, server, password);
}

void TavoroClientFrame::sessionAlert(const wxString& text, const wxString& title) {
    OperatorLog::note(title + ": " + text);
    UiPrompts::showMessage(this, text, title, wxOK);
}

void TavoroClientFrame::daySummariesChanged() {
    if (m_notebook1->GetSelection() == PAGE_DAY_SUMMARY)
        showDaySummaryOfSelection();
}

void TavoroClientFrame::showDaySummaryOfSelection() {
    std::vector<const Types::DaySummary*> parts;
    for (const S_SD* site : m_tree->sitesOfSelection()) {
        if (const Types::DaySummary* summary = m_session.daySummary(site->siteKey()))
            parts.push_back(summary);
    }
    // One site shows its own figures, several their total.
    m_daySummary->show_summary(m_tree->selectedSiteKey().empty() || parts.size() != 1
                                   ? Types::DaySummary::total(parts)
                                   : *parts.front());
    m_daySummary->show_scope(m_tree->dayScopeText());
}

void TavoroClientFrame::visitorsReloading() {
    // The grid refers to the records of the list: it lets go before the list is rebuilt.
    m_visitorGrid->remove_all_visitors();
}

void TavoroClientFrame::visitorsReloaded() {
    m_tree->showVisitorsOfSelection(*m_visitorGrid);
    m_tree->updateAllLabels();
}

void TavoroClientFrame::visitorAdded(const Types::VisitorType& visitor) {
    Notifications::visitorArrived(m_settings);
    if (!m_tree->isSiteShown(visitor.site()))
        return;
    holdGridPaint();
    m_visitorGrid->add_visitor(visitor);
}

void TavoroClientFrame::visitorChanged(const wxString& previousKey,
                                       const Types::VisitorType& visitor) {
    if (!m_tree->isSiteShown(visitor.site()))
        return;
    holdGridPaint();
    m_visitorGrid->update_visitor(previousKey, visitor);
}

void TavoroClientFrame::visitorBecameProspect(const Types::VisitorType&) {
    Notifications::visitorBecameProspect(m_settings);
}

void TavoroClientFrame::visitorLeaving(const Types::VisitorType& visitor) {
    if (!m_tree->isSiteShown(visitor.site()))
        return;
    holdGridPaint();
    m_visitorGrid->remove_visitor(visitor);
}

void TavoroClientFrame::siteAdded(const S_SD& site) {
    m_tree->addSite(site);
}

void TavoroClientFrame::siteCountChanged(const wxString& siteKey, long) {
    m_tree->countChanged(siteKey);
}

void TavoroClientFrame::holdGridPaint() {
    if (m_visitorGrid->paint_held())
        return;
    m_visitorGrid->hold_paint();
    // Released when the frames at hand are handled; the timer only backs that up.
    m_gridPaintTimer.StartOnce(kGridPaintMs);
}

void TavoroClientFrame::releaseGridPaint() {
    m_gridPaintTimer.Stop();
    m_visitorGrid->release_paint();
}

void TavoroClientFrame::framesHandled() {
    releaseGridPaint();
}

}  // namespace Tavoro
