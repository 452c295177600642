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

wxString resolveInstalled(const wxString& executablePath, const wxString& overrideDir,
                          const wxString& fromBinDir, const wxString& installDir) {
    if (!overrideDir.empty())
        return withSlash(overrideDir);
    if (!executablePath.empty()) {
        wxFileName candidate =
            wxFileName::DirName(wxFileName(executablePath).GetPath() + "/" + fromBinDir);
        candidate.Normalize(wxPATH_NORM_DOTS | wxPATH_NORM_ABSOLUTE);
        if (candidate.DirExists())
            return withSlash(candidate.GetPath());
    }
    return withSlash(installDir);
}

}  // namespace

wxString resolveImagesDirectory(const wxString& executablePath, const wxString& overrideDir) {
    return resolveInstalled(executablePath, overrideDir, kImagesDirFromBinDir, kImagesInstallDir);
}

wxString resolveLocaleDirectory(const wxString& executablePath, const wxString& overrideDir) {
    return resolveInstalled(executablePath, overrideDir, kLocaleDirFromBinDir, kLocaleInstallDir);
}

wxString localeDirectoryFor(const wxString& executablePath) {
    wxString overrideDir;
    wxGetEnv("TAVORO_LOCALE_DIR", &overrideDir);
    return resolveLocaleDirectory(executablePath, overrideDir);
}

wxString imagesDirectoryOfThisProgram() {
    wxString overrideDir;
    wxGetEnv("TAVORO_IMAGES_DIR", &overrideDir);
    return resolveImagesDirectory(wxStandardPaths::Get().GetExecutablePath(), overrideDir);
}

}  // namespace Tavoro::Tools
