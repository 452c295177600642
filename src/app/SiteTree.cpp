// The site tree: monitored sites grouped under "Monitored Sites", each labelled with its
// number of current visitors; its selection filters the visitor grid.
#include <wx/notebook.h>

#include "app/ClientIds.h"
#include "app/TavoroClientFrame.h"
#include "messages/ClientRequests.h"
#include "widgets/VisitorGrid.h"

namespace Tavoro {

using Messages::S_SD;

// Item data of a site node: the site record it shows (owned by the site list).
class TavoroClientFrame::SiteTreeItemData : public wxTreeItemData {
  public:
    explicit SiteTreeItemData(S_SD* site) : m_site(site) {}
    S_SD* site() const { return m_site; }
    void setSite(S_SD* site) { m_site = site; }

  private:
    S_SD* m_site;
};

S_SD* TavoroClientFrame::siteOfItem(const wxTreeItemId& item) const {
    if (!item.IsOk())
        return nullptr;
    auto* data = dynamic_cast<SiteTreeItemData*>(m_tree->GetItemData(item));
    return data ? data->site() : nullptr;
}

void TavoroClientFrame::addSite(std::unique_ptr<S_SD> site) {
    for (auto& known : m_sites) {
        if (known->siteKey() == site->siteKey()) {
            // A known site: the new record takes the old one's node and place.
            site->setTreeItem(known->treeItem());
            const wxTreeItemId node(known->treeItem());
            if (node.IsOk()) {
                auto* data = dynamic_cast<SiteTreeItemData*>(m_tree->GetItemData(node));
                if (data)
                    data->setSite(site.get());
            }
            known = std::move(site);
            return;
        }
    }

    wxTreeItemId parent = m_monitoredSitesItem;
    if (!site->groupName().empty()) {
        const SiteGroup* group = nullptr;
        for (const SiteGroup& g : m_siteGroups) {
            if (g.key == site->groupKey()) {
                group = &g;
                break;
            }
        }
        if (group) {
            parent = group->item;
        } else {
            parent = m_tree->AppendItem(m_monitoredSitesItem, site->groupName());
            m_siteGroups.push_back({parent, site->groupName(), site->groupKey()});
        }
    }
    S_SD* record = site.get();
    m_sites.push_back(std::move(site));
    const wxTreeItemId node =
        m_tree->AppendItem(parent, record->siteName(), -1, -1, new SiteTreeItemData(record));
    record->setTreeItem(node.GetID());
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
        m_visitorGrid->show_all_visitors(m_visitors);
        return;
    }
    if (const S_SD* site = siteOfItem(item)) {
        m_visitorGrid->show_site_visitors(site->siteKey(), m_visitors, true);
        return;
    }
    // A group: its sites' visitors one site after the other, in tree order.
    bool clearFirst = true;
    wxTreeItemIdValue cookie;
    for (wxTreeItemId child = m_tree->GetFirstChild(item, cookie); child.IsOk();
         child = m_tree->GetNextChild(item, cookie)) {
        if (const S_SD* site = siteOfItem(child)) {
            m_visitorGrid->show_site_visitors(site->siteKey(), m_visitors, clearFirst);
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
    for (const auto& site : m_sites) {
        if (isSiteShown(site->siteKey()))
            sites.push_back(site.get());
    }
    return sites;
}

void TavoroClientFrame::setSiteLabel(S_SD& site, long count) {
    const wxTreeItemId node(site.treeItem());
    if (!node.IsOk())
        return;
    wxString label = _("%SITENAME% (%NUMBER%)");
    label.Replace("%SITENAME%", site.siteName());
    label.Replace("%NUMBER%", wxString::Format("%ld", count));
    m_tree->SetItemText(node, label);
}

void TavoroClientFrame::updateAllSiteLabels() {
    for (auto& site : m_sites) {
        setSiteLabel(*site, m_visitors.siteCount(site->siteKey()));
    }
}

void TavoroClientFrame::updateSiteLabel(const wxString& siteKey, long count) {
    for (auto& site : m_sites) {
        if (site->siteKey() == siteKey) {
            setSiteLabel(*site, count);
            return;
        }
    }
}

void TavoroClientFrame::onTreeSelectionChanged(wxTreeEvent&) {
    showVisitorsOfSelection();
    if (m_notebook1->GetSelection() == 1) {
        // The figures change with the selection at once, and are then asked for afresh.
        showDaySummaryOfSelection();
        sendToServer(daySummaryRequestOfSelection());
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
