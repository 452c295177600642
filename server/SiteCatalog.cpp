#include "SiteCatalog.h"

#include "WireText.h"

namespace TavoroDemo {
namespace {

const std::vector<std::string> kShopPages = {"/",        "/products",      "/products/shoes",
                                             "/offers",  "/basket",        "/checkout",
                                             "/contact", "/products/sale", "/about"};
const std::vector<std::string> kServicePages = {
    "/", "/faq", "/downloads", "/support/ticket", "/pricing", "/contact", "/docs/start"};

std::string text(long n) {
    return std::to_string(n);
}

}  // namespace

SiteCatalog::SiteCatalog() {
    const std::vector<AlertDef> shopAlerts = {{"1", "Entered checkout", 0x0000FF, 3},
                                              {"2", "Viewed offers", 0x00FF00, 2},
                                              {"3", "Came from search", 0xFF0000, 1}};
    const std::vector<AlertDef> serviceAlerts = {{"1", "Opened a ticket", 0x00FFFF, 4},
                                                 {"2", "Read pricing", 0x808080, 5},
                                                 {"3", "Downloaded", 0xFF8000, 1}};
    const std::vector<AlertDef> blogAlerts = {{"1", "Subscribed", 0x00C000, 2},
                                              {"2", "Hack attempt", 0, 3}};
    m_sites = {
        {"S1",
         "Acme Shoes",
         "shoes.acme.example",
         "G1",
         "Retail",
         0,
         true,
         shopAlerts,
         kShopPages,
         {}},
        {"S2",
         "Acme Hats",
         "hats.acme.example",
         "G1",
         "Retail",
         60,
         false,
         shopAlerts,
         kShopPages,
         {}},
        {"S3",
         "Help Desk",
         "help.acme.example",
         "G2",
         "Services",
         0,
         true,
         serviceAlerts,
         kServicePages,
         {}},
        {"S4",
         "Bookings",
         "book.acme.example",
         "G2",
         "Services",
         -300,
         false,
         serviceAlerts,
         kServicePages,
         {}},
        {"S5", "Acme Blog", "blog.acme.example", "", "", 0, true, blogAlerts, kServicePages, {}},
        {"S6", "Careers", "jobs.acme.example", "", "", 120, false, blogAlerts, kServicePages, {}},
    };
}

Site* SiteCatalog::find(const std::string& key) {
    for (auto& site : m_sites) {
        if (site.key == key)
            return &site;
    }
    return nullptr;
}

std::string SiteCatalog::daySummary(const Site& site) {
    const SiteStats& s = site.stats;
    std::vector<std::string> totals;
    for (const auto& alert : site.alerts) {
        const auto found = s.alertCounts.find(alert.id);
        const long count = found == s.alertCounts.end() ? 0 : found->second;
        // id | name | raised today | of them new visitors | free | paid | cost | revenue
        totals.push_back(WireText::join(
            {alert.id, alert.name, text(count), text(count / 2), text(count), "0", "0.00", "0.00"},
            '|'));
    }
    const std::vector<std::string> fields = {
        site.key,
        site.name,
        text(s.current),
        text(s.totalVisits),
        text(s.entryAlerts),
        "0",
        text(s.newVisits),
        "0",
        "0",
        text(s.newProspects),
        text(s.newCustomers),
        text(s.chatRequests),
        "0",
        text(s.downloads),
        text(s.hackExceptions),
        "0",
        "0",
        text(s.pageViews),
        text(s.peak),
        s.peakTime,
        "0",
        "0",
        "0",
        "0.00",
        text(s.newCustomers * 25) + ".00",
        WireText::join(totals, '~'),
    };
    return WireText::join(fields, WireText::kTab);
}

std::string SiteCatalog::allDaySummaries() const {
    std::vector<std::string> records;
    for (const auto& site : m_sites)
        records.push_back(daySummary(site));
    return WireText::join(records, WireText::kEsc);
}

std::string SiteCatalog::siteDetail(const Site& site) {
    std::vector<std::string> alerts;
    for (const auto& a : site.alerts)
        alerts.push_back(WireText::join({a.id, a.name, text(a.colour), text(a.flag)}, '|'));
    return WireText::join({site.key, site.name, site.domain, site.groupKey, site.groupName, "Y",
                           WireText::join(alerts, WireText::kEsc)},
                          WireText::kTab);
}

std::string SiteCatalog::settings(const Site& site) {
    const std::vector<std::string> lines = {
        site.key,
        "Group=" + site.groupName,
        "Domain=" + site.domain,
        "Name=" + site.name,
        "SiteKey=" + site.key,
        "GatewayAddress=http://gateway.acme.example/track",
        "GatewayAddressSSL=https://gateway.acme.example/track",
        "HomePage=http://" + site.domain + "/",
        std::string("GmtBiasUseDefault=") + (site.gmtBiasUseDefault ? "True" : "False"),
        "GmtBias=" + text(site.gmtBias),
        "ChatOnLineGraphic=http://" + site.domain + "/img/chat-online.gif",
        "ChatOffLineGraphic=http://" + site.domain + "/img/chat-offline.gif",
        "ChatInviteGraphic=http://" + site.domain + "/img/invite.gif",
        "ChatInviteCustomGraphic=",
        "ChatWarningGraphic=http://" + site.domain + "/img/warning.gif",
        "ChatLogoGraphic=http://" + site.domain + "/img/logo.png",
    };
    return WireText::join(lines, WireText::kLf);
}

}  // namespace TavoroDemo
