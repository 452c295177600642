#include "app/PasswordStore.h"

#include <wx/translation.h>
#include <wx/utils.h>

#include <libsecret/secret.h>

#include "settings/TavoroSettings.h"

namespace Tavoro {

namespace {

const SecretSchema* schema() {
    static const SecretSchema kSchema = {"org.tavoro.Client.Password",
                                         SECRET_SCHEMA_NONE,
                                         {
                                             {"server", SECRET_SCHEMA_ATTRIBUTE_STRING},
                                             {"user", SECRET_SCHEMA_ATTRIBUTE_STRING},
                                             {nullptr, SECRET_SCHEMA_ATTRIBUTE_STRING},
                                         },
                                         0,
                                         nullptr,
                                         nullptr,
                                         nullptr,
                                         nullptr,
                                         nullptr,
                                         nullptr,
                                         nullptr};
    return &kSchema;
}

// True without an error; the error is dropped (the caller falls back to the file).
bool succeeded(GError* error) {
    if (!error)
        return true;
    g_error_free(error);
    return false;
}

}  // namespace

bool DesktopKeyring::available() {
    if (m_available < 0) {
        // Only a desktop session's bus: asking without one would start a bus and a keyring of
        // its own that nobody unlocks.
        wxString bus;
        if (!wxGetEnv("DBUS_SESSION_BUS_ADDRESS", &bus) || bus.empty()) {
            m_available = 0;
        } else {
            GError* error = nullptr;
            gchar* found = secret_password_lookup_sync(schema(), nullptr, &error, "server", "",
                                                       "user", "", nullptr);
            if (found)
                secret_password_free(found);
            m_available = succeeded(error) ? 1 : 0;
        }
    }
    return m_available == 1;
}

std::optional<wxString> DesktopKeyring::find(const wxString& server, const wxString& user) {
    GError* error = nullptr;
    gchar* found =
        secret_password_lookup_sync(schema(), nullptr, &error, "server", server.utf8_str().data(),
                                    "user", user.utf8_str().data(), nullptr);
    if (!succeeded(error) || !found)
        return std::nullopt;
    wxString password = wxString::FromUTF8(found);
    secret_password_free(found);
    return password;
}

bool DesktopKeyring::store(const wxString& server, const wxString& user, const wxString& password) {
    const wxString label = wxString::Format(_("Tavoro Client password for %s on %s"), user, server);
    GError* error = nullptr;
    const gboolean ok = secret_password_store_sync(
        schema(), SECRET_COLLECTION_DEFAULT, label.utf8_str().data(), password.utf8_str().data(),
        nullptr, &error, "server", server.utf8_str().data(), "user", user.utf8_str().data(),
        nullptr);
    return succeeded(error) && ok;
}

bool DesktopKeyring::erase(const wxString& server, const wxString& user) {
    GError* error = nullptr;
    secret_password_clear_sync(schema(), nullptr, &error, "server", server.utf8_str().data(),
                               "user", user.utf8_str().data(), nullptr);
    return succeeded(error);
}

void DesktopKeyring::install(TavoroSettings& settings) {
    static DesktopKeyring keyring;
    settings.setPasswordKeeper(&keyring);
}

}  // namespace Tavoro
