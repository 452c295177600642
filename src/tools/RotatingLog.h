#pragma once

#include <wx/datetime.h>
#include <wx/string.h>

namespace Tavoro::Tools {

// A small log file an operator can send to support: one line per record, "YYYY-MM-DD
// HH:MM:SS <level>: <text>" in local time. When the file would grow past maxBytes it is
// renamed to <file>.1 (the older <file>.1 to <file>.2, and so on up to keepOld files) and a new
// one is started, so the log never takes more than about (keepOld + 1) * maxBytes.
// Failures to write are ignored: the log must never stop the client.
class RotatingLog {
  public:
    RotatingLog(const wxString& path, unsigned long maxBytes = 256 * 1024, int keepOld = 2);

    void append(const wxString& level, const wxString& text,
                const wxDateTime& at = wxDateTime::Now());
    const wxString& path() const { return m_path; }

    // The folder the client's log is kept in: $XDG_STATE_HOME/tavoro, or
    // ~/.local/state/tavoro when that is unset or not absolute.
    static wxString defaultDirectory();

  private:
    void rotate();

    wxString m_path;
    unsigned long m_maxBytes;
    int m_keepOld;
};

}  // namespace Tavoro::Tools
