#pragma once

#include "settings/PasswordKeeper.h"

namespace Tavoro {

class TavoroSettings;

// The desktop's keyring (the Secret Service over the session's D-Bus), keeping the operator's
// password under the attributes server and user. Without a session bus it is never asked, so
// a desktop-less run (or a test without a keyring) never starts one by itself.
class DesktopKeyring : public PasswordKeeper {
  public:
    bool available() override;
    std::optional<wxString> find(const wxString& server, const wxString& user) override;
    bool store(const wxString& server, const wxString& user, const wxString& password) override;
    bool erase(const wxString& server, const wxString& user) override;

    // The process's keyring, installed on the settings the application uses.
    static void install(TavoroSettings& settings);

  private:
    // Known once asked: -1 not asked yet, 0 no, 1 yes.
    int m_available = -1;
};

}  // namespace Tavoro
