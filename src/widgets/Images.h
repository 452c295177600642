#pragma once

#include <wx/bitmap.h>
#include <wx/icon.h>
#include <wx/string.h>

namespace Tavoro {

// Directory the icon files are read from: $TAVORO_IMAGES_DIR when set (build tree, tests),
// else the installed images directory next to the client's executable, else the one under the
// configured install prefix (Tools::resolveImagesDirectory). Always ends with a slash.
wxString imagesDirectory();

// Loads an icon file by name from the images directory. A missing or unreadable file gives an
// invalid icon quietly (no error box): the control then shows no picture.
wxIcon loadIcon(const wxString& fileName);
// The same, picking the image of an ICO file that has the wanted size (the files hold 16, 24
// and 32 px images); other formats, or an ICO without that size, are scaled to it.
wxIcon loadIcon(const wxString& fileName, const wxSize& size);
// A picture for a toolbar or a button: the icon file as loadIcon reads it (at that size when
// one is given), or, when it cannot be read, the theme's "missing image" picture at that size
// (32 x 32 px when none is given), so that a tool never goes without a picture.
wxBitmap loadBitmap(const wxString& fileName, const wxSize& size = wxDefaultSize);

}  // namespace Tavoro
