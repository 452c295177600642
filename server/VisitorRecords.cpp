#include "VisitorRecords.h"

#include <vector>

#include "WireText.h"

namespace TavoroDemo {
namespace {

std::string text(long n) {
    return std::to_string(n);
}

std::string twoDigits(long n) {
    return (n < 10 ? "0" : "") + std::to_string(n);
}

}  // namespace

std::string VisitorRecords::visitorLine(const SimVisitor& v) {
    const std::vector<std::string> fields = {
        v.key(),                                  // 0 visitor key
        text(v.number),                           // 1 number
        text(v.visitNumber),                      // 2 visit
        v.raisedAlert,                            // 3 raised alert
        text(static_cast<long>(v.pages.size())),  // 4 page views
        "0",                                      // 5
        v.dns,                                    // 6
        "",                                       // 7
        v.username,                               // 8
        v.onPage(),                               // 9
        "",                                       // 10
        v.lastTime,                               // 11
        v.browser,                                // 12
        v.opSys,                                  // 13
        v.flags,                                  // 14
        "",
        "",
        "",
        "",           // 15..18
        v.location,   // 19
        v.referrer,   // 20
        v.startTime,  // 21
    };
    return WireText::join(fields, WireText::kTab);
}

std::string VisitorRecords::visitDetail(const SimVisitor& v) {
    std::vector<std::string> fields(37);
    const size_t query = v.referrer.find('?');
    fields[0] = text(v.number);
    fields[1] = v.ip;
    fields[2] = "Y";
    fields[3] = v.username;
    fields[4] = v.location + "|Acme Visitors Ltd|51.5,-0.1";
    fields[5] = text(v.visitNumber);
    fields[6] = v.raisedAlert;
    fields[7] = v.browser;
    fields[8] = v.opSys;
    fields[9] = v.dns;
    fields[10] = query == std::string::npos ? std::string() : "Example Search";
    fields[11] = v.referrer.substr(0, query);
    fields[12] = query == std::string::npos ? std::string() : v.referrer.substr(query);
    fields[13] = v.startTime;
    fields[14] = v.lastTime;
    fields[15] = text(static_cast<long>(v.pages.size()));
    fields[16] = "0.00";
    fields[17] = v.flags[7] == 'Y' || v.flags[6] == 'Y' ? "25.00" : "0.00";
    fields[22] = text(v.visitNumber);
    fields[25] = v.visitNumber > 1 ? "1" : v.raisedAlert;
    fields[26] = "0.00";
    fields[27] = text(25 * (v.visitNumber / 3)) + ".00";
    std::vector<std::string> pages;
    for (const auto& p : v.pages)
        pages.push_back(WireText::join({p.time, p.url, "", "200", p.title}, WireText::kTab));
    return v.key() + WireText::kLf + WireText::join(fields, WireText::kTab) + WireText::kEsc +
           WireText::join(pages, WireText::kCr);
}

std::string VisitorRecords::emptyVisitDetail(const std::string& site, const std::string& ip) {
    std::vector<std::string> fields(37);
    fields[1] = ip;
    return site + ":" + ip + ":" + WireText::kLf + WireText::join(fields, WireText::kTab) +
           WireText::kEsc;
}

std::string VisitorRecords::previousVisits(const std::string& site, const std::string& ipOrField,
                                           const std::string& username, long visitNumber) {
    std::vector<std::string> records;
    const long count = visitNumber > 21 ? 20 : (visitNumber > 1 ? visitNumber - 1 : 0);
    for (long i = 0; i < count; ++i) {
        const long n = visitNumber - 1 - i;
        std::vector<std::string> fields(20);
        fields[0] = text(n);
        fields[1] = "";
        fields[2] = "2026-11-" + twoDigits(1 + (n * 3) % 28);
        fields[3] = twoDigits(8 + n % 10) + ":" + twoDigits((n * 17) % 60);
        fields[4] = text(n % 4);  // 0: no alert
        fields[5] = "/";
        fields[6] = n % 2 ? "/contact" : "/products";
        fields[7] = text(1 + (n * 7) % 30);
        fields[8] = text(1 + (n * 5) % 12);
        fields[19] = n % 3 ? "" : "http://search.example.net/find?q=acme+visit+" + text(n);
        records.push_back(WireText::join(fields, WireText::kTab));
    }
    return site + ":" + ipOrField + ":" + username + WireText::kLf +
           WireText::join(records, WireText::kEsc);
}

}  // namespace TavoroDemo
