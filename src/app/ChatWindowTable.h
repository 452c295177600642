#pragma once

#include <wx/string.h>
#include <wx/weakref.h>
#include <wx/window.h>

#include <vector>

namespace Tavoro {

// The open chat windows by chat identifier. Slots with an empty key are free; a full table
// grows by three slots and never shrinks. Windows are not owned: a chat window destroys
// itself, and the weak reference then reads as null instead of dangling.
class ChatWindowTable {
  public:
    ChatWindowTable();

    bool contains(const wxString& key) const;
    wxWindow* get(const wxString& key) const;
    void insert(const wxString& key, wxWindow* window);
    void remove(const wxString& key);

    size_t slotCount() const { return m_keys.size(); }
    // The windows still open, in slot order.
    std::vector<wxWindow*> windows() const;

  private:
    int find(const wxString& key) const;

    std::vector<wxString> m_keys;
    std::vector<wxWeakRef<wxWindow>> m_windows;
};

}  // namespace Tavoro
