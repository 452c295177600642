#pragma once

#include <wx/string.h>

namespace Tavoro::Dialog {

// What the tracking code of a site is made from: the site's two gateway hosts and its domain
// (site settings "GatewayAddress", "GatewayAddressSSL" and "Domain"), and the two choices of
// the site properties dialog.
struct TrackingCodeInput {
    wxString gatewayAddress;     // host (optionally with port or path) of the plain HTTP gateway
    wxString gatewayAddressSsl;  // the same for the HTTPS gateway
    wxString domain;             // the site's domain, passed to the gateway's script
    bool hideClickToChat = false;
    bool useHttps = false;
};

// The HTML snippet a site owner pastes into the web pages, one line each, every line ended by
// CR LF. Server values are trimmed and percent-encoded before they go into the script address,
// so a quote, angle bracket or space in them cannot break out of the attribute, and they are
// inserted in one pass, so a placeholder inside a value is never expanded.
wxString buildTrackingCode(const TrackingCodeInput& input);

// "http://" or "https://" and the gateway host, as it appears in the script address. A host
// that already starts with a scheme keeps only one; trailing slashes are dropped because the
// script path adds its own.
wxString gatewayUrl(const wxString& host, bool https);

}  // namespace Tavoro::Dialog
