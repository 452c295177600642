#pragma once

#include <wx/taskbar.h>

#include <functional>
#include <memory>

#include "types/OperatorStatus.h"

class wxMenu;

namespace Tavoro {

class TavoroClientFrame;
class TavoroSettings;

// The client's icon in the desktop's system tray: it shows the operator's status (picture and
// tooltip), a left click shows or hides the main window, and its menu offers Show/Hide, the four
// statuses and Quit. Status choices and Quit go through the main window exactly as its toolbar
// and File menu do.
class TrayIcon : public wxTaskBarIcon {
  public:
    // Menu items of the tray's own (statuses use the status tools' ids, Quit wxID_EXIT).
    enum { ID_TRAY_SHOW_HIDE = wxID_HIGHEST + 900 };

    // Whether the desktop has a tray. Tests replace this; by default the toolkit is asked.
    static std::function<bool()> isAvailable;
    static bool available();

    // The tray icon of a main window, or null where the desktop has no tray.
    static std::unique_ptr<TrayIcon> createIfAvailable(TavoroClientFrame& frame);

    // Shows the main window at start: hidden with only the tray icon when "Hide On Startup" is
    // set (or hidden is true: --minimized) and the icon exists, minimised when it is set but
    // there is no tray (the window must stay reachable), shown otherwise.
    static void showAtStart(TavoroClientFrame& frame, const TavoroSettings& settings,
                            bool hidden = false);

    TrayIcon(TavoroClientFrame& frame, Types::OperatorStatus status);
    ~TrayIcon() override;

    // Shows a status: the status tool's picture and a tooltip naming the client and the status.
    void showStatus(Types::OperatorStatus status);
    Types::OperatorStatus shownStatus() const { return m_status; }
    // Shows how many chats wait for an operator: the tooltip says it and the picture carries a
    // badge; 0 takes both away.
    void showWaiting(int count);
    int shownWaiting() const { return m_waiting; }
    const wxString& tooltip() const { return m_tooltip; }

    // The tray's menu, as the desktop shows it on a right click; the caller owns it.
    wxMenu* buildMenu() const;
    // Shows and raises the main window, or hides it when it is up.
    void toggleWindow();

  protected:
    wxMenu* CreatePopupMenu() override { return buildMenu(); }

  private:
    bool windowIsUp() const;

    TavoroClientFrame& m_frame;
    void showIcon();

    Types::OperatorStatus m_status;
    int m_waiting = 0;
    wxString m_tooltip;
};

}  // namespace Tavoro
