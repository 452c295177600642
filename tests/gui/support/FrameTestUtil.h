#pragma once

#include <wx/ffile.h>
#include <wx/utils.h>

#include <string>

#include "settings/TavoroSettings.h"
#include "support/TempDir.h"

namespace Tavoro::Test {

// Points the process-wide settings store at a fresh file with the given content, so the next
// getSettings() (the main window's) reads exactly that.
inline wxString useSettingsFile(const TempDir& dir, const std::string& content,
                                const wxString& name = "settings.ini") {
    const wxString path = dir.file(name);
    {
        wxFFile f(path, "w");
        f.Write(wxString::FromUTF8(content.c_str()));
    }
    disposeSettings();
    wxSetEnv("TAVORO_SETTINGS_FILE", path);
    return path;
}

}  // namespace Tavoro::Test

#include <algorithm>
#include <vector>

#include "GuiTestUtil.h"
#include "support/LoopbackServer.h"

namespace Tavoro::Test {

// Reads, on the scripted server's side, the frames a window sent, while the window's event
// loop keeps running (the window only answers what it receives when its loop runs).
class SentFrameReader {
  public:
    explicit SentFrameReader(LoopbackServer& server) : m_server(server) {}

    // The frames sent since the last call; waits (bounded) until at least atLeast arrived.
    std::vector<std::string> next(size_t atLeast, int ms = 3000) {
        auto nuls = [&] {
            const std::string& got = m_server.readFrames(m_consumed + atLeast, 0);
            return static_cast<size_t>(std::count(got.begin(), got.end(), '\0'));
        };
        waitFor([&] { return nuls() >= m_consumed + atLeast; }, ms);
        const std::string& all = m_server.received();
        std::vector<std::string> frames;
        size_t start = 0, index = 0;
        for (size_t i = 0; i < all.size(); ++i) {
            if (all[i] != '\0')
                continue;
            if (index++ >= m_consumed)
                frames.push_back(all.substr(start, i - start));
            start = i + 1;
        }
        m_consumed += frames.size();
        return frames;
    }
    // Forgets everything read so far (a new connection).
    void reset() {
        m_server.clearReceived();
        m_consumed = 0;
    }

  private:
    LoopbackServer& m_server;
    size_t m_consumed = 0;
};

}  // namespace Tavoro::Test

#include <wx/grid.h>

namespace Tavoro::Test {

// Waits (bounded) for a row of "Chatting Visitors" whose visitor nobody talks to yet; returns
// the row, or -1 when none appeared in time. Works for any grid laid out like that one.
inline int waitForWaitingChat(wxGrid* chats, long limitMs) {
    int waiting = -1;
    waitFor(
        [&] {
            for (int row = 0; row < chats->GetNumberRows(); ++row) {
                if (chats->GetCellValue(row, 4).empty()) {
                    waiting = row;
                    return true;
                }
            }
            return false;
        },
        limitMs);
    return waiting;
}

}  // namespace Tavoro::Test

#include <wx/event.h>

#include <vector>

#include "net/ConnectionThread.h"

namespace Tavoro::Test {

// Hands frames to a connection's queue the way its reader thread does (the text as UTF-8,
// read now), or the end of the stream when `lost` is set. Frames handed over like this wait
// behind each other exactly as frames read off the socket do.
inline void postAsReader(ReceivedQueue* to, const std::string& text, bool lost = false) {
    if (lost) {
        to->pushLoss(ConnectionThread::monotonicMs());
        return;
    }
    std::vector<wxString> frames{wxString::FromUTF8(text)};
    to->push(frames, ConnectionThread::monotonicMs());
}

}  // namespace Tavoro::Test
