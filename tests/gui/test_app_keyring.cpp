// The password in a real desktop keyring: a Secret Service daemon started by the test on a
// private D-Bus session (its own bus, its own keyring files), never the user's.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>

#include "app/PasswordStore.h"
#include "settings/LoginSettings.h"
#include "settings/TavoroSettings.h"
#include "support/TempDir.h"

using namespace Tavoro;

namespace {

// A session bus and a keyring daemon (unlocked, secrets only) for this test binary.
class PrivateKeyring {
  public:
    explicit PrivateKeyring(const std::string& home) {
        ::setenv("XDG_DATA_HOME", home.c_str(), 1);
        ::setenv("XDG_RUNTIME_DIR", home.c_str(), 1);
        if (FILE* p = ::popen("dbus-daemon --session --fork --print-address=1 --print-pid=1 "
                              "2>/dev/null",
                              "r")) {
            char line[512];
            if (std::fgets(line, sizeof line, p))
                m_address = trimmed(line);
            if (std::fgets(line, sizeof line, p))
                m_busPid = std::atoi(line);
            ::pclose(p);
        }
        if (m_address.empty() || m_busPid <= 0) {
            m_why = "dbus-daemon could not start a session bus";
            return;
        }
        ::setenv("DBUS_SESSION_BUS_ADDRESS", m_address.c_str(), 1);
        int in[2];
        if (::pipe(in) != 0)
            return;
        m_keyringPid = ::fork();
        if (m_keyringPid == 0) {
            ::dup2(in[0], 0);
            ::close(in[1]);
            ::execlp("gnome-keyring-daemon", "gnome-keyring-daemon", "--foreground", "--unlock",
                     "--components=secrets", static_cast<char*>(nullptr));
            ::_exit(127);
        }
        ::close(in[0]);
        // The password of the new login keyring, then the end of it.
        if (::write(in[1], "test", 4) != 4)
            m_why = "the keyring daemon took no password";
        ::close(in[1]);
    }
    ~PrivateKeyring() {
        for (pid_t pid : {m_keyringPid, m_busPid}) {
            if (pid > 0) {
                ::kill(pid, SIGTERM);
                // Reaps the keyring daemon; the bus forked away, so this returns at once for it.
                ::waitpid(pid, nullptr, 0);
            }
        }
        ::unsetenv("DBUS_SESSION_BUS_ADDRESS");
    }

    // Waits until the keyring answers; otherwise why() says what is missing.
    bool ready() {
        if (m_keyringPid <= 0 || m_address.empty())
            return false;
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        // No keyring call before the test's daemon owns the service's name: the bus would start
        // the system's keyring daemon for it, whose locked keyring then waits for an unlock
        // prompt that never comes.
        while (!secretServiceOwned()) {
            if (std::chrono::steady_clock::now() >= deadline) {
                m_why = "the keyring daemon did not take its name on the private bus";
                return false;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        while (std::chrono::steady_clock::now() < deadline) {
            DesktopKeyring probe;
            if (probe.available() && probe.store("probe", "probe", "probe"))
                return true;
            int status = 0;
            if (::waitpid(m_keyringPid, &status, WNOHANG) == m_keyringPid) {
                m_keyringPid = -1;
                m_why = "gnome-keyring-daemon is not installed or exited";
                return false;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        m_why = "the keyring did not answer on the private bus";
        return false;
    }
    const std::string& why() const { return m_why; }

  private:
    static bool secretServiceOwned() {
        std::string reply;
        if (FILE* p = ::popen("dbus-send --session --print-reply --dest=org.freedesktop.DBus "
                              "/org/freedesktop/DBus org.freedesktop.DBus.NameHasOwner "
                              "string:org.freedesktop.secrets 2>/dev/null",
                              "r")) {
            char line[256];
            while (std::fgets(line, sizeof line, p))
                reply += line;
            ::pclose(p);
        }
        return reply.find("boolean true") != std::string::npos;
    }
    static std::string trimmed(std::string s) {
        while (!s.empty() && (s.back() == '\n' || s.back() == '\r'))
            s.pop_back();
        return s;
    }

    std::string m_address;
    pid_t m_busPid = -1;
    pid_t m_keyringPid = -1;
    std::string m_why = "no keyring";
};

class KeyringTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        home = new Tavoro::Test::TempDir;
        keyring = new PrivateKeyring(std::string(home->path().utf8_str()));
        available = keyring->ready();
    }
    static void TearDownTestSuite() {
        delete keyring;
        delete home;
    }
    void SetUp() override {
        if (!available)
            GTEST_SKIP() << "no Secret Service: " << keyring->why();
    }

    static Tavoro::Test::TempDir* home;
    static PrivateKeyring* keyring;
    static bool available;
    Tavoro::Test::TempDir dir;
};
Tavoro::Test::TempDir* KeyringTest::home = nullptr;
PrivateKeyring* KeyringTest::keyring = nullptr;
bool KeyringTest::available = false;

TEST_F(KeyringTest, PasswordsAreKeptByServerAndUserName) {
    DesktopKeyring store;
    ASSERT_TRUE(store.available());
    ASSERT_TRUE(store.store("one.example", "ann", "first"));
    ASSERT_TRUE(store.store("two.example", "ann", "second"));
    ASSERT_TRUE(store.store("one.example", "bea", L"p\u00e4ss \u4e2d"));
    ASSERT_TRUE(store.store("one.example", "ann", "replaced"));
    EXPECT_EQ(store.find("one.example", "ann"), wxString("replaced"));
    EXPECT_EQ(store.find("two.example", "ann"), wxString("second"));
    EXPECT_EQ(store.find("one.example", "bea"), wxString(L"p\u00e4ss \u4e2d"));
    EXPECT_FALSE(store.find("one.example", "cy").has_value());
    EXPECT_TRUE(store.erase("one.example", "ann"));
    EXPECT_FALSE(store.find("one.example", "ann").has_value());
    EXPECT_EQ(store.find("two.example", "ann"), wxString("second"));
}

TEST_F(KeyringTest, AFilesPasswordMovesInAndAlwaysAskKeepsItNowhere) {
    const wxString path = dir.file("settings.ini");
    TavoroSettings settings(path);
    DesktopKeyring::install(settings);
    settings.setString(SETTING_SERVER_DNS_IP, "chat.example");
    settings.setString(SETTING_USERNAME, "dee");
    settings.setString(SETTING_PASSWORD, "from the file");
    settings.flush();
    EXPECT_EQ(passwordPlaceOf(settings), PasswordPlace::Keeper);
    EXPECT_EQ(storedPassword(settings), "from the file");

    ASSERT_TRUE(movePasswordToKeeper(settings));
    EXPECT_FALSE(TavoroSettings(path).exists(SETTING_PASSWORD)) << "gone from the file on disk";
    EXPECT_EQ(storedPassword(settings), "from the file");
    DesktopKeyring other;  // another process's view of the same keyring
    EXPECT_EQ(other.find("chat.example", "dee"), wxString("from the file"));

    settings.setBool(SETTING_ALWAYS_ASK_FOR_PASSWORD, true);
    EXPECT_EQ(storePassword(settings, "typed"), PasswordPlace::Nowhere);
    EXPECT_FALSE(other.find("chat.example", "dee").has_value());
    EXPECT_FALSE(settings.exists(SETTING_PASSWORD));
}

}  // namespace
