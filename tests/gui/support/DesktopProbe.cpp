#include "DesktopProbe.h"

#include <wx/window.h>

#include <gdk/gdkx.h>
#include <gio/gio.h>
#include <gtk/gtk.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <X11/Xatom.h>
#include <X11/Xlib.h>

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <mutex>
#include <thread>

namespace Tavoro::Test {

// ---- Processes -----------------------------------------------------------------------------

std::string findProgram(const std::string& name) {
    const char* path = std::getenv("PATH");
    std::string dirs = path ? path : "/usr/bin:/bin";
    size_t start = 0;
    while (start <= dirs.size()) {
        const size_t end = std::min(dirs.find(':', start), dirs.size());
        const std::string candidate = dirs.substr(start, end - start) + "/" + name;
        if (::access(candidate.c_str(), X_OK) == 0)
            return candidate;
        start = end + 1;
    }
    return std::string();
}

pid_t spawn(const std::vector<std::string>& args, const std::string& outFile) {
    const pid_t pid = ::fork();
    if (pid == 0) {
        const std::string out = outFile.empty() ? "/dev/null" : outFile;
        std::FILE* f = std::freopen(out.c_str(), "w", stdout);
        if (!f || !std::freopen("/dev/null", "w", stderr))
            ::_exit(126);
        std::vector<char*> argv;
        for (const std::string& a : args)
            argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        ::execv(argv[0], argv.data());
        ::_exit(127);
    }
    return pid;
}

void stopProcess(pid_t& pid) {
    if (pid <= 0)
        return;
    ::kill(pid, SIGTERM);
    for (int i = 0; i < 500 && ::waitpid(pid, nullptr, WNOHANG) != pid; ++i)
        ::usleep(10000);
    ::kill(pid, SIGKILL);
    ::waitpid(pid, nullptr, 0);
    pid = -1;
}

namespace {

bool waitUntil(const std::function<bool()>& condition, int limitMs) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(limitMs);
    while (!condition()) {
        if (std::chrono::steady_clock::now() > end)
            return condition();
        ::usleep(10000);
    }
    return true;
}

// ---- X -------------------------------------------------------------------------------------

Display* display() {
    return gdk_x11_display_get_xdisplay(gdk_display_get_default());
}

Window xWindowOf(wxWindow* w) {
    GtkWidget* widget = w ? w->GetHandle() : nullptr;
    GdkWindow* gdk = widget ? gtk_widget_get_window(widget) : nullptr;
    return gdk ? gdk_x11_window_get_xid(gdk) : 0;
}

// The child of the root window that holds a window: the window itself, or the frame a window
// manager put around it.
Window topOf(Window w) {
    Display* d = display();
    const Window root = DefaultRootWindow(d);
    while (w && w != root) {
        Window rootReturn = 0, parent = 0;
        Window* children = nullptr;
        unsigned int count = 0;
        if (!XQueryTree(d, w, &rootReturn, &parent, &children, &count))
            return 0;
        if (children)
            XFree(children);
        if (parent == root)
            return w;
        w = parent;
    }
    return 0;
}

// The position of a root child in the stacking order, bottom first; -1 when not there.
int stackingPosition(Window top) {
    Display* d = display();
    XSync(d, False);
    Window rootReturn = 0, parent = 0;
    Window* children = nullptr;
    unsigned int count = 0;
    int position = -1;
    if (XQueryTree(d, DefaultRootWindow(d), &rootReturn, &parent, &children, &count)) {
        for (unsigned int i = 0; i < count; ++i) {
            if (children[i] == top)
                position = static_cast<int>(i);
        }
        if (children)
            XFree(children);
    }
    return position;
}

}  // namespace

bool isStackedAbove(wxWindow* a, wxWindow* b) {
    const int above = stackingPosition(topOf(xWindowOf(a)));
    const int below = stackingPosition(topOf(xWindowOf(b)));
    return above >= 0 && below >= 0 && above > below;
}

bool hasInputFocus(wxWindow* w) {
    Display* d = display();
    XSync(d, False);
    Window focus = 0;
    int revert = 0;
    XGetInputFocus(d, &focus, &revert);
    if (focus == None || focus == PointerRoot)
        return false;
    const Window top = topOf(xWindowOf(w));
    return top != 0 && topOf(focus) == top;
}

bool windowManagerRuns() {
    Display* d = display();
    XSync(d, False);
    const Atom check = XInternAtom(d, "_NET_SUPPORTING_WM_CHECK", False);
    Atom type = 0;
    int format = 0;
    unsigned long items = 0, after = 0;
    unsigned char* data = nullptr;
    const bool found = XGetWindowProperty(d, DefaultRootWindow(d), check, 0, 1, False, XA_WINDOW,
                                          &type, &format, &items, &after, &data) == Success &&
                       items == 1;
    if (data)
        XFree(data);
    return found;
}

WindowManager::WindowManager() {
    const std::string openbox = findProgram("openbox");
    if (openbox.empty())
        return;
    m_pid = spawn({openbox, "--sm-disable"}, std::string());
    m_running = waitUntil(windowManagerRuns, 20000);
}

WindowManager::~WindowManager() {
    stopProcess(m_pid);
    // The manager leaves its property behind when killed; the next test must not see it.
    Display* d = display();
    XDeleteProperty(d, DefaultRootWindow(d), XInternAtom(d, "_NET_SUPPORTING_WM_CHECK", False));
    XSync(d, False);
}

// ---- The bus -------------------------------------------------------------------------------

PrivateSessionBus::PrivateSessionBus(const std::string& dir) {
    const std::string daemon = findProgram("dbus-daemon");
    if (daemon.empty())
        return;
    const std::string socket = dir + "/bus";
    m_address = "unix:path=" + socket;
    m_pid = spawn({daemon, "--session", "--nofork", "--nopidfile", "--address=" + m_address},
                  std::string());
    struct stat st {};
    m_running = waitUntil([&] { return ::stat(socket.c_str(), &st) == 0; }, 20000);
    if (m_running)
        ::setenv("DBUS_SESSION_BUS_ADDRESS", m_address.c_str(), 1);
}

PrivateSessionBus::~PrivateSessionBus() {
    // The process's shared session connection ends the process when its bus goes away.
    if (m_running) {
        if (GDBusConnection* shared = g_bus_get_sync(G_BUS_TYPE_SESSION, nullptr, nullptr)) {
            g_dbus_connection_set_exit_on_close(shared, FALSE);
            g_object_unref(shared);
        }
    }
    stopProcess(m_pid);
}

namespace {

const char* const kNotificationsXml =
    "<node><interface name='org.freedesktop.Notifications'>"
    "<method name='GetCapabilities'><arg type='as' direction='out'/></method>"
    "<method name='Notify'><arg type='s' direction='in'/><arg type='u' direction='in'/>"
    "<arg type='s' direction='in'/><arg type='s' direction='in'/><arg type='s' direction='in'/>"
    "<arg type='as' direction='in'/><arg type='a{sv}' direction='in'/>"
    "<arg type='i' direction='in'/><arg type='u' direction='out'/></method>"
    "<method name='CloseNotification'><arg type='u' direction='in'/></method>"
    "<method name='GetServerInformation'><arg type='s' direction='out'/>"
    "<arg type='s' direction='out'/><arg type='s' direction='out'/>"
    "<arg type='s' direction='out'/></method>"
    "<signal name='NotificationClosed'><arg type='u'/><arg type='u'/></signal>"
    "<signal name='ActionInvoked'><arg type='u'/><arg type='s'/></signal>"
    "</interface></node>";

const char* const kPath = "/org/freedesktop/Notifications";
const char* const kInterface = "org.freedesktop.Notifications";

}  // namespace

struct NotificationService::State {
    std::string address;
    mutable std::mutex mutex;
    std::condition_variable changed;
    bool started = false;
    bool owned = false;
    std::vector<Shown> shown;
    std::vector<uint32_t> closed;
    uint32_t nextId = 1;
    GMainContext* context = nullptr;
    GMainLoop* loop = nullptr;
    GDBusConnection* connection = nullptr;
    std::thread thread;

    void emit(const char* signal, GVariant* args) {
        g_dbus_connection_emit_signal(connection, nullptr, kPath, kInterface, signal, args,
                                      nullptr);
        g_dbus_connection_flush_sync(connection, nullptr, nullptr);
    }

    static void onCall(GDBusConnection*, const gchar*, const gchar*, const gchar*,
                       const gchar* method, GVariant* params, GDBusMethodInvocation* invocation,
                       gpointer data) {
        auto* self = static_cast<State*>(data);
        const std::string name = method;
        if (name == "GetCapabilities") {
            const gchar* caps[] = {"actions", "body", "body-markup", "persistence", nullptr};
            g_dbus_method_invocation_return_value(invocation, g_variant_new("(^as)", caps));
        } else if (name == "GetServerInformation") {
            g_dbus_method_invocation_return_value(
                invocation, g_variant_new("(ssss)", "stub", "test", "1.0", "1.2"));
        } else if (name == "Notify") {
            const gchar *app = nullptr, *icon = nullptr, *summary = nullptr, *body = nullptr;
            guint32 replaces = 0;
            gint32 timeout = 0;
            GVariantIter* actions = nullptr;
            GVariant* hints = nullptr;
            g_variant_get(params, "(&su&s&s&sas@a{sv}i)", &app, &replaces, &icon, &summary, &body,
                          &actions, &hints, &timeout);
            Shown notice;
            notice.summary = summary;
            notice.body = body;
            notice.timeout = timeout;
            const gchar* action = nullptr;
            while (g_variant_iter_next(actions, "&s", &action))
                notice.actions.push_back(action);
            g_variant_iter_free(actions);
            g_variant_unref(hints);
            {
                std::lock_guard<std::mutex> lock(self->mutex);
                notice.id = replaces ? replaces : self->nextId++;
                self->shown.push_back(notice);
            }
            g_dbus_method_invocation_return_value(invocation, g_variant_new("(u)", notice.id));
        } else if (name == "CloseNotification") {
            guint32 id = 0;
            g_variant_get(params, "(u)", &id);
            {
                std::lock_guard<std::mutex> lock(self->mutex);
                self->closed.push_back(id);
            }
            g_dbus_method_invocation_return_value(invocation, nullptr);
            // 3: closed by a call to CloseNotification.
            self->emit("NotificationClosed", g_variant_new("(uu)", id, 3u));
        } else {
            g_dbus_method_invocation_return_dbus_error(
                invocation, "org.freedesktop.DBus.Error.UnknownMethod", method);
        }
    }

    void run() {
        g_main_context_push_thread_default(context);
        GError* error = nullptr;
        connection = g_dbus_connection_new_for_address_sync(
            address.c_str(),
            static_cast<GDBusConnectionFlags>(G_DBUS_CONNECTION_FLAGS_AUTHENTICATION_CLIENT |
                                              G_DBUS_CONNECTION_FLAGS_MESSAGE_BUS_CONNECTION),
            nullptr, nullptr, &error);
        bool ok = connection != nullptr;
        GDBusNodeInfo* info = nullptr;
        if (ok) {
            info = g_dbus_node_info_new_for_xml(kNotificationsXml, nullptr);
            static const GDBusInterfaceVTable vtable = {&State::onCall, nullptr, nullptr, {}};
            ok = g_dbus_connection_register_object(connection, kPath, info->interfaces[0], &vtable,
                                                   this, nullptr, nullptr) != 0;
        }
        if (ok) {
            // 4: do not queue; the reply 1 means the name is ours.
            GVariant* reply = g_dbus_connection_call_sync(
                connection, "org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus",
                "RequestName", g_variant_new("(su)", kInterface, 4u), G_VARIANT_TYPE("(u)"),
                G_DBUS_CALL_FLAGS_NONE, 5000, nullptr, nullptr);
            guint32 result = 0;
            if (reply) {
                g_variant_get(reply, "(u)", &result);
                g_variant_unref(reply);
            }
            ok = result == 1;
        }
        if (error)
            g_error_free(error);
        {
            std::lock_guard<std::mutex> lock(mutex);
            started = true;
            owned = ok;
        }
        changed.notify_all();
        if (ok)
            g_main_loop_run(loop);
        if (connection) {
            g_dbus_connection_close_sync(connection, nullptr, nullptr);
            g_object_unref(connection);
            connection = nullptr;
        }
        if (info)
            g_dbus_node_info_unref(info);
        g_main_context_pop_thread_default(context);
    }
};

NotificationService::NotificationService(const std::string& busAddress)
    : m_state(std::make_shared<State>()) {
    m_state->address = busAddress;
    m_state->context = g_main_context_new();
    m_state->loop = g_main_loop_new(m_state->context, FALSE);
    m_state->thread = std::thread([state = m_state.get()] { state->run(); });
    std::unique_lock<std::mutex> lock(m_state->mutex);
    m_state->changed.wait_for(lock, std::chrono::seconds(20), [&] { return m_state->started; });
}

NotificationService::~NotificationService() {
    g_main_loop_quit(m_state->loop);
    if (m_state->thread.joinable())
        m_state->thread.join();
    g_main_loop_unref(m_state->loop);
    g_main_context_unref(m_state->context);
}

bool NotificationService::running() const {
    std::lock_guard<std::mutex> lock(m_state->mutex);
    return m_state->owned;
}

std::vector<NotificationService::Shown> NotificationService::shown() const {
    std::lock_guard<std::mutex> lock(m_state->mutex);
    return m_state->shown;
}

std::vector<uint32_t> NotificationService::closed() const {
    std::lock_guard<std::mutex> lock(m_state->mutex);
    return m_state->closed;
}

void NotificationService::invokeAction(uint32_t id, const std::string& actionKey) {
    // Emitted from the service's own thread, as the daemon's signal would come.
    struct Call {
        State* state;
        uint32_t id;
        std::string key;
    };
    auto* call = new Call{m_state.get(), id, actionKey};
    g_main_context_invoke_full(
        m_state->context, G_PRIORITY_DEFAULT,
        [](gpointer data) -> gboolean {
            auto* c = static_cast<Call*>(data);
            c->state->emit("ActionInvoked", g_variant_new("(us)", c->id, c->key.c_str()));
            return G_SOURCE_REMOVE;
        },
        call, [](gpointer data) { delete static_cast<Call*>(data); });
}

std::string actionKeyOf(const NotificationService::Shown& notice, const std::string& label) {
    for (size_t i = 0; i + 1 < notice.actions.size(); i += 2) {
        if (notice.actions[i + 1] == label)
            return notice.actions[i];
    }
    return std::string();
}

}  // namespace Tavoro::Test
