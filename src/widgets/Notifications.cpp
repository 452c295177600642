#include "widgets/Notifications.h"

#include <wx/intl.h>

#include <canberra.h>
#include <gio/gio.h>

#include <chrono>
#include <map>

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

// Desktop notices go straight to the desktop's notification service on the session bus
// (org.freedesktop.Notifications), so that a click on the notice itself ("default") and the
// notice's buttons reach the client, and a notice can be taken back by its key.
class DesktopNotices {
  public:
    static DesktopNotices& instance() {
        static DesktopNotices notices;
        return notices;
    }

    void show(const Notice& notice) {
        close(notice.key);
        GDBusConnection* bus = connection();
        if (!bus)
            return;  // no session bus: no notices
        GVariantBuilder actions;
        g_variant_builder_init(&actions, G_VARIANT_TYPE("as"));
        if (notice.onClick) {
            g_variant_builder_add(&actions, "s", "default");
            g_variant_builder_add(&actions, "s", static_cast<const char*>(_("Show").utf8_str()));
        }
        for (size_t i = 0; i < notice.actions.size(); ++i) {
            g_variant_builder_add(&actions, "s",
                                  wxString::Format("action%zu", i).utf8_str().data());
            g_variant_builder_add(&actions, "s", notice.actions[i].label.utf8_str().data());
        }
        GVariantBuilder hints;
        g_variant_builder_init(&hints, G_VARIANT_TYPE("a{sv}"));
        // 0: stays until the operator acts on it; -1: the service decides.
        const gint32 timeout = notice.stayUntilClicked ? 0 : -1;
        GVariant* reply = g_dbus_connection_call_sync(
            bus, kService, kPath, kService, "Notify",
            g_variant_new("(susssasa{sv}i)", "Tavoro Client", 0u, "",
                          static_cast<const char*>(notice.title.utf8_str()),
                          static_cast<const char*>(notice.body.utf8_str()), &actions, &hints,
                          timeout),
            G_VARIANT_TYPE("(u)"), G_DBUS_CALL_FLAGS_NONE, kCallTimeoutMs, nullptr, nullptr);
        if (!reply)
            return;  // no notification service
        guint32 id = 0;
        g_variant_get(reply, "(u)", &id);
        g_variant_unref(reply);
        if (notice.onClick || !notice.actions.empty() || !notice.key.empty())
            m_live[id] = notice;
    }

    void close(const wxString& key) {
        if (key.empty() || !m_bus)
            return;
        for (auto it = m_live.begin(); it != m_live.end();) {
            if (it->second.key != key) {
                ++it;
                continue;
            }
            g_dbus_connection_call(m_bus, kService, kPath, kService, "CloseNotification",
                                   g_variant_new("(u)", it->first), nullptr, G_DBUS_CALL_FLAGS_NONE,
                                   kCallTimeoutMs, nullptr, nullptr, nullptr);
            it = m_live.erase(it);
        }
    }

  private:
    static constexpr const char* kService = "org.freedesktop.Notifications";
    static constexpr const char* kPath = "/org/freedesktop/Notifications";
    static constexpr int kCallTimeoutMs = 2000;

    GDBusConnection* connection() {
        if (m_bus || m_triedBus)
            return m_bus;
        m_triedBus = true;
        m_bus = g_bus_get_sync(G_BUS_TYPE_SESSION, nullptr, nullptr);
        if (!m_bus)
            return nullptr;
        g_dbus_connection_signal_subscribe(m_bus, nullptr, kService, "ActionInvoked", kPath,
                                           nullptr, G_DBUS_SIGNAL_FLAGS_NONE, &onActionInvoked,
                                           this, nullptr);
        g_dbus_connection_signal_subscribe(m_bus, nullptr, kService, "NotificationClosed", kPath,
                                           nullptr, G_DBUS_SIGNAL_FLAGS_NONE, &onClosed, this,
                                           nullptr);
        return m_bus;
    }

    static void onActionInvoked(GDBusConnection*, const gchar*, const gchar*, const gchar*,
                                const gchar*, GVariant* parameters, gpointer data) {
        auto* self = static_cast<DesktopNotices*>(data);
        guint32 id = 0;
        const gchar* action = nullptr;
        g_variant_get(parameters, "(u&s)", &id, &action);
        const auto found = self->m_live.find(id);
        if (found == self->m_live.end())
            return;
        const Notice notice = found->second;  // the callback may close notices
        const wxString key = wxString::FromUTF8(action);
        if (key == "default") {
            if (notice.onClick)
                notice.onClick();
            return;
        }
        unsigned long index = 0;
        if (key.StartsWith("action") && key.Mid(6).ToULong(&index) &&
            index < notice.actions.size() && notice.actions[index].onChosen)
            notice.actions[index].onChosen();
    }

    static void onClosed(GDBusConnection*, const gchar*, const gchar*, const gchar*, const gchar*,
                         GVariant* parameters, gpointer data) {
        guint32 id = 0, reason = 0;
        g_variant_get(parameters, "(uu)", &id, &reason);
        static_cast<DesktopNotices*>(data)->m_live.erase(id);
    }

    GDBusConnection* m_bus = nullptr;
    bool m_triedBus = false;
    // Notices up that can still be acted on, by the service's id.
    std::map<guint32, Notice> m_live;
};

void showDesktopNotice(const Notice& notice) {
    DesktopNotices::instance().show(notice);
}

void closeDesktopNotice(const wxString& key) {
    DesktopNotices::instance().close(key);
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
