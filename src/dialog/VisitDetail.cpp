#include "dialog/VisitDetail.h"

#include "widgets/ClientServices.h"

#include <wx/grid.h>
#include <wx/intl.h>
#include <wx/notebook.h>
#include <wx/settings.h>
#include <wx/sizer.h>
#include <wx/splitter.h>

namespace Tavoro::Dialog {
namespace {

// The system's fixed-width font (the default GUI font when there is none) at 80% of its
// size: the panel packs many short facts and columns into little space.
wxFont detailFont() {
    wxFont font = wxSystemSettings::GetFont(wxSYS_ANSI_FIXED_FONT);
    if (!font.IsOk()) {
        font = wxSystemSettings::GetFont(wxSYS_DEFAULT_GUI_FONT);
    }
    const float size = font.GetFractionalPointSize() * 0.8f;
    if (size > 0) {
        font.SetFractionalPointSize(size);
    }
    return font;
}

wxGrid* newGrid(wxWindow* parent, const wxString& name, int columns) {
    auto* grid =
        new wxGrid(parent, wxID_ANY, wxDefaultPosition, wxDefaultSize, wxWANTS_CHARS, name);
    grid->CreateGrid(0, columns);
    return grid;
}

void useFont(wxGrid* grid, const wxFont& font) {
    grid->SetFont(font);
    grid->SetDefaultCellFont(font);
}

void makeReadOnlyList(wxGrid* grid) {
    grid->EnableEditing(false);
    grid->SetRowLabelSize(0);
}

}  // namespace

VisitDetail::VisitDetail(wxWindow* parent, ClientServices* services)
    : wxPanel(parent, wxID_ANY, wxDefaultPosition, wxDefaultSize, wxTAB_TRAVERSAL,
              "ID_VISITDETAIL"),
      m_services(services) {
    build_layout();
}

VisitDetail::~VisitDetail() = default;

void VisitDetail::build_layout() {
    const wxFont font = detailFont();
    SetFont(font);

    auto* sizer = new wxBoxSizer(wxHORIZONTAL);
    m_notebook =
        new wxNotebook(this, wxID_ANY, wxDefaultPosition, wxDefaultSize, 0, "ID_NOTEBOOK1");

    // Page "Visit Detail": the facts above, the pages viewed below.
    m_splitter = new wxSplitterWindow(m_notebook, wxID_ANY, wxDefaultPosition, wxDefaultSize,
                                      wxSP_3D, "ID_SPLITTERWINDOW2");
    m_splitter->SetMinimumPaneSize(10);
    m_splitter->SetSashGravity(0.5);
    m_factGrid = newGrid(m_splitter, "ID_GRID_CURRENT", FACT_COLUMNS);
    useFont(m_factGrid, font);
    makeReadOnlyList(m_factGrid);
    m_factGrid->SetColLabelSize(0);
    m_pageGrid = newGrid(m_splitter, "ID_GRID1", PAGE_COLUMNS);
    useFont(m_pageGrid, font);
    m_splitter->SplitHorizontally(m_factGrid, m_pageGrid);

    m_earlierVisitsGrid = newGrid(m_notebook, "ID_GRID2", EARLIER_VISIT_COLUMNS);
    useFont(m_earlierVisitsGrid, font);
    makeReadOnlyList(m_earlierVisitsGrid);

    m_earlierChatsGrid = newGrid(m_notebook, "ID_GRID3", EARLIER_CHAT_COLUMNS);
    makeReadOnlyList(m_earlierChatsGrid);

    m_notebook->AddPage(m_splitter, _("Visit Detail"), true);
    m_notebook->AddPage(m_earlierVisitsGrid, _("Previous Visits"), false);
    m_notebook->AddPage(m_earlierChatsGrid, _("Chats"), false);

    label_page_grid();
    label_earlier_visits_grid();
    label_earlier_chats_grid();

    sizer->Add(m_notebook, 1, wxALL | wxEXPAND, 5);
    SetSizer(sizer);
    sizer->SetSizeHints(this);
}

void VisitDetail::label_page_grid() {
    m_pageGrid->SetColLabelValue(0, _("Time"));
    m_pageGrid->SetColLabelValue(1, _("Status"));
    m_pageGrid->SetColLabelValue(2, _("Page"));
}

void VisitDetail::label_earlier_visits_grid() {
    const wxString headers[EARLIER_VISIT_COLUMNS] = {
        // TRANSLATORS: header of the alert flag column of earlier visits (kept blank).
        _(" "),         _("I"),       _("No"),    _("Date"), _("Time"),     _("First Page"),
        _("Last Page"), _("Mins On"), _("Pages"), _("Cost"), _("Referrer"),
    };
    for (int col = 0; col < EARLIER_VISIT_COLUMNS; ++col) {
        m_earlierVisitsGrid->SetColLabelValue(col, headers[col]);
    }
}

void VisitDetail::label_earlier_chats_grid() {
    const wxString headers[EARLIER_CHAT_COLUMNS] = {
        _("Date / Time"), _("Name"), _("Chat ID"), _("User"), _("Department"), _("Duration"),
    };
    for (int col = 0; col < EARLIER_CHAT_COLUMNS; ++col) {
        m_earlierChatsGrid->SetColLabelValue(col, headers[col]);
    }
}

}  // namespace Tavoro::Dialog
