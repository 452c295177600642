#pragma once

#include <wx/string.h>
#include <wx/window.h>

#include <functional>

class wxMenu;

namespace Tavoro {

// The main window's modal prompts go through these functions, so a test can answer them
// instead of a person. When a hook is empty the real dialog is shown.
struct UiPrompts {
    // Shows a message box; returns the button pressed (wxOK, wxYES, wxNO, wxCANCEL).
    static std::function<int(wxWindow* parent, const wxString& text, const wxString& caption,
                             long style)>
        messageBox;
    // Shows the options dialog modally; returns wxID_OK or wxID_CANCEL.
    static std::function<int(wxWindow* parent)> optionsDialog;
    // Asks for an invitation text; returns false on Cancel. text holds the initial value and
    // receives the answer.
    static std::function<bool(wxWindow* parent, const wxString& initial, wxString& text)> textEntry;
    // Asks for the password of a login, naming the user and the server; returns false on
    // Cancel. password receives the answer.
    static std::function<bool(wxWindow* parent, const wxString& userName, const wxString& server,
                              wxString& password)>
        passwordEntry;

    // Shows a context menu at a point of a window; returns when the menu is closed (a chosen
    // command has been handled by then).
    static std::function<void(wxWindow* window, wxMenu* menu, const wxPoint& at)> popupMenu;

    static int showMessage(wxWindow* parent, const wxString& text, const wxString& caption,
                           long style);
    static int showOptions(wxWindow* parent);
    static bool askText(wxWindow* parent, wxString& text);
    static bool askPassword(wxWindow* parent, const wxString& userName, const wxString& server,
                            wxString& password);
    static void showPopupMenu(wxWindow* window, wxMenu* menu, const wxPoint& at);
    // Asks whether to quit, naming the open chats that would be left; false only when the
    // operator says No (or cancels).
    static bool confirmQuit(wxWindow* parent, size_t openChats);
    // A message with an OK button that does not block: the operator may go on working while
    // it is up; it destroys itself when closed. Goes through messageBox when that is set.
    static void showModelessMessage(wxWindow* parent, const wxString& text,
                                    const wxString& caption);
};

}  // namespace Tavoro
