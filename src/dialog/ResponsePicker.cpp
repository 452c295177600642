#include "dialog/ResponsePicker.h"

#include <wx/listbox.h>
#include <wx/sizer.h>
#include <wx/textctrl.h>

#include "tools/Utf8.h"
#include "types/TextFilter.h"

namespace Tavoro::Dialog {

ResponsePicker::ResponsePicker(wxWindow* parent, std::vector<CannedChoice> choices)
    : wxDialog(parent, wxID_ANY, _("Canned Responses"), wxDefaultPosition, wxSize(420, 320),
               wxDEFAULT_DIALOG_STYLE | wxRESIZE_BORDER, "ID_RESPONSE_PICKER"),
      m_choices(std::move(choices)) {
    auto* column = new wxBoxSizer(wxVERTICAL);
    m_filter = new wxTextCtrl(this, wxID_ANY, wxString(), wxDefaultPosition, wxDefaultSize,
                              wxTE_PROCESS_ENTER, wxDefaultValidator, "ID_RESPONSE_FILTER");
    m_filter->SetHint(_("Type to find a response"));
    column->Add(m_filter, 0, wxEXPAND | wxALL, 5);
    m_list = new wxListBox(this, wxID_ANY, wxDefaultPosition, wxSize(400, 240), 0, nullptr,
                           wxLB_SINGLE, wxDefaultValidator, "ID_RESPONSE_LIST");
    column->Add(m_list, 1, wxEXPAND | wxLEFT | wxRIGHT | wxBOTTOM, 5);
    SetSizer(column);

    m_filter->Bind(wxEVT_TEXT, [this](wxCommandEvent&) { set_filter(m_filter->GetValue()); });
    m_filter->Bind(wxEVT_TEXT_ENTER, [this](wxCommandEvent&) { take(); });
    m_filter->Bind(wxEVT_KEY_DOWN, [this](wxKeyEvent& e) {
        const int step = e.GetKeyCode() == WXK_DOWN ? 1 : e.GetKeyCode() == WXK_UP ? -1 : 0;
        if (step == 0) {
            e.Skip();
            return;
        }
        select(m_list->GetSelection() + step);
    });
    m_list->Bind(wxEVT_LISTBOX_DCLICK, [this](wxCommandEvent&) { take(); });
    set_filter(wxString());
    m_filter->SetFocus();
}

void ResponsePicker::set_filter(const wxString& text) {
    if (m_filter->GetValue() != text)
        m_filter->ChangeValue(text);
    const Types::TextFilter filter(text);
    m_shown.clear();
    wxArrayString labels;
    for (size_t i = 0; i < m_choices.size(); ++i) {
        const CannedChoice& c = m_choices[i];
        if (filter.matches(Tools::toUtf8(c.label)) || filter.matches(Tools::toUtf8(c.text))) {
            m_shown.push_back(i);
            // One line per response: its titles and the start of its text.
            wxString line = c.text;
            line.Replace("\n", " ");
            labels.Add(c.label + ": " + line.Left(80));
        }
    }
    m_list->Set(labels);
    if (!m_shown.empty())
        m_list->SetSelection(0);
}

std::vector<wxString> ResponsePicker::shown_labels() const {
    std::vector<wxString> out;
    for (const size_t i : m_shown)
        out.push_back(m_choices[i].label);
    return out;
}

wxString ResponsePicker::chosen_text() const {
    const int place = m_list->GetSelection();
    if (place == wxNOT_FOUND || place >= static_cast<int>(m_shown.size()))
        return wxString();
    return m_choices[m_shown[static_cast<size_t>(place)]].text;
}

void ResponsePicker::select(int place) {
    if (place >= 0 && place < static_cast<int>(m_shown.size()))
        m_list->SetSelection(place);
}

void ResponsePicker::take() {
    if (chosen_text().empty())
        return;
    if (IsModal())
        EndModal(wxID_OK);
    else
        SetReturnCode(wxID_OK);
}

}  // namespace Tavoro::Dialog
