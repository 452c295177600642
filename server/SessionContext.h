#pragma once

#include <random>

#include "ChatDesk.h"
#include "DemoModel.h"
#include "LoadProbe.h"
#include "OperatorRoster.h"
#include "Outbox.h"
#include "ServerLog.h"
#include "Simulation.h"
#include "SiteCatalog.h"

namespace TavoroDemo {

// What every client session shares: the service's model, the log and the source of the
// server's non-secret random choices (pad bytes), and the simulated service: sites, visitors, chats
// and operators.
struct SessionContext {
    DemoModel& model;
    ServerLog& log;
    std::mt19937_64& random;
    SiteCatalog& sites;
    Simulation& simulation;
    ChatDesk& chats;
    OperatorRoster& roster;
    Outbox& outbox;
    LoadProbe& probe;
};

}  // namespace TavoroDemo
