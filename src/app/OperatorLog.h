#pragma once

#include <wx/log.h>
#include <wx/string.h>

#include <functional>
#include <memory>

#include "tools/RotatingLog.h"

namespace Tavoro {

// The client's own log for support: connection banners (connecting, connected, lost,
// reconnecting), alerts about the connection, and every error and warning logged through the
// toolkit, with times, in RotatingLog::defaultDirectory(). Records are also handed on to the
// log target that was active before, so error boxes and developer traces work as they did.
// Texts logged here never hold a password, a session key or chat text: only banners and alerts
// that the client shows anyway, and the toolkit's errors.
class OperatorLog : public wxLog {
  public:
    // Installs the log for the running program (once), writing to <directory>/tavoro.log.
    static void start(const wxString& directory = Tools::RotatingLog::defaultDirectory());
    // Removes it again and gives the previous target back.
    static void stop();
    // The file of the running log; empty when none was started.
    static wxString file();

    // A line about the connection (a status banner, an alert).
    static void note(const wxString& text);

    // Opens the log folder in the desktop's file manager. A test sets this hook to see the
    // folder instead; when it is empty wxLaunchDefaultApplication is used.
    static std::function<bool(const wxString& folder)> openFolder;
    static void showFolder();

  protected:
    void DoLogRecord(wxLogLevel level, const wxString& text, const wxLogRecordInfo& info) override;

  private:
    OperatorLog(const wxString& path, wxLog* previous);

    Tools::RotatingLog m_file;
    wxLog* m_previous;
};

}  // namespace Tavoro
