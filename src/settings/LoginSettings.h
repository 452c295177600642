#pragma once

#include "messages/LoginMessage.h"

namespace Tavoro {

class TavoroSettings;

// The login details stored in the operator's settings: a missing text is empty and a missing
// default status is Online's number.
Messages::LoginDetails loginDetailsOf(const TavoroSettings& settings);

// The stored default status as the status it names: Online when it is missing or names none.
// (The login itself sends the stored text as it is; see LoginDetails.)
Types::OperatorStatus defaultStatusOf(const TavoroSettings& settings);
void setDefaultStatus(TavoroSettings& settings, Types::OperatorStatus status);

}  // namespace Tavoro
