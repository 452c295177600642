#include "app/SiteTreeView.h"

#include "messages/S_SD.h"
#include "session/OperatorSession.h"
#include "tools/Placeholders.h"
#include "widgets/VisitorGrid.h"

namespace Tavoro {

using Messages::S_SD;

namespace {

// Item data of a site node: the key of the site it shows.
class SiteItemData : public wxTreeItemData {
  public:
    explicit SiteItemData(const wxString& siteKey) : m_siteKey(siteKey) {}
    const wxString& siteKey() const { return m_siteKey; }

  private:
    wxString m_siteKey;
};

}  // namespace

SiteTreeView::SiteTreeView(wxWindow* parent, const Session::OperatorSession& session)
    : wxTreeCtrl(parent, wxID_ANY, wxDefaultPosition, wxDefaultSize, wxTR_DEFAULT_STYLE,
                 wxDefaultValidator, "ID_TREECTRL1"),
      m_session(session),
      m_countTimer(this) {
    Bind(wxEVT_TIMER, [this](wxTimerEvent&) { showChangedCounts(); });
    m_rootItem = AddRoot(_("Tavoro"));
    m_allSitesItem = AppendItem(m_rootItem, _("All Sites"));
    m_monitoredSitesItem = AppendItem(m_rootItem, _("Monitored Sites"));
    Expand(m_rootItem);
    Expand(m_monitoredSitesItem);
}

const S_SD* SiteTreeView::siteOfItem(const wxTreeItemId& item) const {
    if (!item.IsOk())
        return nullptr;
    auto* data = dynamic_cast<SiteItemData*>(GetItemData(item));
    return data ? m_session.findSite(data->siteKey()) : nullptr;
}

bool SiteTreeView::coversAll(const wxTreeItemId& item) const {
    return !item.IsOk() || item == m_rootItem || item == m_allSitesItem ||
           item == m_monitoredSitesItem;
}

wxTreeItemId SiteTreeView::siteNode(const wxString& siteKey) const {
    const auto found = m_siteNodes.find(siteKey);
    return found == m_siteNodes.end() ? wxTreeItemId() : found->second;
}

void SiteTreeView::addSite(const S_SD& site) {
    if (m_siteNodes.count(site.siteKey())) {
        // A known site's details again (a reconnect): its node stays where it is.
        updateLabel(site.siteKey(), m_session.visitors().siteCount(site.siteKey()));
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
            parent = AppendItem(m_monitoredSitesItem, site.groupName());
            m_siteGroups.push_back({parent, site.groupKey()});
        }
    }
    m_siteNodes[site.siteKey()] =
        AppendItem(parent, site.siteName(), -1, -1, new SiteItemData(site.siteKey()));
    Expand(parent);
    Expand(m_monitoredSitesItem);
}

void SiteTreeView::updateLabel(const wxString& siteKey, long count) {
    const wxTreeItemId node = siteNode(siteKey);
    const S_SD* site = m_session.findSite(siteKey);
    if (!node.IsOk() || !site)
        return;
    const wxString label = Tools::fillPlaceholders(
        _("%SITENAME% (%NUMBER%)"),
        {{"%SITENAME%", site->siteName()}, {"%NUMBER%", wxString::Format("%ld", count)}});
    // Setting a text measures it and repaints the tree; the same text needs neither.
    if (GetItemText(node) != label)
        SetItemText(node, label);
}

void SiteTreeView::countChanged(const wxString& siteKey) {
    m_changedCounts.insert(siteKey);
    if (!m_countTimer.IsRunning())
        m_countTimer.StartOnce(kCountLabelMs);
}

void SiteTreeView::showChangedCounts() {
    std::set<wxString> changed;
    changed.swap(m_changedCounts);
    for (const wxString& siteKey : changed)
        updateLabel(siteKey, m_session.visitors().siteCount(siteKey));
}

void SiteTreeView::updateAllLabels() {
    for (const auto& site : m_session.sites())
        updateLabel(site->siteKey(), m_session.visitors().siteCount(site->siteKey()));
}

wxString SiteTreeView::selectedSiteKey() const {
    const wxTreeItemId item = GetSelection();
    if (coversAll(item))
        return wxString();
    const S_SD* site = siteOfItem(item);
    return site ? site->siteKey() : wxString();
}

void SiteTreeView::showVisitorsOfSelection(VisitorGrid& grid) const {
    const wxTreeItemId item = GetSelection();
    if (coversAll(item)) {
        grid.show_all_visitors(m_session.visitors());
        return;
    }
    if (const S_SD* site = siteOfItem(item)) {
        grid.show_site_visitors(site->siteKey(), m_session.visitors(), true);
        return;
    }
    // A group: its sites' visitors one site after the other, in tree order.
    bool clearFirst = true;
    wxTreeItemIdValue cookie;
    for (wxTreeItemId child = GetFirstChild(item, cookie); child.IsOk();
         child = GetNextChild(item, cookie)) {
        if (const S_SD* site = siteOfItem(child)) {
            grid.show_site_visitors(site->siteKey(), m_session.visitors(), clearFirst);
            clearFirst = false;
        }
    }
    if (clearFirst)
        grid.remove_all_visitors();  // a group without sites shows nobody
}

bool SiteTreeView::isSiteShown(const wxString& siteKey) const {
    const wxTreeItemId item = GetSelection();
    if (coversAll(item))
        return true;
    if (const S_SD* site = siteOfItem(item))
        return site->siteKey() == siteKey;
    wxTreeItemIdValue cookie;
    for (wxTreeItemId child = GetFirstChild(item, cookie); child.IsOk();
         child = GetNextChild(item, cookie)) {
        const S_SD* site = siteOfItem(child);
        if (site && site->siteKey() == siteKey)
            return true;
    }
    return false;
}

std::vector<const S_SD*> SiteTreeView::sitesOfSelection() const {
    std::vector<const S_SD*> sites;
    for (const auto& site : m_session.sites()) {
        if (isSiteShown(site->siteKey()))
            sites.push_back(site.get());
    }
    return sites;
}

wxString SiteTreeView::dayScopeText() const {
    const std::vector<const S_SD*> sites = sitesOfSelection();
    const wxTreeItemId item = GetSelection();
    if (!selectedSiteKey().empty() && sites.size() == 1)
        return Tools::fillPlaceholders(_("Today on %SITENAME%"),
                                       {{"%SITENAME%", sites.front()->siteName()}});
    const wxString number = wxString::Format("%zu", sites.size());
    if (coversAll(item))
        return Tools::fillPlaceholders(_("Today on all %NUMBER% sites"), {{"%NUMBER%", number}});
    return Tools::fillPlaceholders(_("Today on the %NUMBER% sites of %GROUPNAME%"),
                                   {{"%NUMBER%", number}, {"%GROUPNAME%", GetItemText(item)}});
}

}  // namespace Tavoro
