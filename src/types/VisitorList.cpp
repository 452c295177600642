#include "types/VisitorList.h"

#include <vector>

#include "messages/S_EV.h"

namespace Tavoro::Types {

VisitorList::const_iterator::reference VisitorList::const_iterator::operator*() const {
    return *m_it->visitor;
}

VisitorList::VisitorList() = default;
VisitorList::~VisitorList() = default;

wxString VisitorList::identityOf(const wxString& site, const wxString& numberText) {
    // A site key never holds a TAB (it is cut from a TAB-separated line), so joining at TAB
    // keeps different pairs apart.
    wxString id;
    id.reserve(site.length() + 1 + numberText.length());
    id << site << '\t' << numberText;
    return id;
}

void VisitorList::linkInOrder(Chain& chain, Entry* entry, Link prev, Link next) {
    // Appends are the rule; an entry whose key changed may belong further up the chain.
    Entry* after = chain.tail;
    while (after && after->sequence > entry->sequence)
        after = after->*prev;
    entry->*prev = after;
    entry->*next = after ? after->*next : chain.head;
    if (entry->*next) {
        (entry->*next)->*prev = entry;
    } else {
        chain.tail = entry;
    }
    if (after) {
        after->*next = entry;
    } else {
        chain.head = entry;
    }
}

void VisitorList::unlink(Chain& chain, Entry* entry, Link prev, Link next) {
    if (entry->*prev) {
        (entry->*prev)->*next = entry->*next;
    } else {
        chain.head = entry->*next;
    }
    if (entry->*next) {
        (entry->*next)->*prev = entry->*prev;
    } else {
        chain.tail = entry->*prev;
    }
    entry->*prev = nullptr;
    entry->*next = nullptr;
}

void VisitorList::unlinkFrom(ChainMap& map, const wxString& id, Entry* entry, Link prev,
                             Link next) {
    auto it = map.find(id);
    if (it == map.end())
        return;
    unlink(it->second, entry, prev, next);
    if (!it->second.head)
        map.erase(it);
}

void VisitorList::countSite(const wxString& site, int32_t delta) {
    auto it = m_siteCounts.find(site);
    if (it == m_siteCounts.end()) {
        if (delta > 0)
            m_siteCounts.emplace(site, delta);
        return;
    }
    it->second += delta;
    if (it->second <= 0)
        m_siteCounts.erase(it);
}

int32_t VisitorList::siteCount(const wxString& site) const {
    auto it = m_siteCounts.find(site);
    return it == m_siteCounts.end() ? 0 : it->second;
}

void VisitorList::clear() {
    m_byIdentity.clear();
    m_byKey.clear();
    m_entries.clear();
    m_siteCounts.clear();
}

void VisitorList::reserve(size_t count) {
    m_byIdentity.reserve(count);
    m_byKey.reserve(count);
}

VisitorType& VisitorList::append(std::unique_ptr<VisitorType> visitor) {
    if (!visitor)
        visitor = std::make_unique<VisitorType>();
    m_entries.emplace_back();
    Entry& entry = m_entries.back();
    entry.visitor = std::move(visitor);
    entry.sequence = m_nextSequence++;
    entry.self = std::prev(m_entries.end());
    const VisitorType& v = *entry.visitor;
    linkInOrder(m_byIdentity[identityOf(v.site(), v.numberText())], &entry,
                &Entry::prevSameIdentity, &Entry::nextSameIdentity);
    linkInOrder(m_byKey[v.visitorKey()], &entry, &Entry::prevSameKey, &Entry::nextSameKey);
    countSite(v.site(), 1);
    return *entry.visitor;
}

VisitorType* VisitorList::findByIdentity(const wxString& site, const wxString& numberText) const {
    auto it = m_byIdentity.find(identityOf(site, numberText));
    return it == m_byIdentity.end() ? nullptr : it->second.head->visitor.get();
}

VisitorType* VisitorList::findByKey(const wxString& visitorKey) const {
    auto it = m_byKey.find(visitorKey);
    return it == m_byKey.end() ? nullptr : it->second.head->visitor.get();
}

VisitorList::EventOutcome VisitorList::applyEvent(const Messages::S_EV& event) {
    EventOutcome outcome;
    auto it = m_byIdentity.find(identityOf(event.site(), event.numberText()));
    if (it == m_byIdentity.end()) {
        outcome.visitor = &append(std::make_unique<VisitorType>(event));
        outcome.added = true;
        outcome.previousKey = outcome.visitor->visitorKey();
        return outcome;
    }
    // Site and number text stay as they are (they are what matched); the key may change.
    Entry* entry = it->second.head;
    outcome.visitor = entry->visitor.get();
    outcome.previousKey = entry->visitor->visitorKey();
    entry->visitor->update(event);
    if (entry->visitor->visitorKey() != outcome.previousKey) {
        unlinkFrom(m_byKey, outcome.previousKey, entry, &Entry::prevSameKey, &Entry::nextSameKey);
        linkInOrder(m_byKey[entry->visitor->visitorKey()], entry, &Entry::prevSameKey,
                    &Entry::nextSameKey);
    }
    return outcome;
}

std::unique_ptr<VisitorType> VisitorList::removeByKey(const wxString& visitorKey) {
    auto it = m_byKey.find(visitorKey);
    if (it == m_byKey.end())
        return nullptr;
    Entry* entry = it->second.head;
    unlink(it->second, entry, &Entry::prevSameKey, &Entry::nextSameKey);
    if (!it->second.head)
        m_byKey.erase(it);

    std::unique_ptr<VisitorType> visitor = std::move(entry->visitor);
    unlinkFrom(m_byIdentity, identityOf(visitor->site(), visitor->numberText()), entry,
               &Entry::prevSameIdentity, &Entry::nextSameIdentity);
    countSite(visitor->site(), -1);
    m_entries.erase(entry->self);
    return visitor;
}

bool VisitorList::isConsistent() const {
    // Rebuild every index the slow way and compare.
    std::map<wxString, int32_t> counts;
    std::unordered_map<wxString, std::vector<const Entry*>, StringHash> identities, keys;
    uint64_t lastSequence = 0;
    bool first = true;
    for (const Entry& e : m_entries) {
        if (!e.visitor)
            return false;
        if (!first && e.sequence <= lastSequence)
            return false;
        first = false;
        lastSequence = e.sequence;
        ++counts[e.visitor->site()];
        identities[identityOf(e.visitor->site(), e.visitor->numberText())].push_back(&e);
        keys[e.visitor->visitorKey()].push_back(&e);
    }
    if (counts != m_siteCounts)
        return false;

    auto sameChains =
        [](const ChainMap& map,
           const std::unordered_map<wxString, std::vector<const Entry*>, StringHash>& expected,
           Link prev, Link next) {
            if (map.size() != expected.size())
                return false;
            for (const auto& [id, entries] : expected) {
                auto it = map.find(id);
                if (it == map.end())
                    return false;
                const Entry* walk = it->second.head;
                const Entry* before = nullptr;
                for (const Entry* e : entries) {
                    if (walk != e || walk->*prev != before)
                        return false;
                    before = walk;
                    walk = walk->*next;
                }
                if (walk != nullptr || it->second.tail != before)
                    return false;
            }
            return true;
        };
    return sameChains(m_byIdentity, identities, &Entry::prevSameIdentity,
                      &Entry::nextSameIdentity) &&
           sameChains(m_byKey, keys, &Entry::prevSameKey, &Entry::nextSameKey);
}

}  // namespace Tavoro::Types
