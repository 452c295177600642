#pragma once

#include "messages/LoginMessage.h"

namespace Tavoro {

class TavoroSettings;

// The login details stored in the operator's settings: a missing text is empty and a missing
// default status is Online's number.
Messages::LoginDetails loginDetailsOf(const TavoroSettings& settings);

// Where the operator's password is kept: in the keeper the settings have (the desktop's
// keyring) when it answers, otherwise in the settings file (private to its owner); with
// "Always Ask For Password", nowhere.
enum class PasswordPlace { Keeper, SettingsFile, Nowhere };
PasswordPlace passwordPlaceOf(const TavoroSettings& settings);
// The stored password for the configured server and user name: the keeper's, or the file's
// when the keeper holds none (a password not moved yet).
wxString storedPassword(const TavoroSettings& settings);
// Keeps the password where passwordPlaceOf says, and removes it from the other places. Call
// after the server and user name are set. Returns where it went.
PasswordPlace storePassword(TavoroSettings& settings, const wxString& password);
// After a successful login: a password the file still holds moves into the keeper, and the
// file's entry goes (flushed). True when it moved.
bool movePasswordToKeeper(TavoroSettings& settings);

// The stored default status as the status it names: Online when it is missing or names none.
// (The login itself sends the stored text as it is; see LoginDetails.)
Types::OperatorStatus defaultStatusOf(const TavoroSettings& settings);
void setDefaultStatus(TavoroSettings& settings, Types::OperatorStatus status);

}  // namespace Tavoro
