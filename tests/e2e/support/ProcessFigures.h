#pragma once

// Figures the end-to-end tests read about their own process and the chat transcripts.

#include <malloc.h>

#include <wx/string.h>

#include <fstream>
#include <regex>
#include <string>
#include <vector>

namespace Tavoro::Test {

// Resident memory of this process in kB (-1 when unknown). With trim, freed heap is handed back
// to the system first, so that readings taken at different times compare what is allocated
// rather than what the allocator keeps cached.
inline long residentKb(bool trim = false) {
    if (trim)
        malloc_trim(0);
    std::ifstream in("/proc/self/status");
    for (std::string line; std::getline(in, line);) {
        if (line.rfind("VmRSS:", 0) == 0)
            return std::stol(line.substr(6));
    }
    return -1;
}

// The numbers of the visitor's numbered lines ("line N: ...", the demo server's
// --numbered-lines) in the order the transcript shows them.
inline std::vector<int> visitorLineNumbers(const wxString& html) {
    static const std::regex numbered("line ([0-9]+): ");
    const std::string text = html.ToStdString();
    std::vector<int> numbers;
    for (auto it = std::sregex_iterator(text.begin(), text.end(), numbered);
         it != std::sregex_iterator(); ++it) {
        numbers.push_back(std::stoi((*it)[1].str()));
    }
    return numbers;
}

}  // namespace Tavoro::Test
