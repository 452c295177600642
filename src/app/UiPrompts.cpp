#include "app/UiPrompts.h"

#include <wx/button.h>
#include <wx/dialog.h>
#include <wx/menu.h>
#include <wx/msgdlg.h>
#include <wx/sizer.h>
#include <wx/textdlg.h>

#include "dialog/SettingsDialog.h"
#include "settings/TavoroSettings.h"
#include "tools/Placeholders.h"

namespace Tavoro {

std::function<int(wxWindow*, const wxString&, const wxString&, long)> UiPrompts::messageBox;
std::function<int(wxWindow*)> UiPrompts::optionsDialog;
std::function<bool(wxWindow*, const wxString&, wxString&)> UiPrompts::textEntry;
std::function<bool(wxWindow*, const wxString&, const wxString&, wxString&)>
    UiPrompts::passwordEntry;
std::function<void(wxWindow*, wxMenu*, const wxPoint&)> UiPrompts::popupMenu;

bool UiPrompts::confirmQuit(wxWindow* parent, size_t openChats) {
    wxString text = _("Quit Tavoro Client?");
    if (openChats > 0) {
        text +=
            "\n" + Tools::fillPlaceholders(
                       wxPLURAL("You are chatting to %NUMBER% visitor; that chat will be left.",
                                "You are chatting to %NUMBER% visitors; those chats will be left.",
                                openChats),
                       {{"%NUMBER%", wxString::Format("%zu", openChats)}});
    }
    const int answer =
        showMessage(parent, text, _("Quit Tavoro Client"), wxYES_NO | wxICON_QUESTION);
    return answer != wxNO && answer != wxCANCEL;
}

void UiPrompts::showPopupMenu(wxWindow* window, wxMenu* menu, const wxPoint& at) {
    if (popupMenu) {
        popupMenu(window, menu, at);
        return;
    }
    window->PopupMenu(menu, at);
}

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

namespace Tavoro {

bool UiPrompts::askText(wxWindow* parent, wxString& text) {
    if (textEntry) {
        const wxString initial = text;
        return textEntry(parent, initial, text);
    }
    wxTextEntryDialog dialog(parent, _("Enter the text you wish to send to the visitor."),
                             _("Enter Invite Text"), text, wxOK | wxCANCEL);
    if (dialog.ShowModal() != wxID_OK)
        return false;
    text = dialog.GetValue();
    return true;
}

}  // namespace Tavoro

namespace Tavoro {

void UiPrompts::showModelessMessage(wxWindow* parent, const wxString& text,
                                    const wxString& caption) {
    if (messageBox) {
        messageBox(parent, text, caption, wxOK);
        return;
    }
    auto* box = new wxDialog(parent, wxID_ANY, caption);
    auto* sizer = new wxBoxSizer(wxVERTICAL);
    sizer->Add(box->CreateTextSizer(text), 0, wxALL, 12);
    sizer->Add(box->CreateButtonSizer(wxOK), 0, wxALL | wxALIGN_RIGHT, 8);
    box->SetSizerAndFit(sizer);
    box->Bind(wxEVT_BUTTON, [box](wxCommandEvent&) { box->Destroy(); });
    box->Bind(wxEVT_CLOSE_WINDOW, [box](wxCloseEvent&) { box->Destroy(); });
    box->CentreOnParent();
    box->Show();
}

}  // namespace Tavoro

namespace Tavoro {

bool UiPrompts::askPassword(wxWindow* parent, const wxString& userName, const wxString& server,
                            wxString& password) {
    if (passwordEntry)
        return passwordEntry(parent, userName, server, password);
    const wxString text = Tools::fillPlaceholders(
        _("Enter the password of the user %USERNAME% on the server %SERVER%."),
        {{"%USERNAME%", userName}, {"%SERVER%", server}});
    wxPasswordEntryDialog dialog(parent, text, _("Log On"));
    if (dialog.ShowModal() != wxID_OK)
        return false;
    password = dialog.GetValue();
    return true;
}

}  // namespace Tavoro
