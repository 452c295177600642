#pragma once

#include <wx/event.h>
#include <wx/string.h>

#include <functional>
#include <memory>
#include <mutex>

namespace Tavoro::Net {

// Posted when a host lookup ends: GetString() is the IPv4 address in dotted form, or empty when
// the name could not be resolved; GetInt() is the lookup's serial number.
wxDECLARE_EVENT(EVT_HOST_RESOLVED, wxThreadEvent);

// The IPv4 address of a server name, looked up on a thread of its own, so that a slow or dead
// resolver never holds up the window that asked. The answer is posted to the handler as
// EVT_HOST_RESOLVED; once the owner cancels the lookup (or drops it), nothing is posted, and the
// thread ends by itself whenever the resolver returns.
class HostLookup {
  public:
    // Starts looking up host; the answer goes to handler with the given serial number.
    static std::shared_ptr<HostLookup> start(wxEvtHandler* handler, int serial,
                                             const wxString& host);
    ~HostLookup();

    // No answer is posted after this returns.
    void cancel();

    // A dotted IPv4 address needs no lookup: its text when host is one, empty otherwise.
    static wxString numericAddress(const wxString& host);

    // How a name becomes a dotted IPv4 address (empty when it cannot); runs on the lookup's
    // thread. The system's resolver unless replaced (tests replace it).
    static std::function<wxString(const wxString& host)> resolver;
    static wxString resolveWithSystem(const wxString& host);

  private:
    HostLookup(wxEvtHandler* handler, int serial) : m_handler(handler), m_serial(serial) {}
    void finish(const wxString& address);

    std::mutex m_lock;  // guards m_handler
    wxEvtHandler* m_handler;
    const int m_serial;
};

}  // namespace Tavoro::Net
