#pragma once

#include <wx/grid.h>
#include <wx/icon.h>

#include <map>
#include <memory>
#include <vector>

#include "types/TextFilter.h"

namespace Tavoro::Types {
class VisitorType;
class VisitorList;
}  // namespace Tavoro::Types

namespace Tavoro {

class ClientServices;
class ElapsedColumn;
class VisitorGridTable;

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
    // "Elapsed": the visitor's time on the site. Shown by the "Show Elapsed Time" option,
    // never read from a saved layout.
    COLUMN_ELAPSED = 15,
};

// Number of column kinds a saved layout can hold; they are 0 to VISITOR_GRID_COLUMN_KINDS - 1.
constexpr int VISITOR_GRID_COLUMN_KINDS = 15;
// Number of visitor kind icons, indexed by a visitor record's status.
constexpr int VISITOR_ICON_SLOTS = 12;

// The table of visitors now on the monitored sites: one row per visitor, two icon columns
// (raised alert, kind of visitor) and text columns chosen by the stored column layout.
// The grid neither sorts nor edits; the main window drives it.
//
// Rows refer to visitor records that the main window owns (its VisitorList); the grid never
// frees them. The main window takes a visitor's row away (remove_visitor, or a rebuild, or
// remove_all_visitors) before it frees the record. A row is named by the visitor key it was
// given; with duplicates, a key names its first row.
//
// The cells are not stored: a VisitorGridTable hands the grid each visible cell's text and
// icon when it paints, so thousands of rows cost little to show and to find.
class VisitorGrid : public wxGrid {
  public:
    VisitorGrid(wxWindow* parent, wxWindowID id, const wxPoint& pos = wxDefaultPosition,
                const wxSize& size = wxDefaultSize, long style = wxWANTS_CHARS,
                const wxString& name = "ID_VISITORS_GRID");
    ~VisitorGrid() override;

    // Rebuilds the columns from the stored layout ("Layout/VisitorList/Columns", kind numbers
    // joined by "|"), or the default layout when nothing usable is stored. Unknown or
    // repeated kind numbers are skipped. With "Options/ElapsedTime" set, an "Elapsed" column
    // follows "Start Time" (or ends the row without it). Editing is disabled for the whole grid.
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
    const std::vector<VisitorGridColumn>& columns() const;
    // The visitor kind icon of a status; an invalid icon for a status outside the slots or a
    // slot whose file could not be loaded.
    const wxIcon& visitor_icon(int status) const;

    // The lowest row that has a selected cell, or -1 when nothing is selected.
    int first_selected_row() const;

    // Where the alert flags come from (the sites' alerts); without services, no row shows a
    // flag. Rows filled later use it; rows already shown keep their flags.
    void set_services(ClientServices* services);

    // The text a column kind shows for a visitor: the record's text unchanged. The icon
    // columns have no text ("F" for the alert and "T" for the kind column, never shown).
    static wxString get_visitor_info(VisitorGridColumn column, const Types::VisitorType& visitor);

    // While paint is held, rows added, changed or removed are noted instead of painted, and
    // release_paint repaints only those of them on screen (rows below a removed one moved up).
    // The grid's own end of a batch would repaint every cell and label, which dominated the
    // client's CPU at low event rates. A rebuild or a column change while held repaints
    // everything on release.
    void hold_paint();
    void release_paint();
    bool paint_held() const { return m_paintHeld; }

    // Appends a row for the visitor.
    void add_visitor(const Types::VisitorType& visitor);
    // The row with that key that shows this very record, or else the first row with that key,
    // now shows the visitor (whose key may have changed since); nothing when no row has the
    // key. Rows of other records that share the key are left alone.
    void update_visitor(const wxString& key, const Types::VisitorType& visitor);
    // Removes the first row with that key; later rows move up. Nothing when no row has it.
    void remove_visitor(const wxString& key);
    // Removes the row that shows this record (found under the record's key); nothing when no
    // row shows it.
    void remove_visitor(const Types::VisitorType& visitor);
    // Removes every row (before the main window replaces its whole visitor list).
    void remove_all_visitors();
    // Shows every visitor of the list, in list order, in place of the rows shown before.
    void show_all_visitors(const Types::VisitorList& list);
    // Adds rows for the visitors of the list on that site (exact key), in list order, after
    // removing every row first when clearFirst is set (several sites of a group are shown by
    // calling this once per site, clearing on the first call only).
    void show_site_visitors(const wxString& siteKey, const Types::VisitorList& list,
                            bool clearFirst);

    // Shows only the visitors whose shown texts contain the text (case-insensitive); empty
    // shows every visitor again. The grid keeps every visitor it was given (the visitors of the
    // selected sites), so the rows follow the filter as it changes, and a visitor that changes
    // into or out of the filter appears (at the end) or disappears.
    void set_filter(const wxString& text);
    const wxString& filter_text() const { return m_filter.text(); }
    // Whether a visitor passes the filter over the grid's text columns.
    bool passes_filter(const Types::VisitorType& visitor) const;
    // Every visitor the grid was given, filtered or not, in their order.
    const std::vector<const Types::VisitorType*>& all_visitors() const { return m_all; }

    // The record of a row; null for a row out of range.
    const Types::VisitorType* visitor_at(int row) const;
    // The visitor key of a row; empty for a row out of range.
    wxString key_at(int row) const;
    // The first row with that visitor key, or -1.
    int find_row(const wxString& key) const;
    // The icon file an icon cell shows (the visitor kind or the raised alert's flag); empty for
    // a text column, a row out of range or a cell without an icon.
    wxString icon_file_at(int row, int col) const;
    // The background colour of an icon cell; invalid for the plain white one or no icon.
    wxColour icon_colour_at(int row, int col) const;

    VisitorGridTable* table() const { return m_table; }
    ElapsedColumn& elapsed() const { return *m_elapsed; }

  private:
    struct LookCache;
    // Row changes while paint is held (see hold_paint).
    void note_row_changed(int row);
    void note_rows_moved_from(int row);
    void note_all_changed();
    void delete_row(int row);
    // Repaints the noted rows that are on screen, and every row from the first moved one down.
    void refresh_noted_rows();

    void apply_columns(const std::vector<VisitorGridColumn>& kinds);
    void size_columns_to_labels();
    int label_width(int col) const;
    // Widens the text columns to the widest texts of rows from firstRow on; with reset, the
    // columns start again from their header widths.
    void fit_columns(int firstRow, bool reset);
    void load_visitor_icons();
    void hide_cursor();
    void append_rows(const std::vector<const Types::VisitorType*>& visitors, bool clearFirst);
    void refresh_row(int row);

    void on_key_down(wxKeyEvent& event);
    void on_key_up(wxKeyEvent& event);
    // Selects only the row next to the first selected one (step -1 above, +1 below) and
    // scrolls it into view; nothing happens without a selection or past the grid's edge.
    void move_selection(int step);
    // Moves the current cell one column left (-1) or right (+1) on the selected row and
    // scrolls it into view, so the operator reaches columns beyond the window's edge.
    void move_column(int step);
    void show_filtered(bool clearFirst, const std::vector<const Types::VisitorType*>& visitors);
    void forget(const Types::VisitorType* visitor);

    VisitorGridTable* m_table = nullptr;  // owned by the grid
    std::vector<wxIcon> visitor_icons;
    wxIcon m_noIcon;
    ClientServices* m_services = nullptr;
    std::unique_ptr<LookCache> m_looks;
    std::unique_ptr<ElapsedColumn> m_elapsed;
    Types::TextFilter m_filter;
    std::vector<const Types::VisitorType*> m_all;
    // Beyond this many noted rows, one repaint of everything costs less than finding them.
    static constexpr size_t kMaxNotedRows = 256;
    bool m_paintHeld = false;
    bool m_allChanged = false;
    bool m_rowCountChanged = false;
    int m_movedFrom = -1;  // the first row that moved, or -1
    int m_heldFirst = 0;   // the rows on screen when paint was held
    int m_heldLast = 0;
    std::vector<int> m_changedRows;
};

}  // namespace Tavoro
