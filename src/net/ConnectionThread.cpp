#include "net/ConnectionThread.h"

#include <botan/system_rng.h>

#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>

#include <chrono>
#include <exception>

#include "net/FrameCrypto.h"
#include "net/NetTrace.h"

namespace Tavoro {

wxDEFINE_EVENT(EVT_CONNECTION_READY, wxThreadEvent);

namespace {

// Received bytes become characters of the same code (0x80..0xFF -> U+0080..U+00FF): the
// server's wide characters travel in the envelope's hex form, never as UTF-8.
wxString latin1Text(const std::string& bytes) {
    return wxString(bytes.data(), wxConvISO8859_1, bytes.size());
}

// One read takes at most this much of what the kernel holds: a burst of frames is cut and
// handed over in batches of this size.
constexpr size_t kReadChunk = 64 * 1024;

}  // namespace

// ---------------------------------------------------------------- ReceivedQueue

void ReceivedQueue::push(std::vector<wxString>& frames, long readAt) {
    if (frames.empty())
        return;
    std::lock_guard<std::mutex> lock(m_lock);
    for (wxString& text : frames)
        m_items.emplace_back(std::move(text), readAt);
    wake();
}

void ReceivedQueue::pushLoss(long readAt, Net::TlsFailure failure) {
    std::lock_guard<std::mutex> lock(m_lock);
    m_items.emplace_back(readAt, true, failure);
    wake();
}

void ReceivedQueue::wake() {
    if (m_wakePosted || !m_owner)
        return;
    m_wakePosted = true;
    auto* event = new wxThreadEvent(EVT_CONNECTION_READY);
    event->SetInt(m_serial);
    wxQueueEvent(m_owner, event);
}

void ReceivedQueue::takeAll(std::vector<Item>& out) {
    std::lock_guard<std::mutex> lock(m_lock);
    m_wakePosted = false;
    if (out.empty()) {
        out.swap(m_items);
        return;
    }
    for (Item& item : m_items)
        out.push_back(std::move(item));
    m_items.clear();
}

void ReceivedQueue::detach() {
    std::lock_guard<std::mutex> lock(m_lock);
    m_owner = nullptr;
}

// ---------------------------------------------------------------- ConnectionThread

long ConnectionThread::monotonicMs() {
    return static_cast<long>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                 std::chrono::steady_clock::now().time_since_epoch())
                                 .count());
}

ConnectionThread::ConnectionThread(wxSocketClient* socket, std::shared_ptr<ReceivedQueue> received,
                                   int writeTimeoutSeconds, const Net::TlsOptions& tls)
    : wxThread(wxTHREAD_JOINABLE),
      m_socket(socket),
      m_fd(socket ? static_cast<int>(socket->GetSocket()) : -1),
      m_received(std::move(received)),
      m_writeTimeoutMs(writeTimeoutSeconds * 1000L),
      m_tlsOptions(tls) {
    m_wakeFd = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    if (m_socket) {
        m_socket->Notify(false);
        m_socket->SetFlags(wxSOCKET_BLOCK);
        // A write that cannot go on would wait twice: in the kernel's send, and then in the
        // toolkit's wait for the socket to become writable (ten minutes unless set). The
        // toolkit's wait is switched off; writeAll bounds the kernel's by what is left of the
        // frame's time (SO_SNDTIMEO). Reads only follow a poll that saw data or the end.
        m_socket->SetTimeout(0);
    }
}

ConnectionThread::~ConnectionThread() {
    stop();
    if (m_socket)
        m_socket->Destroy();
    if (m_wakeFd >= 0)
        ::close(m_wakeFd);
}

bool ConnectionThread::start() {
    if (m_started || !m_socket || m_fd < 0 || m_wakeFd < 0)
        return false;
    // Botan makes its system random generator on first use. It is made here, on the starting
    // thread, so that connection threads only ever use it: two of them (or a thread and the
    // starting thread) never race to make it.
    if (m_tlsOptions.enabled)
        Botan::system_rng();
    if (Run() != wxTHREAD_NO_ERROR) {
        traceNet("could not start the connection thread");
        return false;
    }
    m_started = true;
    return true;
}

void ConnectionThread::stop(bool sendQueuedFirst) {
    m_stopRequested = true;
    if (!m_started)
        return;
    m_started = false;
    // Shutting the descriptor down ends a read or a write the thread may be in; the wake-up
    // ends its wait. The descriptor itself stays open until the socket is destroyed, after
    // the join, so the thread never uses a closed or reused descriptor.
    if (!sendQueuedFirst) {
        m_writeFailed = true;
        ::shutdown(m_fd, SHUT_RDWR);
    }
    wakeThread();
    Wait();
    ::shutdown(m_fd, SHUT_RDWR);
}

void ConnectionThread::wakeThread() {
    const uint64_t one = 1;
    if (m_wakeFd >= 0 && ::write(m_wakeFd, &one, sizeof one) < 0) {
        // The counter is full only if nobody read it for 2^64 wake-ups; a wake-up is pending.
    }
}

void ConnectionThread::setSessionKey(const wxString& sessionKey) {
    {
        std::lock_guard<std::mutex> lock(m_sendLock);
        m_outgoing.push_back(Outgoing{sessionKey, true});
    }
    wakeThread();
}

bool ConnectionThread::send(const wxString& text) {
    if (m_writeFailed || m_stopRequested) {
        traceNet("Tried to send data without a connection; dropped.");
        return false;
    }
    {
        std::lock_guard<std::mutex> lock(m_sendLock);
        m_outgoing.push_back(Outgoing{text, false});
    }
    wakeThread();
    return true;
}

bool ConnectionThread::startTls() {
    m_tls = std::make_unique<Net::TlsChannel>(
        m_tlsOptions,
        [this](const uint8_t* data, size_t size) {
            return writeAll(std::string(reinterpret_cast<const char*>(data), size));
        },
        [this](const uint8_t* data, size_t size) {
            cutFrames(reinterpret_cast<const char*>(data), size, m_tlsFrames);
        });
    if (m_tls->start())
        return true;
    traceNet("TLS could not start: " + wxString::FromUTF8(m_tls->detail()));
    reportLoss(monotonicMs(), m_tls->failure());
    return false;
}

wxThread::ExitCode ConnectionThread::Entry() {
    if (m_tlsOptions.enabled)
        startTls();
    while (!m_stopRequested) {
        writeQueued();
        pollfd waits[2] = {{m_wakeFd, POLLIN, 0}, {m_lostReported ? -1 : m_fd, POLLIN, 0}};
        const int ready = ::poll(waits, 2, kIdleWaitMs);
        if (ready <= 0 || m_stopRequested)
            continue;
        if (waits[0].revents & POLLIN) {
            uint64_t count = 0;
            if (::read(m_wakeFd, &count, sizeof count) < 0) {
                // Another wake-up read it first; nothing is lost.
            }
        }
        if (waits[1].revents & (POLLIN | POLLHUP | POLLERR))
            readAvailable();
    }
    // A stop that lets the queued frames go first (the write timeout bounds each).
    writeQueued();
    return nullptr;
}

void ConnectionThread::writeQueued() {
    // Until the handshake is done and the server accepted, what was queued waits.
    if (m_tls && !m_tls->active() && !m_writeFailed)
        return;
    std::deque<Outgoing> batch;
    {
        std::lock_guard<std::mutex> lock(m_sendLock);
        batch.swap(m_outgoing);
    }
    for (const Outgoing& item : batch) {
        if (item.isKey) {
            const wxScopedCharBuffer utf8 = item.text.utf8_str();
            m_sessionKey.assign(utf8.data(), utf8.length());
            m_decrypting = true;
            continue;
        }
        if (m_writeFailed)
            continue;  // the stream is cut: what was queued behind the failure is dropped
        if (!writeFrame(item))
            failWrites();
    }
}

bool ConnectionThread::writeFrame(const Outgoing& item) {
    std::string frame;
    if (!m_decrypting) {
        // The echo of a sent frame is only ever traced; the secrets in it never leave here.
        traceNet("->" + item.text);
        const wxScopedCharBuffer utf8 = item.text.utf8_str();
        frame.assign(utf8.data(), utf8.length());
    } else {
        traceNet("*>" + item.text);
        try {
            frame = Net::encryptFrame(m_sessionKey, item.text);
        } catch (const std::exception& e) {
            traceNet(wxString::FromUTF8(e.what()));
            return false;
        }
    }
    frame.push_back('\0');
    if (m_tls)
        return m_tls->send(reinterpret_cast<const uint8_t*>(frame.data()), frame.size());
    return writeAll(frame);
}

bool ConnectionThread::writeAll(const std::string& bytes) {
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
            traceNet(
                wxString::Format("Socket write failed after %zu of %zu bytes", done, bytes.size()));
            return false;
        }
        done += written;
    }
    return done == bytes.size();
}

void ConnectionThread::failWrites() {
    // A server that stopped reading, or a broken connection: the frame stream is cut inside a
    // frame and cannot be continued. Later sends fail at once; shutting the descriptor down
    // makes the next wait see the end of the stream, which is reported as the loss.
    m_writeFailed = true;
    ::shutdown(m_fd, SHUT_RDWR);
}

void ConnectionThread::reportLoss(long readAt, Net::TlsFailure failure) {
    m_lostReported = true;
    m_writeFailed = true;
    m_received->pushLoss(readAt, failure);
}

void ConnectionThread::cutFrames(const char* data, size_t size, std::vector<wxString>& frames) {
    m_cutter.feed(data, size, [&](std::string&& frame) {
        // Swapped in: wxString has no move, and a pushed temporary would be copied.
        std::vector<wxString> statuses;
        wxString text =
            m_decrypting ? Net::decryptFrame(m_sessionKey, frame, &statuses) : latin1Text(frame);
        frames.emplace_back();
        frames.back().swap(text);
        for (const wxString& status : statuses)
            traceNet(status);
    });
}

void ConnectionThread::readAvailable() {
    char buffer[kReadChunk];
    m_socket->Read(buffer, static_cast<wxUint32>(sizeof buffer));
    const size_t n = m_socket->LastReadCount();
    const long readAt = monotonicMs();
    if (n == 0) {
        // Readable with no data: the peer closed the connection, or the read failed. A TLS
        // server that ends the stream mid-record leaves that record's frames undelivered.
        traceNet("An Error Occurred whilst processing connection data.");
        Net::TlsFailure failure = Net::TlsFailure::None;
        if (m_tls) {
            m_tls->peerClosed();
            failure = m_tls->failure();
        }
        reportLoss(readAt, failure);
        return;
    }
    std::vector<wxString> frames;
    if (m_tls) {
        const bool wasActive = m_tls->active();
        const bool ok = m_tls->received(reinterpret_cast<const uint8_t*>(buffer), n);
        frames.swap(m_tlsFrames);
        m_received->push(frames, readAt);
        if (!ok) {
            traceNet("TLS connection ended: " + wxString::FromUTF8(m_tls->detail()));
            reportLoss(readAt, m_tls->failure());
            return;
        }
        if (!wasActive && m_tls->active()) {
            traceNet("TLS connection: " + wxString::FromUTF8(m_tls->agreed()));
            writeQueued();
        }
    } else {
        cutFrames(buffer, n, frames);
        m_received->push(frames, readAt);
    }
    if (m_cutter.droppedFrames() != m_reportedDrops) {
        m_reportedDrops = m_cutter.droppedFrames();
        traceNet(wxString::Format("Dropped an oversize frame (%zu so far)", m_reportedDrops));
    }
}

}  // namespace Tavoro
