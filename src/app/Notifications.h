#pragma once

#include <wx/string.h>

#include <functional>

#include "messages/S_PopupMessage.h"

namespace Tavoro {
class TavoroSettings;
namespace Messages {
class S_CHAT;
}  // namespace Messages

// How the client draws the operator's attention: a sound and a desktop notice for a chat
// request, and desktop notices for the server's pop-up notices the operator asked for.
namespace Notifications {

// Plays the configured chat-request sound (if any) and shows a desktop notice
// "%DOMAIN% Chat" / "Visitor %NAME% has requested a chat on %DOMAIN%".
void chatRequested(const TavoroSettings& settings, const Messages::S_CHAT& request);

// Shows a "New Visitor" notice only when "Popups/PopupForNewVisitors" is "yes" and a
// "New Exception" notice only when "Popups/PopupForExceptions" is "yes"; others not at all.
void popupReceived(const TavoroSettings& settings, const Messages::S_PopupMessage& popup);

// The title of a notice: "New Visitor", "New Prospect", "New Customer", "New Exception"; empty
// for POPUP_NONE.
wxString popupTitle(Messages::S_PopupMessage::Kind kind);

// The texts of the notices' bodies are escaped for the notification daemon, which reads the
// body as markup (see Tools::escapeMarkup); titles are plain text to it and are not.
//
// Where sounds and notices go; tests replace these to observe them. By default sounds play
// through the desktop's sound service and notices show through the notification daemon.
extern std::function<void(const wxString& soundFile)> playSound;
extern std::function<void(const wxString& title, const wxString& text)> showNotice;

}  // namespace Notifications
}  // namespace Tavoro
