#include "app/ReconnectBar.h"

#include <wx/frame.h>
#include <wx/intl.h>
#include <wx/sizer.h>

#include "session/OperatorSession.h"
#include "tools/Placeholders.h"

namespace Tavoro {
namespace {

constexpr int kTickMs = 1000;

}  // namespace

ReconnectBar::ReconnectBar(wxFrame& frame, Session::OperatorSession& session)
    : wxInfoBar(&frame, wxID_ANY), m_session(session), m_ticker(this) {
    SetName("ID_RECONNECT_BAR");
    // No sliding: the bar comes and goes at once, and tests see it at once.
    SetShowHideEffects(wxSHOW_EFFECT_NONE, wxSHOW_EFFECT_NONE);
    AddButton(wxID_REFRESH, _("Reconnect now"));
    Bind(
        wxEVT_BUTTON, [this](wxCommandEvent&) { reconnectNow(); }, wxID_REFRESH);
    Bind(wxEVT_TIMER, &ReconnectBar::onTick, this);
}

ReconnectBar* ReconnectBar::attach(wxFrame& frame, wxWindow* content,
                                   Session::OperatorSession& session) {
    auto* bar = new ReconnectBar(frame, session);
    auto* column = new wxBoxSizer(wxVERTICAL);
    column->Add(bar, 0, wxEXPAND);
    column->Add(content, 1, wxEXPAND);
    frame.SetSizer(column);
    return bar;
}

void ReconnectBar::follow() {
    if (!m_session.isRetryPending()) {
        m_ticker.Stop();
        m_text.clear();
        if (IsShown())
            Dismiss();
        return;
    }
    m_text = Tools::fillPlaceholders(
        _("Connection lost, reconnecting in %SECONDS% s (attempt %ATTEMPT%)"),
        {{"%SECONDS%", wxString::Format("%ld", m_session.retrySecondsLeft())},
         {"%ATTEMPT%", wxString::Format("%d", m_session.retryAttempt())}});
    ShowMessage(m_text, wxICON_WARNING);
    // The status bar counts down with the bar (the session says it once per retry).
    if (auto* frame = dynamic_cast<wxFrame*>(GetParent()); frame && frame->GetStatusBar())
        frame->SetStatusText(m_text, 0);
    if (!m_ticker.IsRunning())
        m_ticker.Start(kTickMs);
}

void ReconnectBar::reconnectNow() {
    m_session.retryNow();
    follow();
}

void ReconnectBar::onTick(wxTimerEvent&) {
    follow();
}

}  // namespace Tavoro
