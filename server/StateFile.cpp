#include "StateFile.h"

#include <cstdio>
#include <fstream>

namespace TavoroDemo {

StateFile::Clock::time_point StateFile::nextDue(const Simulation& simulation) const {
    if (m_path.empty() || simulation.version() == m_writtenVersion)
        return Clock::time_point::max();
    return m_lastWrite + kInterval;
}

bool StateFile::update(const Simulation& simulation, Clock::time_point now) {
    if (now < nextDue(simulation))
        return true;
    m_lastWrite = now;
    const std::string temp = m_path + ".tmp";
    {
        std::ofstream out(temp, std::ios::trunc | std::ios::binary);
        out << simulation.stateReport() << '\n';
        if (!out.flush())
            return false;
    }
    if (std::rename(temp.c_str(), m_path.c_str()) != 0)
        return false;
    m_writtenVersion = simulation.version();
    return true;
}

}  // namespace TavoroDemo
