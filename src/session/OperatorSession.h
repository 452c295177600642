#pragma once

#include <wx/event.h>
#include <wx/timer.h>

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <thread>
#include <vector>

#include "messages/HelloMessage.h"
#include "messages/S_CLIENTS.h"
#include "messages/S_SD.h"
#include "messages/S_SESSION.h"
#include "messages/TavoroMessage.h"
#include "net/KeyExchange.h"
#include "net/TlsChannel.h"
#include "session/InactivityRules.h"
#include "session/Inbox.h"
#include "settings/TavoroSettings.h"
#include "types/DaySummary.h"
#include "types/OperatorStatus.h"
#include "types/VisitorChatType.h"
#include "types/VisitorList.h"

class wxSocketClient;
class wxSocketEvent;
class wxThreadEvent;

namespace Tavoro {

class ConnectionThread;
class ReceivedQueue;
namespace Net {
class HostLookup;
}

namespace Session {

class SessionObserver;

// The operator's session with the monitoring server, without windows: connecting (the name
// looked up off the GUI thread, the attempt bounded in time), the key exchange and the login,
// the inbox of frames read, the handling of every server message, and the state the views
// show: sites, day summaries, visitors, the chat list, operators, the open chats and the
// connection's state. Views observe it (SessionObserver) and act through its requests; no
// view sees a wire text.
//
// Runs on the GUI thread; only its connection's I/O thread runs beside it, and the two meet in
// the connection's queues.
class OperatorSession : public wxEvtHandler {
  public:
    enum class State { Offline, Connecting, KeyExchange, LoggedIn };

    // Upper bound of one connection attempt: the name's lookup and the connect together.
    static constexpr int kConnectTimeoutMs = 5000;

    explicit OperatorSession(TavoroSettings& settings);
    ~OperatorSession() override;

    void setObserver(SessionObserver* observer) { m_observer = observer; }

    // ---------------------------------------------------------------- connection
    // With "Always Ask For Password" on, the observer is asked for the password first; without
    // an answer no connection is opened and the status banner says how to log on again.
    void connect();
    void reconnect();
    // Says goodbye when logged in, then ends the connection.
    void disconnect();
    State state() const { return m_state; }
    bool isLoggedIn() const { return m_state == State::LoggedIn; }
    bool hasConnection() const { return m_connection != nullptr; }
    bool isConnecting() const { return m_pendingSocket != nullptr || m_hostLookup != nullptr; }
    // The status the login announces (0 Online .. 3 Away); the view keeps it in step with
    // what it shows.
    void setLoginStatus(Types::OperatorStatus status) { m_loginStatus = status; }
    // The status the operator has now: chosen, or set by the session while chatting to as many
    // visitors as "Mark me as Busy" says.
    Types::OperatorStatus status() const { return m_loginStatus; }
    // The last connection banner.
    wxString statusText() const { return m_statusText; }
    // What the current connection's reader hands over (tests queue frames here as if read).
    ReceivedQueue* receivedQueue() const { return m_received.get(); }

    // Handles waiting frames for at most sliceMs; true when more wait.
    bool handleWaiting(long sliceMs);
    // Handles one message as if it had just been read (tests, replays).
    void dispatch(const Messages::TavoroMessage& message);

    // ---------------------------------------------------------------- state
    const std::vector<std::unique_ptr<Messages::S_SD>>& sites() const { return m_sites; }
    const Messages::S_SD* findSite(const wxString& siteKey) const;
    // "Unknown Domain" when the site is not known.
    wxString siteDomain(const wxString& siteKey) const;
    const Types::DaySummary* daySummary(const wxString& siteKey) const;
    const Types::VisitorList& visitors() const { return m_visitors; }
    const Messages::S_CLIENTS* operators() const { return m_operators.get(); }
    // Name of the operator with that connection number: empty for none ("0" or nothing),
    // "Unknown Operator" when unknown.
    wxString operatorName(const wxString& connectionNumber) const;
    // The "Chatting Visitors" list as the server sent it last.
    const std::vector<Types::VisitorChatType>& chats() const { return m_chats; }
    const Types::VisitorChatType* findChat(const wxString& chatId) const;
    // The chat of a visitor by IP address and name, or by IP address and site domain.
    const Types::VisitorChatType* findChatOfVisitor(const wxString& ipAddress,
                                                    const wxString& name) const;
    const Types::VisitorChatType* findChatOnSite(const wxString& ipAddress,
                                                 const wxString& siteKey) const;
    bool isChatOpen(const wxString& chatId) const { return m_openChats.count(chatId) > 0; }
    size_t openChatCount() const { return m_openChats.size(); }
    // Visitor events ("@EV", "@ER") handled since the session began.
    unsigned long eventsHandled() const { return m_eventsHandled; }

    // ---------------------------------------------------------------- requests
    // Each is sent only with a connection; the ones that return bool say whether it went out.
    void sendStatus(Types::OperatorStatus status);
    // Takes a waiting chat and asks for its visitor's visit and earlier chats. False when the
    // chat is no longer listed.
    bool takeChat(const wxString& chatId);
    bool closeChat(const wxString& chatId);
    void leaveChat(const wxString& chatId);
    void sendChatText(const wxString& chatId, const wxString& line);
    void sendTyping(const wxString& chatId, bool typing);
    void pushLink(const wxString& chatId, const wxString& address);
    // False when the chat is not listed or there is no connection.
    bool blockVisitorOf(const wxString& chatId);
    void transferChat(const wxString& chatId, const wxString& webSite, const wxString& visitorName,
                      const wxString& targetOperator, const wxString& text);
    bool invite(const wxString& visitorKey, const wxString& text);
    void requestVisit(const Types::VisitorType& visitor);
    void requestPrevChat(const wxString& siteKey, const wxString& chatId);
    void requestPrevChats(const wxString& siteKey, const wxString& ipAddress);
    void requestPrevVisits(const wxString& siteKey, const wxString& ipAddress,
                           const wxString& username);
    void requestSiteSettings(const wxString& siteKey);
    // One site's summary, or all of them when siteKey is empty.
    void requestDaySummary(const wxString& siteKey);
    // Hands a text to the connection as it is (the view's diagnostics and tests).
    void send(const wxString& text);

    // ---------------------------------------------------------------- healing
    // A connection lost without the server ending it (peer gone, read or write failure, a
    // failed connect) is tried again on its own after 1 s, doubling to at most 60 s, each delay
    // shortened by up to a fifth at random so that many clients do not return at once. The
    // server's "@CLOSE" or "@ERROR", a refused session, or the operator's own log-off do not
    // retry. Once logged in again, the open chats are taken back (see reattach).
    static constexpr long kFirstRetryMs = 1000;
    static constexpr long kLongestRetryMs = 60000;
    void setAutoReconnect(bool on) { m_autoReconnect = on; }
    bool isRetryPending() const { return m_retryDueMs >= 0; }
    // The attempt the pending retry will be (1 for the first after a loss), and the seconds
    // until it is made.
    int retryAttempt() const { return m_retryAttempt; }
    long retrySecondsLeft() const;
    // The delay before an attempt, before the random shortening.
    static long retryDelayMs(int attempt);
    // Makes the pending retry now ("Reconnect now").
    void retryNow();
    // In [0, 1): how much of the allowed fifth a delay is shortened by; tests replace it.
    std::function<double()> retryJitter;

    // ---------------------------------------------------------------- inactivity
    // Where the operator's idle time comes from (the view's desktop idle time; tests).
    void setIdleSource(InactivityRules::IdleSource source);
    // Applies the inactivity rules now (the session's timer calls this every few seconds).
    void checkInactivity();
    // Whether the inactivity rule holds the operator Away.
    bool isAwayForInactivity() const { return m_inactivity.isAway(); }

    // Every text handed to the connection is also passed here (diagnostic log, tests).
    std::function<void(const wxString&)> sentTextObserver;
    // Messages of kinds this client does not handle are passed here (diagnostics, tests).
    std::function<void(const Messages::TavoroMessage&)> unhandledMessageObserver;

  private:
    // Connection (OperatorSessionConnection.cpp).
    void onHostResolved(wxThreadEvent& event);
    void connectToAddress(const wxString& dottedAddress);
    void onSocketEvent(wxSocketEvent& event);
    void onConnectTimeout(wxTimerEvent& event);
    void abandonConnectAttempt();
    void startConnection(wxSocketClient* socket);
    // Whether and how the connection to that server is wrapped in TLS, as the settings say.
    Net::TlsOptions tlsOptionsOf(const wxString& host) const;
    // Ends the connection; with sendQueuedFirst what was sent so far still goes out.
    void stopConnection(bool sendQueuedFirst = false);
    void onConnectionReady(wxThreadEvent& event);
    void takeReceived();
    void onIdle(wxIdleEvent& event);
    // What a connection's end leads to: a retry after a while, or nothing until the operator
    // reconnects.
    enum class AfterEnd { Stay, Retry };
    void connectionEnded(const wxString& banner, AfterEnd after = AfterEnd::Stay);
    // Healing (OperatorSessionHealing.cpp).
    void scheduleRetry();
    void cancelRetry();
    void onRetryTick(wxTimerEvent& event);
    void showRetryBanner();
    // After a login, the first chat list tells which open chats are still the operator's: those
    // nobody talks to are taken again (their transcript comes back with "@CURRENTCHAT"), the
    // others ended while the connection was down.
    void reattachChats();
    void finishReattach(const wxString& chatId);
    void endChatLostWhileAway(const wxString& chatId);
    // Asks the observer for the password when the operator types it at every login; false
    // when the operator declined.
    bool askLoginPassword(const wxString& host);
    void setState(State state);
    // Busy once the open chats reach the number the operator set; the status chosen before
    // again once they drop below it, unless the operator chose another meanwhile.
    void applyAutoBusy();
    void changeStatus(Types::OperatorStatus status);
    void showStatus(const wxString& text);

    // Server messages (OperatorSessionDispatch.cpp).
    void handleHello(const Messages::TavoroMessage& message);
    void handleSession(const Messages::TavoroMessage& message);
    void refuseInsecureSession(const wxString& reason);
    void handleConnected();
    void handleDaySummaries(const Messages::TavoroMessage& message);
    void handleSiteDetails(const Messages::TavoroMessage& message);
    void handleCurrentVisitors(const Messages::TavoroMessage& message);
    void handleVisitorEvent(const Messages::TavoroMessage& message);
    void handleVisitorRemoved(const Messages::TavoroMessage& message);
    void handleChatList(const Messages::TavoroMessage& message);
    void handleOperators(const Messages::TavoroMessage& message);
    void handleCurrentChat(const Messages::TavoroMessage& message);
    void handleChatLine(const Messages::TavoroMessage& message);
    void handleFromClient(const Messages::TavoroMessage& message);

    TavoroSettings& m_settings;
    SessionObserver* m_observer = nullptr;

    // Connection.
    State m_state = State::Offline;
    std::unique_ptr<ConnectionThread> m_connection;
    std::shared_ptr<ReceivedQueue> m_received;
    wxSocketClient* m_pendingSocket = nullptr;      // a connect attempt in progress
    std::shared_ptr<Net::HostLookup> m_hostLookup;  // the server name being looked up
    int m_hostLookupSerial = 0;
    unsigned short m_connectPort = kDefaultServerPort;
    wxString m_connectHost;  // the server's name as configured (TLS checks the certificate for it)
    wxTimer m_connectTimer;
    int m_connectionSerial = 0;
    // Healing.
    bool m_autoReconnect = true;
    wxTimer m_retryTimer;
    long m_retryDueMs = -1;  // monotonic time of the pending retry; -1 for none
    int m_retryAttempt = 0;  // attempts since the connection was last live
    bool m_reattachOnNextList = false;
    std::set<wxString> m_reattaching;  // taken again, waiting for their transcript
    // Lines the operator sent to an open chat while it could not take them, in order.
    std::map<wxString, std::vector<wxString>> m_heldLines;
    Types::OperatorStatus m_loginStatus = Types::OperatorStatus::Online;
    // The password typed for the next login, used in place of the stored one; it is never
    // stored, and the login that uses it forgets it.
    std::optional<wxString> m_typedPassword;
    wxString m_statusText;
    Inbox m_inbox;
    long m_frameReadAt = 0;  // when the frame being handled was read

    // Key exchange and session data of the current connection.
    Net::KeyPrimes m_keyPrimes;
    // The key for the next greeting, made on another thread while the connection opens: making
    // an RSA key takes tens of milliseconds that would otherwise hold the window at the greeting.
    struct PreparedKey {
        bool ok = false;
        Net::KeyPrimes primes;
        wxString publicKey;
        wxString error;
    };
    // A key being made: the thread writes key, and joining it hands the key over.
    struct KeyJob {
        std::thread worker;
        PreparedKey key;
        ~KeyJob() {
            if (worker.joinable())
                worker.join();
        }
    };
    static PreparedKey makeClientKey();
    void prepareClientKey();
    PreparedKey takeClientKey();
    std::unique_ptr<KeyJob> m_nextKey;
    Messages::HelloMessage m_hello;
    Messages::S_SESSION m_session;

    // What the server told.
    std::vector<std::unique_ptr<Messages::S_SD>> m_sites;
    std::map<wxString, Types::DaySummary> m_daySummaries;
    Types::VisitorList m_visitors;
    std::unique_ptr<Messages::S_CLIENTS> m_operators;
    std::vector<Types::VisitorChatType> m_chats;
    std::set<wxString> m_openChats;
    bool m_autoBusy = false;  // the session made the operator Busy
    Types::OperatorStatus m_statusBeforeBusy = Types::OperatorStatus::Online;
    InactivityRules m_inactivity;
    // Whether this connection has asked for the site details and the visitor list yet; each
    // new connection asks once, so live events resume after a reconnect.
    bool m_sitesRequested = false;
    unsigned long m_eventsHandled = 0;
};

}  // namespace Session
}  // namespace Tavoro
