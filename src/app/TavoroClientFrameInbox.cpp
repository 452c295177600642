// Handing the reader's frames to their handlers: chat lines first, and without letting a
// flood freeze the window.
//
// The reader posts one event per frame. Handling each frame from its event would make a chat
// line wait for every visitor event queued before it, and the toolkit handles every queued
// event before it goes back to the main loop, so thousands of frames in the queue (a burst of
// chat lines, a fast stream of visitor events after a busy moment) would keep input and
// painting waiting until the last one was handled.
//
// So the event only files the frame, which is cheap. The toolkit follows every pass over the
// queued events with an idle round, and the idle handler handles the filed frames: those for
// the chat windows first, then the rest, for at most kSliceMs per round. Before each frame of
// the rest it files what the reader has posted meanwhile, so a chat line waits for at most the
// frame being handled. Whatever is left when the time is up is handled in further rounds, with
// input and painting in between. The loss of the connection is handled after every frame read
// before it.
//
// A chat frame may only go ahead of frames it does not need: "@CURRENTCHAT" finds its chat in
// the "Chatting Visitors" list that "@VISITORS" fills. While such a list is waiting, chat frames
// queue behind it in the order read, so a transcript is never looked up in a list older than
// the one the server sent before it (and the lines after it stay behind the transcript).
#include <wx/app.h>

#include "app/TavoroClientFrame.h"
#include "net/ConnectionThread.h"

namespace Tavoro {
namespace {

constexpr long kSliceMs = 8;

// What only the chat windows show, and must show in the order read.
bool forChatWindows(Messages::MessageKind kind) {
    switch (kind) {
        case Messages::MK_MESSAGE:
        case Messages::MK_TYPING_ON:
        case Messages::MK_TYPING_OFF:
        case Messages::MK_CURRENTCHAT:
            return true;
        default:
            return false;
    }
}

}  // namespace

void TavoroClientFrame::takeFromReader(const wxString& text, long readAt, bool lost) {
    if (lost) {
        m_inbox.push_back(InboxItem{Messages::TavoroMessage(), readAt, true});
        return;
    }
    InboxItem item{Messages::TavoroMessage(text), readAt, false};
    const Messages::MessageKind kind = item.message.kind();
    if (kind == Messages::MK_VISITORS)
        ++m_chatListsQueued;
    const bool overtakes = forChatWindows(kind) && m_chatListsQueued == 0;
    (overtakes ? m_chatInbox : m_inbox).push_back(std::move(item));
}

void TavoroClientFrame::drainInbox(long sliceStart) {
    // A handler that runs a nested event loop (the server's message box) lets the frames after
    // its own be handled meanwhile, in order, so the live view goes on and nothing piles up
    // while the operator reads it.
    while (ConnectionThread::monotonicMs() - sliceStart < kSliceMs) {
        // Before a frame of the other line, file what arrived meanwhile, so that a chat line
        // read while the last frame was handled goes first. Chat frames in a row are handled
        // without a pause, and the lines they bring are shown together after them.
        if (m_chatInbox.empty() && wxTheApp->HasPendingEvents())
            wxTheApp->ProcessPendingEvents();
        std::deque<InboxItem>& line = !m_chatInbox.empty() ? m_chatInbox : m_inbox;
        if (line.empty())
            return;
        InboxItem item = std::move(line.front());
        line.pop_front();
        if (!item.lost && item.message.kind() == Messages::MK_VISITORS && m_chatListsQueued > 0)
            --m_chatListsQueued;
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
    if (!m_chatInbox.empty() || !m_inbox.empty())
        event.RequestMore();
}

}  // namespace Tavoro
