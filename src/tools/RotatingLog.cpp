#include "tools/RotatingLog.h"

#include <wx/ffile.h>
#include <wx/filefn.h>
#include <wx/filename.h>
#include <wx/log.h>
#include <wx/utils.h>

#include <string>

namespace Tavoro::Tools {

RotatingLog::RotatingLog(const wxString& path, unsigned long maxBytes, int keepOld)
    : m_path(path), m_maxBytes(maxBytes), m_keepOld(keepOld) {}

wxString RotatingLog::defaultDirectory() {
    wxString state;
    if (!wxGetEnv("XDG_STATE_HOME", &state) || !wxFileName(state).IsAbsolute())
        state = wxGetHomeDir() + "/.local/state";
    return state + "/tavoro";
}

void RotatingLog::rotate() {
    const auto old = [this](int n) { return m_path + wxString::Format(".%d", n); };
    if (m_keepOld <= 0) {
        wxRemoveFile(m_path);
        return;
    }
    if (wxFileExists(old(m_keepOld)))
        wxRemoveFile(old(m_keepOld));
    for (int n = m_keepOld - 1; n >= 1; --n) {
        if (wxFileExists(old(n)))
            wxRenameFile(old(n), old(n + 1));
    }
    wxRenameFile(m_path, old(1));
}

void RotatingLog::append(const wxString& level, const wxString& text, const wxDateTime& at) {
    // A failing write must not log an error: that error would come back here.
    wxLogNull quiet;
    // One record, one line: line breaks inside a text would make later lines look like records.
    wxString flat = text;
    flat.Replace("\r\n", " ");
    flat.Replace("\n", " ");
    flat.Replace("\r", " ");
    const std::string line =
        (at.Format("%Y-%m-%d %H:%M:%S ") + level + ": " + flat + "\n").utf8_string();

    const wxFileName file(m_path);
    if (!file.DirExists())
        wxFileName::Mkdir(file.GetPath(), 0700, wxPATH_MKDIR_FULL);
    if (file.FileExists()) {
        const wxULongLong size = file.GetSize();
        if (size != wxInvalidSize && size.GetValue() + line.size() > m_maxBytes)
            rotate();
    }
    wxFFile out(m_path, "a");
    if (out.IsOpened())
        out.Write(line.data(), line.size());
}

}  // namespace Tavoro::Tools
