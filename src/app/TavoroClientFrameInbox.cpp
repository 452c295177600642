// Handing the reader's frames to their handlers without letting a flood freeze the window.
//
// The reader posts one event per frame. The toolkit handles every queued event before it goes
// back to the main loop, so thousands of frames in the queue (a burst of chat lines, a fast
// stream of visitor events after a busy moment) would keep input and painting waiting until
// the last one is handled. Frames are therefore handled as they come only while the GUI thread
// has been away from the main loop for less than kSliceMs; after that they are set aside, in
// order, and handled in further slices of that length from idle time, with input and painting
// in between. The loss of the connection goes through the same line, after the frames read
// before it.
#include <wx/app.h>

#include "app/TavoroClientFrame.h"
#include "net/ConnectionThread.h"

namespace Tavoro {
namespace {

constexpr long kSliceMs = 8;

}  // namespace

void TavoroClientFrame::takeFromReader(wxString text, long readAt, bool lost) {
    m_inbox.push_back(InboxItem{std::move(text), readAt, lost});
    drainInbox();
}

void TavoroClientFrame::drainInbox() {
    // A handler that runs a nested event loop (the server's message box) lets the frames after
    // its own be handled meanwhile, in order, so the live view goes on and nothing piles up
    // while the operator reads it.
    while (!m_inbox.empty() && ConnectionThread::monotonicMs() - m_sliceStart < kSliceMs) {
        InboxItem item = std::move(m_inbox.front());
        m_inbox.pop_front();
        if (item.lost) {
            handleConnectionLost();
        } else {
            m_frameReadAt = item.readAt;
            dispatchMessage(Messages::TavoroMessage(item.text));
        }
    }
    if (!m_inbox.empty())
        wxWakeUpIdle();
}

void TavoroClientFrame::onIdleDrainInbox(wxIdleEvent& event) {
    event.Skip();
    // Back from the main loop: a new slice starts.
    m_sliceStart = ConnectionThread::monotonicMs();
    if (m_inbox.empty())
        return;
    drainInbox();
    if (!m_inbox.empty())
        event.RequestMore();
}

}  // namespace Tavoro
