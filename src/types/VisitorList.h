#pragma once

#include <wx/string.h>

#include <cstddef>
#include <cstdint>
#include <functional>
#include <iterator>
#include <list>
#include <map>
#include <memory>
#include <string_view>
#include <unordered_map>

#include "types/VisitorType.h"

namespace Tavoro::Messages {
class S_EV;
}

namespace Tavoro::Types {

// The visitors now on the monitored sites, owned, in order of arrival, with the number of
// visitors of each site.
//
// Two identities are looked up on every event: the pair (site, number text) that a visitor
// event updates, and the visitor key that a visitor-left message removes. Both must find the
// *first* listed visitor that matches, even when the server sends duplicates. Each identity has
// an index beside the ordered list: a hash map from the identity to the chain of its visitors
// in order of arrival, so that an event costs the same with 50,000 visitors as with 50.
//
// Site counts always equal the number of listed visitors of each site: replacing the whole list
// rebuilds them from the new list, and a site whose count drops to 0 has no entry.
class VisitorList {
    struct Entry;

  public:
    class const_iterator {
      public:
        using iterator_category = std::bidirectional_iterator_tag;
        using value_type = VisitorType;
        using difference_type = std::ptrdiff_t;
        using pointer = const VisitorType*;
        using reference = const VisitorType&;

        const_iterator() = default;
        reference operator*() const;
        pointer operator->() const { return &**this; }
        const_iterator& operator++() {
            ++m_it;
            return *this;
        }
        const_iterator operator++(int) {
            const_iterator old = *this;
            ++m_it;
            return old;
        }
        const_iterator& operator--() {
            --m_it;
            return *this;
        }
        bool operator==(const const_iterator& o) const { return m_it == o.m_it; }
        bool operator!=(const const_iterator& o) const { return m_it != o.m_it; }

      private:
        friend class VisitorList;
        explicit const_iterator(std::list<Entry>::const_iterator it) : m_it(it) {}
        std::list<Entry>::const_iterator m_it;
    };

    // What applying a visitor event did.
    struct EventOutcome {
        VisitorType* visitor = nullptr;  // the updated or the new visitor
        bool added = false;              // true when no listed visitor matched
        wxString previousKey;            // the visitor key before the update (the grid row key)
    };

    VisitorList();
    virtual ~VisitorList();
    VisitorList(const VisitorList&) = delete;
    VisitorList& operator=(const VisitorList&) = delete;

    size_t size() const { return m_entries.size(); }
    bool empty() const { return m_entries.empty(); }
    const_iterator begin() const { return const_iterator(m_entries.cbegin()); }
    const_iterator end() const { return const_iterator(m_entries.cend()); }

    // Site key to number of listed visitors, in case-sensitive key order.
    const std::map<wxString, int32_t>& siteCounts() const { return m_siteCounts; }
    // Number of listed visitors of a site; 0 for a site without an entry.
    int32_t siteCount(const wxString& site) const;

    // Deletes every visitor and drops every site count.
    void clear();
    // Room for this many visitors in the indexes (before a full list is appended).
    void reserve(size_t count);
    // Appends a visitor at the end and counts it for its site.
    VisitorType& append(std::unique_ptr<VisitorType> visitor);

    // First visitor in order of arrival with that site and number text; null when none.
    VisitorType* findByIdentity(const wxString& site, const wxString& numberText) const;
    // First visitor in order of arrival with that visitor key; null when none.
    VisitorType* findByKey(const wxString& visitorKey) const;

    // A visitor event: the first visitor with the event's site and number text is updated in
    // place; when there is none, a visitor built from the event is appended and counted.
    EventOutcome applyEvent(const Messages::S_EV& event);

    // A visitor who left: the first visitor with that key is taken out of the list and its site
    // count decreased; it is handed back (null when no visitor has the key, nothing changes).
    std::unique_ptr<VisitorType> removeByKey(const wxString& visitorKey);

    // Checks every index and count against the ordered list (linear; for tests and fuzzing).
    bool isConsistent() const;

  private:
    struct StringHash {
        size_t operator()(const wxString& s) const {
            return std::hash<std::wstring_view>()(std::wstring_view(s.wc_str(), s.length()));
        }
    };
    // Visitors sharing one identity, in order of arrival.
    struct Chain {
        Entry* head = nullptr;
        Entry* tail = nullptr;
    };
    using ChainMap = std::unordered_map<wxString, Chain, StringHash>;
    using Link = Entry* Entry::*;

    struct Entry {
        std::unique_ptr<VisitorType> visitor;
        uint64_t sequence = 0;  // order of arrival
        std::list<Entry>::iterator self;
        Entry* prevSameIdentity = nullptr;
        Entry* nextSameIdentity = nullptr;
        Entry* prevSameKey = nullptr;
        Entry* nextSameKey = nullptr;
    };

    static wxString identityOf(const wxString& site, const wxString& numberText);
    static void linkInOrder(Chain& chain, Entry* entry, Link prev, Link next);
    static void unlink(Chain& chain, Entry* entry, Link prev, Link next);
    static void unlinkFrom(ChainMap& map, const wxString& id, Entry* entry, Link prev, Link next);
    void countSite(const wxString& site, int32_t delta);

    std::list<Entry> m_entries;
    ChainMap m_byIdentity;
    ChainMap m_byKey;
    std::map<wxString, int32_t> m_siteCounts;
    uint64_t m_nextSequence = 0;
};

}  // namespace Tavoro::Types
