#pragma once

#include <wx/eventfilter.h>

#include <chrono>

struct _XDisplay;

namespace Tavoro {

// How long the operator has been away from keyboard and mouse, for the session's inactivity
// rules. On an X11 desktop with the screen saver extension that is the desktop's own idle time,
// so work in other programs counts as activity. Where that is not available (a Wayland
// session, a server without the extension) it is the time since the last key or mouse input
// to this program's own windows, which an event filter watches; with both, the shorter of the
// two counts.
class DesktopIdle : public wxEventFilter {
  public:
    enum class Sources { DesktopAndOwnInput, OwnInputOnly };

    explicit DesktopIdle(Sources sources = Sources::DesktopAndOwnInput);
    ~DesktopIdle() override;
    DesktopIdle(const DesktopIdle&) = delete;
    DesktopIdle& operator=(const DesktopIdle&) = delete;

    // Milliseconds since the last input.
    long idleMs() const;
    // Whether the desktop's idle time is read (X11 with the screen saver extension).
    bool readsDesktop() const { return m_display != nullptr; }

    int FilterEvent(wxEvent& event) override;

  private:
    using Clock = std::chrono::steady_clock;

    _XDisplay* m_display = nullptr;  // the toolkit's connection; null without the extension
    Clock::time_point m_lastInput;
};

}  // namespace Tavoro
