#pragma once

#include <wx/string.h>

#include <cstddef>
#include <cstdint>
#include <iterator>
#include <list>
#include <map>
#include <memory>
#include <string_view>
#include <vector>

#include "types/VisitorType.h"

namespace Tavoro::Types {

// The visitors now on the monitored sites, owned, in order of arrival, with the number of
// visitors of each site.
//
// Two identities are looked up on every event: the pair (site, number text) that a visitor
// event updates, and the visitor key that a visitor-left message removes. Both must find the
// *first* listed visitor that matches, even when the server sends duplicates. Each identity has
// an index beside the ordered list: a hash table (keyed by a secret per process, as the texts
// are the server's) from the identity to the chain of its visitors in order of arrival, so that
// an event costs the same with 50,000 visitors as with 50.
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
        int32_t previousStatus = -1;     // the status before the update; -1 when added
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

    // The fields of a visitor event: the first visitor with the event's site and number text is
    // updated in place; when there is none, a visitor built from the event is appended and
    // counted. The rvalue form takes over the event's text instead of copying it.
    EventOutcome applyEvent(const VisitorFields& event);
    EventOutcome applyEvent(VisitorFields&& event);

    // A visitor who left: the first visitor with that key is taken out of the list and its site
    // count decreased; it is handed back (null when no visitor has the key, nothing changes).
    std::unique_ptr<VisitorType> removeByKey(const wxString& visitorKey);

    // Checks every index and count against the ordered list (linear; for tests and fuzzing).
    bool isConsistent() const;

  private:
    using Link = Entry* Entry::*;

    // What identifies a visitor in one index: one or two texts, read in place from the visitor.
    struct Identity {
        std::string_view first;
        std::string_view second;
        bool operator==(const Identity& o) const { return first == o.first && second == o.second; }
    };
    using IdentityOf = Identity (*)(const VisitorFields&);

    struct Entry {
        std::unique_ptr<VisitorType> visitor;
        uint64_t sequence = 0;  // order of arrival
        std::list<Entry>::iterator self;
        Entry* prevSameIdentity = nullptr;
        Entry* nextSameIdentity = nullptr;
        Entry* prevSameKey = nullptr;
        Entry* nextSameKey = nullptr;
    };

    // An open-addressing hash index (linear probing, at most half full) from an identity to the
    // chain of listed visitors that share it, in order of arrival. A slot keeps the identity's
    // hash and the chain's ends; the identity itself is read from the chain's first visitor, so
    // the index holds no copies of texts and costs no allocation per visitor.
    class ChainIndex {
      public:
        ChainIndex(IdentityOf identityOf, Link prev, Link next);

        void clear();
        void reserve(size_t chains);
        // First and last visitor with that identity; null when none.
        Entry* first(const Identity& id) const;
        Entry* last(const Identity& id) const;
        // Links an entry into the chain of its visitor's identity, by order of arrival.
        void insert(Entry* entry);
        // Unlinks an entry from the chain of its visitor's identity (as the visitor is now).
        void remove(Entry* entry);
        size_t chainCount() const { return m_used; }
        // Every slot holds the hash of its identity and can be found from its home slot.
        bool isConsistent() const;

        Identity identityOf(const VisitorFields& visitor) const { return m_identityOf(visitor); }

      private:
        struct Slot {
            uint64_t hash = 0;
            Entry* head = nullptr;  // null: the slot is free
            Entry* tail = nullptr;
        };
        static uint64_t hashOf(const Identity& id);
        size_t find(const Identity& id, uint64_t hash) const;  // slot index, or npos
        void grow();
        void freeSlot(size_t index);

        IdentityOf m_identityOf;
        Link m_prev;
        Link m_next;
        std::vector<Slot> m_slots;  // size 0 or a power of two
        size_t m_used = 0;
    };

    template <typename Fields>
    EventOutcome applyFields(Fields&& event);
    static Identity identityOfVisitor(const VisitorFields& visitor);
    static Identity keyOfVisitor(const VisitorFields& visitor);
    void countSite(std::string_view site, int32_t delta);

    std::list<Entry> m_entries;
    ChainIndex m_byIdentity;
    ChainIndex m_byKey;
    std::map<wxString, int32_t> m_siteCounts;
    uint64_t m_nextSequence = 0;
};

}  // namespace Tavoro::Types
