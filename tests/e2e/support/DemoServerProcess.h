#pragma once

// Starts tavoro-demo-server for a test and stops it again, whatever happens in the test.
// Header-only, no toolkit dependency, so unit, end-to-end and GUI tests can all use it:
//
//   Tavoro::Test::DemoServerProcess server(TAVORO_DEMO_SERVER);   // path from CMake
//   ASSERT_TRUE(server.start()) << server.error();
//   ... connect to 127.0.0.1:server.port() ...
//   server.waitForLog("<- @GETDS", 5000);                         // the frame log
//
// Every server gets "--seed 7", so its simulation runs the same way each time; addArgs adds
// simulation options (event rate, visitors, chat interval, ...).
//
// The server listens on a free loopback port (--port 0), writes the port to a ready file, and
// logs every frame to a file in a private temporary directory. restart() stops it and starts a
// new server on the same port (its frames are appended to the same log); kill() ends it
// abruptly, as a crash would.

#include <signal.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace Tavoro::Test {

class DemoServerProcess {
  public:
    explicit DemoServerProcess(std::string executable) : m_executable(std::move(executable)) {
        std::string tmpl = "/tmp/tavoro-demo-server-XXXXXX";
        if (::mkdtemp(tmpl.data()))
            m_dir = tmpl;
    }
    ~DemoServerProcess() {
        stop();
        if (!m_dir.empty()) {
            for (const char* name : {"/port", "/port.tmp", "/frames.log", "/operators", "/state",
                                     "/state.tmp", "/probes"}) {
                ::unlink((m_dir + name).c_str());
            }
            ::rmdir(m_dir.c_str());
        }
    }
    DemoServerProcess(const DemoServerProcess&) = delete;
    DemoServerProcess& operator=(const DemoServerProcess&) = delete;

    // Writes an operator list (lines username<TAB>password<TAB>display name) the server will
    // use instead of its built-in demo operators. Call before start().
    void setOperators(const std::string& lines) {
        std::ofstream(m_dir + "/operators", std::ios::trunc) << lines;
        m_extraArgs.push_back("--operators");
        m_extraArgs.push_back(m_dir + "/operators");
    }

    // Further command-line options (simulation settings). Call before start().
    void addArgs(const std::vector<std::string>& args) {
        m_extraArgs.insert(m_extraArgs.end(), args.begin(), args.end());
    }
    // Where "--state-file" should point (removed with the temporary directory).
    std::string stateFile() const { return m_dir + "/state"; }
    // Where a test may have the load probe's report written ("--probe-report").
    std::string probeReport() const { return m_dir + "/probes"; }

    // Starts the server and waits (bounded) until it listens. False with error() otherwise.
    bool start(int timeoutMs = 10000) {
        if (m_dir.empty())
            return fail("no temporary directory");
        // A port file of an earlier run in this directory must not be taken for this one.
        ::unlink(portFile().c_str());
        const std::string listenPort = std::to_string(m_keepPort ? m_port : 0);
        std::vector<std::string> args = {m_executable,   "--port",   listenPort,
                                         "--ready-file", portFile(), "--log",
                                         logFile(),      "--seed",   "7"};
        args.insert(args.end(), m_extraArgs.begin(), m_extraArgs.end());
        const pid_t parent = ::getpid();
        m_pid = ::fork();
        if (m_pid < 0)
            return fail("fork failed");
        if (m_pid == 0) {
            // A test that dies (a crash, a sanitizer stop) takes its server with it: a server
            // left running would hold the test runner's output open until its time limit.
            ::prctl(PR_SET_PDEATHSIG, SIGTERM);
            if (::getppid() != parent)
                ::_exit(127);
            std::vector<char*> argv;
            for (auto& a : args)
                argv.push_back(a.data());
            argv.push_back(nullptr);
            ::execv(argv[0], argv.data());
            ::_exit(127);
        }
        const auto deadline = clock::now() + std::chrono::milliseconds(timeoutMs);
        while (clock::now() < deadline) {
            std::ifstream in(portFile());
            int port = 0;
            if (in >> port && port > 0) {
                m_port = port;
                return true;
            }
            if (!running())
                return fail("the server exited before listening");
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        stop();
        return fail("the server did not start listening in time");
    }

    // Stops the server and starts a new one on the same port, with the same options or with
    // the given ones (e.g. without a fault). The port may still be held by connections of
    // the old server closing down: starting is retried until the time limit.
    bool restart(int timeoutMs = 10000) {
        stop();
        m_keepPort = m_port > 0;
        const auto deadline = clock::now() + std::chrono::milliseconds(timeoutMs);
        for (;;) {
            const auto left =
                std::chrono::duration_cast<std::chrono::milliseconds>(deadline - clock::now())
                    .count();
            if (start(static_cast<int>(std::max<long long>(left, 1000)))) {
                m_keepPort = false;
                return true;
            }
            if (clock::now() >= deadline) {
                m_keepPort = false;
                return false;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        }
    }
    bool restart(std::vector<std::string> extraArgs, int timeoutMs = 10000) {
        m_extraArgs = std::move(extraArgs);
        return restart(timeoutMs);
    }

    // Freezes the server (SIGSTOP): it neither reads nor writes, while the kernel keeps its
    // connections open, as with a server that hangs. resume() lets it go on (SIGCONT).
    void pause() {
        if (m_pid > 0)
            ::kill(m_pid, SIGSTOP);
    }
    void resume() {
        if (m_pid > 0)
            ::kill(m_pid, SIGCONT);
    }

    // Ends the server at once with SIGKILL (no goodbye to its clients) and reaps it.
    void kill() {
        if (m_pid <= 0)
            return;
        ::kill(m_pid, SIGKILL);
        ::waitpid(m_pid, nullptr, 0);
        m_pid = -1;
    }

    // SIGTERM, then SIGKILL if it has not ended within the time limit; always reaps it.
    void stop(int timeoutMs = 5000) {
        if (m_pid <= 0)
            return;
        ::kill(m_pid, SIGCONT);  // a paused server could not act on SIGTERM
        ::kill(m_pid, SIGTERM);
        const auto deadline = clock::now() + std::chrono::milliseconds(timeoutMs);
        while (clock::now() < deadline) {
            if (::waitpid(m_pid, nullptr, WNOHANG) == m_pid) {
                m_pid = -1;
                return;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        ::kill(m_pid, SIGKILL);
        ::waitpid(m_pid, nullptr, 0);
        m_pid = -1;
    }

    // Whether the server process is still alive.
    bool running() {
        if (m_pid <= 0)
            return false;
        if (::waitpid(m_pid, nullptr, WNOHANG) == m_pid) {
            m_pid = -1;
            return false;
        }
        return true;
    }

    int port() const { return m_port; }
    const std::string& error() const { return m_error; }
    std::string logFile() const { return m_dir + "/frames.log"; }

    // The frame log so far: lines "[connection] <- text" (received) and "[connection] -> text"
    // (sent), control characters written as \t, \n, \r, \e, \xNN.
    std::string log() const {
        std::ifstream in(logFile());
        std::ostringstream out;
        out << in.rdbuf();
        return out.str();
    }
    // How many lines of the log contain the text.
    size_t countInLog(const std::string& text) const {
        std::istringstream in(log());
        size_t n = 0;
        for (std::string line; std::getline(in, line);)
            n += line.find(text) != std::string::npos;
        return n;
    }
    // Waits (bounded) until at least count lines of the log contain the text.
    bool waitForLogCount(const std::string& text, size_t count, int timeoutMs) const {
        const auto deadline = clock::now() + std::chrono::milliseconds(timeoutMs);
        do {
            if (countInLog(text) >= count)
                return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        } while (clock::now() < deadline);
        return false;
    }
    // Waits (bounded) until the log contains the text.
    bool waitForLog(const std::string& text, int timeoutMs) const {
        const auto deadline = clock::now() + std::chrono::milliseconds(timeoutMs);
        do {
            if (log().find(text) != std::string::npos)
                return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        } while (clock::now() < deadline);
        return false;
    }

  private:
    using clock = std::chrono::steady_clock;

    bool fail(const std::string& why) {
        m_error = why;
        return false;
    }
    std::string portFile() const { return m_dir + "/port"; }

    std::string m_executable;
    std::string m_dir;
    std::vector<std::string> m_extraArgs;
    pid_t m_pid = -1;
    int m_port = 0;
    bool m_keepPort = false;  // the next start listens on m_port again (restart)
    std::string m_error;
};

}  // namespace Tavoro::Test
