#pragma once

#include <cstdint>
#include <string>

#include "FaultMode.h"

namespace TavoroDemo {

// Command-line options of the demo server.
struct ServerOptions {
    std::string bindAddress = "127.0.0.1";
    uint16_t port = 8011;  // 0: the system picks a free port
    bool verbose = false;
    std::string logFile;        // frame log goes here instead of stderr (implies verbose)
    std::string operatorsFile;  // empty: the built-in demo operators
    std::string readyFile;      // the listening port is written here once listening
    uint64_t seed = 0;
    bool seedGiven = false;
    bool showHelp = false;
    // The simulation.
    double eventRate = 2.5;      // visitor events per second (0: none)
    size_t visitors = 40;        // visitors at start
    double chatInterval = 20;    // seconds between spontaneous chat requests (0: none)
    bool numberedLines = false;  // visitor chat lines start "line N: "
    int chatLeaveAfter = 0;      // operator lines before a visitor leaves a chat (0: 8 to 15)
    std::string stateFile;       // the server's account of its visitors is kept here
    bool quietEvents = false;    // keep "@EV"/"@ER" frames out of the frame log
    // Load runs: a "@PING" to the watching connections every probeIntervalMs (0: none), the
    // answers' round trips written to probeReport.
    uint64_t probeIntervalMs = 0;
    std::string probeReport;
    // The fault played on the first faultConnections connections; later ones are served
    // normally.
    FaultMode fault = FaultMode::None;
    uint64_t faultConnections = 1;
    // With both: every connection speaks TLS with this certificate (PEM) and key (PKCS #8 PEM).
    std::string tlsCertFile;
    std::string tlsKeyFile;

    // Parses argv. Returns false with a message in error for anything it does not accept,
    // including a bind address that is not a loopback address.
    bool parse(int argc, char** argv, std::string& error);

    static std::string usage();
};

}  // namespace TavoroDemo
