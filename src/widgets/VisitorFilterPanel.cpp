#include "widgets/VisitorFilterPanel.h"

#include <wx/intl.h>
#include <wx/sizer.h>
#include <wx/srchctrl.h>

#include "widgets/VisitorGrid.h"

namespace Tavoro {

VisitorFilterPanel::VisitorFilterPanel(wxWindow* parent)
    : wxPanel(parent, wxID_ANY, wxDefaultPosition, wxDefaultSize, wxTAB_TRAVERSAL,
              "ID_VISITORS_PANEL") {
    m_search = new wxSearchCtrl(this, wxID_ANY, wxString(), wxDefaultPosition, wxDefaultSize, 0,
                                wxDefaultValidator, "ID_VISITOR_FILTER");
    m_search->ShowCancelButton(true);
    m_search->SetDescriptiveText(_("Find visitors"));
    m_grid = new VisitorGrid(this, wxID_ANY, wxDefaultPosition, wxDefaultSize, wxWANTS_CHARS,
                             "ID_VISITORS_GRID");
    auto* column = new wxBoxSizer(wxVERTICAL);
    column->Add(m_search, 0, wxEXPAND | wxALL, 2);
    column->Add(m_grid, 1, wxEXPAND);
    SetSizer(column);

    m_search->Bind(wxEVT_TEXT,
                   [this](wxCommandEvent&) { m_grid->set_filter(m_search->GetValue()); });
    m_search->Bind(wxEVT_SEARCH_CANCEL, [this](wxCommandEvent&) {
        m_search->ChangeValue(wxString());
        m_grid->set_filter(wxString());
    });
    // Enter takes the operator to the rows found.
    m_search->Bind(wxEVT_SEARCH, [this](wxCommandEvent&) {
        if (m_grid->GetNumberRows() > 0 && m_grid->first_selected_row() < 0)
            m_grid->SelectRow(0);
        m_grid->SetFocus();
    });
}

}  // namespace Tavoro
