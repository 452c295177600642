#include "net/HostLookup.h"

#include <wx/socket.h>

#include <arpa/inet.h>

#include <thread>

namespace Tavoro::Net {

wxDEFINE_EVENT(EVT_HOST_RESOLVED, wxThreadEvent);

std::function<wxString(const wxString&)> HostLookup::resolver = HostLookup::resolveWithSystem;

wxString HostLookup::resolveWithSystem(const wxString& host) {
    wxIPV4address address;
    if (!address.Hostname(host))
        return wxString();
    return address.IPAddress();
}

wxString HostLookup::numericAddress(const wxString& host) {
    in_addr parsed{};
    if (host.empty() || inet_pton(AF_INET, host.utf8_str(), &parsed) != 1)
        return wxString();
    char text[INET_ADDRSTRLEN] = {};
    inet_ntop(AF_INET, &parsed, text, sizeof text);
    return wxString::FromAscii(text);
}

std::shared_ptr<HostLookup> HostLookup::start(wxEvtHandler* handler, int serial,
                                              const wxString& host) {
    std::shared_ptr<HostLookup> lookup(new HostLookup(handler, serial));
    // The thread holds its own reference: a lookup the owner dropped lives until the resolver
    // returns, and then posts nothing. A detached standard thread leaves nothing behind for
    // the toolkit to clean up, whenever it ends.
    std::function<wxString(const wxString&)> resolve = resolver;
    const wxString name = host.Clone();  // no text shared with the caller's thread
    std::thread([lookup, resolve, name] {
        lookup->finish(resolve ? resolve(name) : wxString());
    }).detach();
    return lookup;
}

HostLookup::~HostLookup() = default;

void HostLookup::cancel() {
    std::lock_guard<std::mutex> lock(m_lock);
    m_handler = nullptr;
}

void HostLookup::finish(const wxString& address) {
    std::lock_guard<std::mutex> lock(m_lock);
    if (!m_handler)
        return;
    auto* event = new wxThreadEvent(EVT_HOST_RESOLVED);
    event->SetString(address.Clone());
    event->SetInt(m_serial);
    wxQueueEvent(m_handler, event);
}

}  // namespace Tavoro::Net
