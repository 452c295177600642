// A visitor's earlier chats.
#include "FuzzText.h"
#include "messages/S_PREVCHATS.h"

using namespace Tavoro;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const Messages::TavoroMessage message =
        Fuzz::messageOf(Messages::MK_PREVCHATS, Fuzz::textOf(data, size));
    const Messages::S_PREVCHATS chats(message);
    Fuzz::check(chats.count() == static_cast<int32_t>(chats.chats().size()), "count is the size");
    for (const Types::PrevChatType& chat : chats.chats()) {
        Fuzz::check(chat.duration.Freq(':') == 2, "duration is h:m:s");
    }
    return 0;
}
