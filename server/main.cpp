// tavoro-demo-server: the project's own monitoring server, for the demo run, the end-to-end
// tests and load runs. It listens on a loopback address only.
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <fstream>
#include <random>
#include <string>

#include "ChatDesk.h"
#include "ConnectionRegistry.h"
#include "DemoModel.h"
#include "DemoServer.h"
#include "ServerLog.h"
#include "ServerOptions.h"

namespace {

volatile std::sig_atomic_t g_stop = 0;

void onSignal(int) {
    g_stop = 1;
}

void installSignalHandlers() {
    struct sigaction action {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = 0;  // no SA_RESTART: poll() returns at once
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
    signal(SIGPIPE, SIG_IGN);
}

// Written to a temporary name and renamed, so a reader never sees a partial file.
bool writeReadyFile(const std::string& path, uint16_t port) {
    const std::string temp = path + ".tmp";
    {
        std::ofstream out(temp, std::ios::trunc);
        if (!out)
            return false;
        out << port << '\n';
        if (!out.flush())
            return false;
    }
    return std::rename(temp.c_str(), path.c_str()) == 0;
}

}  // namespace

int main(int argc, char** argv) {
    using namespace TavoroDemo;
    ServerOptions options;
    std::string error;
    if (!options.parse(argc, argv, error)) {
        std::fprintf(stderr, "tavoro-demo-server: %s\n%s", error.c_str(),
                     ServerOptions::usage().c_str());
        return 2;
    }
    if (options.showHelp) {
        std::fputs(ServerOptions::usage().c_str(), stdout);
        return 0;
    }

    ServerLog log(options.verbose, options.logFile);
    if (!log.ok()) {
        std::fprintf(stderr, "tavoro-demo-server: cannot open log file %s\n",
                     options.logFile.c_str());
        return 2;
    }
    DemoModel model;
    if (!options.operatorsFile.empty() && !model.loadOperators(options.operatorsFile, error)) {
        std::fprintf(stderr, "tavoro-demo-server: %s\n", error.c_str());
        return 2;
    }
    log.setQuietEvents(options.quietEvents);
    std::mt19937_64 random(options.seedGiven ? options.seed : std::random_device{}());

    // The simulated service: sites, visitors, operators and chats, shared by all connections.
    ConnectionRegistry registry;
    SiteCatalog sites;
    Simulation::Settings simulated;
    simulated.initialVisitors = options.visitors;
    simulated.eventRate = options.eventRate;
    simulated.seed = options.seed;
    simulated.seeded = options.seedGiven;
    Simulation simulation(simulated, sites, registry);
    OperatorRoster roster;
    ChatDesk::Settings chatSettings;
    chatSettings.numberedLines = options.numberedLines;
    chatSettings.leaveAfter = options.chatLeaveAfter;
    chatSettings.interval = options.chatInterval;
    chatSettings.seed = options.seed + 1;
    ChatDesk chats(chatSettings, simulation, roster, registry);
    LoadProbe probe(std::chrono::milliseconds(options.probeIntervalMs), options.probeReport);
    if (!probe.ok()) {
        std::fprintf(stderr, "tavoro-demo-server: cannot write %s\n", options.probeReport.c_str());
        return 2;
    }
    SessionContext context{model, log, random, sites, simulation, chats, roster, registry, probe};

    installSignalHandlers();
    DemoServer server(options, context, registry);
    if (!server.listen(error)) {
        std::fprintf(stderr, "tavoro-demo-server: %s\n", error.c_str());
        return 1;
    }
    std::printf("listening on %s:%u\n", options.bindAddress.c_str(),
                static_cast<unsigned>(server.port()));
    std::fflush(stdout);
    log.info("listening on " + options.bindAddress + ":" + std::to_string(server.port()));
    if (!options.readyFile.empty() && !writeReadyFile(options.readyFile, server.port())) {
        std::fprintf(stderr, "tavoro-demo-server: cannot write %s\n", options.readyFile.c_str());
        return 1;
    }
    server.run(g_stop);
    log.info("stopped");
    return 0;
}
