#pragma once

#include <wx/infobar.h>
#include <wx/timer.h>

class wxFrame;

namespace Tavoro {
namespace Session {
class OperatorSession;
}

// A bar above the main window's panes while the session waits to retry a lost connection:
// "Connection lost, reconnecting in N s (attempt K)", counting down (the status bar with it),
// with "Reconnect now".
class ReconnectBar : public wxInfoBar {
  public:
    // Creates the bar and puts it above content, the frame's one pane.
    static ReconnectBar* attach(wxFrame& frame, wxWindow* content,
                                Session::OperatorSession& session);

    // Shows or hides the bar as the session's retry stands.
    void follow();
    // The text shown ("" while hidden), for tests.
    wxString text() const { return m_text; }
    // What "Reconnect now" does.
    void reconnectNow();

  private:
    ReconnectBar(wxFrame& frame, Session::OperatorSession& session);
    void onTick(wxTimerEvent& event);

    Session::OperatorSession& m_session;
    wxTimer m_ticker;
    wxString m_text;
};

}  // namespace Tavoro
