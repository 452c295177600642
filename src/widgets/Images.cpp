#include "widgets/Images.h"

#include <wx/filename.h>
#include <wx/image.h>
#include <wx/log.h>
#include <wx/utils.h>

namespace Tavoro {

wxString imagesDirectory() {
    wxString dir;
    if (!wxGetEnv("TAVORO_IMAGES_DIR", &dir) || dir.empty()) {
        dir = TAVORO_DEFAULT_IMAGES_DIR;
    }
    if (!dir.EndsWith("/")) {
        dir += "/";
    }
    return dir;
}

namespace {
wxBitmapType typeOf(const wxString& fileName) {
    const wxString ext = wxFileName(fileName).GetExt().Lower();
    if (ext == "gif")
        return wxBITMAP_TYPE_GIF;
    if (ext == "png")
        return wxBITMAP_TYPE_PNG;
    return wxBITMAP_TYPE_ICO;
}
}  // namespace

wxIcon loadIcon(const wxString& fileName) {
    const wxString path = imagesDirectory() + fileName;
    wxIcon icon;
    if (wxFileName::FileExists(path)) {
        wxLogNull quiet;
        wxBitmap bitmap(path, typeOf(fileName));
        if (bitmap.IsOk()) {
            icon.CopyFromBitmap(bitmap);
        }
    }
    return icon;
}

wxBitmap loadBitmap(const wxString& fileName) {
    const wxString path = imagesDirectory() + fileName;
    if (!wxFileName::FileExists(path)) {
        return wxBitmap();
    }
    wxLogNull quiet;
    return wxBitmap(path, typeOf(fileName));
}

}  // namespace Tavoro
