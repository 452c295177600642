#include "app/UiPrompts.h"

#include <wx/msgdlg.h>

#include "dialog/SettingsDialog.h"
#include "settings/TavoroSettings.h"

namespace Tavoro {

std::function<int(wxWindow*, const wxString&, const wxString&, long)> UiPrompts::messageBox;
std::function<int(wxWindow*)> UiPrompts::optionsDialog;

int UiPrompts::showMessage(wxWindow* parent, const wxString& text, const wxString& caption,
                           long style) {
    if (messageBox)
        return messageBox(parent, text, caption, style);
    return wxMessageBox(text, caption, style, parent);
}

int UiPrompts::showOptions(wxWindow* parent) {
    if (optionsDialog)
        return optionsDialog(parent);
    Dialog::SettingsDialog dialog(parent, getSettings());
    return dialog.ShowModal();
}

}  // namespace Tavoro
