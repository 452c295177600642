#include "app/Notifications.h"

#include <wx/intl.h>
#include <wx/notifmsg.h>

#include <canberra.h>

#include "messages/S_CHAT.h"
#include "messages/S_PopupMessage.h"
#include "settings/TavoroSettings.h"
#include "tools/HtmlText.h"
#include "tools/Placeholders.h"

namespace Tavoro::Notifications {
namespace {

// Plays a sound file asynchronously through the desktop's sound service. Without a sound
// service (or with an unplayable file) nothing is heard and nothing else happens.
void playThroughDesktop(const wxString& soundFile) {
    static ca_context* context = [] {
        ca_context* c = nullptr;
        if (ca_context_create(&c) != CA_SUCCESS)
            return static_cast<ca_context*>(nullptr);
        ca_context_change_props(c, CA_PROP_APPLICATION_NAME, "Tavoro Client", nullptr);
        return c;
    }();
    if (!context)
        return;
    ca_context_play(context, 0, CA_PROP_MEDIA_FILENAME,
                    static_cast<const char*>(soundFile.fn_str()), CA_PROP_EVENT_DESCRIPTION,
                    "Chat request", nullptr);
}

void showDesktopNotice(const wxString& title, const wxString& text) {
    wxNotificationMessage notice(title, text);
    notice.Show(wxNotificationMessage::Timeout_Auto);
}

}  // namespace

std::function<void(const wxString&)> playSound = playThroughDesktop;
std::function<void(const wxString&, const wxString&)> showNotice = showDesktopNotice;

void chatRequested(const TavoroSettings& settings, const Messages::S_CHAT& request) {
    if (settings.exists(SETTING_CHAT_REQUEST_SOUND_PATH)) {
        const wxString file = settings.getString(SETTING_CHAT_REQUEST_SOUND_PATH);
        if (!file.empty() && playSound)
            playSound(file);
    }
    const wxString title =
        Tools::fillPlaceholders(_("%DOMAIN% Chat"), {{"%DOMAIN%", request.domain()}});
    // The body is read as markup by the notification daemon, so the visitor's name and the
    // domain are escaped there; the title is plain text to the daemon and stays as it is.
    const wxString text =
        Tools::fillPlaceholders(_("Visitor %NAME% has requested a chat on %DOMAIN%"),
                                {{"%DOMAIN%", Tools::escapeMarkup(request.domain())},
                                 {"%NAME%", Tools::escapeMarkup(request.visitorName())}});
    if (showNotice)
        showNotice(title, text);
}

wxString popupTitle(Messages::S_PopupMessage::Kind kind) {
    using Popup = Messages::S_PopupMessage;
    switch (kind) {
        case Popup::POPUP_NEW_VISITOR:
            return _("New Visitor");
        case Popup::POPUP_NEW_PROSPECT:
            return _("New Prospect");
        case Popup::POPUP_NEW_CUSTOMER:
            return _("New Customer");
        case Popup::POPUP_NEW_EXCEPTION:
            return _("New Exception");
        case Popup::POPUP_NONE:
            break;
    }
    return wxString();
}

void popupReceived(const TavoroSettings& settings, const Messages::S_PopupMessage& popup) {
    // Only new visitors and exceptions are shown, each when the operator asked for it.
    using Popup = Messages::S_PopupMessage;
    bool wanted = false;
    switch (popup.kind()) {
        case Popup::POPUP_NEW_VISITOR:
            wanted = settings.getBool(SETTING_POPUP_FOR_NEW_VISITORS);
            break;
        case Popup::POPUP_NEW_EXCEPTION:
            wanted = settings.getBool(SETTING_POPUP_FOR_EXCEPTIONS);
            break;
        default:
            break;
    }
    if (wanted && showNotice)
        showNotice(popupTitle(popup.kind()), Tools::escapeMarkup(popup.text()));
}

}  // namespace Tavoro::Notifications
