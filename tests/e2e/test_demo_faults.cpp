// The demo server's fault modes on the wire, read with the client's own protocol code: what
// each mode sends once monitoring is up, that the connection then goes on normally with a fresh
// visitor list, the modes that close the connection, the connections the fault spares, and a
// restart on the same port while old connections are still in TIME_WAIT.
#include <gtest/gtest.h>
#include <wx/init.h>

#include <dirent.h>
#include <sys/wait.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "messages/TavoroMessage.h"
#include "support/DemoClient.h"
#include "support/DemoServerProcess.h"

using Tavoro::Messages::MessageKind;
using Tavoro::Messages::TavoroMessage;
using Tavoro::Test::DemoClient;
using Tavoro::Test::DemoServerProcess;
namespace Msg = Tavoro::Messages;

namespace {

constexpr int kWaitMs = 10000;
const wxChar kEsc = wxChar(27);

// The settings store (used by the login) needs the toolkit's base library initialised.
class WxBaseEnvironment : public ::testing::Environment {
  public:
    void SetUp() override { wxInitialize(); }
    void TearDown() override { wxUninitialize(); }
};
::testing::Environment* const kWxBase = ::testing::AddGlobalTestEnvironment(new WxBaseEnvironment);

using clock_type = std::chrono::steady_clock;

long long msSince(clock_type::time_point start) {
    return std::chrono::duration_cast<std::chrono::milliseconds>(clock_type::now() - start).count();
}

std::vector<wxString> split(const wxString& text, wxChar separator) {
    std::vector<wxString> out(1);
    for (const wxUniChar c : text) {
        if (c == separator)
            out.emplace_back();
        else
            out.back() += c;
    }
    return out;
}

// Whether every record of the list (ESC-separated) has exactly the given number of fields.
bool everyRecordHas(const wxString& data, size_t fields) {
    if (data.empty())
        return true;
    for (const auto& record : split(data, kEsc)) {
        if (split(record, '\t').size() != fields)
            return false;
    }
    return true;
}

// A "@CV" whose records are all whole visitor lines: the fresh list after a fault.
bool isWholeVisitorList(const wxString& text) {
    return text.StartsWith("@CV:") && everyRecordHas(text.Mid(4), 22);
}

// Whether the STX text holds these hex groups at a group boundary (each group 4 digits from
// position 1).
bool hasGroups(const wxString& stx, const wxString& groups) {
    for (size_t at = stx.find(groups); at != wxString::npos; at = stx.find(groups, at + 1)) {
        if (at % 4 == 1)
            return true;
    }
    return false;
}

MessageKind kindOf(const wxString& text) {
    return TavoroMessage(text).kind();
}

size_t countKind(const std::vector<wxString>& texts, MessageKind kind) {
    size_t n = 0;
    for (const auto& t : texts)
        n += kindOf(t) == kind;
    return n;
}

// The last message that starts with the prefix, or the empty text.
wxString lastWith(const std::vector<wxString>& texts, const wxString& prefix) {
    for (auto it = texts.rbegin(); it != texts.rend(); ++it) {
        if (it->StartsWith(prefix))
            return *it;
    }
    return wxString();
}

// The server's peak resident memory in KB, found by its log file on its command line; 0 when
// it cannot be read.
long serverPeakKb(const DemoServerProcess& server) {
    DIR* proc = ::opendir("/proc");
    if (!proc)
        return 0;
    long peak = 0;
    while (dirent* entry = ::readdir(proc)) {
        const std::string pid = entry->d_name;
        if (pid.find_first_not_of("0123456789") != std::string::npos)
            continue;
        std::ifstream cmdline("/proc/" + pid + "/cmdline");
        std::string args((std::istreambuf_iterator<char>(cmdline)), {});
        if (args.find(server.logFile()) == std::string::npos ||
            args.find("--fault") == std::string::npos)
            continue;
        std::ifstream status("/proc/" + pid + "/status");
        for (std::string line; std::getline(status, line);) {
            if (line.rfind("VmHWM:", 0) == 0)
                peak = std::atol(line.c_str() + 6);
        }
    }
    ::closedir(proc);
    return peak;
}

class DemoFaultTest : public ::testing::Test {
  protected:
    void TearDown() override {
        // Whatever the fault did to the connection, the server itself is still there.
        if (m_server) {
            EXPECT_TRUE(m_server->running()) << "the server ended";
        }
    }

    // A new server (the one before, if any, is stopped) with the fault and further options.
    bool startWith(const std::string& mode, const std::vector<std::string>& more = {}) {
        m_server = std::make_unique<DemoServerProcess>(TAVORO_DEMO_SERVER);
        m_server->addArgs({"--fault", mode, "--chat-interval", "0"});
        m_server->addArgs(more);
        return m_server->start();
    }
    DemoServerProcess& server() { return *m_server; }

    // Starts monitoring and reads until the fresh visitor list that follows the fault; what
    // came before it is returned in before.
    std::optional<wxString> monitorUntilFreshList(DemoClient& client, std::vector<wxString>& before,
                                                  int timeoutMs = kWaitMs) {
        if (!client.send("@STARTEVENTS"))
            return std::nullopt;
        return client.waitForMatch(isWholeVisitorList, timeoutMs,
                                   [&](const wxString& t) { before.push_back(t); });
    }

    // After the fault the connection is served normally: the client answers the fresh list
    // with "@STARTEVENTS", and a request is answered.
    void expectServedNormally(DemoClient& client, const std::string& mode) {
        ASSERT_TRUE(client.send("@STARTEVENTS"));
        ASSERT_TRUE(client.send("@STATE"));
        const auto state = client.waitFor("@STATE:", kWaitMs);
        ASSERT_TRUE(state) << mode << ": no answer after the fault";
        EXPECT_TRUE(state->Contains("steps\t"));
        EXPECT_EQ(server().countInLog("[1] fault " + mode + " injected"), 1u);
        EXPECT_GE(server().countInLog("[1] <- @STARTEVENTS"), 2u);
    }

    std::unique_ptr<DemoServerProcess> m_server;
};

// The modes that leave the connection open: each sends its fault once monitoring is up, then
// a fresh "@CV" and normal service.
TEST_F(DemoFaultTest, StayingModesSendTheirFaultThenAFreshListAndGoOnNormally) {
    struct Case {
        const char* mode;
        std::function<void(const std::vector<wxString>&)> check;
    };
    const std::vector<Case> cases = {
        {"undecryptable",
         [](const std::vector<wxString>& got) {
             // Plain text, Base64 of one and two blocks, one byte short and long, the stray
             // "%": never decryptable. Random blocks and Base64 of whole blocks may decrypt to
             // nonsense by chance.
             const size_t failed = countKind(got, Msg::MK_BOTAN_EXCEPTION);
             EXPECT_GE(failed, 6u);
             EXPECT_LE(failed, 12u);
         }},
        {"bad-pad",
         [](const std::vector<wxString>& got) {
             // Pad bytes 17, 255, 32 and 48 are beyond what the client removes.
             EXPECT_EQ(countKind(got, Msg::MK_BOTAN_EXCEPTION), 4u);
             // Pad byte 0: the whole block is text, pad bytes included.
             const wxString zero = lastWith(got, "@NOSUCH:pad 0");
             EXPECT_EQ(zero.length(), 16u);
             EXPECT_EQ(zero.Last(), wxUniChar(0));
             // Pad byte 16 over a 9-byte text: nothing is left of the text.
             EXPECT_EQ(countKind(got, Msg::MK_EMPTY), 1u);
         }},
        {"random-bytes",
         [](const std::vector<wxString>& got) {
             // About 64 KB with a NUL every 256 bytes or so: a couple of hundred garbage frames.
             EXPECT_GE(countKind(got, Msg::MK_BOTAN_EXCEPTION) + countKind(got, Msg::MK_UNKNOWN),
                       100u);
         }},
        {"unknown-commands",
         [](const std::vector<wxString>& got) {
             const std::set<wxString> texts(got.begin(), got.end());
             for (const char* expected :
                  {"@NOSUCH:x", "@", "", ":data without a command", "@ERRORX:not an error",
                   "@CLOSED:not a close", "@MSGS:not a server text", "@EV", "@MESSAGE"}) {
                 EXPECT_TRUE(texts.count(expected)) << expected;
             }
             // Commands that merely start like real ones are not those.
             EXPECT_EQ(kindOf("@ERRORX:not an error"), Msg::MK_UNKNOWN);
             // The STX form of an unknown command, and a long command.
             EXPECT_TRUE(std::any_of(got.begin(), got.end(), [](const wxString& t) {
                 return t.StartsWith("\x02") && TavoroMessage(t).command() == "@NOSUCH" &&
                        TavoroMessage(t).data() == "stx form";
             }));
             EXPECT_TRUE(std::any_of(got.begin(), got.end(),
                                     [](const wxString& t) { return t.length() > 2000; }));
         }},
        {"bad-records",
         [](const std::vector<wxString>& got) {
             std::map<wxString, std::set<size_t>> fields;  // command to the field counts seen
             for (const auto& t : got) {
                 const TavoroMessage m(t);
                 const wxChar separator = m.command() == "@CHAT"      ? ':'
                                          : m.command() == "@MESSAGE" ? '\n'
                                                                      : '\t';
                 // Lists hold ESC-separated records; the others are one record each.
                 const bool list = m.command() == "@CV" || m.command() == "@VISITORS" ||
                                   m.command() == "@CLIENTS" || m.command() == "@DS";
                 for (const auto& record : list ? split(m.data(), kEsc) : std::vector{m.data()})
                     fields[m.command()].insert(split(record, separator).size());
             }
             EXPECT_EQ(fields["@EV"].count(1) + fields["@EV"].count(16) + fields["@EV"].count(17) +
                           fields["@EV"].count(25),
                       4u);
             for (const auto& [command, counts] :
                  std::map<wxString, std::set<size_t>>{{"@CV", {1, 17, 18, 25}},
                                                       {"@VISITORS", {1, 9, 10, 14}},
                                                       {"@CLIENTS", {1, 5, 6, 10}},
                                                       {"@CHAT", {1, 2, 5}},
                                                       {"@MESSAGE", {1, 3}},
                                                       {"@SD", {1, 6, 10}},
                                                       {"@DS", {1, 25, 29}}}) {
                 for (const size_t n : counts)
                     EXPECT_TRUE(fields[command].count(n)) << command << " with " << n;
             }
             EXPECT_TRUE(std::any_of(got.begin(), got.end(),
                                     [](const wxString& t) { return t == "@ER:"; }));
             // Then the valid records set right what the bad ones changed.
             EXPECT_TRUE(everyRecordHas(lastWith(got, "@CLIENTS:").Mid(9), 7));
             EXPECT_TRUE(everyRecordHas(lastWith(got, "@VISITORS:").Mid(10), 11));
             EXPECT_EQ(split(lastWith(got, "@SD:").Mid(4), '\t').size(), 7u);
             EXPECT_TRUE(everyRecordHas(lastWith(got, "@DS:").Mid(4), 26));
         }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.mode);
        ASSERT_TRUE(startWith(c.mode)) << server().error();
        DemoClient client(server().port());
        ASSERT_TRUE(client.logIn("demo", "demo", "Fault Test"));
        std::vector<wxString> before;
        const auto fresh = monitorUntilFreshList(client, before);
        ASSERT_TRUE(fresh) << "no fresh visitor list after the fault";
        EXPECT_EQ(split(fresh->Mid(4), kEsc).size(), 40u);
        c.check(before);
        expectServedNormally(client, c.mode);
    }
}

// Wide characters in the STX form: visitor records and, when a chat exists, a chat line. A
// second, normal connection keeps working meanwhile.
TEST_F(DemoFaultTest, WideCharsReachTheClientInTheStxForm) {
    ASSERT_TRUE(startWith("wide-chars", {"--chat-interval", "0.5"})) << server().error();
    DemoClient faulty(server().port());
    ASSERT_TRUE(faulty.logIn("demo", "demo", "Wide"));
    DemoClient normal(server().port());
    ASSERT_TRUE(normal.logIn("support", "support", "Normal"));
    ASSERT_TRUE(normal.send("@STARTEVENTS"));
    ASSERT_TRUE(normal.waitFor("@CHAT:", kWaitMs)) << "no chat request to aim a wide line at";

    std::vector<wxString> before;
    ASSERT_TRUE(monitorUntilFreshList(faulty, before));
    // The wire texts (STX and four hex digits per UTF-16 unit) and the messages they make.
    std::vector<std::pair<wxString, TavoroMessage>> events;
    std::optional<std::pair<wxString, TavoroMessage>> line;
    for (const auto& t : before) {
        if (!t.StartsWith("\x02"))
            continue;
        const TavoroMessage m(t);
        if (m.kind() == Msg::MK_EV)
            events.emplace_back(t, m);
        else if (m.kind() == Msg::MK_MESSAGE)
            line.emplace(t, m);
    }
    ASSERT_EQ(events.size(), 2u);
    for (const auto& [wire, event] : events) {
        EXPECT_EQ(split(event.data(), '\t').size(), 22u);
        for (const unsigned code : {0x6771u, 0x5C71u, 0x263Au, 0xFFFDu})
            EXPECT_NE(event.data().find(wxUniChar(code)), wxString::npos) << std::hex << code;
        // Beyond what one group holds: U+1F600 as a surrogate pair, and a lone surrogate.
        EXPECT_TRUE(hasGroups(wire, "D83DDE00"));
        EXPECT_TRUE(hasGroups(wire, "D8000020"));
    }
    EXPECT_TRUE(events[1].second.data().Contains(":10.250.0.1:wide\t"));
    ASSERT_TRUE(line) << "no wide chat line";
    const wxString chatId = split(line->second.data(), '\n')[0];
    EXPECT_TRUE(!chatId.empty() && !chatId.Contains(" ")) << chatId;
    EXPECT_NE(line->second.data().find(wxUniChar(0x4F60)), wxString::npos);
    EXPECT_TRUE(hasGroups(line->first, "DC000020"));
    expectServedNormally(faulty, "wide-chars");

    // The other connection got none of it and is still served.
    ASSERT_TRUE(normal.send("@STATE"));
    EXPECT_TRUE(normal.waitFor("@STATE:", kWaitMs));
    EXPECT_EQ(server().countInLog("[2] fault"), 0u);
}

// Every byte its own write: the client's reads see single bytes and partial frames, yet the
// login and the visitor list complete.
TEST_F(DemoFaultTest, BytewiseDeliversSingleBytesAndTheSessionCompletes) {
    ASSERT_TRUE(startWith("bytewise")) << server().error();
    const auto start = clock_type::now();
    DemoClient client(server().port());
    ASSERT_TRUE(client.logIn("demo", "demo", "Bytewise"));
    ASSERT_TRUE(client.send("@GETDS"));
    ASSERT_TRUE(client.waitFor("@DS:", 30000));
    ASSERT_TRUE(client.send("@GET"));
    const auto list = client.waitFor("@CV:", 30000);
    ASSERT_TRUE(list);
    EXPECT_TRUE(isWholeVisitorList(*list));
    const long long loginMs = msSince(start);
    std::printf(
        "[figures] bytewise: login, day summaries and a list of 40 visitors in %lld ms; "
        "%zu reads, %zu of a single byte\n",
        loginMs, client.reads(), client.singleByteReads());
    // Thousands of bytes went out one by one; a loaded machine may join some, never all.
    EXPECT_GT(client.singleByteReads(), 100u);

    std::vector<wxString> before;
    ASSERT_TRUE(monitorUntilFreshList(client, before, 30000));
    expectServedNormally(client, "bytewise");
}

// A frame of 5 MB under the client's 16 MiB cap arrives whole; the 20 MB without a NUL is
// dropped at the cap, and the stream resumes with the fresh list.
TEST_F(DemoFaultTest, HugeFrameArrivesWholeAndTheOversizeOneIsDropped) {
    ASSERT_TRUE(startWith("huge-frame")) << server().error();
    DemoClient client(server().port());
    client.setMaxFrame(16u * 1024u * 1024u);
    ASSERT_TRUE(client.logIn("demo", "demo", "Huge"));
    const auto start = clock_type::now();
    std::vector<wxString> before;
    ASSERT_TRUE(monitorUntilFreshList(client, before, 60000));
    std::printf(
        "[figures] huge-frame: 5 MB frame and 20 MB without NUL read in %lld ms; server "
        "peak resident memory %ld KB\n",
        msSince(start), serverPeakKb(server()));
    EXPECT_EQ(client.droppedFrames(), 1u);
    const wxString big = lastWith(before, "@NOSUCHBIG:");
    ASSERT_FALSE(big.empty());
    EXPECT_EQ(big.length(), 11u + 5u * 1024u * 1024u);
    EXPECT_TRUE(big.StartsWith("@NOSUCHBIG:payload:00000000payload:00000001"));
    EXPECT_TRUE(big.EndsWith("payload:00327679"));
    EXPECT_EQ(countKind(before, Msg::MK_BOTAN_EXCEPTION), 0u);
    expectServedNormally(client, "huge-frame");
}

// The modes that end the connection: right after the greeting, right after the session data
// (the login is never answered), and in the middle of a frame once monitoring is up. The next
// connection is served normally.
TEST_F(DemoFaultTest, ClosingModesEndTheConnectionWhereTheySay) {
    struct Case {
        const char* mode;
        bool loginAnswered;
        const char* lastSent;  // the last frame the faulty connection sent, in the log
        const char* neverSent;
    };
    for (const Case& c :
         {Case{"close-after-hello", false, "[1] -> @HELLO:", "[1] -> @SESSION"},
          Case{"close-after-session", false, "[1] -> @SESSION:", "[1] -> @CONNECTED"},
          Case{"close-mid-frame", true, "[1] -> @VISITORS:", "[1] -> @CV:"}}) {
        SCOPED_TRACE(c.mode);
        ASSERT_TRUE(startWith(c.mode)) << server().error();
        {
            DemoClient client(server().port());
            EXPECT_EQ(client.logIn("demo", "demo", "Closing"), c.loginAnswered);
            if (c.loginAnswered) {
                ASSERT_TRUE(client.send("@STARTEVENTS"));
                client.readFor(kWaitMs, [](const wxString&) {});
                // The connection ended after the start of a frame whose NUL never came.
                EXPECT_GT(client.pendingBytes(), 16u);
            } else {
                client.readFor(kWaitMs, [](const wxString&) {});
            }
            EXPECT_TRUE(client.closed());
        }
        EXPECT_EQ(server().countInLog(std::string("[1] fault ") + c.mode + " injected"), 1u);
        EXPECT_EQ(server().countInLog(c.lastSent), 1u);
        EXPECT_EQ(server().countInLog(c.neverSent), 0u);

        DemoClient next(server().port());
        ASSERT_TRUE(next.logIn("demo", "demo", "Next")) << "the second connection was faulted";
        ASSERT_TRUE(next.send("@STATE"));
        EXPECT_TRUE(next.waitFor("@STATE:", kWaitMs));
    }
}

// "--fault-connections N": exactly the first N connections get the fault.
TEST_F(DemoFaultTest, OnlyTheFirstNConnectionsAreFaulted) {
    for (const int n : {0, 2}) {
        SCOPED_TRACE(n);
        ASSERT_TRUE(startWith("close-after-hello", {"--fault-connections", std::to_string(n)}))
            << server().error();
        for (int connection = 1; connection <= n + 1; ++connection) {
            DemoClient client(server().port());
            EXPECT_EQ(client.logIn("demo", "demo", "Counted"), connection > n) << connection;
        }
        EXPECT_EQ(server().countInLog("fault close-after-hello injected"), static_cast<size_t>(n));
    }
}

// A muted connection gets nothing more but is still read; the other connections are served.
TEST_F(DemoFaultTest, MuteSilencesOneConnectionAndKeepsReadingIt) {
    ASSERT_TRUE(startWith("mute", {"--event-rate", "20"})) << server().error();
    DemoClient muted(server().port());
    ASSERT_TRUE(muted.logIn("demo", "demo", "Muted"));
    DemoClient normal(server().port());
    ASSERT_TRUE(normal.logIn("support", "support", "Normal"));
    ASSERT_TRUE(normal.send("@STARTEVENTS"));
    ASSERT_TRUE(muted.send("@STARTEVENTS"));
    ASSERT_TRUE(server().waitForLog("[1] fault mute injected", kWaitMs));
    // The start of monitoring was answered before the mute; after that, nothing comes.
    ASSERT_TRUE(muted.waitFor("@VISITORS:", kWaitMs, [](const wxString&) {}));
    for (int i = 0; i < 5; ++i)
        ASSERT_TRUE(muted.send("@STATE"));
    ASSERT_TRUE(server().waitForLogCount("[1] <- @STATE", 5, kWaitMs))
        << "the muted connection is not read";
    std::vector<wxString> got;
    muted.readFor(1000, [&](const wxString& t) { got.push_back(t); });
    EXPECT_TRUE(got.empty()) << got.front();
    EXPECT_FALSE(muted.closed());

    // Events go on for the other connection, and it is answered.
    EXPECT_TRUE(normal.waitFor("@EV:", kWaitMs));
    ASSERT_TRUE(normal.send("@STATE"));
    EXPECT_TRUE(normal.waitFor("@STATE:", kWaitMs));
}

// Whether a TCP connection on the local port is in TIME_WAIT (from /proc/net/tcp).
bool timeWaitOnPort(int port) {
    std::ifstream in("/proc/net/tcp");
    char wanted[8];
    std::snprintf(wanted, sizeof(wanted), ":%04X", port);
    std::string line;
    std::getline(in, line);  // header
    while (std::getline(in, line)) {
        char local[64] = {}, remote[64] = {};
        unsigned state = 0;
        if (std::sscanf(line.c_str(), "%*d: %63s %63s %x", local, remote, &state) == 3 &&
            std::string(local).find(wanted) != std::string::npos && state == 0x06) {
            return true;
        }
    }
    return false;
}

// A server stopped while a client was connected leaves that connection in TIME_WAIT on its
// port; a new server still listens on that port at once.
TEST(DemoServerRestart, OnTheSamePortWhileAConnectionIsInTimeWait) {
    DemoServerProcess first(TAVORO_DEMO_SERVER);
    ASSERT_TRUE(first.start()) << first.error();
    const int port = first.port();
    {
        DemoClient client(port);
        ASSERT_TRUE(client.logIn("demo", "demo", "Before"));
        first.stop();
        client.readFor(kWaitMs, [](const wxString&) {});
        EXPECT_TRUE(client.closed());
    }
    // The server closed first, so its side of the connection waits out TIME_WAIT.
    const auto deadline = clock_type::now() + std::chrono::seconds(5);
    while (!timeWaitOnPort(port) && clock_type::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    EXPECT_TRUE(timeWaitOnPort(port));
    // One attempt, no retries: the port must be free for listening at once.
    DemoServerProcess again(TAVORO_DEMO_SERVER);
    again.addArgs({"--port", std::to_string(port)});
    ASSERT_TRUE(again.start()) << again.error();
    EXPECT_EQ(again.port(), port);
    DemoClient client(port);
    EXPECT_TRUE(client.logIn("demo", "demo", "After"));
    EXPECT_TRUE(again.running());
}

TEST(DemoFaultOptions, UnknownFaultsAndBadCountsAreRefused) {
    for (const std::string& args :
         {std::string("--fault nosuch"), std::string("--fault"), std::string("--fault MUTE"),
          std::string("--fault mute --fault-connections -1"),
          std::string("--fault mute --fault-connections x")}) {
        const std::string command = std::string(TAVORO_DEMO_SERVER) + " " + args + " 2>/dev/null";
        const int status = std::system(command.c_str());
        ASSERT_TRUE(WIFEXITED(status)) << args;
        EXPECT_EQ(WEXITSTATUS(status), 2) << args;
    }
}

}  // namespace
