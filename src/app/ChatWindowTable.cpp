#include "app/ChatWindowTable.h"

namespace Tavoro {

namespace {
constexpr size_t kInitialSlots = 6;
constexpr size_t kGrowth = 3;
}  // namespace

ChatWindowTable::ChatWindowTable() : m_keys(kInitialSlots), m_windows(kInitialSlots) {}

int ChatWindowTable::find(const wxString& key) const {
    if (key.empty())
        return -1;  // the empty key marks a free slot, never an entry
    for (size_t i = 0; i < m_keys.size(); ++i) {
        if (m_keys[i] == key)
            return static_cast<int>(i);
    }
    return -1;
}

bool ChatWindowTable::contains(const wxString& key) const {
    return find(key) >= 0;
}

wxWindow* ChatWindowTable::get(const wxString& key) const {
    const int i = find(key);
    return i >= 0 ? m_windows[static_cast<size_t>(i)].get() : nullptr;
}

void ChatWindowTable::insert(const wxString& key, wxWindow* window) {
    if (key.empty())
        return;
    for (size_t i = 0; i < m_keys.size(); ++i) {
        if (m_keys[i].empty()) {
            m_keys[i] = key;
            m_windows[i] = window;
            return;
        }
    }
    const size_t first = m_keys.size();
    m_keys.resize(first + kGrowth);
    m_windows.resize(first + kGrowth);
    m_keys[first] = key;
    m_windows[first] = window;
}

void ChatWindowTable::remove(const wxString& key) {
    const int i = find(key);
    if (i < 0)
        return;
    m_keys[static_cast<size_t>(i)].clear();
    m_windows[static_cast<size_t>(i)] = nullptr;
}

std::vector<wxWindow*> ChatWindowTable::windows() const {
    std::vector<wxWindow*> open;
    for (size_t i = 0; i < m_keys.size(); ++i) {
        if (!m_keys[i].empty() && m_windows[i])
            open.push_back(m_windows[i].get());
    }
    return open;
}

}  // namespace Tavoro
