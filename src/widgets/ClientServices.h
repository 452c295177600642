#pragma once

#include <wx/string.h>

namespace Tavoro {

// What widgets and dialogs may ask of the main window. They never include the main window's
// header; the main window implements this interface. Later features add their requests here.
class ClientServices {
  public:
    virtual ~ClientServices() = default;

    // Hands a request text to the connection; dropped when there is none.
    virtual void sendToServer(const wxString& text) = 0;
    // Name of the operator with that connection number ("Unknown Operator" when unknown).
    virtual wxString operatorName(const wxString& connectionNumber) const = 0;
    // Domain of the monitored site with that key ("Unknown Domain" when unknown).
    virtual wxString siteDomain(const wxString& siteKey) const = 0;
};

}  // namespace Tavoro
