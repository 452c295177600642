#pragma once

#include <deque>

#include "messages/TavoroMessage.h"
#include "net/TlsChannel.h"

namespace Tavoro::Session {

// What the reader handed over and is not handled yet: frames, and the loss of the connection.
//
// Frames wait in two lines, each kept in the order read. The chat line holds what only an
// open chat window shows (its lines, typing, its transcript so far) and is handled first, so a
// chat line never waits behind thousands of visitor events. Everything else waits in the other
// line, which ends with the loss of the connection when it comes.
//
// A chat frame may only go ahead of frames it does not need. "@CURRENTCHAT" finds its chat in
// the "Chatting Visitors" list that "@VISITORS" fills, so while such a list waits, chat frames
// queue behind it in the other line. And once one chat frame waits there, every later chat
// frame queues behind it too, until it is handled: otherwise a line read after the list is
// handled would overtake a line read before it.
class Inbox {
  public:
    struct Item {
        Messages::TavoroMessage message;
        long readAt = 0;  // when the reader took the frame off the socket (monotonic ms)
        bool lost = false;
        Net::TlsFailure failure = Net::TlsFailure::None;  // why a TLS connection was refused
    };

    void take(Messages::TavoroMessage&& message, long readAt);
    void takeLoss(long readAt, Net::TlsFailure failure = Net::TlsFailure::None);

    // Moves the next item to handle into `item`; false when nothing waits.
    bool next(Item& item);

    bool empty() const { return m_chat.empty() && m_rest.empty(); }
    // Whether a frame for the chat windows can be handled next without anything before it.
    bool chatFrameFirst() const { return !m_chat.empty(); }
    size_t size() const { return m_chat.size() + m_rest.size(); }
    void clear();

  private:
    static bool forChatWindows(Messages::MessageKind kind);

    std::deque<Item> m_chat;
    std::deque<Item> m_rest;
    int m_listsWaiting = 0;       // "@VISITORS" frames in m_rest
    int m_chatFramesWaiting = 0;  // chat frames in m_rest
};

}  // namespace Tavoro::Session
