#include "widgets/CellImageRenderer.h"

#include <wx/bitmap.h>
#include <wx/dcmemory.h>

#include <algorithm>

namespace Tavoro {

CellImageRenderer::CellImageRenderer(const wxIcon& icon, const wxBrush& background)
    : m_icon(icon), m_background(background.IsOk() ? background : *wxWHITE_BRUSH) {}

CellImageRenderer::~CellImageRenderer() = default;

void CellImageRenderer::Draw(wxGrid& grid, wxGridCellAttr& attr, wxDC& dc, const wxRect& rect,
                             int row, int col, bool isSelected) {
    if (isSelected) {
        // The grid's own fill: its selection colour, as every other selected cell shows.
        wxGridCellRenderer::Draw(grid, attr, dc, rect, row, col, isSelected);
    } else {
        dc.SetBackgroundMode(wxBRUSHSTYLE_SOLID);
        dc.SetBrush(m_background);
        dc.SetPen(*wxWHITE_PEN);
        dc.DrawRectangle(rect);
    }

    if (!m_icon.IsOk()) {
        return;
    }
    wxBitmap bitmap;
    bitmap.CopyFromIcon(m_icon);
    if (!bitmap.IsOk()) {
        return;
    }
    const int width = std::min(bitmap.GetWidth(), rect.width - 2);
    const int height = std::min(bitmap.GetHeight(), rect.height - 2);
    if (width <= 0 || height <= 0) {
        return;
    }
    wxMemoryDC source;
    source.SelectObjectAsSource(bitmap);
    dc.Blit(rect.x + 1, rect.y + 1, width, height, &source, 0, 0, wxCOPY, true);
    source.SelectObject(wxNullBitmap);
}

wxSize CellImageRenderer::GetBestSize(wxGrid&, wxGridCellAttr&, wxDC&, int, int) {
    if (!m_icon.IsOk()) {
        return wxSize(0, 0);
    }
    return wxSize(m_icon.GetWidth(), m_icon.GetHeight());
}

wxGridCellRenderer* CellImageRenderer::Clone() const {
    return new CellImageRenderer(m_icon, m_background);
}

}  // namespace Tavoro
