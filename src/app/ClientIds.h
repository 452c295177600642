#pragma once

#include <wx/defs.h>

#include <optional>

#include "types/OperatorStatus.h"

namespace Tavoro {

// Fixed window, menu and timer identifiers of the main window. Controls whose events are
// bound directly to the control (grids, tree, notebook) use wxID_ANY and need no entry.
enum ClientId : int {
    ID_MENU_RECONNECT = wxID_HIGHEST + 1,  // "Re&connect"
    ID_MENU_OPTIONS,                       // "Client &Options"
    ID_MENU_HIDE_DETAIL,                   // "&Hide Visit Detail"
    ID_TOOL_ONLINE,                        // status tools, in OperatorStatus order
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
    ID_SITES_PROPERTIES,      // sites menu "Site Properties"
    ID_STATUS_SET_DEFAULT,    // status menu "Set As Default Status"
    ID_TIMER_GRID_PAINT,      // lets the visitor grid paint the visitor events held back
    ID_MENU_OPEN_LOG_FOLDER,  // Help menu "Open &Log Folder"
    ID_MENU_PICK_UP,          // "&Pick Up Longest Waiting" (Ctrl+P)
};

// The status tool of a status, and the status of a status tool (nothing for another id).
static_assert(ID_TOOL_AWAY - ID_TOOL_ONLINE + 1 == Types::kOperatorStatusCount,
              "one status tool per operator status");
constexpr int statusToolOf(Types::OperatorStatus status) {
    return ID_TOOL_ONLINE + Types::statusNumber(status);
}
inline std::optional<Types::OperatorStatus> statusOfTool(int toolId) {
    return Types::operatorStatusOf(static_cast<long>(toolId) - ID_TOOL_ONLINE);
}

// Pages of the main notebook ("Monthly Summary" is taken out at start-up).
enum MainPage {
    PAGE_CURRENT_VISITORS = 0,
    PAGE_DAY_SUMMARY = 1,
    PAGE_OPERATORS = 2,
};

// Columns of the "Chatting Visitors" grid.
enum ChatColumn {
    CHAT_COL_ID = 0,
    CHAT_COL_NAME = 1,
    CHAT_COL_DOMAIN = 2,
    CHAT_COL_LAST_ACTIVITY = 3,
    CHAT_COL_TALKING_TO = 4,
    CHAT_COL_LANGUAGE = 5,
    CHAT_COL_TRANSLATING = 6,
    CHAT_COL_DEPARTMENT = 7,
    CHAT_COL_MONITORED_BY = 8,
    CHAT_COL_IP = 9,
    CHAT_COLUMNS = 10,
};

// Pages of the chat notebook.
enum ChatPage {
    CHAT_PAGE_CHATTING = 0,    // "Chatting Visitors"
    CHAT_PAGE_CALL_BACKS = 1,  // "Pending Call Backs"
};

// Columns of the "Current Operators" grid.
enum OperatorColumn {
    OPERATOR_COL_ID = 0,
    OPERATOR_COL_IP = 1,
    OPERATOR_COL_NAME = 2,
    OPERATOR_COL_DEPARTMENT = 3,
    OPERATOR_COL_STATUS = 4,
    OPERATOR_COL_LANGUAGE = 5,
    OPERATOR_COL_USERNAME = 6,
    OPERATOR_COLUMNS = 7,
};

// Columns of the "Pending Call Backs" grid.
enum CallBackColumn {
    CALL_BACK_COL_NAME = 0,
    CALL_BACK_COL_COMPANY = 1,
    CALL_BACK_COL_ON_SITE = 2,
    CALL_BACK_COL_TELEPHONE = 3,
    CALL_BACK_COL_TYPE = 4,
    CALL_BACK_COL_REQUESTED_TIME = 5,
    CALL_BACK_COL_TIME_ZONE = 6,
    CALL_BACK_COL_REQUESTED_DEPARTMENT = 7,
    CALL_BACK_COL_REQUESTED_OPERATOR = 8,
    CALL_BACK_COL_TALKING_TO = 9,
    CALL_BACK_COL_NOTES = 10,
    CALL_BACK_COLUMNS = 11,
};

}  // namespace Tavoro
