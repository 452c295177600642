// The client under load, measured from outside: the real tavoro runs as its own process
// against the demo server's load mode, one fresh pair per step. Per step it prints the
// client's CPU (utime+stime from /proc), its resident memory, the lag of the server's probes
// (a "@PING" in line with the events, answered once everything before it is handled), and the
// start-up: process start to the main window mapped, and to "@STARTEVENTS".
//
//   xvfb-run -a build/bench/bench_client_load                 # the standard table
//   build/bench/bench_client_load --visitors 50000 --rates 0,50000 --seconds 20
//
// Needs an X display; runs nothing in CI (built only, so it keeps compiling).
#include <X11/Xlib.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

struct Options {
    std::string client = TAVORO_CLIENT;
    std::string server = TAVORO_DEMO_SERVER;
    std::string images = TAVORO_IMAGES_DIR_DEFAULT;
    long visitors = 10000;
    std::vector<long> rates = {0, 100, 1000, 5000, 20000, 50000};
    double settleSeconds = 3;
    double seconds = 10;
    bool hugeFrame = true;
};

struct Step {
    long visitors = 0;
    long rate = 0;
    bool hugeFrame = false;
    double windowMs = -1;  // process start to the main window mapped
    double upMs = -1;      // process start to "@STARTEVENTS"
    double listMs = -1;    // "@CV" queued to "@STARTEVENTS", the server's view
    double cpuPercent = -1;
    long rssKb = -1;
    long peakKb = -1;
    size_t pings = 0, pongs = 0;
    double lagP50 = -1, lagP99 = -1, lagMax = -1;
};

pid_t spawn(const std::vector<std::string>& args, const std::vector<std::string>& env) {
    std::fflush(stdout);  // the child must not write this process's buffered table again
    const pid_t pid = ::fork();
    if (pid != 0)
        return pid;
    for (const std::string& e : env)
        ::putenv(const_cast<char*>(e.c_str()));
    std::vector<char*> argv;
    for (const std::string& a : args)
        argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    // Quiet: the client's and the server's own output would mix with the table.
    std::freopen("/dev/null", "w", stdout);
    std::freopen("/dev/null", "w", stderr);
    ::execv(argv[0], argv.data());
    ::_exit(127);
}

void stop(pid_t pid, int signal) {
    if (pid <= 0)
        return;
    ::kill(pid, signal);
    ::waitpid(pid, nullptr, 0);
}

bool waitUntil(const std::function<bool()>& done, double seconds) {
    const auto deadline = Clock::now() + std::chrono::duration<double>(seconds);
    while (!done()) {
        if (Clock::now() > deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return true;
}

std::string readFile(const std::string& path) {
    std::ifstream in(path);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// utime + stime in clock ticks.
long long cpuTicks(pid_t pid) {
    const std::string stat = readFile("/proc/" + std::to_string(pid) + "/stat");
    const size_t close = stat.rfind(')');
    if (close == std::string::npos)
        return -1;
    std::istringstream fields(stat.substr(close + 2));
    std::string field;
    long long utime = 0, stime = 0;
    // Fields from the state (3rd) on; utime is the 14th and stime the 15th.
    for (int i = 3; i <= 15 && fields >> field; ++i) {
        if (i == 14)
            utime = std::atoll(field.c_str());
        if (i == 15)
            stime = std::atoll(field.c_str());
    }
    return utime + stime;
}

long statusKb(pid_t pid, const char* key) {
    std::istringstream in(readFile("/proc/" + std::to_string(pid) + "/status"));
    for (std::string line; std::getline(in, line);) {
        if (line.rfind(key, 0) == 0)
            return std::atol(line.c_str() + std::strlen(key));
    }
    return -1;
}

double percentile(std::vector<double> values, double p) {
    if (values.empty())
        return -1;
    std::sort(values.begin(), values.end());
    return values[std::min(values.size() - 1, static_cast<size_t>(p * values.size()))];
}

// Watches the root window for the first top-level window of a useful size to be mapped.
class MapWatch {
  public:
    MapWatch() : m_display(XOpenDisplay(nullptr)) {
        if (m_display)
            XSelectInput(m_display, DefaultRootWindow(m_display), SubstructureNotifyMask);
    }
    ~MapWatch() {
        if (m_display)
            XCloseDisplay(m_display);
    }
    bool ok() const { return m_display != nullptr; }
    // True once a window of at least 300x200 was mapped.
    bool mapped() {
        while (XPending(m_display)) {
            XEvent event;
            XNextEvent(m_display, &event);
            if (event.type != MapNotify)
                continue;
            XWindowAttributes a;
            if (XGetWindowAttributes(m_display, event.xmap.window, &a) && a.width >= 300 &&
                a.height >= 200)
                return true;
        }
        return false;
    }

  private:
    Display* m_display;
};

bool runStep(const Options& o, Step& step) {
    char dirTemplate[] = "/tmp/tavoro-load-XXXXXX";
    if (!::mkdtemp(dirTemplate))
        return false;
    const std::string dir = dirTemplate;
    const std::string probes = dir + "/probes";
    std::vector<std::string> serverArgs = {o.server,
                                           "--port",
                                           "0",
                                           "--ready-file",
                                           dir + "/port",
                                           "--visitors",
                                           std::to_string(step.visitors),
                                           "--event-rate",
                                           std::to_string(step.rate),
                                           "--chat-interval",
                                           "0",
                                           "--quiet-events",
                                           "--seed",
                                           "7",
                                           "--probe-interval",
                                           "100",
                                           "--probe-report",
                                           probes};
    if (step.hugeFrame)
        serverArgs.insert(serverArgs.end(), {"--fault", "huge-frame"});
    const pid_t server = spawn(serverArgs, {});
    std::string port;
    waitUntil(
        [&] {
            port = readFile(dir + "/port");
            return !port.empty();
        },
        20);
    if (port.empty()) {
        stop(server, SIGTERM);
        return false;
    }
    port.erase(port.find_last_not_of("\n") + 1);
    {
        std::ofstream ini(dir + "/settings.ini");
        ini << "[General]\nServerDNSIP=127.0.0.1\nClientPortNumber=" << port
            << "\nUsername=demo\nPassword=demo\nOperatorName=Load\nDepartmentName=Sales\n"
               "DefaultStatus=0\n[Options]\nShowPopupsForNewVisitors=0\n";
    }

    MapWatch watch;
    const auto started = Clock::now();
    const pid_t client = spawn({o.client}, {"TAVORO_SETTINGS_FILE=" + dir + "/settings.ini",
                                            "TAVORO_IMAGES_DIR=" + o.images, "NO_AT_BRIDGE=1"});
    const bool shown = watch.ok() && waitUntil([&] { return watch.mapped(); }, 30);
    if (shown)
        step.windowMs = std::chrono::duration<double, std::milli>(Clock::now() - started).count();

    // "up <connection> <monotonic us> <list us>": the server's clock is this machine's
    // monotonic clock, as is steady_clock here.
    const bool up =
        waitUntil([&] { return readFile(probes).find("up ") != std::string::npos; }, 120);
    if (up) {
        const std::string report = readFile(probes);
        std::istringstream line(report.substr(report.find("up ")));
        std::string kind, connection;
        long long atUs = 0, listUs = 0;
        line >> kind >> connection >> atUs >> listUs;
        const long long startedUs =
            std::chrono::duration_cast<std::chrono::microseconds>(started.time_since_epoch())
                .count();
        step.upMs = (atUs - startedUs) / 1000.0;
        step.listMs = listUs / 1000.0;
    }

    std::this_thread::sleep_for(std::chrono::duration<double>(o.settleSeconds));
    const size_t skip = readFile(probes).size();
    const long long ticks0 = cpuTicks(client);
    const auto t0 = Clock::now();
    std::this_thread::sleep_for(std::chrono::duration<double>(o.seconds));
    const long long ticks1 = cpuTicks(client);
    const double elapsed = std::chrono::duration<double>(Clock::now() - t0).count();
    step.cpuPercent = 100.0 * (ticks1 - ticks0) / ::sysconf(_SC_CLK_TCK) / elapsed;
    step.rssKb = statusKb(client, "VmRSS:");
    step.peakKb = statusKb(client, "VmHWM:");

    std::vector<double> lags;
    std::istringstream lines(readFile(probes).substr(skip));
    for (std::string line; std::getline(lines, line);) {
        std::istringstream fields(line);
        std::string kind, connection;
        long long number = 0, us = 0;
        if (fields >> kind >> connection >> number >> us && kind == "pong")
            lags.push_back(us / 1000.0);
    }
    step.pings = static_cast<size_t>(elapsed * 10);
    step.pongs = lags.size();
    step.lagP50 = percentile(lags, 0.5);
    step.lagP99 = percentile(lags, 0.99);
    step.lagMax = percentile(lags, 1.0);

    stop(client, SIGKILL);
    stop(server, SIGTERM);
    for (const char* name : {"/port", "/probes", "/settings.ini"})
        ::unlink((dir + name).c_str());
    ::rmdir(dir.c_str());
    return shown && up;
}

std::vector<long> parseList(const std::string& text) {
    std::vector<long> values;
    std::istringstream in(text);
    for (std::string item; std::getline(in, item, ',');)
        values.push_back(std::atol(item.c_str()));
    return values;
}

}  // namespace

int main(int argc, char** argv) {
    Options o;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const char* next = i + 1 < argc ? argv[i + 1] : nullptr;
        if (arg == "--visitors" && next) {
            o.visitors = std::atol(next);
            ++i;
        } else if (arg == "--rates" && next) {
            o.rates = parseList(next);
            ++i;
        } else if (arg == "--seconds" && next) {
            o.seconds = std::atof(next);
            ++i;
        } else if (arg == "--settle" && next) {
            o.settleSeconds = std::atof(next);
            ++i;
        } else if (arg == "--client" && next) {
            o.client = next;
            ++i;
        } else if (arg == "--no-huge-frame") {
            o.hugeFrame = false;
        } else {
            std::fprintf(stderr,
                         "usage: bench_client_load [--visitors N] [--rates 0,100,...] "
                         "[--seconds S] [--settle S] [--client PATH] [--no-huge-frame]\n");
            return 2;
        }
    }
    if (!std::getenv("DISPLAY")) {
        std::fprintf(stderr, "bench_client_load: needs an X display (run it under xvfb-run)\n");
        return 2;
    }

    std::vector<Step> steps;
    for (long rate : o.rates) {
        Step step;
        step.visitors = o.visitors;
        step.rate = rate;
        steps.push_back(step);
    }
    if (o.hugeFrame) {
        // One 5 MiB frame (and 20 MiB of an over-long one) at a small list: the peak against
        // the same run without it.
        Step quiet, huge;
        quiet.visitors = huge.visitors = 40;
        huge.hugeFrame = true;
        steps.push_back(quiet);
        steps.push_back(huge);
    }
    std::printf(
        "visitors | events/s | CPU %% of a core | RSS MiB | peak MiB | lag p50 / p99 / max ms | "
        "answered | to window ms | to @STARTEVENTS ms | list ms\n");
    for (Step& step : steps) {
        const bool ok = runStep(o, step);
        std::printf(
            "%8ld | %8ld%s | %15.2f | %7.1f | %8.1f | %6.1f / %6.1f / %6.1f | %4zu/%-4zu | "
            "%12.0f | %18.0f | %7.0f%s\n",
            step.visitors, step.rate, step.hugeFrame ? " +5MiB" : "", step.cpuPercent,
            step.rssKb / 1024.0, step.peakKb / 1024.0, step.lagP50, step.lagP99, step.lagMax,
            step.pongs, step.pings, step.windowMs, step.upMs, step.listMs,
            ok ? "" : "  (FAILED: no window or no monitoring)");
        std::fflush(stdout);
    }
    return 0;
}
