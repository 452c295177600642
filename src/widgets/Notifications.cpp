#include "widgets/Notifications.h"

#include <wx/app.h>
#include <wx/intl.h>
#include <wx/notifmsg.h>

#include <canberra.h>

#include <chrono>
#include <deque>
#include <memory>

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
                    "Tavoro Client", nullptr);
}

// Notices that can still be clicked, or withdrawn, are kept alive, since the daemon's click
// reaches the object that showed the notice. The oldest go once more than this many are up.
constexpr size_t kMaxLiveNotices = 16;

struct LiveNotice {
    wxString key;
    std::unique_ptr<wxNotificationMessage> message;
};

std::deque<LiveNotice>& liveNotices() {
    static std::deque<LiveNotice> live;
    return live;
}

// The notice's own handler may be running when its chat is taken: the object goes a little
// later, not from under the handler.
void discardLater(std::unique_ptr<wxNotificationMessage> message) {
    if (wxTheApp)
        wxTheApp->CallAfter(
            [doomed = std::shared_ptr<wxNotificationMessage>(std::move(message))] {});
}

void closeDesktopNotice(const wxString& key) {
    if (key.empty())
        return;
    auto& live = liveNotices();
    for (auto it = live.begin(); it != live.end();) {
        if (it->key != key) {
            ++it;
            continue;
        }
        it->message->Close();
        discardLater(std::move(it->message));
        it = live.erase(it);
    }
}

void showDesktopNotice(const Notice& notice) {
    closeDesktopNotice(notice.key);
    auto message = std::make_unique<wxNotificationMessage>(notice.title, notice.body);
    if (notice.onClick) {
        std::function<void()> onClick = notice.onClick;
        message->Bind(wxEVT_NOTIFICATION_MESSAGE_CLICK, [onClick](wxCommandEvent&) { onClick(); });
    }
    // Actions are told apart by their position on the notice.
    for (size_t i = 0; i < notice.actions.size(); ++i)
        message->AddAction(wxID_HIGHEST + 1 + static_cast<int>(i), notice.actions[i].label);
    if (!notice.actions.empty()) {
        std::vector<NoticeAction> actions = notice.actions;
        message->Bind(wxEVT_NOTIFICATION_MESSAGE_ACTION, [actions](wxCommandEvent& event) {
            const long index = static_cast<long>(event.GetId()) - (wxID_HIGHEST + 1);
            if (index >= 0 && index < static_cast<long>(actions.size()) && actions[index].onChosen)
                actions[index].onChosen();
        });
    }
    if (!message->Show(notice.stayUntilClicked ? wxNotificationMessage::Timeout_Never
                                               : wxNotificationMessage::Timeout_Auto))
        return;  // no notification service: nothing to keep
    if (!notice.onClick && !notice.stayUntilClicked && notice.actions.empty() && notice.key.empty())
        return;  // the daemon shows it on its own and it times out
    auto& live = liveNotices();
    live.push_back({notice.key, std::move(message)});
    if (live.size() > kMaxLiveNotices) {
        discardLater(std::move(live.front().message));
        live.pop_front();
    }
}

long long steadyMs() {
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

// Plays the sound stored under a setting unless the same sound played less than kBurstGapMs
// ago, so a burst of arrivals is heard once.
void playWithoutRepeats(const TavoroSettings& settings, int soundSetting, long long& lastPlayed,
                        bool& playedBefore) {
    const wxString file = settings.getString(soundSetting);
    if (file.empty() || !playSound)
        return;
    const long long now = clockMs ? clockMs() : steadyMs();
    if (playedBefore && now >= lastPlayed && now - lastPlayed < kBurstGapMs)
        return;
    playedBefore = true;
    lastPlayed = now;
    playSound(file);
}

Notice chatRequestNotice(const wxString& domain, const wxString& visitorName, NoticeDetail detail,
                         bool stayUntilClicked) {
    Notice notice;
    notice.title = Tools::fillPlaceholders(_("%DOMAIN% Chat"), {{"%DOMAIN%", domain}});
    // The body is read as markup by the notification daemon, so the visitor's name and the
    // domain are escaped there; the title is plain text to the daemon and stays as it is.
    if (detail != NoticeDetail::TitleOnly) {
        notice.body = Tools::fillPlaceholders(_("Visitor %NAME% has requested a chat on %DOMAIN%"),
                                              {{"%DOMAIN%", Tools::escapeMarkup(domain)},
                                               {"%NAME%", Tools::escapeMarkup(visitorName)}});
    }
    notice.stayUntilClicked = stayUntilClicked || detail == NoticeDetail::Persistent;
    return notice;
}

}  // namespace

std::function<void(const wxString&)> playSound = playThroughDesktop;
std::function<void(const Notice&)> showNotice = showDesktopNotice;
std::function<void(const wxString&)> closeNotice = closeDesktopNotice;
std::function<long long()> clockMs;

NoticeScope noticeScopeOf(const wxString& stored) {
    if (stored == "Two")
        return NoticeScope::ChatRequestsOnly;
    if (stored == "Three")
        return NoticeScope::None;
    return NoticeScope::Every;
}

NoticeDetail noticeDetailOf(const wxString& stored) {
    if (stored == "Two")
        return NoticeDetail::TitleOnly;
    if (stored == "Three")
        return NoticeDetail::Persistent;
    return NoticeDetail::Full;
}

NoticeScope noticeScope(const TavoroSettings& settings) {
    return noticeScopeOf(settings.getString(SETTING_POPUP_STYLE));
}

NoticeDetail noticeDetail(const TavoroSettings& settings) {
    return noticeDetailOf(settings.getString(SETTING_POPUP_DISPLAY_STYLE));
}

wxString describeScope(NoticeScope scope) {
    switch (scope) {
        case NoticeScope::Every:
            break;
        case NoticeScope::ChatRequestsOnly:
            return _("Chat requests only");
        case NoticeScope::None:
            return _("No notices: sounds only");
    }
    return _("Chat requests and the alerts ticked below");
}

wxString describeDetail(NoticeDetail detail) {
    switch (detail) {
        case NoticeDetail::Full:
            break;
        case NoticeDetail::TitleOnly:
            return _("Title only: no visitor's details on the screen");
        case NoticeDetail::Persistent:
            return _("Title and details; every notice stays until clicked");
    }
    return _("Title and details");
}

wxString chatNoticeKey(const wxString& chatId) {
    return "chat:" + chatId;
}

void withdrawNotice(const wxString& key) {
    if (closeNotice && !key.empty())
        closeNotice(key);
}

void chatRequested(const TavoroSettings& settings, const Messages::S_CHAT& request,
                   std::function<void()> onClick, std::function<void()> onPickUp) {
    chatStillWaiting(settings);
    if (noticeScope(settings) == NoticeScope::None || !showNotice)
        return;
    Notice notice =
        chatRequestNotice(request.domain(), request.visitorName(), noticeDetail(settings),
                          settings.getBool(SETTING_LEAVE_CHAT_ON_SCREEN));
    notice.onClick = std::move(onClick);
    if (onPickUp)
        notice.actions.push_back({_("Pick up"), std::move(onPickUp)});
    notice.key = chatNoticeKey(request.text0());
    showNotice(notice);
}

void chatStillWaiting(const TavoroSettings& settings) {
    const wxString sound = settings.getString(SETTING_CHAT_REQUEST_SOUND_PATH);
    if (!sound.empty() && playSound)
        playSound(sound);
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
    if (!wanted || noticeScope(settings) != NoticeScope::Every || !showNotice)
        return;
    const NoticeDetail detail = noticeDetail(settings);
    Notice notice;
    notice.title = popupTitle(popup.kind());
    if (detail != NoticeDetail::TitleOnly)
        notice.body = Tools::escapeMarkup(popup.text());
    notice.stayUntilClicked = detail == NoticeDetail::Persistent;
    showNotice(notice);
}

void visitorArrived(const TavoroSettings& settings) {
    static long long lastPlayed = 0;
    static bool playedBefore = false;
    playWithoutRepeats(settings, SETTING_NEW_VISITOR_SOUND_PATH, lastPlayed, playedBefore);
}

void visitorBecameProspect(const TavoroSettings& settings) {
    static long long lastPlayed = 0;
    static bool playedBefore = false;
    playWithoutRepeats(settings, SETTING_PROSPECT_SOUND_PATH, lastPlayed, playedBefore);
}

void testNotice(const wxString& soundFile, NoticeScope scope, NoticeDetail detail,
                bool stayUntilClicked) {
    if (!soundFile.empty() && playSound)
        playSound(soundFile);
    if (scope == NoticeScope::None || !showNotice)
        return;
    showNotice(
        chatRequestNotice(_("www.example.com"), _("Test Visitor"), detail, stayUntilClicked));
}

}  // namespace Tavoro::Notifications
