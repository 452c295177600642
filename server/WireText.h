#pragma once

#include <string>
#include <vector>

namespace TavoroDemo {

// Joining and splitting of the server's text fields. Values are never escaped on the wire, so
// the simulation only ever produces values free of the separators (TAB, LF, CR, ESC, ":" in
// keys, "|" and "~" in alert data).
class WireText {
  public:
    static constexpr char kEsc = 27;
    static constexpr char kTab = 9;
    static constexpr char kLf = 10;
    static constexpr char kCr = 13;

    static std::string join(const std::vector<std::string>& fields, char separator);
    // Every field, including empty ones between and after separators.
    static std::vector<std::string> split(const std::string& text, char separator);
    // Field i of the split, or the empty text.
    static std::string field(const std::vector<std::string>& fields, size_t i);
    // A decimal number, or fallback when the text is not one (or out of range).
    static long toNumber(const std::string& text, long fallback);
    // Removes the separators from a value the client sent, so that it can be echoed in a record.
    static std::string clean(const std::string& text);
};

}  // namespace TavoroDemo
