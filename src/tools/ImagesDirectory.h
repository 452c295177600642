#pragma once

#include <wx/string.h>

namespace Tavoro::Tools {

// The directory the icon files are read from, always ending with a slash:
//  - overrideDir when it is not empty (the value of $TAVORO_IMAGES_DIR: build tree, tests);
//  - else the images directory of an installed tree, found from the executable's own path
//    (<bindir>/../share/Tavoro/images/ for the usual layout), when that directory exists, so
//    a tree installed or moved under any prefix finds its icons;
//  - else the images directory under the prefix the build was configured with.
wxString resolveImagesDirectory(const wxString& executablePath, const wxString& overrideDir);

// resolveImagesDirectory for the running program: its own executable and $TAVORO_IMAGES_DIR.
wxString imagesDirectoryOfThisProgram();

// The directory holding the message catalogs (<dir>/<language>/LC_MESSAGES/tavoro.mo), found
// like the images directory: overrideDir ($TAVORO_LOCALE_DIR: build tree, tests), else
// <bindir>/../share/locale when it exists, else the configured one. Ends with a slash.
wxString resolveLocaleDirectory(const wxString& executablePath, const wxString& overrideDir);
// resolveLocaleDirectory for a program at executablePath with this process's environment.
wxString localeDirectoryFor(const wxString& executablePath);

}  // namespace Tavoro::Tools
