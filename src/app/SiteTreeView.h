#pragma once

#include <wx/timer.h>
#include <wx/treectrl.h>

#include <map>
#include <set>
#include <vector>

namespace Tavoro {

class VisitorGrid;
namespace Messages {
class S_SD;
}
namespace Session {
class OperatorSession;
}

// The site tree: the monitored sites under "Monitored Sites", in their groups, each labelled
// with its number of current visitors, and "All Sites". Its selection says which sites the
// visitor grid and the day summary cover. Each site node knows its site by key; the sites
// themselves are the session's.
class SiteTreeView : public wxTreeCtrl {
  public:
    SiteTreeView(wxWindow* parent, const Session::OperatorSession& session);

    // A site's details arrived: a new site gets its node (in its group), a known one keeps it.
    void addSite(const Messages::S_SD& site);
    void updateLabel(const wxString& siteKey, long count);
    void updateAllLabels();
    // A site's visitor count changed. Counts change with nearly every visitor event; the labels
    // follow at most every kCountLabelMs, as fast as anybody reads them, instead of measuring
    // and repainting a label per event.
    void countChanged(const wxString& siteKey);
    static constexpr int kCountLabelMs = 250;
    // Shows the changed counts now (the timer does it otherwise).
    void showChangedCounts();

    // The selected site's key; empty for the root, "All Sites", "Monitored Sites" or a group.
    wxString selectedSiteKey() const;
    bool isSiteShown(const wxString& siteKey) const;
    // The sites the selection covers: one site, a group's sites, or all of them.
    std::vector<const Messages::S_SD*> sitesOfSelection() const;
    // Fills the grid with the visitors of the sites the selection covers.
    void showVisitorsOfSelection(VisitorGrid& grid) const;
    // The line naming what the selection covers, above the day's figures.
    wxString dayScopeText() const;

    wxTreeItemId siteNode(const wxString& siteKey) const;
    wxTreeItemId allSitesItem() const { return m_allSitesItem; }
    wxTreeItemId monitoredSitesItem() const { return m_monitoredSitesItem; }

  private:
    struct SiteGroup {
        wxTreeItemId item;
        wxString key;
    };
    const Messages::S_SD* siteOfItem(const wxTreeItemId& item) const;
    // The root, "All Sites" or "Monitored Sites": a selection of everything.
    bool coversAll(const wxTreeItemId& item) const;

    const Session::OperatorSession& m_session;
    std::set<wxString> m_changedCounts;
    wxTimer m_countTimer;
    std::map<wxString, wxTreeItemId> m_siteNodes;
    std::vector<SiteGroup> m_siteGroups;
    wxTreeItemId m_rootItem;
    wxTreeItemId m_allSitesItem;
    wxTreeItemId m_monitoredSitesItem;
};

}  // namespace Tavoro
