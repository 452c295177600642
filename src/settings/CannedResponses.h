#pragma once

#include <wx/string.h>

#include <functional>
#include <string>
#include <vector>

namespace Tavoro {

// One entry of the operator's canned responses: a subject that groups others, or a response
// whose text is put into a chat. Any entry may carry a text and children.
struct CannedResponse {
    wxString title;
    wxString text;
    std::vector<CannedResponse> children;

    bool operator==(const CannedResponse& other) const {
        return title == other.title && text == other.text && children == other.children;
    }
};

// A response as offered in a chat window: its titles from the top subject down, and its text.
struct CannedChoice {
    wxString label;  // "Sales / Prices"
    wxString text;
};

// The operator's canned responses, kept in a file of their own beside the settings file.
// Each entry is one UTF-8 line: its depth, its title and its text separated by TABs, with
// backslash, TAB, CR and LF written as \\, \t, \r and \n, so any text survives the trip.
// Saving writes a temporary file beside the list, flushes it to disk and renames it over the
// list: a failed or interrupted save leaves the earlier list as it was.
namespace CannedResponses {

// The list file that belongs to a settings file.
wxString fileBeside(const wxString& settingsFile);

// A few sensible responses offered on the first start, when no list was ever saved.
std::vector<CannedResponse> examples();

// The stored list; the examples when the file does not exist. A file that cannot be read
// gives an empty list and false in *ok (when given).
std::vector<CannedResponse> load(const wxString& file, bool* ok = nullptr);
// Replaces the stored list; false (and the earlier list kept) when it could not be written.
bool save(const wxString& file, const std::vector<CannedResponse>& list);

std::string serialise(const std::vector<CannedResponse>& list);
std::vector<CannedResponse> parse(const std::string& bytes);

// Every entry with a text, in tree order, labelled with its titles.
std::vector<CannedChoice> choices(const std::vector<CannedResponse>& list);

// Writes the bytes to an open file descriptor; true when all were written. Tests replace it
// to make a save fail part-way; empty means the plain write.
extern std::function<bool(int fd, const std::string& bytes)> writeHook;

}  // namespace CannedResponses
}  // namespace Tavoro
