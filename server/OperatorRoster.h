#pragma once

#include <map>
#include <string>

namespace TavoroDemo {

// The operators the service shows in "@CLIENTS": the logged-in connections and two simulated
// operators who are always there. Operators are known by their connection number.
class OperatorRoster {
  public:
    struct Entry {
        std::string ip;
        std::string name;
        std::string department;
        int status;  // 0 Online, 1 Busy, 2 Be Right Back, 3 Away
        std::string username;
    };

    // Connection numbers of the simulated operators; real connections count from 1 and never
    // reach them in a demo run.
    static constexpr int kSimulatedFirst = 9001;
    static constexpr int kSimulatedSecond = 9002;

    OperatorRoster();

    void add(int connection, const Entry& entry);
    void remove(int connection);
    // False when the connection is unknown or the status is not 0 to 3.
    bool setStatus(int connection, int status);

    bool isSimulated(int connection) const;
    bool contains(int connection) const { return m_entries.count(connection) != 0; }
    // The operator's name, or the empty text.
    std::string name(int connection) const;

    // "@CLIENTS" data: one TAB-separated record per operator, ESC-separated, by number.
    std::string clients() const;

  private:
    std::map<int, Entry> m_entries;
};

}  // namespace TavoroDemo
