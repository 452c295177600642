#pragma once

#include <wx/string.h>

#include <functional>
#include <vector>

#include "messages/S_PopupMessage.h"

namespace Tavoro {
class TavoroSettings;
namespace Messages {
class S_CHAT;
}  // namespace Messages

// How the client draws the operator's attention: sounds and desktop notices for chat requests,
// for the server's alerts the operator asked for, and for new visitors and prospects.
namespace Notifications {

// Which notices appear ("Popups/PopupStyle", stored as "One", "Two" or "Three"; anything else
// reads as "One").
enum class NoticeScope {
    Every,             // "One": chat requests and the alerts ticked on the Popups page
    ChatRequestsOnly,  // "Two": chat requests only
    None,              // "Three": no desktop notices; sounds still play
};
// How much a notice shows ("Popups/PopupDisplayStyle", stored the same way).
enum class NoticeDetail {
    Full,        // "One": title and details (visitor, site, alert text)
    TitleOnly,   // "Two": the title alone, no visitor's details on the screen
    Persistent,  // "Three": title and details, and every notice stays until clicked
};
NoticeScope noticeScope(const TavoroSettings& settings);
NoticeDetail noticeDetail(const TavoroSettings& settings);
NoticeScope noticeScopeOf(const wxString& stored);
NoticeDetail noticeDetailOf(const wxString& stored);
// What each stored style means, in words for the options dialog.
wxString describeScope(NoticeScope scope);
wxString describeDetail(NoticeDetail detail);

// A button on a desktop notice (where the notification daemon shows buttons).
struct NoticeAction {
    wxString label;
    std::function<void()> onChosen;
};

// One desktop notice.
struct Notice {
    wxString title;  // plain text
    wxString body;   // markup for the notification daemon (see Tools::escapeMarkup)
    bool stayUntilClicked = false;
    std::function<void()> onClick;  // what a click on the notice does; may be empty
    std::vector<NoticeAction> actions;
    // Names the notice so that it can be withdrawn (withdrawNotice); a new notice with the same
    // key replaces the one up. Empty: the notice cannot be withdrawn.
    wxString key;
};

// The key of the notice of a chat's request.
wxString chatNoticeKey(const wxString& chatId);
// Takes the notice with that key off the screen, if one is up.
void withdrawNotice(const wxString& key);

// A chat request: plays the chat-request sound (if set) and shows a notice
// "%DOMAIN% Chat" / "Visitor %NAME% has requested a chat on %DOMAIN%" (unless the popup style
// shows none), which stays until clicked when "Options/LeaveChatOnScreen" is set. onClick runs
// when the operator clicks it; when onPickUp is given the notice has a "Pick up" button that
// runs it. The notice carries the chat's chatNoticeKey.
void chatRequested(const TavoroSettings& settings, const Messages::S_CHAT& request,
                   std::function<void()> onClick = {}, std::function<void()> onPickUp = {});
// A chat still waits: plays the chat-request sound again (if set); no notice.
void chatStillWaiting(const TavoroSettings& settings);

// Shows a "New Visitor" notice only when "Popups/PopupForNewVisitors" is "yes" and a
// "New Exception" notice only when "Popups/PopupForExceptions" is "yes"; others not at all.
void popupReceived(const TavoroSettings& settings, const Messages::S_PopupMessage& popup);

// A visitor who was not listed appeared, or a listed visitor became a prospect: plays
// "Popups/NewVisitorSoundPath" or "Popups/ProspectSoundPath" when set. A burst plays once: the
// same sound is not played again within kBurstGapMs of its last playing.
constexpr long kBurstGapMs = 5000;
void visitorArrived(const TavoroSettings& settings);
void visitorBecameProspect(const TavoroSettings& settings);

// The options dialog's "Test": plays the given chat-request sound and shows a sample chat
// request notice in the given styles (the dialog's choices, saved or not).
void testNotice(const wxString& soundFile, NoticeScope scope, NoticeDetail detail,
                bool stayUntilClicked);

// The title of a notice: "New Visitor", "New Prospect", "New Customer", "New Exception"; empty
// for POPUP_NONE.
wxString popupTitle(Messages::S_PopupMessage::Kind kind);

// Where sounds and notices go, and the clock of the burst rule (milliseconds, monotonic);
// tests replace these to observe them. By default sounds play through the desktop's sound
// service and notices show through the notification daemon.
extern std::function<void(const wxString& soundFile)> playSound;
extern std::function<void(const Notice& notice)> showNotice;
extern std::function<void(const wxString& key)> closeNotice;
extern std::function<long long()> clockMs;

}  // namespace Notifications
}  // namespace Tavoro
