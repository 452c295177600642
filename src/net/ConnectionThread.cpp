#include "net/ConnectionThread.h"

#include <wx/utils.h>

#include <sys/socket.h>
#include <sys/time.h>

#include <chrono>
#include <exception>

#include "net/FrameCrypto.h"
#include "net/NetTrace.h"

namespace Tavoro {

wxDEFINE_EVENT(EVT_SERVER_DATA, wxThreadEvent);
wxDEFINE_EVENT(EVT_CONNECTION_STATUS, wxThreadEvent);
wxDEFINE_EVENT(EVT_CONNECTION_LOST, wxThreadEvent);
wxDEFINE_EVENT(EVT_CONNECTION_ENDED, wxThreadEvent);

namespace {

// Received bytes become characters of the same code (0x80..0xFF -> U+0080..U+00FF): the
// server's wide characters travel in the envelope's hex form, never as UTF-8.
wxString latin1Text(const std::string& bytes) {
    return wxString(bytes.data(), wxConvISO8859_1, bytes.size());
}

// Keeps a connection thread counted as live until the thread itself ends, after its object is
// deleted: the toolkit still unregisters the thread under a global lock of its own then, and a
// program that shuts the toolkit down as soon as the count says the threads are gone would pull
// that lock from under it.
struct LiveUntilThreadEnds {
    std::atomic<int>* count = nullptr;
    ~LiveUntilThreadEnds() {
        if (count)
            --*count;
    }
};

}  // namespace

std::atomic<int> ConnectionThread::s_live{0};

long ConnectionThread::monotonicMs() {
    return static_cast<long>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                 std::chrono::steady_clock::now().time_since_epoch())
                                 .count());
}

ConnectionThread::ConnectionThread(wxSocketClient* socket, wxEvtHandler* handler, int serial,
                                   int writeTimeoutSeconds)
    : wxThread(wxTHREAD_DETACHED),
      m_socket(socket),
      m_handler(handler),
      m_writeTimeoutMs(writeTimeoutSeconds * 1000L),
      m_serial(serial) {
    ++s_live;
    if (m_socket) {
        m_socket->Notify(false);
        m_socket->SetFlags(wxSOCKET_BLOCK);
        // A write that cannot go on would wait twice: in the kernel's send, and then in the
        // toolkit's wait for the socket to become writable (ten minutes unless set). The
        // toolkit's wait is switched off; writeAll bounds the kernel's by what is left of the
        // frame's time (SO_SNDTIMEO). The reader passes its own timeout to every wait.
        m_socket->SetTimeout(0);
    }
}

ConnectionThread::~ConnectionThread() {
    {
        wxMutexLocker lock(m_socketLock);
        if (m_socket) {
            m_socket->Destroy();
            m_socket = nullptr;
        }
    }
    if (!m_entered)
        --s_live;  // never ran; otherwise the thread's end counts it down
}

void ConnectionThread::setSessionKey(const wxString& sessionKey) {
    wxMutexLocker lock(m_cryptoLock);
    const wxScopedCharBuffer utf8 = sessionKey.utf8_str();
    m_sessionKey.assign(utf8.data(), utf8.length());
    m_encrypted = true;
}

void ConnectionThread::post(const wxEventType& type, const wxString& text) {
    wxMutexLocker lock(m_postLock);
    if (!m_handler)
        return;
    auto* event = new wxThreadEvent(type);
    event->SetString(text);  // wxThreadEvent deep-copies the string for the other thread
    event->SetInt(m_serial);
    event->SetTimestamp(monotonicMs());
    wxQueueEvent(m_handler, event);
}

void ConnectionThread::stop() {
    {
        wxMutexLocker lock(m_postLock);
        m_handler = nullptr;
    }
    m_stopRequested = true;
    Delete();
}

bool ConnectionThread::send(const wxString& text) {
    std::string frame;
    if (!m_encrypted) {
        // The echo of a sent frame is only ever traced; the secrets in it never leave here.
        postStatus(maskSecrets("->" + text));
        const wxScopedCharBuffer utf8 = text.utf8_str();
        frame.assign(utf8.data(), utf8.length());
    } else {
        postStatus(maskSecrets("*>" + text));
        try {
            wxMutexLocker lock(m_cryptoLock);
            frame = Net::encryptFrame(m_sessionKey, text);
        } catch (const std::exception& e) {
            postStatus(wxString::FromUTF8(e.what()));
            dropSocket();
            return false;
        }
    }
    frame.push_back('\0');
    return writeAll(frame);
}

bool ConnectionThread::writeAll(const std::string& bytes) {
    wxMutexLocker lock(m_socketLock);
    if (!m_socket || m_writeFailed) {
        traceNet("Tried to send data without a connection; dropped.");
        return false;
    }
    // The whole frame has to be handed over within the write timeout; a server that takes a
    // few bytes now and then cannot stretch it.
    const long deadline = monotonicMs() + m_writeTimeoutMs;
    size_t done = 0;
    while (done < bytes.size()) {
        const long left = deadline - monotonicMs();
        size_t written = 0;
        if (left > 0) {
            struct timeval timeout {};
            timeout.tv_sec = left / 1000;
            timeout.tv_usec = (left % 1000) * 1000;
            m_socket->SetOption(SOL_SOCKET, SO_SNDTIMEO, &timeout, sizeof timeout);
            m_socket->Write(bytes.data() + done, static_cast<wxUint32>(bytes.size() - done));
            written = m_socket->LastWriteCount();
        }
        if (written == 0) {
            // A server that stopped reading (the time is up) or a broken connection: the
            // frame stream is cut somewhere inside this frame and cannot be continued.
            traceNet(
                wxString::Format("Socket write failed after %zu of %zu bytes", done, bytes.size()));
            shutDownLocked();
            return false;
        }
        done += written;
    }
    return true;
}

void ConnectionThread::dropSocket() {
    wxMutexLocker lock(m_socketLock);
    shutDownLocked();
}

void ConnectionThread::shutDownLocked() {
    // Later sends fail at once instead of waiting for the write timeout again each time.
    m_writeFailed = true;
    if (!m_socket)
        return;
    // The reader may be waiting on this socket in its own thread, so the socket is not closed
    // here: shutting the descriptor down wakes the reader, which sees the end of the stream
    // and reports the connection lost; the socket is destroyed with the thread.
    const wxSOCKET_T fd = m_socket->GetSocket();
    if (fd != wxSOCKET_T(-1))
        ::shutdown(fd, SHUT_RDWR);
}

wxString ConnectionThread::frameToText(const std::string& frame) {
    if (!m_encrypted) {
        return latin1Text(frame);
    }
    std::vector<wxString> statuses;
    wxString text;
    {
        wxMutexLocker lock(m_cryptoLock);
        text = Net::decryptFrame(m_sessionKey, frame, &statuses);
    }
    for (const wxString& status : statuses) {
        postStatus(status);
    }
    return text;
}

wxThread::ExitCode ConnectionThread::Entry() {
    static thread_local LiveUntilThreadEnds live;
    live.count = &s_live;
    m_entered = true;
    std::vector<char> buffer(1024);
    bool lostReported = false;
    size_t reportedDrops = 0;
    while (!TestDestroy() && !m_stopRequested) {
        wxSocketClient* socket;
        {
            wxMutexLocker lock(m_socketLock);
            socket = m_socket;
        }
        if (!socket || !socket->IsOk() || lostReported) {
            // Nothing to read from: wait for the stop request without spinning.
            wxMilliSleep(kReadWaitMs);
            continue;
        }
        // Bounded wait: an idle connection costs a wake-up per interval, not a busy core.
        if (!socket->WaitForRead(0, kReadWaitMs)) {
            continue;
        }
        socket->Read(buffer.data(), static_cast<wxUint32>(buffer.size() - 1));
        const size_t n = socket->LastReadCount();
        if (n == 0) {
            // Readable with no data: the peer closed the connection, or the read failed.
            postStatus("An Error Occurred whilst processing connection data.");
            post(EVT_CONNECTION_LOST, wxString());
            lostReported = true;
            continue;
        }
        m_cutter.feed(buffer.data(), n,
                      [this](std::string&& frame) { post(EVT_SERVER_DATA, frameToText(frame)); });
        if (m_cutter.droppedFrames() != reportedDrops) {
            reportedDrops = m_cutter.droppedFrames();
            traceNet(wxString::Format("Dropped an oversize frame (%zu so far)", reportedDrops));
        }
    }
    return nullptr;
}

void ConnectionThread::OnExit() {
    post(EVT_CONNECTION_ENDED, wxString());
}

}  // namespace Tavoro
