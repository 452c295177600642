#pragma once

#include <wx/string.h>

#include <optional>

namespace Tavoro::Types {

// Whether an operator takes chats. The number of each status is what the server sends in the
// operator list, what the client sends with "@STATUS" and in the login, and what the settings
// keep as the default status; the status tools of the main window are in this order.
enum class OperatorStatus : int {
    Online = 0,
    Busy = 1,
    BeRightBack = 2,
    Away = 3,
};
constexpr int kOperatorStatusCount = 4;

constexpr int statusNumber(OperatorStatus status) {
    return static_cast<int>(status);
}

// The status a number names (from the wire or the settings); nothing for any other number.
std::optional<OperatorStatus> operatorStatusOf(long number);
// The same, with a status to use for a number that names none (a damaged setting, say).
OperatorStatus operatorStatusOr(long number, OperatorStatus fallback);

// The number as the decimal digit of the wire and the settings: "0" for Online.
wxString operatorStatusField(OperatorStatus status);
// The translated text shown for a status: "Online", "Busy", "Be Right Back", "Away".
wxString operatorStatusText(OperatorStatus status);

}  // namespace Tavoro::Types
