#include "tools/ImagesDirectory.h"

#include <wx/filename.h>
#include <wx/stdpaths.h>
#include <wx/utils.h>

#include "tavoro/InstallDirs.h"

namespace Tavoro::Tools {
namespace {

wxString withSlash(wxString dir) {
    if (!dir.EndsWith("/"))
        dir += "/";
    return dir;
}

}  // namespace

wxString resolveImagesDirectory(const wxString& executablePath, const wxString& overrideDir) {
    if (!overrideDir.empty())
        return withSlash(overrideDir);
    if (!executablePath.empty()) {
        wxFileName candidate =
            wxFileName::DirName(wxFileName(executablePath).GetPath() + "/" + kImagesDirFromBinDir);
        candidate.Normalize(wxPATH_NORM_DOTS | wxPATH_NORM_ABSOLUTE);
        if (candidate.DirExists())
            return withSlash(candidate.GetPath());
    }
    return withSlash(kImagesInstallDir);
}

wxString imagesDirectoryOfThisProgram() {
    wxString overrideDir;
    wxGetEnv("TAVORO_IMAGES_DIR", &overrideDir);
    return resolveImagesDirectory(wxStandardPaths::Get().GetExecutablePath(), overrideDir);
}

}  // namespace Tavoro::Tools
