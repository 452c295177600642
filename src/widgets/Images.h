#pragma once

#include <wx/bitmap.h>
#include <wx/icon.h>
#include <wx/string.h>

namespace Tavoro {

// Directory the icon files are read from: $TAVORO_IMAGES_DIR when set (build tree, tests),
// else the installed "/usr/share/Tavoro/images/". Always ends with a slash.
wxString imagesDirectory();

// Loads an icon file by name from the images directory. A missing or unreadable file gives an
// invalid icon quietly (no error box): the control then shows no picture.
wxIcon loadIcon(const wxString& fileName);
wxBitmap loadBitmap(const wxString& fileName);

}  // namespace Tavoro
