// The log an operator sends to support: one line per record, bounded in size by rotation, in
// the XDG state folder.
#include <gtest/gtest.h>
#include <wx/dir.h>
#include <wx/ffile.h>
#include <wx/filename.h>
#include <wx/utils.h>

#include "support/TempDir.h"
#include "tools/RotatingLog.h"

using Tavoro::Tools::RotatingLog;

namespace {

wxString contentOf(const wxString& path) {
    wxString text;
    wxFFile file(path, "r");
    if (file.IsOpened())
        file.ReadAll(&text, wxConvUTF8);
    return text;
}

}  // namespace

TEST(RotatingLog, RecordsAreTimedSingleLinesInANewFolder) {
    Tavoro::Test::TempDir dir;
    RotatingLog log(dir.path() + "/state/tavoro/tavoro.log");
    const wxDateTime at(9, wxDateTime::Dec, 2026, 18, 4, 5);
    log.append("info", "Connected to the server", at);
    log.append("error", L"Zeile eins\nzwei\r\ndrei \u00fc", at);
    EXPECT_EQ(contentOf(log.path()),
              wxString(L"2026-12-09 18:04:05 info: Connected to the server\n"
                       L"2026-12-09 18:04:05 error: Zeile eins zwei drei \u00fc\n"));
}

TEST(RotatingLog, RotationKeepsTheNewestRecordsWithinTheLimit) {
    Tavoro::Test::TempDir dir;
    const wxString path = dir.file("tavoro.log");
    RotatingLog log(path, 200, 2);
    for (int n = 0; n < 40; ++n)
        log.append("info", wxString::Format("record %02d xxxxxxxxxxxxxxxxxxxxxxxxxxxxx", n));
    wxArrayString files;
    wxDir::GetAllFiles(dir.path(), &files);
    EXPECT_EQ(files.size(), 3u) << "the current file and two old ones";
    for (const wxString& name : {path, path + ".1", path + ".2"}) {
        ASSERT_TRUE(wxFileExists(name)) << name;
        EXPECT_LE(wxFileName(name).GetSize(), 200u) << name;
    }
    EXPECT_TRUE(contentOf(path).Contains("record 39"));
    EXPECT_TRUE(contentOf(path + ".1").Contains("record 3"));
    EXPECT_FALSE(contentOf(path + ".2").Contains("record 00")) << "the oldest records are gone";
    // Nothing is lost at a rotation: the newest old file ends just before the current one.
    const wxString current = contentOf(path);
    long first = -1;
    ASSERT_TRUE(current.Mid(current.Find("record ") + 7, 2).ToLong(&first));
    const wxString previous = contentOf(path + ".1");
    EXPECT_TRUE(previous.Contains(wxString::Format("record %02ld", first - 1))) << previous;
}

TEST(RotatingLog, FolderFollowsXdgStateHome) {
    wxString saved;
    const bool wasSet = wxGetEnv("XDG_STATE_HOME", &saved);
    wxSetEnv("XDG_STATE_HOME", "/srv/state");
    EXPECT_EQ(RotatingLog::defaultDirectory(), "/srv/state/tavoro");
    wxSetEnv("XDG_STATE_HOME", "relative/state");  // not absolute: ignored
    EXPECT_EQ(RotatingLog::defaultDirectory(), wxGetHomeDir() + "/.local/state/tavoro");
    wxUnsetEnv("XDG_STATE_HOME");
    EXPECT_EQ(RotatingLog::defaultDirectory(), wxGetHomeDir() + "/.local/state/tavoro");
    if (wasSet)
        wxSetEnv("XDG_STATE_HOME", saved);
}
