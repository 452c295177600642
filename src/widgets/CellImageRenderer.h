#pragma once

#include <wx/brush.h>
#include <wx/grid.h>
#include <wx/icon.h>

namespace Tavoro {

// Grid cell renderer that draws one icon on a background brush: the alert flags and visitor
// kind icons of the visitor grid and the alert flags of the visit detail panel. A renderer is
// owned by the cell attributes it is set on; the visitor grid shares one such attribute set
// among all cells that show the same icon on the same background.
class CellImageRenderer : public wxGridCellRenderer {
  public:
    // An icon on the given background (white when the brush is invalid). Icon and brush are
    // reference-counted copies, so the renderer stays valid after the record that supplied
    // them is gone.
    CellImageRenderer(const wxIcon& icon, const wxBrush& background);
    ~CellImageRenderer() override;

    // Fills the cell with the background (the selection colour when selected) and draws the
    // icon one pixel inside its top left corner, clipped to the cell.
    void Draw(wxGrid& grid, wxGridCellAttr& attr, wxDC& dc, const wxRect& rect, int row, int col,
              bool isSelected) override;
    // The icon's size; nothing for a cell whose icon could not be loaded.
    wxSize GetBestSize(wxGrid& grid, wxGridCellAttr& attr, wxDC& dc, int row, int col) override;
    // A renderer drawing the same icon on the same background.
    wxGridCellRenderer* Clone() const override;

    const wxIcon& icon() const { return m_icon; }
    const wxBrush& background() const { return m_background; }

  private:
    wxIcon m_icon;
    wxBrush m_background;
};

}  // namespace Tavoro
