#include "types/OperatorStatus.h"

#include <wx/translation.h>

namespace Tavoro::Types {

std::optional<OperatorStatus> operatorStatusOf(long number) {
    if (number < 0 || number >= kOperatorStatusCount)
        return std::nullopt;
    return static_cast<OperatorStatus>(number);
}

OperatorStatus operatorStatusOr(long number, OperatorStatus fallback) {
    return operatorStatusOf(number).value_or(fallback);
}

wxString operatorStatusField(OperatorStatus status) {
    return wxString::Format("%d", statusNumber(status));
}

wxString operatorStatusText(OperatorStatus status) {
    switch (status) {
        case OperatorStatus::Online:
            return _("Online");
        case OperatorStatus::Busy:
            return _("Busy");
        case OperatorStatus::BeRightBack:
            return _("Be Right Back");
        case OperatorStatus::Away:
            return _("Away");
    }
    return wxString();
}

}  // namespace Tavoro::Types
