#include "settings/CannedResponses.h"

#include <wx/intl.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdio>

#include "tools/Utf8.h"

namespace Tavoro::CannedResponses {

std::function<bool(int fd, const std::string& bytes)> writeHook;

namespace {

constexpr const char* kHeader = "# Tavoro Client canned responses 1\n";

void escapeInto(std::string& out, const wxString& text) {
    for (const char c : Tools::toUtf8(text)) {
        switch (c) {
            case '\\':
                out += "\\\\";
                break;
            case '\t':
                out += "\\t";
                break;
            case '\n':
                out += "\\n";
                break;
            case '\r':
                out += "\\r";
                break;
            default:
                out += c;
        }
    }
}

wxString unescape(std::string_view field) {
    std::string out;
    out.reserve(field.size());
    for (size_t i = 0; i < field.size(); ++i) {
        if (field[i] != '\\' || i + 1 == field.size()) {
            out += field[i];
            continue;
        }
        switch (field[++i]) {
            case 't':
                out += '\t';
                break;
            case 'n':
                out += '\n';
                break;
            case 'r':
                out += '\r';
                break;
            default:
                out += field[i];
        }
    }
    return Tools::fromUtf8(out);
}

void serialiseInto(std::string& out, const std::vector<CannedResponse>& list, int depth) {
    for (const CannedResponse& entry : list) {
        out += std::to_string(depth);
        out += '\t';
        escapeInto(out, entry.title);
        out += '\t';
        escapeInto(out, entry.text);
        out += '\n';
        serialiseInto(out, entry.children, depth + 1);
    }
}

void choicesInto(std::vector<CannedChoice>& out, const std::vector<CannedResponse>& list,
                 const wxString& prefix) {
    for (const CannedResponse& entry : list) {
        const wxString label = prefix.empty() ? entry.title : prefix + " / " + entry.title;
        if (!entry.text.empty())
            out.push_back({label, entry.text});
        choicesInto(out, entry.children, label);
    }
}

bool writeAll(int fd, const std::string& bytes) {
    size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        done += static_cast<size_t>(n);
    }
    return true;
}

}  // namespace

wxString fileBeside(const wxString& settingsFile) {
    return settingsFile + ".canned";
}

std::vector<CannedResponse> examples() {
    return {
        {_("Greetings"),
         wxString(),
         {{_("Welcome"), _("Hello %NAME%, welcome to %DOMAIN%. How can I help you today?"), {}},
          {_("One moment"),
           _("Thank you for waiting, %NAME%. I will be with you in a moment."),
           {}}}},
        {_("Closing"),
         wxString(),
         {{_("Anything else"), _("Is there anything else I can help you with?"), {}},
          {_("Goodbye"),
           _("Thank you for chatting with us, %NAME%. My name is %OPERATORNAME%; have a good "
             "day!"),
           {}}}},
    };
}

std::string serialise(const std::vector<CannedResponse>& list) {
    std::string out = kHeader;
    serialiseInto(out, list, 0);
    return out;
}

std::vector<CannedResponse> parse(const std::string& bytes) {
    std::vector<CannedResponse> list;
    // The entries currently open at each depth: a line of depth d goes under the last entry of
    // depth d - 1. A line deeper than that (a damaged file) is attached as deep as possible.
    std::vector<std::vector<CannedResponse>*> levels{&list};
    size_t start = 0;
    while (start < bytes.size()) {
        size_t end = bytes.find('\n', start);
        if (end == std::string::npos)
            end = bytes.size();
        const std::string_view line(bytes.data() + start, end - start);
        start = end + 1;
        if (line.empty() || line[0] == '#')
            continue;
        const size_t tab1 = line.find('\t');
        if (tab1 == std::string_view::npos)
            continue;
        const size_t tab2 = line.find('\t', tab1 + 1);
        size_t depth = 0;
        for (size_t i = 0; i < tab1; ++i) {
            if (line[i] < '0' || line[i] > '9') {
                depth = SIZE_MAX;
                break;
            }
            depth = depth * 10 + static_cast<size_t>(line[i] - '0');
            if (depth > 1000)
                break;
        }
        if (depth == SIZE_MAX)
            continue;
        depth = std::min(depth, levels.size() - 1);
        levels.resize(depth + 1);
        CannedResponse entry;
        entry.title = unescape(line.substr(
            tab1 + 1, tab2 == std::string_view::npos ? std::string_view::npos : tab2 - tab1 - 1));
        if (tab2 != std::string_view::npos)
            entry.text = unescape(line.substr(tab2 + 1));
        levels.back()->push_back(std::move(entry));
        levels.push_back(&levels.back()->back().children);
    }
    return list;
}

std::vector<CannedResponse> load(const wxString& file, bool* ok) {
    if (ok)
        *ok = true;
    const wxScopedCharBuffer path = file.fn_str();
    FILE* in = std::fopen(path.data(), "rb");
    if (!in) {
        if (errno == ENOENT)
            return examples();
        if (ok)
            *ok = false;
        return {};
    }
    std::string bytes;
    char buffer[8192];
    size_t n = 0;
    while ((n = std::fread(buffer, 1, sizeof buffer, in)) > 0)
        bytes.append(buffer, n);
    const bool failed = std::ferror(in) != 0;
    std::fclose(in);
    if (failed) {
        if (ok)
            *ok = false;
        return {};
    }
    return parse(bytes);
}

bool save(const wxString& file, const std::vector<CannedResponse>& list) {
    const std::string target(file.fn_str());
    const std::string temporary = target + ".tmp";
    const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (fd < 0)
        return false;
    const std::string bytes = serialise(list);
    bool written = writeHook ? writeHook(fd, bytes) : writeAll(fd, bytes);
    written = written && ::fsync(fd) == 0;
    written = ::close(fd) == 0 && written;
    if (!written || std::rename(temporary.c_str(), target.c_str()) != 0) {
        ::unlink(temporary.c_str());
        return false;
    }
    return true;
}

std::vector<CannedChoice> choices(const std::vector<CannedResponse>& list) {
    std::vector<CannedChoice> out;
    choicesInto(out, list, wxString());
    return out;
}

}  // namespace Tavoro::CannedResponses
