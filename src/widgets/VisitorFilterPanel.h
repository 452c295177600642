#pragma once

#include <wx/panel.h>

class wxSearchCtrl;

namespace Tavoro {

class VisitorGrid;

// The "CurrentVisitors" page's left pane: a search box above the visitor grid. Typing in the
// box filters the grid at once to the visitors whose shown texts contain the typed text
// (case-insensitive); clearing it shows everyone again.
class VisitorFilterPanel : public wxPanel {
  public:
    explicit VisitorFilterPanel(wxWindow* parent);

    VisitorGrid* grid() const { return m_grid; }
    wxSearchCtrl* search_box() const { return m_search; }

  private:
    wxSearchCtrl* m_search = nullptr;
    VisitorGrid* m_grid = nullptr;
};

}  // namespace Tavoro
