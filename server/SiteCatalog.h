#pragma once

#include <map>
#include <string>
#include <vector>

namespace TavoroDemo {

// An alert a site defines: visitors who reach certain pages raise it.
struct AlertDef {
    std::string id;
    std::string name;
    long colour;  // 0x00BBGGRR, 0 for none
    int flag;     // 1 blue, 2 green, 3 red, 4 yellow, 5 grey
};

// One site's statistics of the day, kept current by the simulation.
struct SiteStats {
    long current = 0;
    long totalVisits = 0;
    long newVisits = 0;
    long pageViews = 0;
    long chatRequests = 0;
    long newProspects = 0;
    long newCustomers = 0;
    long entryAlerts = 0;
    long hackExceptions = 0;
    long downloads = 0;
    long peak = 0;
    std::string peakTime = "00:00";
    std::map<std::string, long> alertCounts;  // alert id to times raised today
};

struct Site {
    std::string key;
    std::string name;
    std::string domain;
    std::string groupKey;  // empty: the site belongs to no group
    std::string groupName;
    int gmtBias;  // minutes
    bool gmtBiasUseDefault;
    std::vector<AlertDef> alerts;
    std::vector<std::string> pages;  // paths visitors may view
    SiteStats stats;
};

// The monitored sites of the demo service and the wire records that describe them.
class SiteCatalog {
  public:
    // The built-in sites: two groups of two sites each and two sites without a group.
    SiteCatalog();

    std::vector<Site>& sites() { return m_sites; }
    const std::vector<Site>& sites() const { return m_sites; }
    // The site with this key, or nullptr.
    Site* find(const std::string& key);

    // One day-summary record (TAB-separated, alert totals "~"-separated in the last field).
    static std::string daySummary(const Site& site);
    // "@DS" data: every site's summary, ESC-separated.
    std::string allDaySummaries() const;
    // "@SD" data: the site record with its alerts.
    static std::string siteDetail(const Site& site);
    // "@SS" data: a header line and one "Name=value" line per setting.
    static std::string settings(const Site& site);

  private:
    std::vector<Site> m_sites;
};

}  // namespace TavoroDemo
