#include "net/NetTrace.h"

#include <wx/log.h>
#include <wx/time.h>
#include <wx/tokenzr.h>
#include <wx/utils.h>

#include <vector>

namespace Tavoro {
namespace {

const wxChar kTab = 9;
const char kMask[] = "********";

// A frame whose field carries a secret: the command with its colon, and the field's index
// in the TAB-separated data.
struct SecretField {
    const char* command;
    size_t field;
};
const SecretField kSecretFields[] = {
    {"@login:", 8},     // operator name, ..., username, password
    {"@session:", 13},  // application, version, ..., session key
};

// Masks the secret field of each frame in text that begins with secret.command. The frames
// are taken from the last to the first, so a secret that runs on over a later frame (a
// password followed by more text without a TAB) is masked whole, with that frame's own
// secret already masked inside it.
void maskFrames(wxString& text, const SecretField& secret) {
    const wxString lower = text.Lower();  // one character for each character of text
    const wxString command = secret.command;
    std::vector<size_t> frames;
    for (size_t at = lower.find(command); at != wxString::npos;
         at = lower.find(command, at + command.length()))
        frames.push_back(at);
    for (auto frame = frames.rbegin(); frame != frames.rend(); ++frame) {
        size_t start = *frame + command.length();
        size_t tabs = 0;
        for (; tabs < secret.field; ++tabs) {
            const size_t tab = text.find(kTab, start);
            if (tab == wxString::npos)
                break;
            start = tab + 1;
        }
        if (tabs < secret.field)
            continue;  // too few fields: this frame carries no secret
        size_t end = text.find(kTab, start);
        if (end == wxString::npos)
            end = text.length();
        if (end > start)
            text.replace(start, end - start, kMask);
    }
}

}  // namespace

bool traceListNames(const wxString& list, const wxString& mask) {
    wxStringTokenizer names(list, ",;:");
    while (names.HasMoreTokens()) {
        if (names.GetNextToken() == mask)
            return true;
    }
    return false;
}

bool netTraceEnabled() {
    wxString list;
    if (wxGetEnv("WXTRACE", &list) && traceListNames(list, "net"))
        return true;
    return wxLog::IsAllowedTraceMask("net");
}

wxString maskSecrets(const wxString& text) {
    wxString masked = text;
    for (const SecretField& secret : kSecretFields)
        maskFrames(masked, secret);
    return masked;
}

void traceNet(const wxString& line) {
    if (!wxLog::IsEnabled() || !netTraceEnabled())
        return;
    // Straight to the active log target at trace level, past the level filter that a
    // release build sets (see the header).
    wxLogRecordInfo info(__FILE__, __LINE__, __func__, wxLOG_COMPONENT);
    info.StoreValue(wxLOG_KEY_TRACE_MASK, "net");
    info.timestampMS = wxGetUTCTimeMillis().GetValue();
    info.timestamp = static_cast<time_t>(info.timestampMS / 1000);
    wxLog::OnLog(wxLOG_Trace, maskSecrets(line), info);
}

}  // namespace Tavoro
