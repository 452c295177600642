#include "app/MainMenus.h"

#include <wx/intl.h>
#include <wx/menu.h>

#include "app/ClientIds.h"
#include "app/OperatorLog.h"

namespace Tavoro::MainMenus {

wxMenuBar* makeMenuBar() {
    auto* menuBar = new wxMenuBar();
    auto* file = new wxMenu();
    file->Append(ID_MENU_RECONNECT, _("Re&connect"));
    file->Append(ID_MENU_OPTIONS, _("Client &Options"));
    file->Append(wxID_EXIT, _("&Quit\tAlt-F4"), _("Quit the application"));
    menuBar->Append(file, _("&File"));
    auto* layout = new wxMenu();
    layout->Append(ID_MENU_HIDE_DETAIL, _("&Hide Visit Detail"));
    menuBar->Append(layout, _("&Layout"));
    auto* help = new wxMenu();
    help->Append(ID_MENU_OPEN_LOG_FOLDER, _("Open &Log Folder"),
                 _("Show the folder of the log to send to support"));
    // Handled by the menu itself: the main window needs to know nothing of the log.
    help->Bind(
        wxEVT_MENU, [](wxCommandEvent&) { OperatorLog::showFolder(); }, ID_MENU_OPEN_LOG_FOLDER);
    help->Append(wxID_ABOUT, _("About\tF1"), _("Show info about this application"));
    menuBar->Append(help, _("Help"));
    return menuBar;
}

void fillContextMenus(wxMenu& chatMenu, wxMenu& visitorMenu, wxMenu& sitesMenu,
                      wxMenu& statusMenu) {
    chatMenu.Append(ID_CHAT_START, _("&Start Chatting To:"));
    chatMenu.Append(ID_CHAT_MONITOR, _("&Monitor Chat Session"));
    chatMenu.AppendSeparator();
    chatMenu.Append(ID_CHAT_CLOSE, _("&Close This Chat Session"));
    // Nothing monitors a chat yet.
    chatMenu.Enable(ID_CHAT_MONITOR, false);

    visitorMenu.Append(ID_VISITOR_VIEW_DETAIL, _("&View Visit Detail"));
    visitorMenu.Append(ID_VISITOR_EMAIL_DETAIL, _("&Email Visit Detail"));
    visitorMenu.AppendSeparator();
    visitorMenu.Append(ID_VISITOR_SEND_INVITE, _("Send &Invite"));
    visitorMenu.Append(ID_VISITOR_SEND_TEXT_INVITE, _("Send &Text Invite"));
    visitorMenu.Append(ID_VISITOR_CLICK_FRAUD, _("Send Click &Fraud Warning"));
    visitorMenu.AppendSeparator();
    visitorMenu.Append(ID_VISITOR_OPEN_REFERRER, _("Open &Referrer"));
    visitorMenu.Append(ID_VISITOR_OPEN_PAGE, _("Open Current &Page"));
    visitorMenu.AppendSeparator();
    auto* excludes = new wxMenu();
    excludes->Append(ID_VISITOR_EXCLUDE_VISITOR, _("Exclude &Visitor"));
    excludes->Append(ID_VISITOR_EXCLUDE_PAGE, _("Exclude P&age"));
    visitorMenu.AppendSubMenu(excludes, _("E&xcludes"));
    visitorMenu.Enable(ID_VISITOR_EMAIL_DETAIL, false);
    visitorMenu.Enable(ID_VISITOR_OPEN_REFERRER, false);
    visitorMenu.Enable(ID_VISITOR_OPEN_PAGE, false);

    sitesMenu.Append(ID_SITES_PROPERTIES, _("Site &Properties"));

    statusMenu.Append(ID_STATUS_SET_DEFAULT, _("Set As &Default Status"),
                      _("Sets this status as the default to be used when you log in."));
}

}  // namespace Tavoro::MainMenus
