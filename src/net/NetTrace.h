#pragma once

#include <wx/string.h>

namespace Tavoro {

// The connection's diagnostic trace: frames sent, key exchange and socket trouble, written to
// the toolkit's log (standard error by default) when the environment variable WXTRACE names
// "net". The toolkit's own trace macro is not used for it: a program built with NDEBUG caps
// the toolkit's log level below trace messages, so they would vanish in the builds operators
// and testers run.
//
// Every line goes through maskSecrets first, so a trace never shows the operator's password
// or the session key.
void traceNet(const wxString& line);

// Whether WXTRACE (read on each call) names "net", or the toolkit's trace masks hold it.
bool netTraceEnabled();

// Whether a trace-mask list as WXTRACE holds it (names separated by ",", ";" or ":", as the
// toolkit reads that variable) names the mask exactly.
bool traceListNames(const wxString& list, const wxString& mask);

// The text with the secrets of the frames it carries replaced by a fixed "********": the
// password (field 8) of a "@LOGIN:" frame and the session key (field 13) of the decrypted
// "@SESSION:" data, wherever in the text such a frame starts (a trace line may put a prefix
// such as "->" before it) and in any letter case. A secret field runs from its TAB to the
// next TAB or the end of the text. Frames with too few fields, and empty secrets, stay as
// they are; everything else in the text is unchanged.
wxString maskSecrets(const wxString& text);

}  // namespace Tavoro
