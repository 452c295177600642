// The transcript of a running chat, with its HTML fragments.
#include "FuzzText.h"
#include "messages/ChatTranscript.h"
#include "messages/S_CURRENTCHAT.h"

using namespace Tavoro;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const Messages::TavoroMessage message =
        Fuzz::messageOf(Messages::MK_CURRENTCHAT, Fuzz::textOf(data, size));
    const Messages::S_CURRENTCHAT chat(message);
    Fuzz::check(chat.transcriptHtml().length() <= Messages::ChatTranscript::kMaxHtmlLength,
                "transcript within its limit");
    return 0;
}
