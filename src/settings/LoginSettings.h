#pragma once

#include "messages/LoginMessage.h"

namespace Tavoro {

class TavoroSettings;

// The login details stored in the operator's settings: a missing text is empty and a missing
// default status is "0".
Messages::LoginDetails loginDetailsOf(const TavoroSettings& settings);

}  // namespace Tavoro
