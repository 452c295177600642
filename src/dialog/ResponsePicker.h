#pragma once

#include <wx/dialog.h>

#include <vector>

#include "settings/CannedResponses.h"

class wxListBox;
class wxTextCtrl;

namespace Tavoro::Dialog {

// A small list of the operator's canned responses that narrows as the operator types: every
// response whose titles or text contain the typed text (case-insensitive) stays. Up and Down in
// the typing box move through the list, Enter or a double click takes the selected response,
// Escape cancels. The dialog only chooses; the chat window puts the text in.
class ResponsePicker : public wxDialog {
  public:
    ResponsePicker(wxWindow* parent, std::vector<CannedChoice> choices);

    wxTextCtrl* filter_box() const { return m_filter; }
    wxListBox* list() const { return m_list; }

    // Shows the responses that contain the text; the first is selected.
    void set_filter(const wxString& text);
    // The labels now listed.
    std::vector<wxString> shown_labels() const;
    // The text of the selected response; empty when none is selected.
    wxString chosen_text() const;
    // Selects the listed response at that place (as the arrow keys do).
    void select(int place);
    // Ends the dialog with the selected response (Enter, double click); nothing without one.
    void take();

  private:
    std::vector<CannedChoice> m_choices;
    std::vector<size_t> m_shown;  // indexes into m_choices, in list order
    wxTextCtrl* m_filter = nullptr;
    wxListBox* m_list = nullptr;
};

}  // namespace Tavoro::Dialog
