// Handing the reader's frames to their handlers: chat lines first, and without letting a
// flood freeze the window.
//
// The reader hands frames over in batches, with one wake-up per batch. Handling a batch at once
// would make a chat line wait for every visitor event read before it, and a burst of
// thousands of frames (a fast stream of visitor events after a busy moment) would keep input
// and painting waiting until the last one was handled.
//
// So the wake-up only files the frames into the inbox, which is cheap. The toolkit follows
// every pass over the queued events with an idle round, and the idle handler handles the filed
// frames: those for the chat windows first, then the rest, for at most kSliceMs per round.
// Before each frame of the rest it files what the reader has handed over meanwhile, so a chat
// line waits for at most the frame being handled. Whatever is left when the time is up is
// handled in further rounds, with input and painting in between. The loss of the connection is
// handled after every frame read before it.
//
// Which frame goes first is the inbox's rule (session/Inbox.h).
#include <wx/app.h>

#include "app/TavoroClientFrame.h"
#include "net/ConnectionThread.h"

namespace Tavoro {
namespace {

constexpr long kSliceMs = 8;

}  // namespace

void TavoroClientFrame::drainInbox(long sliceStart) {
    // A handler that runs a nested event loop (the server's message box) lets the frames after
    // its own be handled meanwhile, in order, so the live view goes on and nothing piles up
    // while the operator reads it.
    while (ConnectionThread::monotonicMs() - sliceStart < kSliceMs) {
        // Before a frame of the other line, file what arrived meanwhile, so that a chat line
        // read while the last frame was handled goes first. Chat frames in a row are handled
        // without a pause, and the lines they bring are shown together after them.
        if (!m_inbox.chatFrameFirst())
            takeReceived();
        Session::Inbox::Item item;
        if (!m_inbox.next(item))
            return;
        if (item.lost) {
            handleConnectionLost();
        } else {
            m_frameReadAt = item.readAt;
            dispatchMessage(item.message);
        }
    }
}

void TavoroClientFrame::onIdleDrainInbox(wxIdleEvent& event) {
    event.Skip();
    drainInbox(ConnectionThread::monotonicMs());
    if (!m_inbox.empty())
        event.RequestMore();
}

}  // namespace Tavoro
