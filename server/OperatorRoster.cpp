#include "OperatorRoster.h"

#include <vector>

#include "WireText.h"

namespace TavoroDemo {

OperatorRoster::OperatorRoster() {
    m_entries[kSimulatedFirst] = {"10.200.0.1", "Sam Sim", "Support", 0, "sam"};
    m_entries[kSimulatedSecond] = {"10.200.0.2", "Alex Auto", "Sales", 1, "alex"};
}

void OperatorRoster::add(int connection, const Entry& entry) {
    m_entries[connection] = entry;
}

void OperatorRoster::remove(int connection) {
    if (!isSimulated(connection))
        m_entries.erase(connection);
}

bool OperatorRoster::setStatus(int connection, int status) {
    auto found = m_entries.find(connection);
    if (found == m_entries.end() || status < 0 || status > 3)
        return false;
    found->second.status = status;
    return true;
}

bool OperatorRoster::isSimulated(int connection) const {
    return connection == kSimulatedFirst || connection == kSimulatedSecond;
}

std::string OperatorRoster::name(int connection) const {
    const auto found = m_entries.find(connection);
    return found == m_entries.end() ? std::string() : found->second.name;
}

std::string OperatorRoster::clients() const {
    std::vector<std::string> records;
    for (const auto& [connection, e] : m_entries) {
        records.push_back(WireText::join({std::to_string(connection), e.ip, e.name, e.department,
                                          std::to_string(e.status), "en", e.username},
                                         WireText::kTab));
    }
    return WireText::join(records, WireText::kEsc);
}

}  // namespace TavoroDemo
