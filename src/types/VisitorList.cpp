#include "types/VisitorList.h"

#include <algorithm>
#include <utility>

#include "tools/Utf8.h"
#include "types/KeyedHash.h"

namespace Tavoro::Types {

namespace {
constexpr size_t kNoSlot = static_cast<size_t>(-1);
}

// ---------------------------------------------------------------- ChainIndex

VisitorList::ChainIndex::ChainIndex(IdentityOf identityOf, Link prev, Link next)
    : m_identityOf(identityOf), m_prev(prev), m_next(next) {}

uint64_t VisitorList::ChainIndex::hashOf(const Identity& id) {
    // The two parts are hashed apart (the texts are the server's; see keyedHash) and combined;
    // the second part is empty for the key index.
    const uint64_t a = keyedHash(id.first);
    if (id.second.empty())
        return a;
    const uint64_t b = keyedHash(id.second);
    return a ^ (b + 0x9e3779b97f4a7c15ULL + (a << 6) + (a >> 2));
}

void VisitorList::ChainIndex::clear() {
    // Keeps the slot array: a replaced list is usually about as long as the old one.
    std::fill(m_slots.begin(), m_slots.end(), Slot());
    m_used = 0;
}

void VisitorList::ChainIndex::reserve(size_t chains) {
    size_t wanted = 16;
    while (wanted < chains * 2)
        wanted *= 2;
    if (wanted <= m_slots.size())
        return;
    std::vector<Slot> old = std::move(m_slots);
    m_slots.assign(wanted, Slot());
    const size_t mask = wanted - 1;
    for (const Slot& s : old) {
        if (!s.head)
            continue;
        size_t i = s.hash & mask;
        while (m_slots[i].head)
            i = (i + 1) & mask;
        m_slots[i] = s;
    }
}

void VisitorList::ChainIndex::grow() {
    reserve(m_used + 1);
}

size_t VisitorList::ChainIndex::find(const Identity& id, uint64_t hash) const {
    if (m_slots.empty())
        return kNoSlot;
    const size_t mask = m_slots.size() - 1;
    for (size_t i = hash & mask; m_slots[i].head; i = (i + 1) & mask) {
        const Slot& s = m_slots[i];
        if (s.hash == hash && m_identityOf(*s.head->visitor) == id)
            return i;
    }
    return kNoSlot;
}

VisitorList::Entry* VisitorList::ChainIndex::first(const Identity& id) const {
    const size_t i = find(id, hashOf(id));
    return i == kNoSlot ? nullptr : m_slots[i].head;
}

VisitorList::Entry* VisitorList::ChainIndex::last(const Identity& id) const {
    const size_t i = find(id, hashOf(id));
    return i == kNoSlot ? nullptr : m_slots[i].tail;
}

void VisitorList::ChainIndex::insert(Entry* entry) {
    const Identity id = m_identityOf(*entry->visitor);
    const uint64_t hash = hashOf(id);
    size_t i = find(id, hash);
    if (i == kNoSlot) {
        grow();
        const size_t mask = m_slots.size() - 1;
        for (i = hash & mask; m_slots[i].head; i = (i + 1) & mask) {
        }
        m_slots[i] = Slot{hash, entry, entry};
        entry->*m_prev = nullptr;
        entry->*m_next = nullptr;
        ++m_used;
        return;
    }
    // Appends are the rule; an entry whose identity changed may belong further up the chain.
    Slot& chain = m_slots[i];
    Entry* after = chain.tail;
    while (after && after->sequence > entry->sequence)
        after = after->*m_prev;
    entry->*m_prev = after;
    entry->*m_next = after ? after->*m_next : chain.head;
    if (entry->*m_next) {
        (entry->*m_next)->*m_prev = entry;
    } else {
        chain.tail = entry;
    }
    if (after) {
        after->*m_next = entry;
    } else {
        chain.head = entry;
    }
}

void VisitorList::ChainIndex::remove(Entry* entry) {
    const Identity id = m_identityOf(*entry->visitor);
    const size_t i = find(id, hashOf(id));
    if (i == kNoSlot)
        return;
    Slot& chain = m_slots[i];
    if (entry->*m_prev) {
        (entry->*m_prev)->*m_next = entry->*m_next;
    } else {
        chain.head = entry->*m_next;
    }
    if (entry->*m_next) {
        (entry->*m_next)->*m_prev = entry->*m_prev;
    } else {
        chain.tail = entry->*m_prev;
    }
    entry->*m_prev = nullptr;
    entry->*m_next = nullptr;
    if (!chain.head)
        freeSlot(i);
}

void VisitorList::ChainIndex::freeSlot(size_t index) {
    // Backward-shift deletion: move later members of the probe run into the gap so that every
    // slot stays reachable from its home slot without tombstones.
    const size_t mask = m_slots.size() - 1;
    size_t gap = index;
    for (size_t j = (gap + 1) & mask; m_slots[j].head; j = (j + 1) & mask) {
        const size_t home = m_slots[j].hash & mask;
        // Slot j may move to the gap unless its home lies cyclically in (gap, j].
        const bool homeAfterGap = gap <= j ? (gap < home && home <= j) : (gap < home || home <= j);
        if (homeAfterGap)
            continue;
        m_slots[gap] = m_slots[j];
        gap = j;
    }
    m_slots[gap] = Slot();
    --m_used;
}

bool VisitorList::ChainIndex::isConsistent() const {
    size_t used = 0;
    for (size_t i = 0; i < m_slots.size(); ++i) {
        const Slot& s = m_slots[i];
        if (!s.head)
            continue;
        ++used;
        const Identity id = m_identityOf(*s.head->visitor);
        if (s.hash != hashOf(id) || find(id, s.hash) != i)
            return false;
    }
    return used == m_used && m_used * 2 <= m_slots.size();
}

// ---------------------------------------------------------------- VisitorList

VisitorList::const_iterator::reference VisitorList::const_iterator::operator*() const {
    return *m_it->visitor;
}

VisitorList::Identity VisitorList::identityOfVisitor(const VisitorFields& visitor) {
    return Identity{visitor.siteView(), visitor.numberTextView()};
}

VisitorList::Identity VisitorList::keyOfVisitor(const VisitorFields& visitor) {
    return Identity{visitor.visitorKeyView(), std::string_view()};
}

VisitorList::VisitorList()
    : m_byIdentity(&VisitorList::identityOfVisitor, &Entry::prevSameIdentity,
                   &Entry::nextSameIdentity),
      m_byKey(&VisitorList::keyOfVisitor, &Entry::prevSameKey, &Entry::nextSameKey) {}

VisitorList::~VisitorList() = default;

void VisitorList::countSite(std::string_view site, int32_t delta) {
    const wxString key = Tools::fromUtf8(site);
    auto it = m_siteCounts.find(key);
    if (it == m_siteCounts.end()) {
        if (delta > 0)
            m_siteCounts.emplace(key, delta);
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
    m_byIdentity.insert(&entry);
    m_byKey.insert(&entry);
    countSite(entry.visitor->siteView(), 1);
    return *entry.visitor;
}

VisitorType* VisitorList::findByIdentity(const wxString& site, const wxString& numberText) const {
    const std::string siteBytes = Tools::toUtf8(site);
    const std::string numberBytes = Tools::toUtf8(numberText);
    const Entry* e = m_byIdentity.first(Identity{siteBytes, numberBytes});
    return e ? e->visitor.get() : nullptr;
}

VisitorType* VisitorList::findByKey(const wxString& visitorKey) const {
    const std::string key = Tools::toUtf8(visitorKey);
    const Entry* e = m_byKey.first(Identity{key, {}});
    return e ? e->visitor.get() : nullptr;
}

template <typename Fields>
VisitorList::EventOutcome VisitorList::applyFields(Fields&& event) {
    EventOutcome outcome;
    Entry* entry = m_byIdentity.first(identityOfVisitor(event));
    if (!entry) {
        outcome.visitor = &append(std::make_unique<VisitorType>(std::forward<Fields>(event)));
        outcome.added = true;
        outcome.previousKey = outcome.visitor->visitorKey();
        return outcome;
    }
    // Site and number text stay as they are (they are what matched); the key may change, and
    // the key index reads the key from the visitor, so the entry leaves it before the update.
    outcome.visitor = entry->visitor.get();
    outcome.previousKey = entry->visitor->visitorKey();
    outcome.previousStatus = entry->visitor->status();
    const bool keyChanges = event.visitorKeyView() != entry->visitor->visitorKeyView();
    if (keyChanges)
        m_byKey.remove(entry);
    // The identity chain reads the first visitor's texts in place; they are rewritten with the
    // same values, so the chain stays valid.
    entry->visitor->update(std::forward<Fields>(event));
    if (keyChanges)
        m_byKey.insert(entry);
    return outcome;
}

VisitorList::EventOutcome VisitorList::applyEvent(const VisitorFields& event) {
    return applyFields(event);
}

VisitorList::EventOutcome VisitorList::applyEvent(VisitorFields&& event) {
    return applyFields(std::move(event));
}

std::unique_ptr<VisitorType> VisitorList::removeByKey(const wxString& visitorKey) {
    const std::string key = Tools::toUtf8(visitorKey);
    Entry* entry = m_byKey.first(Identity{key, {}});
    if (!entry)
        return nullptr;
    m_byKey.remove(entry);
    m_byIdentity.remove(entry);
    countSite(entry->visitor->siteView(), -1);
    std::unique_ptr<VisitorType> visitor = std::move(entry->visitor);
    m_entries.erase(entry->self);
    return visitor;
}

bool VisitorList::isConsistent() const {
    if (!m_byIdentity.isConsistent() || !m_byKey.isConsistent())
        return false;

    // Rebuild every chain and count the slow way and compare.
    using Texts = std::pair<std::string, std::string>;
    std::map<wxString, int32_t> counts;
    std::map<Texts, std::vector<const Entry*>> identities;
    std::map<Texts, std::vector<const Entry*>> keys;
    const Entry* previous = nullptr;
    for (const Entry& e : m_entries) {
        if (!e.visitor)
            return false;
        if (previous && e.sequence <= previous->sequence)
            return false;
        previous = &e;
        ++counts[e.visitor->site()];
        const Identity id = identityOfVisitor(*e.visitor);
        identities[{std::string(id.first), std::string(id.second)}].push_back(&e);
        keys[{std::string(e.visitor->visitorKeyView()), std::string()}].push_back(&e);
    }
    if (counts != m_siteCounts)
        return false;

    auto sameChains = [](const ChainIndex& index,
                         const std::map<Texts, std::vector<const Entry*>>& expected, Link prev,
                         Link next) {
        if (index.chainCount() != expected.size())
            return false;
        for (const auto& [texts, entries] : expected) {
            const Identity id{texts.first, texts.second};
            const Entry* walk = index.first(id);
            const Entry* before = nullptr;
            for (const Entry* e : entries) {
                if (walk != e || walk->*prev != before)
                    return false;
                before = walk;
                walk = walk->*next;
            }
            if (walk != nullptr || index.last(id) != before)
                return false;
        }
        return true;
    };
    return sameChains(m_byIdentity, identities, &Entry::prevSameIdentity,
                      &Entry::nextSameIdentity) &&
           sameChains(m_byKey, keys, &Entry::prevSameKey, &Entry::nextSameKey);
}

}  // namespace Tavoro::Types
