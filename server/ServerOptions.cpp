#include "ServerOptions.h"

#include <arpa/inet.h>

#include <cerrno>
#include <cstdlib>

namespace TavoroDemo {
namespace {

bool parseUnsigned(const std::string& text, uint64_t max, uint64_t& value) {
    if (text.empty() || text.size() > 20)
        return false;
    for (const char c : text) {
        if (c < '0' || c > '9')
            return false;
    }
    errno = 0;
    const unsigned long long v = std::strtoull(text.c_str(), nullptr, 10);
    if (errno != 0 || v > max)
        return false;
    value = v;
    return true;
}

// A non-negative decimal number such as "2.5" or "5000", at most max.
bool parseDecimal(const std::string& text, double max, double& value) {
    if (text.empty() || text.size() > 20 ||
        text.find_first_not_of("0123456789.") != std::string::npos ||
        text.find('.') != text.rfind('.') || text == ".")
        return false;
    const double v = std::strtod(text.c_str(), nullptr);
    if (!(v >= 0) || v > max)
        return false;
    value = v;
    return true;
}

// Only addresses of this machine's loopback network: the demo server is never reachable from
// another machine.
bool isLoopback(const std::string& address) {
    in_addr a{};
    if (inet_pton(AF_INET, address.c_str(), &a) != 1)
        return false;
    return (ntohl(a.s_addr) >> 24) == 127;
}

}  // namespace

bool ServerOptions::parse(int argc, char** argv, std::string& error) {
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        auto value = [&](std::string& out) {
            if (i + 1 >= argc) {
                error = "option " + arg + " needs a value";
                return false;
            }
            out = argv[++i];
            return true;
        };
        std::string text;
        if (arg == "--help" || arg == "-h") {
            showHelp = true;
        } else if (arg == "--verbose" || arg == "-v") {
            verbose = true;
        } else if (arg == "--port") {
            uint64_t v = 0;
            if (!value(text))
                return false;
            if (!parseUnsigned(text, 65535, v)) {
                error = "invalid port: " + text;
                return false;
            }
            port = static_cast<uint16_t>(v);
        } else if (arg == "--bind") {
            if (!value(text))
                return false;
            if (text == "localhost")
                text = "127.0.0.1";
            if (!isLoopback(text)) {
                error = "refusing to listen on " + text + ": only loopback addresses (127.x.x.x)";
                return false;
            }
            bindAddress = text;
        } else if (arg == "--operators") {
            if (!value(operatorsFile))
                return false;
        } else if (arg == "--ready-file") {
            if (!value(readyFile))
                return false;
        } else if (arg == "--log") {
            if (!value(logFile))
                return false;
            verbose = true;
        } else if (arg == "--seed") {
            if (!value(text))
                return false;
            if (!parseUnsigned(text, UINT64_MAX, seed)) {
                error = "invalid seed: " + text;
                return false;
            }
            seedGiven = true;
        } else if (arg == "--event-rate" || arg == "--chat-interval") {
            if (!value(text))
                return false;
            double& target = arg == "--event-rate" ? eventRate : chatInterval;
            if (!parseDecimal(text, arg == "--event-rate" ? 100000.0 : 86400.0, target)) {
                error = "invalid value for " + arg + ": " + text;
                return false;
            }
        } else if (arg == "--visitors" || arg == "--chat-leave-after") {
            uint64_t v = 0;
            if (!value(text))
                return false;
            if (!parseUnsigned(text, arg == "--visitors" ? 50000 : 1000000, v)) {
                error = "invalid value for " + arg + ": " + text;
                return false;
            }
            if (arg == "--visitors")
                visitors = static_cast<size_t>(v);
            else
                chatLeaveAfter = static_cast<int>(v);
        } else if (arg == "--numbered-lines") {
            numberedLines = true;
        } else if (arg == "--quiet-events") {
            quietEvents = true;
        } else if (arg == "--probe-interval") {
            if (!value(text))
                return false;
            if (!parseUnsigned(text, 60000, probeIntervalMs)) {
                error = "invalid value for " + arg + ": " + text;
                return false;
            }
        } else if (arg == "--probe-report") {
            if (!value(probeReport))
                return false;
        } else if (arg == "--fault") {
            if (!value(text))
                return false;
            if (!faultModeFromName(text, fault)) {
                error = "unknown fault: " + text + " (one of " + faultModeNames() + ")";
                return false;
            }
        } else if (arg == "--fault-connections") {
            if (!value(text))
                return false;
            if (!parseUnsigned(text, 1000000, faultConnections)) {
                error = "invalid value for " + arg + ": " + text;
                return false;
            }
        } else if (arg == "--state-file") {
            if (!value(stateFile))
                return false;
        } else if (arg == "--tls-cert") {
            if (!value(tlsCertFile))
                return false;
        } else if (arg == "--tls-key") {
            if (!value(tlsKeyFile))
                return false;
        } else {
            error = "unknown option: " + arg;
            return false;
        }
    }
    if (tlsCertFile.empty() != tlsKeyFile.empty()) {
        error = "--tls-cert and --tls-key go together";
        return false;
    }
    return true;
}

std::string ServerOptions::usage() {
    std::string text =
        "usage: tavoro-demo-server [options]\n"
        "  --port N           port to listen on (default 8011; 0 picks a free port)\n"
        "  --bind ADDRESS     loopback address to listen on (default 127.0.0.1)\n"
        "  --operators FILE   operator list, lines: username<TAB>password<TAB>display name\n"
        "                     (default: built-in demo operators demo/demo and support/support)\n"
        "  --verbose          log every frame sent and received, in plain text, to stderr\n"
        "  --log FILE         like --verbose, but append the log to FILE\n"
        "  --ready-file PATH  write the listening port to PATH once listening\n"
        "  --seed N           seed for the server's non-secret random choices; the same seed\n"
        "                     gives the same visitor events on every run\n"
        "  --event-rate N     visitor events per second (default 2.5; 0: none; up to 100000)\n"
        "  --visitors N       visitors on the sites at start (default 40; up to 50000)\n"
        "  --chat-interval S  seconds between spontaneous chat requests (default 20; 0: none)\n"
        "  --chat-leave-after N  operator lines a visitor answers before leaving a chat\n"
        "                     (default 0: between 8 and 15)\n"
        "  --numbered-lines   visitor chat lines start with \"line N: \"\n"
        "  --state-file PATH  keep the server's account of its visitors in PATH (rewritten\n"
        "                     atomically at most every 200 ms when it changed)\n"
        "  --quiet-events     keep @EV and @ER frames out of the frame log (load runs)\n"
        "  --probe-interval MS  send \"@PING:n\" to watching clients every MS milliseconds, in\n"
        "                     line with the events (load runs; default 0: none)\n"
        "  --probe-report FILE  append a line per \"@PONG:n\" answer (its round trip) and per\n"
        "                     connection whose monitoring started (the monotonic time)\n"
        "  --tls-cert FILE    speak TLS (1.2) with this PEM certificate chain; needs --tls-key\n"
        "  --tls-key FILE     the certificate's private key (PKCS #8 PEM)\n";
    text +=
        "  --fault MODE       play a fault on the first connections (see README), one of:\n"
        "                     " +
        faultModeNames() +
        "\n"
        "  --fault-connections N  how many connections, from the first, get the fault\n"
        "                     (default 1); later ones are served normally\n";
    return text;
}

}  // namespace TavoroDemo
