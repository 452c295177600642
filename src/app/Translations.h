#pragma once

#include <wx/string.h>

namespace Tavoro::Translations {

// Makes _() find the client's texts in a language: the client's catalog "tavoro" from
// localeDir (<localeDir>/<language>/LC_MESSAGES/tavoro.mo, then the system's places) and the
// toolkit's own catalog. With an empty language the desktop's languages are used, in the
// order it prefers them; a text without a translation stays English. Replaces any earlier
// set-up.
void setUp(const wxString& localeDir, const wxString& language = wxString());

}  // namespace Tavoro::Translations
