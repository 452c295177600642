#include "widgets/ElapsedColumn.h"

#include <wx/grid.h>

#include <chrono>

#include "types/VisitorType.h"

namespace Tavoro {

ElapsedColumn::ElapsedColumn(wxGrid& grid) : m_grid(grid), m_timer(this) {
    Bind(wxEVT_TIMER, &ElapsedColumn::onTimer, this);
}

ElapsedColumn::~ElapsedColumn() {
    m_timer.Stop();
}

void ElapsedColumn::setColumn(int col) {
    m_column = col;
    if (col < 0)
        m_timer.Stop();
    else if (!m_timer.IsRunning())
        m_timer.Start(kTickMs);
}

long long ElapsedColumn::nowMs() const {
    if (clock)
        return clock();
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

void ElapsedColumn::noteVisitor(const Types::VisitorType& visitor) {
    if (m_column >= 0)
        m_serverClock.noteStamp(visitor.fieldView(Types::VisitorFields::FIELD_LAST_TIME), nowMs());
}

wxString ElapsedColumn::text(const Types::VisitorType& visitor) const {
    char buffer[16];
    const std::string_view shown = Tools::ServerClock::format(
        m_serverClock.secondsSince(visitor.fieldView(Types::VisitorFields::FIELD_START_TIME),
                                   nowMs()),
        buffer);
    return wxString::FromAscii(shown.data(), shown.size());
}

wxRect ElapsedColumn::visibleCellsRect() const {
    if (m_column < 0 || m_column >= m_grid.GetNumberCols() || m_grid.GetNumberRows() == 0)
        return wxRect();
    // The rows on screen: from the one at the top of the grid window to the one at its bottom.
    const wxSize window = m_grid.GetGridWindow()->GetClientSize();
    int left = 0, top = 0;
    m_grid.CalcUnscrolledPosition(0, 0, &left, &top);
    int firstRow = m_grid.YToRow(top, true);
    int lastRow = m_grid.YToRow(top + window.GetHeight() - 1, true);
    if (firstRow < 0)
        return wxRect();
    if (lastRow < 0)
        lastRow = m_grid.GetNumberRows() - 1;
    const wxRect first = m_grid.CellToRect(firstRow, m_column);
    const wxRect last = m_grid.CellToRect(lastRow, m_column);
    wxRect cells(first.GetTopLeft(), last.GetBottomRight());
    int x = 0, y = 0;
    m_grid.CalcScrolledPosition(cells.x, cells.y, &x, &y);
    cells.SetPosition(wxPoint(x, y));
    return cells.Intersect(wxRect(window));
}

void ElapsedColumn::tick() {
    if (m_column < 0 || !m_grid.IsShownOnScreen())
        return;
    const wxRect cells = visibleCellsRect();
    if (!cells.IsEmpty())
        m_grid.GetGridWindow()->RefreshRect(cells, false);
}

void ElapsedColumn::onTimer(wxTimerEvent&) {
    tick();
}

}  // namespace Tavoro
