#pragma once

#include <wx/string.h>

class wxCheckBox;
class wxTextEntry;

namespace Tavoro {
class TavoroSettings;
}

namespace Tavoro::Dialog {

// Loaders and savers that move one setting between the store and an edit control. Text
// entries cover both text controls and editable combo boxes. Loading never sends a
// text-changed event, so handlers of the control do not run for stored values.

// The stored text, or the empty text when the key is missing.
void loadText(const TavoroSettings& settings, int id, wxTextEntry& entry);
// The stored text, or the fallback when the key is missing (a stored empty text stays empty).
void loadText(const TavoroSettings& settings, int id, wxTextEntry& entry, const wxString& fallback);
// Ticked when the stored value is exactly "yes"; the fallback when the key is missing.
void loadCheckBox(const TavoroSettings& settings, int id, wxCheckBox& box, bool fallback);

// The control's current text, unchanged.
bool saveText(TavoroSettings& settings, int id, const wxTextEntry& entry);
// "yes" when ticked, else "no".
bool saveCheckBox(TavoroSettings& settings, int id, const wxCheckBox& box);

}  // namespace Tavoro::Dialog
