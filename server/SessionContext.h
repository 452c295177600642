#pragma once

#include <random>

#include "DemoModel.h"
#include "ServerLog.h"

namespace TavoroDemo {

// What every client session shares: the service's model, the log and the source of the
// server's non-secret random choices (pad bytes now, the simulation later).
struct SessionContext {
    DemoModel& model;
    ServerLog& log;
    std::mt19937_64& random;
};

}  // namespace TavoroDemo
