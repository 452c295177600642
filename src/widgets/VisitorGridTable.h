#pragma once

#include <wx/colour.h>
#include <wx/grid.h>

#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "widgets/VisitorGrid.h"

namespace Tavoro::Types {
class VisitorType;
}

namespace Tavoro {

// The rows behind the visitor grid: one entry per row referring to a visitor record that the
// main window owns, and an index from visitor key to the rows that have it.
//
// The grid asks the table for a cell's text and attributes only when it paints the cell, so
// a rebuild with thousands of visitors costs one pointer per row rather than a stored text per
// cell, and finding the row of a key is a hash lookup instead of a scan. Rows with the same key
// are chained in row order; the first of the chain is the row a key names.
//
// Rows can also be added blank through the grid's own AppendRows/InsertRows (no record, every
// cell empty); cell values cannot be set, since they always come from the records.
class VisitorGridTable : public wxGridTableBase {
  public:
    // How a cell of an icon column looks: the icon's file, the background colour (invalid for
    // the plain white one) and the attributes carrying the renderer that draws them.
    struct CellLook {
        wxString iconFile;
        wxColour colour;
        wxGridCellAttrPtr attr;
    };
    using CellLookPtr = std::shared_ptr<const CellLook>;
    // Gives the alert column's look of a visitor, or null for a visitor without a known alert.
    using AlertLookup = std::function<CellLookPtr(const Types::VisitorType&)>;

    VisitorGridTable();
    ~VisitorGridTable() override;

    // Columns: replaces all of them; the grid is told of the change.
    void set_columns(const std::vector<VisitorGridColumn>& columns);
    const std::vector<VisitorGridColumn>& columns() const { return m_columns; }

    // The looks of the kind icon column, indexed by a visitor's status, and the lookup of the
    // alert column's look, consulted whenever a row gets its record.
    void set_kind_looks(std::vector<CellLookPtr> looks);
    void set_alert_lookup(AlertLookup lookup) { m_alertLookup = std::move(lookup); }
    // The text of the "Elapsed" column, which depends on the time now.
    void set_elapsed_text(std::function<wxString(const Types::VisitorType&)> text) {
        m_elapsedText = std::move(text);
    }

    // The record of a row; null for a row out of range or a blank row.
    const Types::VisitorType* visitor_at(int row) const;
    // The key a row is indexed by; empty when out of range.
    wxString key_at(int row) const;
    // The first row indexed by that key, or -1.
    int find_row(std::string_view key) const;
    // The row indexed by that key that shows that very record; -1 when none does.
    int find_row_of(std::string_view key, const Types::VisitorType* visitor) const;
    // The look of an icon cell; null for a text column, a row out of range or a cell without
    // an icon.
    CellLookPtr look_at(int row, int col) const;

    // Appends one row per record, in order, and tells the grid once.
    void append_visitors(const std::vector<const Types::VisitorType*>& visitors);
    // The row now shows that record and is indexed by the record's current key.
    void replace_visitor(int row, const Types::VisitorType& visitor);
    // Removes every row.
    void remove_all();

    // Every row is chained under its own key in row order, and every chain head is the first
    // row with that key (linear; for tests).
    bool is_consistent() const;

    // wxGridTableBase
    int GetNumberRows() override;
    int GetNumberCols() override;
    wxString GetValue(int row, int col) override;
    void SetValue(int row, int col, const wxString& value) override;
    bool IsEmptyCell(int row, int col) override;
    wxString GetColLabelValue(int col) override;
    wxString GetRowLabelValue(int row) override;
    bool AppendRows(size_t numRows = 1) override;
    bool InsertRows(size_t pos = 0, size_t numRows = 1) override;
    bool DeleteRows(size_t pos = 0, size_t numRows = 1) override;
    wxGridCellAttr* GetAttr(int row, int col, wxGridCellAttr::wxAttrKind kind) override;

  private:
    struct Row {
        const Types::VisitorType* visitor = nullptr;
        std::string key;  // UTF-8
        // The row's place in the order of rows: it grows with row order and is never changed
        // when rows before it go, so a removal costs no renumbering. The row's number is the
        // count of rows still there up to it (m_liveRows).
        size_t seq = 0;
        bool indexed = false;
        Row* prevSame = nullptr;
        Row* nextSame = nullptr;
        CellLookPtr alert;
    };
    // The rows sharing one key, in row order. The map's key views the head row's key text.
    struct Chain {
        Row* head = nullptr;
        Row* tail = nullptr;
    };

    Row* row_ptr(int row) const;
    void link(Row* row);
    void unlink(Row* row);
    // The number of a row from its place (O(log n)).
    int number_of(const Row* row) const;
    // Gives every row its row number as its place again, with room for appending: after a
    // row went in between, or when appended rows have used up the places.
    void reseat(size_t room);
    void set_record(Row* row, const Types::VisitorType& visitor);
    void notify(int what, int first, int second = -1);

    std::vector<VisitorGridColumn> m_columns;
    std::vector<wxString> m_labels;
    std::vector<std::unique_ptr<Row>> m_rows;
    std::unordered_map<std::string_view, Chain> m_chains;
    // A Fenwick tree over the places: 1 where a row is, 0 where one was removed.
    std::vector<int> m_liveRows;
    size_t m_nextSeq = 0;
    std::vector<CellLookPtr> m_kindLooks;
    AlertLookup m_alertLookup;
    std::function<wxString(const Types::VisitorType&)> m_elapsedText;
};

}  // namespace Tavoro
