#pragma once

#include <wx/dir.h>
#include <wx/filefn.h>
#include <wx/filename.h>
#include <wx/string.h>

#include <cstdlib>
#include <string>

namespace Tavoro::Test {

// A private temporary directory, removed with everything in it when the object dies.
class TempDir {
  public:
    TempDir() {
        std::string tmpl = (wxFileName::GetTempDir() + "/tavoro-test-XXXXXX").ToStdString();
        char* made = ::mkdtemp(tmpl.data());
        m_path = made ? wxString(made) : wxString();
    }
    ~TempDir() {
        if (!m_path.empty())
            wxFileName::Rmdir(m_path, wxPATH_RMDIR_RECURSIVE);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const wxString& path() const { return m_path; }
    wxString file(const wxString& name) const { return m_path + "/" + name; }

  private:
    wxString m_path;
};

}  // namespace Tavoro::Test
