#pragma once

#include <map>
#include <string>

#include "Outbox.h"

namespace TavoroDemo {

class ClientSession;

// The sessions of the open connections by connection number, as the simulation's outbox:
// pushed messages go to the logged-in sessions, in order of connection number.
class ConnectionRegistry : public Outbox {
  public:
    void add(ClientSession* session);
    void remove(int connection);

    void toWatchers(const std::string& text) override;
    void toConnection(int connection, const std::string& text) override;

  private:
    std::map<int, ClientSession*> m_sessions;
};

}  // namespace TavoroDemo
