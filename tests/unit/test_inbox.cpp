// The order in which frames read together are handled.
#include <gtest/gtest.h>

#include <vector>

#include "session/Inbox.h"

namespace {

using Tavoro::Messages::TavoroMessage;
using Tavoro::Session::Inbox;

// Handles everything waiting and returns the texts in the order handled ("LOST" for the loss).
std::vector<wxString> handleAll(Inbox& inbox) {
    std::vector<wxString> order;
    Inbox::Item item;
    while (inbox.next(item))
        order.push_back(item.lost ? wxString("LOST") : item.message.toText());
    return order;
}

void take(Inbox& inbox, const wxString& text) {
    inbox.take(TavoroMessage(text), 0);
}

TEST(Inbox, ChatFramesOvertakeOnlyWhatTheyDoNotNeed) {
    // A chat line overtakes visitor events; the loss comes after everything read before it.
    Inbox inbox;
    take(inbox, "@EV:1");
    take(inbox, "@EV:2");
    take(inbox, "@MESSAGE:a");
    inbox.takeLoss(0);
    take(inbox, "@1:a");
    EXPECT_EQ(handleAll(inbox),
              (std::vector<wxString>{"@MESSAGE:a", "@1:a", "@EV:1", "@EV:2", "LOST"}));

    // A transcript waits for the chat list read before it, and lines after it wait too.
    take(inbox, "@EV:1");
    take(inbox, "@VISITORS:x");
    take(inbox, "@CURRENTCHAT:t");
    take(inbox, "@MESSAGE:b");
    EXPECT_EQ(handleAll(inbox),
              (std::vector<wxString>{"@EV:1", "@VISITORS:x", "@CURRENTCHAT:t", "@MESSAGE:b"}));
    EXPECT_TRUE(inbox.empty());
}

TEST(Inbox, ALineReadAfterTheListIsHandledStaysBehindTheLinesBeforeIt) {
    // Lines keep arriving while the queue is handled: the list goes, a line queued behind it
    // still waits, and a line read now must not overtake it.
    Inbox inbox;
    take(inbox, "@VISITORS:x");
    take(inbox, "@MESSAGE:1");
    take(inbox, "@EV:1");
    Inbox::Item item;
    ASSERT_TRUE(inbox.next(item));
    EXPECT_EQ(item.message.toText(), "@VISITORS:x");
    take(inbox, "@MESSAGE:2");
    EXPECT_EQ(handleAll(inbox), (std::vector<wxString>{"@MESSAGE:1", "@EV:1", "@MESSAGE:2"}));

    // Once the waiting lines are handled, chat frames go first again.
    take(inbox, "@EV:2");
    take(inbox, "@MESSAGE:3");
    EXPECT_EQ(handleAll(inbox), (std::vector<wxString>{"@MESSAGE:3", "@EV:2"}));
}

TEST(Inbox, ClearForgetsWhatWaitedBehindAList) {
    Inbox inbox;
    take(inbox, "@VISITORS:x");
    take(inbox, "@MESSAGE:1");
    inbox.clear();
    take(inbox, "@EV:1");
    take(inbox, "@MESSAGE:2");
    EXPECT_EQ(handleAll(inbox), (std::vector<wxString>{"@MESSAGE:2", "@EV:1"}));
}

}  // namespace
