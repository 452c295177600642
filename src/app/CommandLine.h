#pragma once

#include <wx/string.h>

#include <optional>

namespace Tavoro::CommandLine {

// What the command line asks of a client that goes on to open its window.
struct Options {
    wxString settingsFile;   // --settings FILE; empty for the usual file
    bool minimized = false;  // --minimized
};

struct Outcome {
    // Set when the program ends at once with this status: 0 after --help, --version or
    // --paths, 2 after a bad command line.
    std::optional<int> exitStatus;
    wxString out;  // for standard output
    wxString err;  // for standard error
    Options options;
};

// Reads the command line. Runs before the toolkit opens the display, so --help, --version,
// --paths and mistakes are answered on a machine without one.
Outcome parse(int argc, char** argv, const wxString& executablePath);

// Where the client reads and writes, one "name: path" a line: the settings file (given, from
// $TAVORO_SETTINGS_FILE, or the usual one), the icons, the message catalogs, the log folder.
wxString paths(const wxString& executablePath, const wxString& settingsFile);

}  // namespace Tavoro::CommandLine
