#pragma once

#include <chrono>
#include <cstdint>
#include <string>

#include "Simulation.h"

namespace TavoroDemo {

// Keeps the simulation's account of its visitors (Simulation::stateReport) in a file for tests
// and scripts: rewritten through a temporary file and a rename, so a reader never sees half a
// file, at most every 200 ms and only when the visitors changed.
class StateFile {
  public:
    using Clock = std::chrono::steady_clock;
    static constexpr std::chrono::milliseconds kInterval{200};

    // path empty: no file is kept.
    explicit StateFile(std::string path) : m_path(std::move(path)) {}

    // When update should next run; never when there is nothing to write.
    Clock::time_point nextDue(const Simulation& simulation) const;
    // Writes the file when it is due. False when writing failed (it is tried again later).
    bool update(const Simulation& simulation, Clock::time_point now);

  private:
    std::string m_path;
    uint64_t m_writtenVersion = UINT64_MAX;
    Clock::time_point m_lastWrite{};
};

}  // namespace TavoroDemo
