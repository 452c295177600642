#pragma once

#include <wx/event.h>
#include <wx/timer.h>

#include <functional>

class wxNotebook;

#include "session/WaitingChats.h"

namespace Tavoro {

class TavoroClientFrame;
class TavoroSettings;
namespace Messages {
class S_CHAT;
}

// Keeps asking while a chat waits for an operator: the chat-request sound again every few
// seconds ("Popups/ChatRequestRepeatSeconds"; 0 = once), the main window marked as needing
// attention on the taskbar, the number of waiting chats on the tray icon, and the waiting rows
// of "Chatting Visitors" highlighted with the time waited (the longest wait strongest). The
// chat-request notice offers "Pick up", and is withdrawn once its chat no longer waits. All of
// it stops when the chat is taken, by this operator or another, or withdrawn.
//
// Nothing here raises a window or moves the keyboard focus: the operator may be typing in a
// chat window while requests arrive.
class ChatAlerts : public wxEvtHandler {
  public:
    ChatAlerts(TavoroClientFrame& frame, TavoroSettings& settings);
    ~ChatAlerts() override;

    ChatAlerts(const ChatAlerts&) = delete;
    ChatAlerts& operator=(const ChatAlerts&) = delete;

    // A "@CHAT" request: "Chatting Visitors" to the front of its notebook, sound, notice, and
    // the start of that chat's wait.
    void chatRequested(const Messages::S_CHAT& request);
    // The chat list changed (after the grid was refilled).
    void chatListChanged();

    // How often the waiting rows and the repeated sound are looked at while a chat waits.
    static constexpr int kTickMs = 1000;
    // The clock of the waits and repeats (milliseconds, monotonic); tests replace it.
    static std::function<long long()> clockMs;

    // Shows "Chatting Visitors" in the chat notebook without moving the keyboard focus.
    static void showChattingPage(wxNotebook* notebook);

  private:
    long long now() const;
    void tick();
    // Brings the grid, the tray icon and the taskbar mark up to date.
    void showWaiting(long long nowMs);
    void markRows(long long nowMs);
    void setUrgent(bool urgent);
    // The operator clicked the notice, or chose its "Pick up".
    void showWaitingChats();
    void pickUp(const wxString& chatId);

    TavoroClientFrame& m_frame;
    TavoroSettings& m_settings;
    Session::WaitingChats m_waiting;
    wxTimer m_timer;
    long long m_lastSoundAt = 0;
    // Whether the sound was heard for the chats waiting now (or for a request not listed yet).
    bool m_soundHeard = false;
    size_t m_shownCount = 0;
    bool m_urgent = false;
};

}  // namespace Tavoro
