// Trace lines: the secrets of the login and session frames they carry are masked, whatever the
// text around them.
#include "FuzzText.h"
#include "net/NetTrace.h"

using namespace Tavoro;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const wxString line = Fuzz::textOf(data, size);
    const wxString masked = maskSecrets(line);
    Fuzz::check(maskSecrets(masked) == masked, "masking a masked line changes nothing");
    return 0;
}
