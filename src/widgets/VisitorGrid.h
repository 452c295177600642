#pragma once

#include <wx/grid.h>
#include <wx/icon.h>

#include <vector>

namespace Tavoro {

// The kinds of column the visitor grid can show. The values are stored as numbers in the
// saved column layout, so they never change.
enum VisitorGridColumn : int {
    COLUMN_ALERT = 0,       // icon: flag of the alert the visitor raised
    COLUMN_ICON = 1,        // icon: kind of visitor
    COLUMN_USERNAME = 2,    // "Username"
    COLUMN_NUMBER = 3,      // "No"
    COLUMN_VISIT = 4,       // "Visit"
    COLUMN_DNS = 5,         // "DNS"
    COLUMN_IP = 6,          // "IP"
    COLUMN_ON_PAGE = 7,     // "On Page"
    COLUMN_VIEWS = 8,       // "Views"
    COLUMN_START_TIME = 9,  // "Start Time"
    COLUMN_LAST_TIME = 10,  // "Last Time"
    COLUMN_BROWSER = 11,    // "Browser"
    COLUMN_OP_SYS = 12,     // "Op Sys"
    COLUMN_LOCATION = 13,   // "Location"
    COLUMN_REFERRER = 14,   // "Referrer"
};

// Number of column kinds; valid kinds are 0 to VISITOR_GRID_COLUMN_KINDS - 1.
constexpr int VISITOR_GRID_COLUMN_KINDS = 15;
// Number of visitor kind icons, indexed by a visitor record's status.
constexpr int VISITOR_ICON_SLOTS = 12;

// The table of visitors now on the monitored sites: one row per visitor, two icon columns
// (raised alert, kind of visitor) and text columns chosen by the stored column layout.
// The grid neither sorts nor edits; the main window drives it.
//
// This class holds the layout, icons and keyboard handling. The rows are filled from the
// visitor records (get_visitor_info, add_visitor, update_visitor, remove_visitor,
// show_all_visitors, show_site_visitors), which come with those records.
class VisitorGrid : public wxGrid {
  public:
    VisitorGrid(wxWindow* parent, wxWindowID id, const wxPoint& pos = wxDefaultPosition,
                const wxSize& size = wxDefaultSize, long style = wxWANTS_CHARS,
                const wxString& name = "ID_VISITORS_GRID");
    ~VisitorGrid() override;

    // Rebuilds the columns from the stored layout ("Layout/VisitorList/Columns", kind numbers
    // joined by "|"), or the default layout when nothing usable is stored. Unknown or
    // repeated kind numbers are skipped. Editing is disabled for the whole grid.
    void load_columns();
    // Replaces the columns by the default layout of 14 columns (no "IP" column).
    void set_default_columns();

    // The translated header text of a column kind; " " for the two icon columns.
    static wxString get_column_header(VisitorGridColumn column);
    // The kind stored in one field of a saved layout, or false when the field is not exactly
    // a decimal number naming a column kind.
    static bool parse_column_kind(const wxString& field, VisitorGridColumn* kind);
    // The icon file of a visitor kind slot; empty for the slot that has no icon.
    static wxString visitor_icon_file(int slot);

    // The kind of each grid column, in column order.
    const std::vector<VisitorGridColumn>& columns() const { return m_columns; }
    // The visitor kind icon of a status; an invalid icon for a status outside the slots or a
    // slot whose file could not be loaded.
    const wxIcon& visitor_icon(int status) const;

    // The lowest row that has a selected cell, or -1 when nothing is selected.
    int first_selected_row() const;

  private:
    void append_column(VisitorGridColumn kind);
    void size_columns_to_labels();
    void load_visitor_icons();
    void hide_cursor();

    void on_key_down(wxKeyEvent& event);
    void on_key_up(wxKeyEvent& event);
    // Selects only the row next to the first selected one (step -1 above, +1 below) and
    // scrolls it into view; nothing happens without a selection or past the grid's edge.
    void move_selection(int step);

    std::vector<VisitorGridColumn> m_columns;
    std::vector<wxIcon> visitor_icons;
    wxIcon m_noIcon;
};

}  // namespace Tavoro
