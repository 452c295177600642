#include "app/TrayIcon.h"

#include <wx/dcmemory.h>
#include <wx/menu.h>

#include "app/ClientIds.h"
#include "app/SessionGrids.h"
#include "app/TavoroClientFrame.h"
#include "settings/TavoroSettings.h"
#include "tools/Placeholders.h"
#include "widgets/Images.h"

namespace Tavoro {

std::function<bool()> TrayIcon::isAvailable;

bool TrayIcon::available() {
    return isAvailable ? isAvailable() : wxTaskBarIcon::IsAvailable();
}

std::unique_ptr<TrayIcon> TrayIcon::createIfAvailable(TavoroClientFrame& frame) {
    if (!available())
        return nullptr;
    return std::make_unique<TrayIcon>(frame, frame.selectedStatus());
}

void TrayIcon::showAtStart(TavoroClientFrame& frame, const TavoroSettings& settings, bool hidden) {
    if (!hidden && !settings.getBool(SETTING_HIDE_CLIENT_ON_STARTUP)) {
        frame.Show(true);
        return;
    }
    if (frame.trayIcon())
        return;  // hidden: the tray icon brings it up
    // Without a tray a hidden window could not be reached again: it starts minimised instead.
    frame.Iconize(true);
    frame.Show(true);
}

TrayIcon::TrayIcon(TavoroClientFrame& frame, Types::OperatorStatus status)
    : m_frame(frame), m_status(status) {
    Bind(wxEVT_TASKBAR_LEFT_DOWN, [this](wxTaskBarIconEvent&) { toggleWindow(); });
    Bind(
        wxEVT_MENU, [this](wxCommandEvent&) { toggleWindow(); }, ID_TRAY_SHOW_HIDE);
    Bind(
        wxEVT_MENU,
        [this](wxCommandEvent& event) {
            if (const auto chosen = statusOfTool(event.GetId()))
                m_frame.setStatus(*chosen);
        },
        ID_TOOL_ONLINE, ID_TOOL_AWAY);
    Bind(
        wxEVT_MENU,
        [this](wxCommandEvent&) {
            // The File menu's Quit, with its question, as if chosen there.
            wxCommandEvent quit(wxEVT_MENU, wxID_EXIT);
            m_frame.GetEventHandler()->ProcessEvent(quit);
        },
        wxID_EXIT);
    showStatus(status);
}

TrayIcon::~TrayIcon() {
    RemoveIcon();
}

void TrayIcon::showStatus(Types::OperatorStatus status) {
    m_status = status;
    showIcon();
}

void TrayIcon::showWaiting(int count) {
    m_waiting = count > 0 ? count : 0;
    showIcon();
}

void TrayIcon::showIcon() {
    m_tooltip = Tools::fillPlaceholders(_("Tavoro Client - %STATUS%"),
                                        {{"%STATUS%", Types::operatorStatusText(m_status)}});
    if (m_waiting > 0) {
        m_tooltip +=
            " - " + Tools::fillPlaceholders(
                        wxPLURAL("%COUNT% chat waiting", "%COUNT% chats waiting", m_waiting),
                        {{"%COUNT%", wxString::Format("%d", m_waiting)}});
    }
    // The status tool's picture; the theme's "missing image" when that file cannot be read,
    // so that the icon is never left without one.
    wxBitmap picture = loadBitmap(SessionGrids::statusIconFile(m_status), wxSize(24, 24));
    if (m_waiting > 0 && picture.IsOk()) {
        // A red badge with the number (9+ beyond nine) in the lower right corner.
        wxImage image = picture.ConvertToImage();
        if (!image.HasAlpha())
            image.InitAlpha();
        wxBitmap badged(image);
        {
            wxMemoryDC dc(badged);
            const int size = picture.GetWidth() * 5 / 8;
            const wxRect badge(picture.GetWidth() - size, picture.GetHeight() - size, size, size);
            dc.SetBrush(*wxRED_BRUSH);
            dc.SetPen(*wxWHITE_PEN);
            dc.DrawEllipse(badge);
            dc.SetTextForeground(*wxWHITE);
            dc.SetFont(wxFontInfo(size * 2 / 3).Bold());
            dc.DrawLabel(m_waiting > 9 ? wxString("9+") : wxString::Format("%d", m_waiting), badge,
                         wxALIGN_CENTER);
        }
        picture = badged;
    }
    wxIcon icon;
    icon.CopyFromBitmap(picture);
    SetIcon(icon, m_tooltip);
}

bool TrayIcon::windowIsUp() const {
    return m_frame.IsShown() && !m_frame.IsIconized();
}

wxMenu* TrayIcon::buildMenu() const {
    auto* menu = new wxMenu;
    menu->Append(ID_TRAY_SHOW_HIDE, windowIsUp() ? _("Hide") : _("Show"));
    menu->AppendSeparator();
    for (int number = 0; number < Types::kOperatorStatusCount; ++number) {
        const Types::OperatorStatus status = Types::operatorStatusOr(number, {});
        menu->AppendRadioItem(statusToolOf(status), Types::operatorStatusText(status));
    }
    menu->Check(statusToolOf(m_status), true);
    menu->AppendSeparator();
    menu->Append(wxID_EXIT, _("Quit"));
    return menu;
}

void TrayIcon::toggleWindow() {
    if (windowIsUp()) {
        m_frame.Hide();
        return;
    }
    if (m_frame.IsIconized())
        m_frame.Iconize(false);
    m_frame.Show(true);
    m_frame.Raise();
}

}  // namespace Tavoro
