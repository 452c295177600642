#pragma once

#include <wx/ffile.h>
#include <wx/utils.h>

#include <string>

#include "settings/TavoroSettings.h"
#include "support/TempDir.h"

namespace Tavoro::Test {

// Points the process-wide settings store at a fresh file with the given content, so the next
// getSettings() (the main window's) reads exactly that.
inline wxString useSettingsFile(const TempDir& dir, const std::string& content,
                                const wxString& name = "settings.ini") {
    const wxString path = dir.file(name);
    {
        wxFFile f(path, "w");
        f.Write(wxString::FromUTF8(content.c_str()));
    }
    disposeSettings();
    wxSetEnv("TAVORO_SETTINGS_FILE", path);
    return path;
}

}  // namespace Tavoro::Test
