#pragma once

#include "messages/TavoroMessage.h"

namespace Tavoro::Messages {

// "@SENDTOCLIENT": offers a chat to another operator. Data: the target operator's connection
// number, ":~transfer~", chat key, ":", web site, ":", visitor name, "~", transfer text. The
// server hands the part from "~transfer~" on to the target as "@FROMCLIENT" (S_CHATTRANSFER).
class C_TRANSFER : public TavoroMessage {
  public:
    C_TRANSFER(const wxString& connection, const wxString& chatKey, const wxString& webSite,
               const wxString& visitorName, const wxString& transferText);

    // The transfer text for a visitor: the template (the operator's "Options/ChatTransferMessage"
    // setting, or defaultTransferPattern()) with every %VISITORNAME% replaced by the visitor name.
    static wxString transferTextFor(const wxString& visitorName, const wxString& pattern);
    // The template used when the operator has set none, translated.
    static wxString defaultTransferPattern();
};

}  // namespace Tavoro::Messages
