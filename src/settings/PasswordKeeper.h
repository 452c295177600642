#pragma once

#include <wx/string.h>

#include <optional>

namespace Tavoro {

// A place outside the settings file where the operator's password is kept (the desktop's
// keyring), keyed by server and user name. The application installs one on its settings
// store; without one, or when it does not answer, the password stays in the settings file.
class PasswordKeeper {
  public:
    virtual ~PasswordKeeper() = default;
    // Whether the keeper can be used now.
    virtual bool available() = 0;
    // The kept password; nothing when none is kept for them or the keeper failed.
    virtual std::optional<wxString> find(const wxString& server, const wxString& user) = 0;
    virtual bool store(const wxString& server, const wxString& user, const wxString& password) = 0;
    // True when nothing is kept for them afterwards.
    virtual bool erase(const wxString& server, const wxString& user) = 0;
};

}  // namespace Tavoro
