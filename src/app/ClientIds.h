#pragma once

#include <wx/defs.h>

namespace Tavoro {

// Fixed window, menu and timer identifiers of the main window. Controls whose events are
// bound directly to the control (grids, tree, notebook) use wxID_ANY and need no entry.
enum ClientId : int {
    ID_MENU_RECONNECT = wxID_HIGHEST + 1,  // "Re&connect"
    ID_MENU_OPTIONS,                       // "Client &Options"
    ID_MENU_HIDE_DETAIL,                   // "&Hide Visit Detail"
    ID_TOOL_ONLINE,                        // status tools, in status-code order
    ID_TOOL_BUSY,
    ID_TOOL_BRB,
    ID_TOOL_AWAY,
    ID_TOOL_SITE_PROPERTIES,  // "Site Properties" tool and sites-menu item
    ID_CHAT_START,            // chat menu "Start Chatting To:"
    ID_CHAT_MONITOR,          // chat menu "Monitor Chat Session" (disabled)
    ID_CHAT_CLOSE,            // chat menu "Close This Chat Session"
    ID_VISITOR_VIEW_DETAIL,   // visitor menu items
    ID_VISITOR_EMAIL_DETAIL,
    ID_VISITOR_SEND_INVITE,
    ID_VISITOR_SEND_TEXT_INVITE,
    ID_VISITOR_CLICK_FRAUD,
    ID_VISITOR_OPEN_REFERRER,
    ID_VISITOR_OPEN_PAGE,
    ID_VISITOR_EXCLUDE_VISITOR,
    ID_VISITOR_EXCLUDE_PAGE,
    ID_SITES_PROPERTIES,       // sites menu "Site Properties"
    ID_STATUS_SET_DEFAULT,     // status menu "Set As Default Status"
    ID_SOCKET_CONNECT,         // socket events of a connection attempt
    ID_TIMER_CONNECT_TIMEOUT,  // gives up a connection attempt that takes too long
    ID_TIMER_GRID_PAINT,       // lets the visitor grid paint the visitor events held back
};

}  // namespace Tavoro
