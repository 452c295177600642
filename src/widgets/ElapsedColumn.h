#pragma once

#include <wx/event.h>
#include <wx/gdicmn.h>
#include <wx/string.h>
#include <wx/timer.h>

#include <functional>

#include "tools/ServerClock.h"

class wxGrid;

namespace Tavoro {
namespace Types {
class VisitorType;
}

// The visitor grid's "Elapsed" column: each visitor's time on the site, from the stamp of the
// visit's first page view to the server's time now (Tools::ServerClock, fed with the visitors'
// last page view stamps). While the column is shown, a timer repaints once a second only the
// cells of that column that are on screen; nothing else of the grid is painted for it.
class ElapsedColumn : public wxEvtHandler {
  public:
    static constexpr int kTickMs = 1000;

    explicit ElapsedColumn(wxGrid& grid);
    ~ElapsedColumn() override;

    // The grid column that shows the elapsed time, or -1 when it is not shown; the timer runs
    // only while it is.
    void setColumn(int col);
    int column() const { return m_column; }
    bool isTicking() const { return m_timer.IsRunning(); }

    // A visitor's record arrived or changed: its last page view tells the server's time.
    void noteVisitor(const Types::VisitorType& visitor);
    // The text of a visitor's cell ("m:ss" or "h:mm:ss"); empty while unknown.
    wxString text(const Types::VisitorType& visitor) const;

    // The part of the grid window to repaint: this column's cells of the rows on screen, in
    // the grid window's coordinates; empty when there are none.
    wxRect visibleCellsRect() const;
    // Repaints that part (the timer's work; tests call it directly).
    void tick();

    // Milliseconds of a monotonic clock; tests replace it.
    std::function<long long()> clock;

  private:
    long long nowMs() const;
    void onTimer(wxTimerEvent& event);

    wxGrid& m_grid;
    wxTimer m_timer;
    int m_column = -1;
    Tools::ServerClock m_serverClock;
};

}  // namespace Tavoro
