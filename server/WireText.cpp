#include "WireText.h"

#include <cerrno>
#include <cstdlib>

namespace TavoroDemo {

std::string WireText::join(const std::vector<std::string>& fields, char separator) {
    std::string out;
    for (size_t i = 0; i < fields.size(); ++i) {
        if (i)
            out += separator;
        out += fields[i];
    }
    return out;
}

std::vector<std::string> WireText::split(const std::string& text, char separator) {
    std::vector<std::string> fields(1);
    for (const char c : text) {
        if (c == separator) {
            fields.emplace_back();
        } else {
            fields.back() += c;
        }
    }
    return fields;
}

std::string WireText::field(const std::vector<std::string>& fields, size_t i) {
    return i < fields.size() ? fields[i] : std::string();
}

long WireText::toNumber(const std::string& text, long fallback) {
    if (text.empty() || text.size() > 18)
        return fallback;
    size_t start = text[0] == '-' ? 1 : 0;
    if (start == text.size())
        return fallback;
    for (size_t i = start; i < text.size(); ++i) {
        if (text[i] < '0' || text[i] > '9')
            return fallback;
    }
    return std::strtol(text.c_str(), nullptr, 10);
}

std::string WireText::clean(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    for (const char c : text) {
        if (c == kEsc || c == kTab || c == kLf || c == kCr)
            out += ' ';
        else
            out += c;
    }
    return out;
}

}  // namespace TavoroDemo
