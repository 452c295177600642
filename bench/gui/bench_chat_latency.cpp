// Time from a visitor line's frame being read off the socket to the line shown in the open
// chat window's transcript, with the real main window in the toolkit's own main loop, against
// the demo server with 10,000 visitors listed and visitor events flowing.
//
// The operator types a line and presses Enter every pace_ms; the simulated visitor answers
// each one shortly after. The reported time of each run is the median latency; the counters
// give the median, the 90th and 99th percentiles and the maximum in milliseconds, the lines
// measured and the visitor events the window handled per second meanwhile.
//
// Needs a display (run it under xvfb-run) and the demo server built beside it:
//   xvfb-run -a build-bench/bench/bench_chat_latency
#include <benchmark/benchmark.h>

#include <wx/app.h>
#include <wx/evtloop.h>
#include <wx/grid.h>
#include <wx/image.h>
#include <wx/socket.h>
#include <wx/textctrl.h>
#include <wx/timer.h>
#include <wx/utils.h>
#include <wx/weakref.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "app/TavoroClientFrame.h"
#include "app/UiPrompts.h"
#include "dialog/VisitorChatFrame.h"
#include "settings/TavoroSettings.h"
#include "support/DemoServerProcess.h"
#include "support/TempDir.h"

namespace {

using Clock = std::chrono::steady_clock;

long msSince(Clock::time_point start) {
    return static_cast<long>(
        std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count());
}

wxTextCtrl* findInput(wxWindow* window) {
    for (wxWindow* child : window->GetChildren()) {
        if (auto* text = wxDynamicCast(child, wxTextCtrl); text && text->IsEditable())
            return text;
        if (wxTextCtrl* inner = findInput(child))
            return inner;
    }
    return nullptr;
}

// One session, driven from a timer inside the main loop: wait for the live view, pick up the
// first waiting chat, then type a line every pace_ms until all are sent, and end the loop once
// every answer is shown (or the time limit passes).
class ChatSession : public wxEvtHandler {
  public:
    ChatSession(Tavoro::TavoroClientFrame* frame, int lines, long paceMs, long limitMs)
        : m_frame(frame), m_lines(lines), m_paceMs(paceMs), m_limitMs(limitMs) {
        frame->session().sentTextObserver = [this](const wxString& text) {
            if (text == "@STARTEVENTS")
                m_live = true;
        };
        Bind(wxEVT_TIMER, &ChatSession::tick, this);
        m_timer.SetOwner(this);
    }
    ~ChatSession() override {
        if (m_frame)
            m_frame->session().sentTextObserver = nullptr;
    }

    // Runs the main loop until the session ends; returns an error text, empty on success.
    std::string run() {
        m_started = Clock::now();
        m_timer.Start(5);
        wxGUIEventLoop loop;
        m_loop = &loop;
        loop.Run();
        m_timer.Stop();
        return m_error;
    }

    unsigned long eventsDuringLines() const { return m_eventsAtEnd - m_eventsAtFirstLine; }
    double eventsPerSecond() const {
        return m_lineMs > 0 ? eventsDuringLines() * 1000.0 / m_lineMs : 0.0;
    }
    Tavoro::Dialog::VisitorChatFrame* window() const { return m_window; }

  private:
    void finish(const std::string& error) {
        m_error = error;
        m_timer.Stop();
        m_loop->ScheduleExit();
    }
    void tick(wxTimerEvent&) {
        if (!m_frame)
            return finish("the main window went away");
        if (msSince(m_started) > m_limitMs)
            return finish(
                "time limit passed: " + std::to_string(m_frame->lineLatenciesMs().size()) +
                " lines shown, " + std::to_string(m_sent) + " sent");
        if (!m_live)
            return;
        if (m_chatOpened && !m_window)
            return finish("the chat window went away");
        if (!m_window) {
            wxGrid* chats = m_frame->chattingGrid();
            for (int row = 0; row < chats->GetNumberRows(); ++row) {
                if (chats->GetCellValue(row, 4).empty()) {
                    const wxString chatId = chats->GetCellValue(row, 0);
                    m_frame->startChat(row);
                    m_window = m_frame->chatWindow(chatId);
                    m_chatOpened = true;
                    m_input = m_window ? findInput(m_window) : nullptr;
                    if (!m_input)
                        return finish("the chat window has no input field");
                    m_eventsAtFirstLine = m_frame->session().eventsHandled();
                    m_firstLine = Clock::now();
                    break;
                }
            }
            return;
        }
        if (m_sent < m_lines && msSince(m_firstLine) >= m_sent * m_paceMs) {
            ++m_sent;
            m_input->ChangeValue(wxString::Format("q%d", m_sent));
            m_window->send_line();
        }
        if (m_frame->lineLatenciesMs().size() >= static_cast<size_t>(m_lines)) {
            m_lineMs = msSince(m_firstLine);
            m_eventsAtEnd = m_frame->session().eventsHandled();
            finish("");
        }
    }

    wxWeakRef<Tavoro::TavoroClientFrame> m_frame;
    const int m_lines;
    const long m_paceMs;
    const long m_limitMs;
    wxTimer m_timer;
    wxGUIEventLoop* m_loop = nullptr;
    Clock::time_point m_started, m_firstLine;
    bool m_live = false;
    bool m_chatOpened = false;
    wxWeakRef<Tavoro::Dialog::VisitorChatFrame> m_window;
    wxTextCtrl* m_input = nullptr;
    int m_sent = 0;
    unsigned long m_eventsAtFirstLine = 0, m_eventsAtEnd = 0;
    long m_lineMs = 0;
    std::string m_error;
};

// Runs the loop until the window is gone after Destroy().
void destroyAndWait(Tavoro::TavoroClientFrame* frame) {
    wxWeakRef<Tavoro::TavoroClientFrame> weak(frame);
    frame->Destroy();
    const Clock::time_point start = Clock::now();
    while (weak && msSince(start) < 10000) {
        wxTheApp->ProcessPendingEvents();
        wxTheApp->ProcessIdle();
        wxYield();
    }
}

// Arguments: visitor events per second asked of the server, milliseconds between lines.
void BM_ChatLineLatency(benchmark::State& state) {
    const std::string rate = std::to_string(state.range(0));
    const long paceMs = static_cast<long>(state.range(1));
    constexpr int kLines = 1000;
    for (auto _ : state) {
        Tavoro::Test::DemoServerProcess server(TAVORO_DEMO_SERVER);
        server.addArgs({"--visitors", "10000", "--event-rate", rate, "--chat-interval", "1",
                        "--chat-leave-after", "100000", "--numbered-lines", "--quiet-events"});
        if (!server.start()) {
            state.SkipWithError("the demo server did not start");
            return;
        }
        Tavoro::Test::TempDir dir;
        const wxString settings = dir.file("settings.ini");
        {
            std::FILE* f = std::fopen(settings.utf8_str(), "w");
            if (!f) {
                state.SkipWithError("cannot write the settings file");
                return;
            }
            std::fprintf(f,
                         "[General]\nServerDNSIP=127.0.0.1\nClientPortNumber=%d\nUsername=demo\n"
                         "Password=demo\n",
                         static_cast<int>(server.port()));
            std::fclose(f);
        }
        Tavoro::disposeSettings();
        wxSetEnv("TAVORO_SETTINGS_FILE", settings);

        auto* frame = new Tavoro::TavoroClientFrame(nullptr, wxID_ANY);
        frame->Show();
        frame->connectToServer();
        ChatSession session(frame, kLines, paceMs, 180000);
        const std::string error = session.run();

        std::vector<long> latencies = frame->lineLatenciesMs();
        const wxString html = session.window() ? session.window()->transcript_html() : wxString();
        destroyAndWait(frame);
        if (!error.empty()) {
            state.SkipWithError(error.c_str());
            return;
        }
        // Every answer must be there, once and in order, or the figures mean nothing.
        size_t at = 0;
        for (int i = 1; i <= kLines; ++i) {
            const size_t found = html.find(wxString::Format("line %d:", i), at);
            if (found == wxString::npos) {
                state.SkipWithError("a visitor line is missing or out of order");
                return;
            }
            at = found + 1;
        }
        std::sort(latencies.begin(), latencies.end());
        const size_t n = latencies.size();
        state.SetIterationTime(latencies[n / 2] / 1000.0);
        state.counters["median_ms"] = static_cast<double>(latencies[n / 2]);
        state.counters["p90_ms"] = static_cast<double>(latencies[n * 90 / 100]);
        state.counters["p99_ms"] = static_cast<double>(latencies[n * 99 / 100]);
        state.counters["max_ms"] = static_cast<double>(latencies.back());
        state.counters["lines"] = static_cast<double>(n);
        state.counters["events_per_s"] = session.eventsPerSecond();
    }
}
BENCHMARK(BM_ChatLineLatency)
    ->ArgNames({"events_per_s", "pace_ms"})
    ->Args({5000, 20})
    ->Args({2000, 20})
    ->Iterations(1)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

class BenchApp : public wxApp {
  public:
    bool OnInit() override {
        wxInitAllImageHandlers();
        wxSocketBase::Initialize();
        return true;
    }
};

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    // The window's settings go to a file of the run's own; nothing may touch the user's home.
    Tavoro::Test::TempDir home;
    wxSetEnv("HOME", home.path());
    if (!wxGetEnv("TAVORO_IMAGES_DIR", nullptr))
        wxSetEnv("TAVORO_IMAGES_DIR", TAVORO_IMAGES_DIR_DEFAULT);
    Tavoro::UiPrompts::messageBox = [](wxWindow*, const wxString&, const wxString&, long) {
        return static_cast<int>(wxOK);
    };
    wxApp::SetInstance(new BenchApp);
    if (!wxEntryStart(argc, argv)) {
        std::fprintf(stderr, "no display: run under xvfb-run\n");
        return 1;
    }
    wxTheApp->CallOnInit();
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    wxTheApp->OnExit();
    wxEntryCleanup();
    return 0;
}
