#pragma once

#include <wx/string.h>

#include <functional>
#include <utility>
#include <vector>

#include "types/WaitingChats.h"

class wxMenu;
class wxMenuEvent;
class wxWindow;

namespace Tavoro {

class TavoroClientFrame;

// The main window's "Chats" menu: "Pick Up Longest Waiting" (Ctrl+P) takes the chat that has
// waited longest, exactly as a double click on its row would, and the open chat windows are
// listed below it, the first nine with Ctrl+1 to Ctrl+9 (which also work in the chat windows).
// It binds its own menu commands on the frame and only needs to hear of new chat lists.
class ChatShortcuts {
  public:
    // Brings a chat window to the front in place of raising and focusing it, when set (tests
    // without a window manager cannot see which window is in front).
    static std::function<void(wxWindow* window)> raiseHook;

    // Puts the "Chats" menu into the frame's menu bar, before its last menu (Help).
    explicit ChatShortcuts(TavoroClientFrame& frame);

    // A new chat list arrived: the waiting order and the menu follow it.
    void chatListChanged();
    // The waiting chat that nobody talks to and this operator has no window for yet, which was
    // first seen earliest; empty when there is none.
    wxString longestWaitingChat() const;
    void pickUpLongestWaiting();
    // Brings the open chat window at that place of the menu (0 for Ctrl+1) to the front.
    void switchTo(int place);

    wxMenu* menu() const { return m_menu; }
    // Lists the open chat windows in the menu again.
    void refreshMenu();

  private:
    TavoroClientFrame& m_frame;
    wxMenu* m_menu = nullptr;  // owned by the menu bar
    Types::WaitingChats m_waiting;
    // The open chat windows the menu lists, with their labels.
    std::vector<std::pair<wxWindow*, wxString>> m_listed;
};

}  // namespace Tavoro
