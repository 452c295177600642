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

}  // namespace Tavoro::Tools
