#pragma once

#include <wx/event.h>
#include <wx/socket.h>
#include <wx/thread.h>

#include <atomic>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "net/FrameCutter.h"
#include "net/TlsChannel.h"

namespace Tavoro {

// Posted to the owner of a ReceivedQueue when something waits in it that was not there before;
// one event per batch, however many frames the batch holds. GetInt() is the queue's serial.
wxDECLARE_EVENT(EVT_CONNECTION_READY, wxThreadEvent);

// What a connection's reader hands over to the GUI thread: frames as text and the end of the
// stream, in the order read. The reader pushes, the owner takes everything at once; the owner
// is woken by one EVT_CONNECTION_READY per batch, not per frame, so a burst of thousands of
// frames costs the GUI thread one event.
class ReceivedQueue {
  public:
    struct Item {
        wxString text;
        long readAt = 0;  // when the reader took the frame off the socket (monotonic ms)
        bool lost = false;
        // With lost: why a TLS connection was refused (None: the connection just ended).
        Net::TlsFailure failure = Net::TlsFailure::None;

        // wxString has no move constructor: items move by swapping their text, so neither a
        // growing queue nor handing it over copies a long frame.
        Item() = default;
        Item(wxString&& frame, long at) : readAt(at) { text.swap(frame); }
        Item(long at, bool isLost, Net::TlsFailure why) : readAt(at), lost(isLost), failure(why) {}
        Item(Item&& other) noexcept
            : readAt(other.readAt), lost(other.lost), failure(other.failure) {
            text.swap(other.text);
        }
        Item& operator=(Item&& other) noexcept {
            text.swap(other.text);
            readAt = other.readAt;
            lost = other.lost;
            failure = other.failure;
            return *this;
        }
    };

    ReceivedQueue(wxEvtHandler* owner, int serial) : m_owner(owner), m_serial(serial) {}

    // Any thread. The texts are moved out of `frames`.
    void push(std::vector<wxString>& frames, long readAt);
    void pushLoss(long readAt, Net::TlsFailure failure = Net::TlsFailure::None);
    // The owner's thread: moves everything waiting into `out` (appended, in order).
    void takeAll(std::vector<Item>& out);
    // No wake-up is posted after this returns; what waits stays until taken.
    void detach();
    int serial() const { return m_serial; }

  private:
    void wake();  // m_lock held

    std::mutex m_lock;
    std::vector<Item> m_items;
    wxEvtHandler* m_owner;
    bool m_wakePosted = false;
    const int m_serial;
};

// One connection to the monitoring server: a joinable I/O thread that alone uses the socket. It
// writes the frames queued by send() (encrypting them once a session key is set), reads and
// cuts the byte stream into NUL-terminated frames, decrypts them and hands the texts to a
// ReceivedQueue. The thread never touches a window, and the caller never waits on the network:
// send() only queues. A write that a server does not take within the write timeout ends the
// connection, which the queue then reports lost.
//
// With TLS, the thread first makes the handshake and checks the server's certificate; the
// frames are then written and read inside the TLS stream, and what send() queued meanwhile
// waits. A refusal ends the connection like a loss, with its reason.
//
// Life: the owner creates it with an already connected socket and a queue, calls start(), and
// ends it with stop() (or by deleting it): the socket is shut down, which wakes the thread,
// and the thread is joined.
class ConnectionThread : private wxThread {
  public:
    static constexpr int kWriteTimeoutSeconds = 3;
    // The longest an idle thread waits before it looks at its state again; a send or a stop
    // wakes it at once.
    static constexpr int kIdleWaitMs = 1000;

    // Takes ownership of a connected socket.
    ConnectionThread(wxSocketClient* socket, std::shared_ptr<ReceivedQueue> received,
                     int writeTimeoutSeconds = kWriteTimeoutSeconds,
                     const Net::TlsOptions& tls = Net::TlsOptions());
    ~ConnectionThread() override;
    ConnectionThread(const ConnectionThread&) = delete;
    ConnectionThread& operator=(const ConnectionThread&) = delete;

    bool start();
    // Ends the connection and joins the thread. With sendQueuedFirst, what send() queued is
    // written first (each frame within the write timeout), so a goodbye reaches the server.
    void stop(bool sendQueuedFirst = false);

    // Frames sent after this are encrypted with the key, and frames read after the thread
    // reaches it in the send queue are decrypted with it.
    void setSessionKey(const wxString& sessionKey);

    // Queues one text to be framed and written completely: plain, as UTF-8 and a NUL;
    // encrypted, as the escaped AES frame and a NUL. Returns false when the connection can no
    // longer send (a write failed or timed out, it was stopped): nothing is queued then.
    bool send(const wxString& text);

    // The clock of the queue's time stamps (milliseconds of a monotonic clock).
    static long monotonicMs();

  private:
    struct Outgoing {
        wxString text;
        bool isKey = false;
    };

    ExitCode Entry() override;
    void writeQueued();
    bool writeFrame(const Outgoing& item);
    bool writeAll(const std::string& bytes);
    void readAvailable();
    void cutFrames(const char* data, size_t size, std::vector<wxString>& frames);
    void reportLoss(long readAt, Net::TlsFailure failure);
    bool startTls();
    void failWrites();
    void wakeThread();

    wxSocketClient* m_socket;  // used by the thread only, once started
    const int m_fd;
    int m_wakeFd = -1;  // an eventfd the thread also waits on
    std::shared_ptr<ReceivedQueue> m_received;
    const long m_writeTimeoutMs;
    bool m_started = false;

    std::mutex m_sendLock;  // guards m_outgoing
    std::deque<Outgoing> m_outgoing;
    std::atomic<bool> m_writeFailed{false};
    std::atomic<bool> m_stopRequested{false};

    // The thread's own state.
    std::string m_sessionKey;
    bool m_decrypting = false;
    bool m_lostReported = false;
    Net::FrameCutter m_cutter;
    size_t m_reportedDrops = 0;
    Net::TlsOptions m_tlsOptions;
    std::unique_ptr<Net::TlsChannel> m_tls;
    std::vector<wxString> m_tlsFrames;  // frames cut from the TLS stream, not handed over yet
};

}  // namespace Tavoro
