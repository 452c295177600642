// The transcript of an earlier chat (first line not shown).
#include "FuzzText.h"
#include "messages/ChatTranscript.h"
#include "messages/S_PREVCHAT.h"

using namespace Tavoro;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const Messages::TavoroMessage message =
        Fuzz::messageOf(Messages::MK_PREVCHAT, Fuzz::textOf(data, size));
    const Messages::S_PREVCHAT chat(message);
    Fuzz::check(chat.transcriptHtml().length() <= Messages::ChatTranscript::kMaxHtmlLength,
                "transcript within its limit");
    return 0;
}
