#pragma once

#include <wx/event.h>
#include <wx/socket.h>
#include <wx/thread.h>

#include <atomic>
#include <memory>
#include <string>

#include "net/FrameCutter.h"

namespace Tavoro {

// Events posted by the connection thread to its handler (the main window). Each carries the
// connection's serial number in GetInt(), so a handler can drop events that a connection it
// has already abandoned queued before it stopped.
wxDECLARE_EVENT(EVT_SERVER_DATA, wxThreadEvent);        // one received frame as text
wxDECLARE_EVENT(EVT_CONNECTION_STATUS, wxThreadEvent);  // a diagnostic text
wxDECLARE_EVENT(EVT_CONNECTION_LOST, wxThreadEvent);    // the server closed or the read failed
wxDECLARE_EVENT(EVT_CONNECTION_ENDED, wxThreadEvent);   // the reader loop has ended

// One connection to the monitoring server: a detached reader thread that cuts the byte stream
// into NUL-terminated frames, decrypts them once a session key is set, and posts the text to
// the handler. Sending runs on the caller's thread. The thread never touches a window.
//
// Life: the owner creates it with an already connected socket, calls Run(), and ends it with
// stop(), after which the object deletes itself when its loop ends (within about 100 ms) and
// must not be used again.
class ConnectionThread : public wxThread {
  public:
    // A write to a server that stopped reading gives up after this long (the window waits
    // for it), and the connection then ends.
    static constexpr int kWriteTimeoutSeconds = 3;

    // Takes ownership of a connected socket; it is switched to blocking mode for the thread,
    // with writes bounded by writeTimeoutSeconds.
    ConnectionThread(wxSocketClient* socket, wxEvtHandler* handler, int serial,
                     int writeTimeoutSeconds = kWriteTimeoutSeconds);
    ~ConnectionThread() override;

    // Stores the session key and switches both directions to encrypted frames.
    void setSessionKey(const wxString& sessionKey);
    bool isEncrypted() const { return m_encrypted.load(); }

    // Frames and writes one text completely. Plain: UTF-8 bytes and a NUL. Encrypted: the
    // escaped AES frame and a NUL. Returns false when nothing could be sent (no socket,
    // encryption failure, write error). A failed write ends the connection: the reader then
    // reports it lost, and later sends return false at once.
    bool send(const wxString& text);

    // Detaches the handler (no event is posted after this returns) and asks the loop to end.
    void stop();

    int serial() const { return m_serial; }

    // The clock of the events' time stamps: when the reader posted a frame (milliseconds of
    // a monotonic clock), so a handler can tell how long a frame waited for the window.
    static long monotonicMs();

    // Connection threads not yet ended: a thread that ran counts until the thread itself has
    // ended, after its object deleted itself (which it does after stop()), so the toolkit may
    // be shut down once this is 0.
    static int liveCount() { return s_live.load(); }

    // The idle wait of the reader: how long one wait for data may block, so that a stop
    // request is seen promptly without polling.
    static constexpr int kReadWaitMs = 100;

  protected:
    ExitCode Entry() override;
    void OnExit() override;

  private:
    void post(const wxEventType& type, const wxString& text);
    void postStatus(const wxString& text) { post(EVT_CONNECTION_STATUS, text); }
    wxString frameToText(const std::string& frame);
    bool writeAll(const std::string& bytes);
    void dropSocket();
    void shutDownLocked();  // m_socketLock held

    wxMutex m_socketLock;  // guards m_socket (reader and sender both use it)
    wxSocketClient* m_socket;
    bool m_writeFailed = false;  // guarded by m_socketLock
    wxMutex m_postLock;          // guards m_handler
    wxEvtHandler* m_handler;
    const long m_writeTimeoutMs;
    wxMutex m_cryptoLock;  // guards m_sessionKey and every crypto step
    std::string m_sessionKey;
    std::atomic<bool> m_encrypted{false};
    std::atomic<bool> m_stopRequested{false};
    const int m_serial;
    Net::FrameCutter m_cutter;
    static std::atomic<int> s_live;
    bool m_entered = false;  // Entry() ran; set and read on the thread itself
};

}  // namespace Tavoro
