#include "DemoModel.h"

#include <fstream>
#include <sstream>

namespace TavoroDemo {

DemoModel::DemoModel()
    : m_operators{{"demo", "demo", "Demo Operator"}, {"support", "support", "Support Desk"}} {}

bool DemoModel::loadOperators(const std::string& path, std::string& error) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        error = "cannot read operators file " + path;
        return false;
    }
    std::ostringstream content;
    content << in.rdbuf();
    if (!parseOperators(content.str(), error)) {
        error = path + ": " + error;
        return false;
    }
    return true;
}

bool DemoModel::parseOperators(const std::string& text, std::string& error) {
    std::vector<Operator> parsed;
    std::istringstream lines(text);
    std::string line;
    int number = 0;
    while (std::getline(lines, line)) {
        ++number;
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (line.empty() || line[0] == '#')
            continue;
        const size_t tab1 = line.find('\t');
        const size_t tab2 = tab1 == std::string::npos ? tab1 : line.find('\t', tab1 + 1);
        if (tab2 == std::string::npos || line.find('\t', tab2 + 1) != std::string::npos ||
            tab1 == 0) {
            error = "line " + std::to_string(number) +
                    ": expected username<TAB>password<TAB>display name";
            return false;
        }
        parsed.push_back(
            {line.substr(0, tab1), line.substr(tab1 + 1, tab2 - tab1 - 1), line.substr(tab2 + 1)});
    }
    if (parsed.empty()) {
        error = "no operators";
        return false;
    }
    m_operators = std::move(parsed);
    return true;
}

const Operator* DemoModel::checkLogin(const std::string& username,
                                      const std::string& password) const {
    for (const auto& op : m_operators) {
        if (op.username == username && op.password == password)
            return &op;
    }
    return nullptr;
}

}  // namespace TavoroDemo
