#pragma once

// What the desktop around the client sees: which top-level window is on top and which holds
// the keyboard (asked of the X server, not of the toolkit), a real window manager for the
// length of a test, helper processes, and a private session bus with a notification service.
// The X and D-Bus details stay in DesktopProbe.cpp (their headers define names such as None
// and Status).

#include <sys/types.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class wxWindow;

namespace Tavoro::Test {

// ---- Processes -----------------------------------------------------------------------------

// The full path of a program on PATH; empty when there is none.
std::string findProgram(const std::string& name);
// Runs a program with its output into outFile (or /dev/null); returns its process id.
pid_t spawn(const std::vector<std::string>& args, const std::string& outFile);
// Ends a process started by spawn (politely, then not) and waits for it; sets pid to -1.
void stopProcess(pid_t& pid);

// ---- Windows as the X server stacks and focuses them ---------------------------------------

// Whether window a is stacked above window b (their window manager frames, if any, compared).
bool isStackedAbove(wxWindow* a, wxWindow* b);
// Whether the X input focus is in the top-level window of w.
bool hasInputFocus(wxWindow* w);
// Whether a window manager runs on the display.
bool windowManagerRuns();

// A window manager (openbox) on the test's display from construction to destruction.
class WindowManager {
  public:
    WindowManager();
    ~WindowManager();
    WindowManager(const WindowManager&) = delete;
    WindowManager& operator=(const WindowManager&) = delete;
    // Whether it runs; false when openbox is missing or did not come up in time.
    bool running() const { return m_running; }

  private:
    pid_t m_pid = -1;
    bool m_running = false;
};

// ---- A session bus with a notification service ----------------------------------------------

// A private message bus (dbus-daemon) for the length of a test; its address goes into
// DBUS_SESSION_BUS_ADDRESS, so the process must not have used a session bus before.
class PrivateSessionBus {
  public:
    explicit PrivateSessionBus(const std::string& dir);
    ~PrivateSessionBus();
    PrivateSessionBus(const PrivateSessionBus&) = delete;
    PrivateSessionBus& operator=(const PrivateSessionBus&) = delete;
    bool running() const { return m_running; }
    const std::string& address() const { return m_address; }

  private:
    pid_t m_pid = -1;
    bool m_running = false;
    std::string m_address;
};

// A desktop notification service on a bus, served from its own thread and connection: it
// offers buttons ("actions"), records every notice shown and closed, and can report a click or
// a button chosen, as a notification daemon does.
class NotificationService {
  public:
    struct Shown {
        uint32_t id = 0;
        std::string summary;
        std::string body;
        // Pairs of key and label, as the client sent them.
        std::vector<std::string> actions;
        int32_t timeout = 0;
    };

    explicit NotificationService(const std::string& busAddress);
    ~NotificationService();
    NotificationService(const NotificationService&) = delete;
    NotificationService& operator=(const NotificationService&) = delete;

    // Whether it owns the service's name on the bus.
    bool running() const;
    std::vector<Shown> shown() const;
    std::vector<uint32_t> closed() const;
    // The operator chose an action of a notice ("default" is a click on the notice itself).
    void invokeAction(uint32_t id, const std::string& actionKey);

    struct State;

  private:
    std::shared_ptr<State> m_state;
};

// The key of the action labelled label on a notice; empty when it has none.
std::string actionKeyOf(const NotificationService::Shown& notice, const std::string& label);

}  // namespace Tavoro::Test
