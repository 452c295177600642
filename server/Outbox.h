#pragma once

#include <string>

namespace TavoroDemo {

// Where the simulation's unrequested messages go. The server implements it over its
// connections; a message is a whole text, command, colon and data.
class Outbox {
  public:
    virtual ~Outbox() = default;
    // To every logged-in connection that has started events.
    virtual void toWatchers(const std::string& text) = 0;
    // To one logged-in connection by its number; dropped when there is none.
    virtual void toConnection(int connection, const std::string& text) = 0;
};

}  // namespace TavoroDemo
