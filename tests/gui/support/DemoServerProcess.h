#pragma once

#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

extern char** environ;

namespace Tavoro::Test {

// Runs the project's demo monitoring server on 127.0.0.1 with a free port for one test and
// stops it when the object dies. Its frame log (plain text, one line per frame) is readable.
class DemoServerProcess {
  public:
    DemoServerProcess(const std::string& serverPath, const std::string& workDir,
                      std::vector<std::string> extraArgs = {}) {
        m_readyFile = workDir + "/server.port";
        m_logFile = workDir + "/server.log";
        ::unlink(m_readyFile.c_str());
        ::unlink(m_logFile.c_str());
        std::vector<std::string> args = {serverPath,  "--port", "0",      "--ready-file",
                                         m_readyFile, "--log",  m_logFile};
        args.insert(args.end(), extraArgs.begin(), extraArgs.end());
        std::vector<char*> argv;
        for (auto& a : args)
            argv.push_back(a.data());
        argv.push_back(nullptr);
        if (::posix_spawn(&m_pid, serverPath.c_str(), nullptr, nullptr, argv.data(), environ) !=
            0) {
            m_pid = -1;
            return;
        }
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (std::chrono::steady_clock::now() < deadline) {
            std::ifstream in(m_readyFile);
            int port = 0;
            if (in >> port && port > 0) {
                m_port = static_cast<unsigned short>(port);
                break;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
    }
    ~DemoServerProcess() { stop(); }
    DemoServerProcess(const DemoServerProcess&) = delete;
    DemoServerProcess& operator=(const DemoServerProcess&) = delete;

    bool running() const { return m_pid > 0 && m_port != 0; }
    unsigned short port() const { return m_port; }

    std::string log() const {
        std::ifstream in(m_logFile);
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    }
    // Number of log lines that contain the text.
    size_t countInLog(const std::string& text) const {
        std::istringstream in(log());
        size_t n = 0;
        for (std::string line; std::getline(in, line);)
            n += line.find(text) != std::string::npos;
        return n;
    }

    void stop() {
        if (m_pid <= 0)
            return;
        ::kill(m_pid, SIGTERM);
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
        int status = 0;
        while (::waitpid(m_pid, &status, WNOHANG) == 0) {
            if (std::chrono::steady_clock::now() > deadline) {
                ::kill(m_pid, SIGKILL);
                ::waitpid(m_pid, &status, 0);
                break;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        m_pid = -1;
    }

  private:
    pid_t m_pid = -1;
    unsigned short m_port = 0;
    std::string m_readyFile;
    std::string m_logFile;
};

}  // namespace Tavoro::Test
