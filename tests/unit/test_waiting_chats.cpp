// Which chats wait for an operator and since when, measured by the client itself.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "session/WaitingChats.h"

using Tavoro::Session::WaitingChats;
using Tavoro::Types::VisitorChatType;

namespace {

VisitorChatType chat(const char* id, const char* talkingTo) {
    VisitorChatType c;
    c.id = id;
    c.talkingTo = talkingTo;
    return c;
}

std::vector<wxString> sorted(std::vector<wxString> ids) {
    std::sort(ids.begin(), ids.end());
    return ids;
}

TEST(WaitingChats, WaitsCountFromTheRequestOrFromTheFirstListAndEndWhenTakenOrGone) {
    WaitingChats waiting;
    waiting.requested("a", 1000);
    EXPECT_FALSE(waiting.isWaiting("a")) << "not before a list shows it";
    EXPECT_TRUE(waiting.update({chat("a", ""), chat("b", "0"), chat("c", "7")}, 4000).empty());
    EXPECT_EQ(waiting.count(), 2u);
    EXPECT_EQ(waiting.waitedMs("a", 9000), 8000) << "from its request";
    EXPECT_EQ(waiting.waitedMs("b", 9000), 5000) << "from the list that showed it";
    EXPECT_EQ(waiting.waitedMs("c", 9000), -1) << "talking to operator 7";
    EXPECT_EQ(waiting.longestWaiting(), "a");

    // Later lists keep the start; a taken chat and a withdrawn chat stop waiting.
    EXPECT_TRUE(waiting.update({chat("a", ""), chat("b", "")}, 6000).empty());
    EXPECT_EQ(waiting.waitedMs("b", 9000), 5000);
    EXPECT_EQ(sorted(waiting.update({chat("b", "5")}, 7000)), (std::vector<wxString>{"a", "b"}));
    EXPECT_TRUE(waiting.empty());
    EXPECT_EQ(waiting.longestWaiting(), "");

    // Waiting again after being put back counts anew.
    waiting.update({chat("b", "")}, 20000);
    EXPECT_EQ(waiting.waitedMs("b", 21000), 1000);
}

TEST(WaitingChats, ARequestListedAsTakenAlreadyEndsWithoutWaiting) {
    WaitingChats waiting;
    waiting.requested("a", 1000);
    EXPECT_EQ(waiting.update({chat("a", "7")}, 2000), std::vector<wxString>{"a"});
    EXPECT_TRUE(waiting.empty());
    // A request forgotten after long without a list naming it counts from the list.
    waiting.requested("d", 3000);
    waiting.update({}, 3000 + 11 * 60 * 1000);
    waiting.update({chat("d", "")}, 3000 + 12 * 60 * 1000);
    EXPECT_EQ(waiting.waitedMs("d", 3000 + 12 * 60 * 1000), 0);
}

}  // namespace
