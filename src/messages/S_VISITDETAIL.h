#pragma once

#include <array>
#include <vector>

#include "messages/TavoroMessage.h"
#include "types/PageType.h"

namespace Tavoro::Messages {

// "@VISITDETAIL": the details of one visit and its pages: visitor key line, LF, detail line of
// up to 37 TAB-separated fields; then ESC and the page lines separated by CR (empty page lines
// are skipped). Missing detail fields are empty.
class S_VISITDETAIL {
  public:
    static constexpr unsigned kDetailFieldCount = 37;

    explicit S_VISITDETAIL(const TavoroMessage& message);
    virtual ~S_VISITDETAIL() = default;

    const wxString& site() const { return m_site; }
    // Detail field i (0 to 36); the empty text past the end.
    const wxString& visitField(unsigned i) const;

    const wxString& visitField1() const { return visitField(1); }  // shown under "DNS"
    const wxString& visitField2() const { return visitField(2); }  // whether field 1 is shown
    const wxString& username() const { return visitField(3); }
    const wxString& locationText() const { return visitField(4); }
    const wxString& visitNumber() const { return visitField(5); }   // "1" marks a first visit
    const wxString& entryAlertId() const { return visitField(6); }  // "0": none
    const wxString& opSys() const { return visitField(8); }
    const wxString& searchEngine() const { return visitField(10); }
    const wxString& referrerHead() const { return visitField(11); }
    const wxString& referrerTail() const { return visitField(12); }
    const wxString& started() const { return visitField(13); }
    const wxString& visitCost() const { return visitField(16); }
    const wxString& visitRevenue() const { return visitField(17); }
    const wxString& visitCount() const { return visitField(22); }
    const wxString& firstAlertId() const { return visitField(25); }  // "0": none
    const wxString& totalCost() const { return visitField(26); }
    const wxString& totalRevenue() const { return visitField(27); }
    const wxString& dnsNote() const { return visitField(28); }

    // The whole referrer address and its search terms ("Referrer" and "Keywords").
    wxString referrer() const { return referrerHead() + referrerTail(); }
    wxString keywords() const;

    // Parts of the location text "part0|part1|part2|company|extra0,extra1".
    const wxString& locationPart0() const { return m_locationPart0; }
    const wxString& locationPart1() const { return m_locationPart1; }
    const wxString& locationPart2() const { return m_locationPart2; }
    const wxString& company() const { return m_company; }
    const wxString& extra0() const { return m_extra0; }
    const wxString& extra1() const { return m_extra1; }

    const std::vector<Types::PageType>& pages() const { return m_pages; }

  private:
    wxString m_site;
    std::array<wxString, kDetailFieldCount> m_fields;
    wxString m_locationPart0;
    wxString m_locationPart2;
    wxString m_locationPart1;
    wxString m_company;
    wxString m_extra1;
    wxString m_extra0;
    std::vector<Types::PageType> m_pages;
};

}  // namespace Tavoro::Messages
