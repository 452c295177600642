#include "dialog/SettingsControls.h"

#include <wx/checkbox.h>
#include <wx/textentry.h>

#include "settings/TavoroSettings.h"

namespace Tavoro::Dialog {

void loadText(const TavoroSettings& settings, int id, wxTextEntry& entry) {
    entry.ChangeValue(settings.getString(id));
}

void loadText(const TavoroSettings& settings, int id, wxTextEntry& entry,
              const wxString& fallback) {
    entry.ChangeValue(settings.getString(id, fallback));
}

void loadCheckBox(const TavoroSettings& settings, int id, wxCheckBox& box, bool fallback) {
    box.SetValue(settings.getBool(id, fallback));
}

bool saveText(TavoroSettings& settings, int id, const wxTextEntry& entry) {
    return settings.setString(id, entry.GetValue());
}

bool saveCheckBox(TavoroSettings& settings, int id, const wxCheckBox& box) {
    return settings.setBool(id, box.GetValue());
}

}  // namespace Tavoro::Dialog
