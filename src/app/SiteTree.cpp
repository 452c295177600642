// The site tree: monitored sites grouped under "Monitored Sites", each labelled with its
// number of current visitors; its selection filters the visitor grid.
#include <wx/notebook.h>

#include "app/ClientIds.h"
#include "app/TavoroClientFrame.h"
#include "widgets/VisitorGrid.h"

namespace Tavoro {

using Messages::S_SD;

namespace {

// Item data of a site node: the key of the site it shows.
class SiteTreeItemData : public wxTreeItemData {
  public:
    explicit SiteTreeItemData(const wxString& siteKey) : m_siteKey(siteKey) {}
    const wxString& siteKey() const { return m_siteKey; }

  private:
    wxString m_siteKey;
};

}  // namespace

const S_SD* TavoroClientFrame::siteOfItem(const wxTreeItemId& item) const {
    if (!item.IsOk())
        return nullptr;
    auto* data = dynamic_cast<SiteTreeItemData*>(m_tree->GetItemData(item));
    return data ? m_session.findSite(data->siteKey()) : nullptr;
}

void TavoroClientFrame::siteAdded(const S_SD& site) {
    if (m_siteNodes.count(site.siteKey())) {
        // A known site's details again (a reconnect): its node stays where it is.
        updateSiteLabel(site.siteKey(), m_session.visitors().siteCount(site.siteKey()));
        return;
    }
    wxTreeItemId parent = m_monitoredSitesItem;
    if (!site.groupName().empty()) {
        const SiteGroup* group = nullptr;
        for (const SiteGroup& g : m_siteGroups) {
            if (g.key == site.groupKey()) {
                group = &g;
                break;
            }
        }
        if (group) {
            parent = group->item;
        } else {
            parent = m_tree->AppendItem(m_monitoredSitesItem, site.groupName());
            m_siteGroups.push_back({parent, site.groupKey()});
        }
    }
    m_siteNodes[site.siteKey()] =
        m_tree->AppendItem(parent, site.siteName(), -1, -1, new SiteTreeItemData(site.siteKey()));
    m_tree->Expand(parent);
    m_tree->Expand(m_monitoredSitesItem);
}

wxString TavoroClientFrame::selectedSiteKey() const {
    const wxTreeItemId item = m_tree->GetSelection();
    if (!item.IsOk() || item == m_rootItem || item == m_allSitesItem ||
        item == m_monitoredSitesItem) {
        return wxString();
    }
    const S_SD* site = siteOfItem(item);
    return site ? site->siteKey() : wxString();
}

void TavoroClientFrame::showVisitorsOfSelection() {
    const wxTreeItemId item = m_tree->GetSelection();
    if (!item.IsOk() || item == m_rootItem || item == m_allSitesItem ||
        item == m_monitoredSitesItem) {
        m_visitorGrid->show_all_visitors(m_session.visitors());
        return;
    }
    if (const S_SD* site = siteOfItem(item)) {
        m_visitorGrid->show_site_visitors(site->siteKey(), m_session.visitors(), true);
        return;
    }
    // A group: its sites' visitors one site after the other, in tree order.
    bool clearFirst = true;
    wxTreeItemIdValue cookie;
    for (wxTreeItemId child = m_tree->GetFirstChild(item, cookie); child.IsOk();
         child = m_tree->GetNextChild(item, cookie)) {
        if (const S_SD* site = siteOfItem(child)) {
            m_visitorGrid->show_site_visitors(site->siteKey(), m_session.visitors(), clearFirst);
            clearFirst = false;
        }
    }
    if (clearFirst) {
        // A group without sites shows nobody.
        m_visitorGrid->remove_all_visitors();
    }
}

bool TavoroClientFrame::isSiteShown(const wxString& siteKey) const {
    const wxTreeItemId item = m_tree->GetSelection();
    if (!item.IsOk() || item == m_rootItem || item == m_allSitesItem ||
        item == m_monitoredSitesItem) {
        return true;
    }
    if (const S_SD* site = siteOfItem(item)) {
        return site->siteKey() == siteKey;
    }
    wxTreeItemIdValue cookie;
    for (wxTreeItemId child = m_tree->GetFirstChild(item, cookie); child.IsOk();
         child = m_tree->GetNextChild(item, cookie)) {
        const S_SD* site = siteOfItem(child);
        if (site && site->siteKey() == siteKey)
            return true;
    }
    return false;
}

std::vector<const S_SD*> TavoroClientFrame::sitesOfSelection() const {
    std::vector<const S_SD*> sites;
    for (const auto& site : m_session.sites()) {
        if (isSiteShown(site->siteKey()))
            sites.push_back(site.get());
    }
    return sites;
}

void TavoroClientFrame::updateSiteLabel(const wxString& siteKey, long count) {
    const auto node = m_siteNodes.find(siteKey);
    const S_SD* site = m_session.findSite(siteKey);
    if (node == m_siteNodes.end() || !site)
        return;
    wxString label = _("%SITENAME% (%NUMBER%)");
    label.Replace("%SITENAME%", site->siteName());
    label.Replace("%NUMBER%", wxString::Format("%ld", count));
    m_tree->SetItemText(node->second, label);
}

void TavoroClientFrame::updateAllSiteLabels() {
    for (const auto& site : m_session.sites())
        updateSiteLabel(site->siteKey(), m_session.visitors().siteCount(site->siteKey()));
}

void TavoroClientFrame::onTreeSelectionChanged(wxTreeEvent&) {
    showVisitorsOfSelection();
    if (m_notebook1->GetSelection() == PAGE_DAY_SUMMARY) {
        // The figures change with the selection at once, and are then asked for afresh.
        showDaySummaryOfSelection();
        m_session.requestDaySummary(selectedSiteKey());
    }
    showContextMenuInMenuBar(&m_sitesMenu, _("&Sites Action"));
}

void TavoroClientFrame::showContextMenuInMenuBar(wxMenu* menu, const wxString& title) {
    wxMenuBar* bar = GetMenuBar();
    if (m_actionMenuShown) {
        wxMenu* shown = bar->GetMenu(bar->GetMenuCount() - 1);
        if (shown == menu) {
            bar->SetMenuLabel(bar->GetMenuCount() - 1, title);
            return;
        }
        bar->Remove(bar->GetMenuCount() - 1);
    }
    bar->Append(menu, title);
    m_actionMenuShown = true;
}

}  // namespace Tavoro
