#pragma once

#include <cstdint>
#include <string>

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

    // Parses argv. Returns false with a message in error for anything it does not accept,
    // including a bind address that is not a loopback address.
    bool parse(int argc, char** argv, std::string& error);

    static std::string usage();
};

}  // namespace TavoroDemo
