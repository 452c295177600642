#pragma once

#include <string>
#include <vector>

namespace TavoroDemo {

// One operator account of the demo service. Texts are UTF-8.
struct Operator {
    std::string username;
    std::string password;
    std::string displayName;
};

// What the demo service knows: for now, the operators who may log in.
class DemoModel {
  public:
    // The built-in demo operators.
    DemoModel();

    // Replaces the operators with those of a file: one operator a line,
    // username<TAB>password<TAB>display name; blank lines and lines starting with "#" are
    // skipped. Returns false with a message naming the line for anything else.
    bool loadOperators(const std::string& path, std::string& error);
    // Parses operator lines from a text (the file's content).
    bool parseOperators(const std::string& text, std::string& error);

    // The operator with these credentials (UTF-8), or nullptr.
    const Operator* checkLogin(const std::string& username, const std::string& password) const;

    const std::vector<Operator>& operators() const { return m_operators; }

  private:
    std::vector<Operator> m_operators;
};

}  // namespace TavoroDemo
