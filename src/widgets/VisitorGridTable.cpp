#include "widgets/VisitorGridTable.h"

#include "tools/Utf8.h"
#include "types/VisitorType.h"

#include <algorithm>

namespace Tavoro {

VisitorGridTable::VisitorGridTable() = default;

VisitorGridTable::~VisitorGridTable() = default;

void VisitorGridTable::notify(int what, int first, int second) {
    wxGrid* grid = GetView();
    if (!grid) {
        return;
    }
    wxGridTableMessage message(this, what, first, second);
    grid->ProcessTableMessage(message);
}

void VisitorGridTable::set_columns(const std::vector<VisitorGridColumn>& columns) {
    const size_t old = m_columns.size();
    m_columns.clear();
    m_labels.clear();
    if (old > 0) {
        notify(wxGRIDTABLE_NOTIFY_COLS_DELETED, 0, static_cast<int>(old));
    }
    m_columns = columns;
    // Headers are translated once, when the layout is made.
    for (VisitorGridColumn kind : m_columns) {
        m_labels.push_back(VisitorGrid::get_column_header(kind));
    }
    if (!m_columns.empty()) {
        notify(wxGRIDTABLE_NOTIFY_COLS_APPENDED, static_cast<int>(m_columns.size()));
    }
}

void VisitorGridTable::set_kind_looks(std::vector<CellLookPtr> looks) {
    m_kindLooks = std::move(looks);
}

VisitorGridTable::Row* VisitorGridTable::row_ptr(int row) const {
    if (row < 0 || static_cast<size_t>(row) >= m_rows.size()) {
        return nullptr;
    }
    return m_rows[row].get();
}

const Types::VisitorType* VisitorGridTable::visitor_at(int row) const {
    const Row* r = row_ptr(row);
    return r ? r->visitor : nullptr;
}

wxString VisitorGridTable::key_at(int row) const {
    const Row* r = row_ptr(row);
    return r ? Tools::fromUtf8(r->key) : wxString();
}

int VisitorGridTable::find_row(std::string_view key) const {
    const auto it = m_chains.find(key);
    return it == m_chains.end() ? -1 : number_of(it->second.head);
}

int VisitorGridTable::find_row_of(std::string_view key, const Types::VisitorType* visitor) const {
    const auto it = m_chains.find(key);
    if (it == m_chains.end())
        return -1;
    for (const Row* r = it->second.head; r; r = r->nextSame) {
        if (r->visitor == visitor)
            return number_of(r);
    }
    return -1;
}

VisitorGridTable::CellLookPtr VisitorGridTable::look_at(int row, int col) const {
    const Row* r = row_ptr(row);
    if (!r || !r->visitor || col < 0 || static_cast<size_t>(col) >= m_columns.size()) {
        return nullptr;
    }
    switch (m_columns[col]) {
        case COLUMN_ALERT:
            return r->alert;
        case COLUMN_ICON: {
            const int status = r->visitor->status();
            if (status < 0 || static_cast<size_t>(status) >= m_kindLooks.size()) {
                return nullptr;
            }
            return m_kindLooks[status];
        }
        default:
            return nullptr;
    }
}

// Row chains. A row joins the chain of its key at its place in row order: new rows come last,
// so appending is constant time; only a row whose key changes may walk its new chain.
void VisitorGridTable::link(Row* row) {
    row->prevSame = nullptr;
    row->nextSame = nullptr;
    row->indexed = true;
    const auto it = m_chains.find(row->key);
    if (it == m_chains.end()) {
        m_chains.emplace(std::string_view(row->key), Chain{row, row});
        return;
    }
    Chain& chain = it->second;
    if (row->seq > chain.tail->seq) {
        row->prevSame = chain.tail;
        chain.tail->nextSame = row;
        chain.tail = row;
        return;
    }
    if (row->seq < chain.head->seq) {
        // The row becomes the head: the map's key must view the new head's text.
        Chain moved{row, chain.tail};
        row->nextSame = chain.head;
        chain.head->prevSame = row;
        m_chains.erase(it);
        m_chains.emplace(std::string_view(row->key), moved);
        return;
    }
    Row* before = chain.head;
    while (before->nextSame && before->nextSame->seq < row->seq) {
        before = before->nextSame;
    }
    row->prevSame = before;
    row->nextSame = before->nextSame;
    if (before->nextSame) {
        before->nextSame->prevSame = row;
    }
    before->nextSame = row;
}

void VisitorGridTable::unlink(Row* row) {
    if (!row->indexed) {
        return;
    }
    row->indexed = false;
    const auto it = m_chains.find(row->key);
    if (it != m_chains.end()) {
        Chain& chain = it->second;
        if (chain.tail == row) {
            chain.tail = row->prevSame;
        }
        if (chain.head == row) {
            Row* next = row->nextSame;
            if (next) {
                // The rest of the chain, headed by the next row (the tail is unchanged).
                const Chain rest{next, chain.tail};
                next->prevSame = nullptr;
                m_chains.erase(it);
                m_chains.emplace(std::string_view(next->key), rest);
            } else {
                m_chains.erase(it);
            }
        }
    }
    if (row->prevSame) {
        row->prevSame->nextSame = row->nextSame;
    }
    if (row->nextSame) {
        row->nextSame->prevSame = row->prevSame;
    }
    row->prevSame = nullptr;
    row->nextSame = nullptr;
}

int VisitorGridTable::number_of(const Row* row) const {
    int count = 0;
    for (size_t i = row->seq + 1; i > 0; i -= i & (~i + 1))
        count += m_liveRows[i];
    return count - 1;
}

void VisitorGridTable::reseat(size_t room) {
    const size_t places = m_rows.size() + room;
    m_liveRows.assign(places + 1, 0);
    for (size_t i = 0; i < m_rows.size(); ++i) {
        m_rows[i]->seq = i;
        // Built in one pass: each node passes its sum on to its parent.
        m_liveRows[i + 1] += 1;
        const size_t parent = (i + 1) + ((i + 1) & (~(i + 1) + 1));
        if (parent <= places)
            m_liveRows[parent] += m_liveRows[i + 1];
    }
    for (size_t i = m_rows.size() + 1; i <= places; ++i) {
        const size_t parent = i + (i & (~i + 1));
        if (parent <= places)
            m_liveRows[parent] += m_liveRows[i];
    }
    m_nextSeq = m_rows.size();
}

void VisitorGridTable::set_record(Row* row, const Types::VisitorType& visitor) {
    row->visitor = &visitor;
    const std::string_view key = visitor.visitorKeyView();
    if (!row->indexed || row->key != key) {
        unlink(row);
        row->key.assign(key);
        link(row);
    }
    row->alert = m_alertLookup ? m_alertLookup(visitor) : nullptr;
}

void VisitorGridTable::append_visitors(const std::vector<const Types::VisitorType*>& visitors) {
    size_t added = 0;
    m_rows.reserve(m_rows.size() + visitors.size());
    m_chains.reserve(m_chains.size() + visitors.size());
    if (m_nextSeq + visitors.size() >= m_liveRows.size())
        reseat(std::max<size_t>(1024, m_rows.size() + visitors.size()));
    for (const Types::VisitorType* visitor : visitors) {
        if (!visitor) {
            continue;
        }
        auto row = std::make_unique<Row>();
        row->seq = m_nextSeq++;
        for (size_t i = row->seq + 1; i < m_liveRows.size(); i += i & (~i + 1))
            m_liveRows[i] += 1;
        Row* r = row.get();
        m_rows.push_back(std::move(row));
        set_record(r, *visitor);
        ++added;
    }
    if (added > 0) {
        notify(wxGRIDTABLE_NOTIFY_ROWS_APPENDED, static_cast<int>(added));
    }
}

void VisitorGridTable::replace_visitor(int row, const Types::VisitorType& visitor) {
    if (Row* r = row_ptr(row)) {
        set_record(r, visitor);
    }
}

void VisitorGridTable::remove_all() {
    const size_t count = m_rows.size();
    if (count == 0) {
        return;
    }
    m_chains.clear();
    m_rows.clear();
    m_liveRows.clear();
    m_nextSeq = 0;
    notify(wxGRIDTABLE_NOTIFY_ROWS_DELETED, 0, static_cast<int>(count));
}

bool VisitorGridTable::is_consistent() const {
    size_t indexed = 0;
    for (size_t i = 0; i < m_rows.size(); ++i) {
        const Row* r = m_rows[i].get();
        if (number_of(r) != static_cast<int>(i) || (i > 0 && m_rows[i - 1]->seq >= r->seq)) {
            return false;
        }
        if (!r->indexed) {
            continue;
        }
        ++indexed;
        const auto it = m_chains.find(r->key);
        if (it == m_chains.end()) {
            return false;
        }
        // The row is on its key's chain, and rows before it on the chain come before it.
        bool found = false;
        size_t last = 0;
        bool first = true;
        for (const Row* c = it->second.head; c; c = c->nextSame) {
            if (c->key != r->key || (!first && c->seq <= last)) {
                return false;
            }
            first = false;
            last = c->seq;
            found = found || c == r;
            if (!c->nextSame && c != it->second.tail) {
                return false;
            }
        }
        if (!found || it->second.head->prevSame) {
            return false;
        }
    }
    size_t chained = 0;
    for (const auto& [key, chain] : m_chains) {
        if (key.data() != chain.head->key.data()) {
            return false;
        }
        for (const Row* c = chain.head; c; c = c->nextSame) {
            ++chained;
        }
    }
    return chained == indexed;
}

// wxGridTableBase

int VisitorGridTable::GetNumberRows() {
    return static_cast<int>(m_rows.size());
}

int VisitorGridTable::GetNumberCols() {
    return static_cast<int>(m_columns.size());
}

wxString VisitorGridTable::GetValue(int row, int col) {
    const Row* r = row_ptr(row);
    if (!r || !r->visitor || col < 0 || static_cast<size_t>(col) >= m_columns.size()) {
        return wxString();
    }
    const VisitorGridColumn kind = m_columns[col];
    if (kind == COLUMN_ALERT || kind == COLUMN_ICON) {
        return wxString();  // drawn by the icon renderer
    }
    if (kind == COLUMN_ELAPSED)
        return m_elapsedText ? m_elapsedText(*r->visitor) : wxString();
    return VisitorGrid::get_visitor_info(kind, *r->visitor);
}

void VisitorGridTable::SetValue(int, int, const wxString&) {
    // Cell texts always come from the visitor records; the grid is never edited.
}

bool VisitorGridTable::IsEmptyCell(int row, int col) {
    // An icon cell is not empty: a long text in the cell to its left must not run over it.
    if (col >= 0 && static_cast<size_t>(col) < m_columns.size() &&
        (m_columns[col] == COLUMN_ALERT || m_columns[col] == COLUMN_ICON)) {
        return false;
    }
    return GetValue(row, col).empty();
}

wxString VisitorGridTable::GetColLabelValue(int col) {
    if (col < 0 || static_cast<size_t>(col) >= m_labels.size()) {
        return wxString();
    }
    return m_labels[col];
}

wxString VisitorGridTable::GetRowLabelValue(int) {
    return wxString();
}

bool VisitorGridTable::AppendRows(size_t numRows) {
    return InsertRows(m_rows.size(), numRows);
}

bool VisitorGridTable::InsertRows(size_t pos, size_t numRows) {
    if (pos > m_rows.size()) {
        return false;
    }
    const bool atEnd = pos == m_rows.size();
    std::vector<std::unique_ptr<Row>> blank(numRows);
    for (auto& row : blank) {
        row = std::make_unique<Row>();
    }
    m_rows.insert(m_rows.begin() + pos, std::make_move_iterator(blank.begin()),
                  std::make_move_iterator(blank.end()));
    // Rows after the new ones keep their order, so their chains stay sorted.
    reseat(std::max<size_t>(1024, m_rows.size()));
    if (atEnd) {
        notify(wxGRIDTABLE_NOTIFY_ROWS_APPENDED, static_cast<int>(numRows));
    } else {
        notify(wxGRIDTABLE_NOTIFY_ROWS_INSERTED, static_cast<int>(pos), static_cast<int>(numRows));
    }
    return true;
}

bool VisitorGridTable::DeleteRows(size_t pos, size_t numRows) {
    if (pos >= m_rows.size()) {
        return false;
    }
    numRows = std::min(numRows, m_rows.size() - pos);
    if (pos == 0 && numRows == m_rows.size()) {
        remove_all();
        return true;
    }
    for (size_t i = pos; i < pos + numRows; ++i) {
        unlink(m_rows[i].get());
        for (size_t at = m_rows[i]->seq + 1; at < m_liveRows.size(); at += at & (~at + 1))
            m_liveRows[at] -= 1;
    }
    m_rows.erase(m_rows.begin() + pos, m_rows.begin() + pos + numRows);
    notify(wxGRIDTABLE_NOTIFY_ROWS_DELETED, static_cast<int>(pos), static_cast<int>(numRows));
    return true;
}

wxGridCellAttr* VisitorGridTable::GetAttr(int row, int col, wxGridCellAttr::wxAttrKind kind) {
    // The icon cells share one set of attributes per look; a request for the cell's own
    // attributes (to change them) still goes to the attribute provider.
    if (kind == wxGridCellAttr::Any) {
        if (const CellLookPtr look = look_at(row, col)) {
            if (wxGridCellAttr* attr = look->attr.get()) {
                attr->IncRef();
                return attr;
            }
        }
    }
    return wxGridTableBase::GetAttr(row, col, kind);
}

}  // namespace Tavoro
