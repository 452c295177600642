#include "widgets/Images.h"

#include <wx/artprov.h>
#include <wx/filename.h>
#include <wx/image.h>
#include <wx/log.h>

#include "tools/ImagesDirectory.h"

namespace Tavoro {

wxString imagesDirectory() {
    return Tools::imagesDirectoryOfThisProgram();
}

namespace {

// Size of the stand-in picture of a file that cannot be read, when no size is asked for: that
// of the largest image the icon files hold.
const wxSize kFallbackSize(32, 32);

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

wxIcon loadIcon(const wxString& fileName, const wxSize& size) {
    const wxString path = imagesDirectory() + fileName;
    wxIcon icon;
    if (!wxFileName::FileExists(path)) {
        return icon;
    }
    wxLogNull quiet;
    const wxBitmapType type = typeOf(fileName);
    wxImage image;
    if (type == wxBITMAP_TYPE_ICO) {
        const int count = wxImage::GetImageCount(path, type);
        for (int index = 0; index < count; ++index) {
            wxImage candidate;
            if (candidate.LoadFile(path, type, index) && candidate.GetSize() == size) {
                image = candidate;
                break;
            }
        }
    }
    if (!image.IsOk() && image.LoadFile(path, type) && image.GetSize() != size) {
        image.Rescale(size.x, size.y, wxIMAGE_QUALITY_HIGH);
    }
    if (image.IsOk()) {
        icon.CopyFromBitmap(wxBitmap(image));
    }
    return icon;
}

wxBitmap loadBitmap(const wxString& fileName, const wxSize& size) {
    const wxIcon icon = size == wxDefaultSize ? loadIcon(fileName) : loadIcon(fileName, size);
    if (icon.IsOk()) {
        wxBitmap bitmap;
        bitmap.CopyFromIcon(icon);
        if (bitmap.IsOk()) {
            return bitmap;
        }
    }
    const wxSize fallbackSize = size == wxDefaultSize ? kFallbackSize : size;
    return wxArtProvider::GetBitmap(wxART_MISSING_IMAGE, wxART_TOOLBAR, fallbackSize);
}

}  // namespace Tavoro
