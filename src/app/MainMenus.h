#pragma once

class wxMenu;
class wxMenuBar;

namespace Tavoro::MainMenus {

// The main window's menu bar: File (Re&connect, Client &Options, Quit), Layout, Help.
wxMenuBar* makeMenuBar();

// The main window's context menus: a chat row's, a visitor row's, a site's and a status tool's.
void fillContextMenus(wxMenu& chatMenu, wxMenu& visitorMenu, wxMenu& sitesMenu, wxMenu& statusMenu);

}  // namespace Tavoro::MainMenus
