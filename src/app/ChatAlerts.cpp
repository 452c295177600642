#include "app/ChatAlerts.h"

#include <wx/grid.h>
#include <wx/notebook.h>
#include <wx/weakref.h>

#include <gtk/gtk.h>

#include <chrono>

#include "app/ClientIds.h"
#include "app/TavoroClientFrame.h"
#include "app/TrayIcon.h"
#include "messages/S_CHAT.h"
#include "settings/TavoroSettings.h"
#include "tools/Placeholders.h"
#include "widgets/Notifications.h"

namespace Tavoro {
namespace {

long long steadyMs() {
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

// "0:42", "12:05", "1:02:09".
wxString waitedText(long long ms) {
    const long long seconds = ms / 1000;
    if (seconds >= 3600)
        return wxString::Format("%lld:%02lld:%02lld", seconds / 3600, seconds / 60 % 60,
                                seconds % 60);
    return wxString::Format("%lld:%02lld", seconds / 60, seconds % 60);
}

}  // namespace

std::function<long long()> ChatAlerts::clockMs;

ChatAlerts::ChatAlerts(TavoroClientFrame& frame, TavoroSettings& settings)
    : m_frame(frame), m_settings(settings), m_timer(this) {
    Bind(wxEVT_TIMER, [this](wxTimerEvent&) { tick(); });
}

ChatAlerts::~ChatAlerts() {
    m_timer.Stop();
}

long long ChatAlerts::now() const {
    return clockMs ? clockMs() : steadyMs();
}

void ChatAlerts::chatRequested(const Messages::S_CHAT& request) {
    showChattingPage(m_frame.chatNotebook());
    const long long at = now();
    const wxString chatId = request.text0();
    m_waiting.requested(chatId, at);
    m_lastSoundAt = at;
    m_soundHeard = true;
    wxWeakRef<TavoroClientFrame> frame(&m_frame);
    // The frame owns this object: the weak reference covers a notice clicked after both went.
    Notifications::chatRequested(
        m_settings, request,
        [this, frame] {
            if (frame)
                showWaitingChats();
        },
        [this, frame, chatId] {
            if (frame)
                pickUp(chatId);
        });
}

void ChatAlerts::showChattingPage(wxNotebook* notebook) {
    if (!notebook || notebook->GetSelection() == CHAT_PAGE_CHATTING)
        return;
    // The toolkit's page change also gives the new page the keyboard focus, which brings the
    // main window up over the chat window the operator is typing in (at once where no window
    // manager arbitrates). The native notebook changes page without touching the focus.
    GtkWidget* widget = notebook->GetHandle();
    if (widget && GTK_IS_NOTEBOOK(widget))
        gtk_notebook_set_current_page(GTK_NOTEBOOK(widget), CHAT_PAGE_CHATTING);
}

void ChatAlerts::chatListChanged() {
    const long long at = now();
    const bool wasWaiting = !m_waiting.empty();
    for (const wxString& chatId : m_waiting.update(m_frame.session().chats(), at))
        Notifications::withdrawNotice(Notifications::chatNoticeKey(chatId));
    // Waits that began with no request heard (a list at login) repeat from now on.
    if (!wasWaiting && !m_waiting.empty() && !m_soundHeard)
        m_lastSoundAt = at;
    m_soundHeard = !m_waiting.empty();
    showWaiting(at);
}

void ChatAlerts::tick() {
    const long long at = now();
    const long intervalMs = chatRequestRepeatSecondsOf(m_settings) * 1000;
    if (!m_waiting.empty() && intervalMs > 0 && at - m_lastSoundAt >= intervalMs) {
        m_lastSoundAt = at;
        Notifications::chatStillWaiting(m_settings);
    }
    showWaiting(at);
}

void ChatAlerts::showWaiting(long long nowMs) {
    markRows(nowMs);
    setUrgent(!m_waiting.empty());
    if (m_waiting.count() != m_shownCount) {
        m_shownCount = m_waiting.count();
        if (TrayIcon* tray = m_frame.trayIcon())
            tray->showWaiting(static_cast<int>(m_shownCount));
    }
    if (m_waiting.empty())
        m_timer.Stop();
    else if (!m_timer.IsRunning())
        m_timer.Start(kTickMs);
}

void ChatAlerts::markRows(long long nowMs) {
    wxGrid* grid = m_frame.chattingGrid();
    if (!grid)
        return;
    const wxString longest = m_waiting.longestWaiting();
    grid->BeginBatch();
    for (int row = 0; row < grid->GetNumberRows(); ++row) {
        const wxString chatId = grid->GetCellValue(row, CHAT_COL_ID);
        const Types::VisitorChatType* chat = m_frame.session().findChat(chatId);
        const wxString activity = chat ? chat->lastActivity : wxString();
        const long long waited = m_waiting.waitedMs(chatId, nowMs);
        if (waited < 0) {
            grid->SetCellValue(row, CHAT_COL_LAST_ACTIVITY, activity);
            grid->SetRowAttr(row, nullptr);
            continue;
        }
        grid->SetCellValue(
            row, CHAT_COL_LAST_ACTIVITY,
            Tools::fillPlaceholders(_("%TIME% - waiting %WAITED%"),
                                    {{"%TIME%", activity}, {"%WAITED%", waitedText(waited)}}));
        // Every waiting row stands out; the one waiting longest most of all.
        auto* attr = new wxGridCellAttr;
        if (chatId == longest) {
            attr->SetBackgroundColour(wxColour(255, 170, 90));
            attr->SetFont(grid->GetDefaultCellFont().Bold());
        } else {
            attr->SetBackgroundColour(wxColour(255, 228, 160));
        }
        grid->SetRowAttr(row, attr);
    }
    grid->AutoSizeColumn(CHAT_COL_LAST_ACTIVITY, false);
    grid->EndBatch();
}

void ChatAlerts::setUrgent(bool urgent) {
    if (urgent == m_urgent)
        return;
    m_urgent = urgent;
    // The toolkit's attention request runs a nested event loop and cannot be taken back while
    // the window is inactive; the hint itself is set and cleared directly.
    GtkWidget* widget = m_frame.GetHandle();
    if (widget && GTK_IS_WINDOW(widget))
        gtk_window_set_urgency_hint(GTK_WINDOW(widget), urgent);
}

void ChatAlerts::showWaitingChats() {
    m_frame.Show();
    m_frame.Iconize(false);
    m_frame.Raise();
    m_frame.chatNotebook()->ChangeSelection(CHAT_PAGE_CHATTING);
}

void ChatAlerts::pickUp(const wxString& chatId) {
    m_frame.chatNotebook()->ChangeSelection(CHAT_PAGE_CHATTING);
    m_frame.startChat(chatId);
}

}  // namespace Tavoro
