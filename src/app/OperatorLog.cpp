#include "app/OperatorLog.h"

#include <wx/filename.h>
#include <wx/intl.h>
#include <wx/utils.h>

#include "tavoro/Version.h"

namespace Tavoro {
namespace {

OperatorLog* running = nullptr;

}  // namespace

std::function<bool(const wxString&)> OperatorLog::openFolder;

OperatorLog::OperatorLog(const wxString& path, wxLog* previous)
    : m_file(path), m_previous(previous) {}

void OperatorLog::start(const wxString& directory) {
    if (running)
        return;
    wxLog* previous = wxLog::GetActiveTarget();  // creates the default target if none is set
    running = new OperatorLog(directory + "/tavoro.log", previous);
    wxLog::SetActiveTarget(running);
    running->m_file.append("info", wxString::Format("Tavoro Client %s started (pid %lu)",
                                                    kClientVersion, wxGetProcessId()));
}

void OperatorLog::stop() {
    if (!running)
        return;
    wxLog::SetActiveTarget(running->m_previous);
    delete running;
    running = nullptr;
}

wxString OperatorLog::file() {
    return running ? running->m_file.path() : wxString();
}

void OperatorLog::note(const wxString& text) {
    if (running && !text.empty())
        running->m_file.append("info", text);
}

void OperatorLog::DoLogRecord(wxLogLevel level, const wxString& text, const wxLogRecordInfo& info) {
    if (level <= wxLOG_Warning)
        m_file.append(level == wxLOG_Warning ? "warning" : "error", text);
    if (m_previous)
        m_previous->LogRecord(level, text, info);
}

void OperatorLog::showFolder() {
    const wxString folder = running ? wxFileName(running->m_file.path()).GetPath()
                                    : Tools::RotatingLog::defaultDirectory();
    if (!wxFileName::DirExists(folder))
        wxFileName::Mkdir(folder, 0700, wxPATH_MKDIR_FULL);
    if (openFolder)
        openFolder(folder);
    else
        wxLaunchDefaultApplication(folder);
}

}  // namespace Tavoro
