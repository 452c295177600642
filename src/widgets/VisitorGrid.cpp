#include "widgets/VisitorGrid.h"

#include "settings/TavoroSettings.h"
#include "tools/Utf8.h"
#include "tools/wxStringSplitter.h"
#include "types/Alert.h"
#include "types/VisitorList.h"
#include "types/VisitorType.h"
#include "widgets/CellImageRenderer.h"
#include "widgets/ClientServices.h"
#include "widgets/ElapsedColumn.h"
#include "widgets/Images.h"
#include "widgets/VisitorGridTable.h"

#include <wx/intl.h>

#include <algorithm>
#include <array>
#include <limits>
#include <string_view>

namespace Tavoro {
namespace {

// Default layout: "No" before "Username", and no "IP" column.
const VisitorGridColumn kDefaultColumns[] = {
    COLUMN_ALERT,   COLUMN_ICON,    COLUMN_NUMBER,   COLUMN_USERNAME,   COLUMN_VISIT,
    COLUMN_DNS,     COLUMN_ON_PAGE, COLUMN_VIEWS,    COLUMN_START_TIME, COLUMN_LAST_TIME,
    COLUMN_BROWSER, COLUMN_OP_SYS,  COLUMN_LOCATION, COLUMN_REFERRER,
};

// Icon files of the slots after those of the visitor statuses: slot 10 has no icon.
const wchar_t* const kExtraIconFiles[VISITOR_ICON_SLOTS - Types::VisitorType::kStatusCount] = {
    L"",
    L"Click Fraud Warning.ico",
};

// Space left and right of a header text, and around an icon (the renderer draws the icon one
// pixel inside the cell).
const int kLabelPadding = 12;
const int kIconPadding = 2;
// Icon width assumed when no visitor icon could be loaded.
const int kFallbackIconWidth = 16;
// Size of the icons in the grid's cells (the 16 px image of an ICO file).
const wxSize kCellIconSize(16, 16);
// Space left and right of a cell text.
const int kCellPadding = 8;
// A text column is not widened past this for its contents (a referrer address can be very
// long); the operator can still widen it by hand.
const int kMaxFittedWidth = 400;
// How many of the longest texts of a column are measured when fitting its width: widths of
// proportional text follow its length closely but not exactly.
const size_t kMeasuredPerColumn = 6;
// Distinct alert looks kept for reuse; beyond this the cache starts again (rows keep theirs),
// so alerts arriving with ever new colours cannot grow it without bound.
const size_t kMaxCachedLooks = 256;

// The record text behind a text column, read in place (for measuring without copies).
std::string_view textView(VisitorGridColumn kind, const Types::VisitorType& visitor) {
    switch (kind) {
        case COLUMN_USERNAME:
            return visitor.fieldView(Types::VisitorFields::FIELD_USERNAME);
        case COLUMN_NUMBER:
            return visitor.numberTextView();
        case COLUMN_VISIT:
            return visitor.fieldView(Types::VisitorFields::FIELD_VISIT);
        case COLUMN_DNS:
            return visitor.fieldView(Types::VisitorFields::FIELD_DNS);
        case COLUMN_IP:
            return visitor.ipAddressView();
        case COLUMN_ON_PAGE:
            return visitor.fieldView(Types::VisitorFields::FIELD_ON_PAGE);
        case COLUMN_VIEWS:
            return visitor.fieldView(Types::VisitorFields::FIELD_PAGE_VIEWS);
        case COLUMN_START_TIME:
            return visitor.fieldView(Types::VisitorFields::FIELD_START_TIME);
        case COLUMN_LAST_TIME:
            return visitor.fieldView(Types::VisitorFields::FIELD_LAST_TIME);
        case COLUMN_BROWSER:
            return visitor.fieldView(Types::VisitorFields::FIELD_BROWSER);
        case COLUMN_OP_SYS:
            return visitor.fieldView(Types::VisitorFields::FIELD_OP_SYS);
        case COLUMN_LOCATION:
            return visitor.fieldView(Types::VisitorFields::FIELD_LOCATION);
        case COLUMN_REFERRER:
            return visitor.fieldView(Types::VisitorFields::FIELD_REFERRER);
        case COLUMN_ALERT:
        case COLUMN_ICON:
        case COLUMN_ELAPSED:
            break;
    }
    return std::string_view();
}

bool isIconColumn(VisitorGridColumn kind) {
    return kind == COLUMN_ALERT || kind == COLUMN_ICON;
}

// Attributes drawing an icon on a background: shared by every cell that looks the same.
VisitorGridTable::CellLookPtr makeLook(const wxString& file, const wxIcon& icon,
                                       const wxColour& colour) {
    auto look = std::make_shared<VisitorGridTable::CellLook>();
    look->iconFile = file;
    look->colour = colour;
    auto* attr = new wxGridCellAttr;
    attr->SetRenderer(
        new CellImageRenderer(icon, colour.IsOk() ? wxBrush(colour) : *wxWHITE_BRUSH));
    attr->SetReadOnly();
    look->attr = wxGridCellAttrPtr(attr);
    return look;
}

bool isArrowKey(int keyCode) {
    switch (keyCode) {
        case WXK_UP:
        case WXK_DOWN:
        case WXK_LEFT:
        case WXK_RIGHT:
        case WXK_NUMPAD_UP:
        case WXK_NUMPAD_DOWN:
        case WXK_NUMPAD_LEFT:
        case WXK_NUMPAD_RIGHT:
            return true;
        default:
            return false;
    }
}

}  // namespace

// Alert flag looks by icon file and colour, and the flag icons by file, so that rows showing
// the same alert share one icon and one brush and no file is read twice.
struct VisitorGrid::LookCache {
    std::map<wxString, wxIcon> icons;
    std::map<wxString, VisitorGridTable::CellLookPtr> looks;

    VisitorGridTable::CellLookPtr alertLook(const Types::Alert& alert) {
        const wxColour colour =
            alert.hasColour ? wxColour(alert.red, alert.green, alert.blue) : wxColour();
        const wxString key = alert.iconFileName + '\n' +
                             (colour.IsOk() ? colour.GetAsString(wxC2S_HTML_SYNTAX) : "");
        const auto found = looks.find(key);
        if (found != looks.end()) {
            return found->second;
        }
        auto icon = icons.find(alert.iconFileName);
        if (icon == icons.end()) {
            // The flag files are a handful of fixed names, so this map stays small.
            icon = icons.emplace(alert.iconFileName, loadIcon(alert.iconFileName, kCellIconSize))
                       .first;
        }
        if (looks.size() >= kMaxCachedLooks) {
            looks.clear();
        }
        VisitorGridTable::CellLookPtr look = makeLook(alert.iconFileName, icon->second, colour);
        looks.emplace(key, look);
        return look;
    }
};

VisitorGrid::VisitorGrid(wxWindow* parent, wxWindowID id, const wxPoint& pos, const wxSize& size,
                         long style, const wxString& name)
    : wxGrid(parent, id, pos, size, style, name),
      m_looks(std::make_unique<LookCache>()),
      m_elapsed(std::make_unique<ElapsedColumn>(*this)) {
    m_table = new VisitorGridTable;
    m_table->set_elapsed_text(
        [this](const Types::VisitorType& visitor) { return m_elapsed->text(visitor); });
    SetTable(m_table, true, wxGridSelectCells);
    load_visitor_icons();
    std::vector<VisitorGridTable::CellLookPtr> kindLooks;
    for (int slot = 0; slot < VISITOR_ICON_SLOTS; ++slot) {
        kindLooks.push_back(makeLook(visitor_icon_file(slot), visitor_icons[slot], wxColour()));
    }
    m_table->set_kind_looks(std::move(kindLooks));
    m_table->set_alert_lookup(
        [this](const Types::VisitorType& visitor) -> VisitorGridTable::CellLookPtr {
            if (!m_services) {
                return nullptr;
            }
            // A visitor who raised no alert has no flag, even if some alert has an empty id.
            const wxString alertId = visitor.raisedAlertId();
            if (alertId.empty()) {
                return nullptr;
            }
            const Types::Alert* alert = m_services->findAlert(visitor.site(), alertId);
            if (!alert || alert->iconFileName.empty()) {
                return nullptr;
            }
            // Only values are kept: the alert record may be replaced while the row stays.
            return m_looks->alertLook(*alert);
        });
    load_columns();
    EnableGridLines(false);
    SetRowLabelSize(0);
    hide_cursor();

    // The grid's own key handling moves the cursor and drops the selection on arrow keys;
    // these handlers run before it (bound handlers come before the class's event table).
    Bind(wxEVT_KEY_DOWN, &VisitorGrid::on_key_down, this);
    Bind(wxEVT_KEY_UP, &VisitorGrid::on_key_up, this);
}

VisitorGrid::~VisitorGrid() = default;

const std::vector<VisitorGridColumn>& VisitorGrid::columns() const {
    return m_table->columns();
}

void VisitorGrid::load_columns() {
    BeginBatch();
    std::vector<VisitorGridColumn> kinds;
    TavoroSettings& settings = getSettings();
    if (settings.exists(SETTING_VISITOR_LIST_COLUMNS)) {
        const Tools::wxStringSplitter fields(settings.getString(SETTING_VISITOR_LIST_COLUMNS), '|',
                                             true);
        // Each kind at most once: a damaged layout can neither repeat a column nor grow the
        // grid without bound.
        bool used[VISITOR_GRID_COLUMN_KINDS] = {};
        for (unsigned i = 0; i < fields.count(); ++i) {
            VisitorGridColumn kind;
            if (parse_column_kind(fields.item(i), &kind) && !used[kind]) {
                used[kind] = true;
                kinds.push_back(kind);
            }
        }
    }
    if (kinds.empty())
        kinds.assign(std::begin(kDefaultColumns), std::end(kDefaultColumns));
    if (settings.getBool(SETTING_ELAPSED_TIME)) {
        const auto start = std::find(kinds.begin(), kinds.end(), COLUMN_START_TIME);
        kinds.insert(start == kinds.end() ? start : start + 1, COLUMN_ELAPSED);
    }
    apply_columns(kinds);
    EnableEditing(false);
    EndBatch();
}

void VisitorGrid::set_default_columns() {
    apply_columns(
        std::vector<VisitorGridColumn>(std::begin(kDefaultColumns), std::end(kDefaultColumns)));
}

void VisitorGrid::apply_columns(const std::vector<VisitorGridColumn>& kinds) {
    note_all_changed();
    m_table->set_columns(kinds);
    size_columns_to_labels();
    ClearAttrCache();
    const auto elapsed = std::find(kinds.begin(), kinds.end(), COLUMN_ELAPSED);
    m_elapsed->setColumn(elapsed == kinds.end() ? -1 : static_cast<int>(elapsed - kinds.begin()));
    if (elapsed != kinds.end()) {
        // Wide enough for hours on the site, whatever rows come.
        const int col = m_elapsed->column();
        const int width =
            std::max(GetColSize(col), GetTextExtent("00:00:00").GetWidth() + 2 * kCellPadding);
        SetColMinimalWidth(col, width);
        SetColSize(col, width);
        for (int row = 0; row < GetNumberRows(); ++row) {
            if (const Types::VisitorType* visitor = visitor_at(row))
                m_elapsed->noteVisitor(*visitor);
        }
    }
}

wxString VisitorGrid::get_column_header(VisitorGridColumn column) {
    switch (column) {
        // TRANSLATORS: header of the two icon columns of the visitor list (kept blank).
        case COLUMN_ALERT:
            return _(" ");
        case COLUMN_ICON:
            return _(" ");
        case COLUMN_USERNAME:
            return _("Username");
        case COLUMN_NUMBER:
            return _("No");
        case COLUMN_VISIT:
            return _("Visit");
        case COLUMN_DNS:
            return _("DNS");
        case COLUMN_IP:
            return _("IP");
        case COLUMN_ON_PAGE:
            return _("On Page");
        case COLUMN_VIEWS:
            return _("Views");
        case COLUMN_START_TIME:
            return _("Start Time");
        case COLUMN_LAST_TIME:
            return _("Last Time");
        case COLUMN_BROWSER:
            return _("Browser");
        case COLUMN_OP_SYS:
            return _("Op Sys");
        case COLUMN_LOCATION:
            return _("Location");
        case COLUMN_REFERRER:
            return _("Referrer");
        case COLUMN_ELAPSED:
            return _("Elapsed");
    }
    return wxString();
}

bool VisitorGrid::parse_column_kind(const wxString& field, VisitorGridColumn* kind) {
    wxString text = field;
    text.Trim(true).Trim(false);
    // Digits only: no sign, no trailing text, and short enough that it cannot overflow.
    if (text.empty() || text.length() > 3 ||
        !std::all_of(text.begin(), text.end(), [](wxUniChar c) { return c >= '0' && c <= '9'; })) {
        return false;
    }
    long value = 0;
    if (!text.ToLong(&value) || value < 0 || value >= VISITOR_GRID_COLUMN_KINDS) {
        return false;
    }
    *kind = static_cast<VisitorGridColumn>(value);
    return true;
}

wxString VisitorGrid::visitor_icon_file(int slot) {
    if (slot < 0 || slot >= VISITOR_ICON_SLOTS) {
        return wxString();
    }
    if (slot < Types::VisitorType::kStatusCount) {
        return Types::VisitorType::iconFileOfStatus(slot);
    }
    return kExtraIconFiles[slot - Types::VisitorType::kStatusCount];
}

void VisitorGrid::load_visitor_icons() {
    visitor_icons.assign(VISITOR_ICON_SLOTS, wxIcon());
    for (int slot = 0; slot < VISITOR_ICON_SLOTS; ++slot) {
        const wxString file = visitor_icon_file(slot);
        if (!file.empty()) {
            visitor_icons[slot] = loadIcon(file, kCellIconSize);
        }
    }
}

const wxIcon& VisitorGrid::visitor_icon(int status) const {
    if (status < 0 || status >= static_cast<int>(visitor_icons.size())) {
        return m_noIcon;
    }
    return visitor_icons[status];
}

void VisitorGrid::size_columns_to_labels() {
    // Only the header texts are measured: sizing over every cell costs about a second for a
    // few thousand rows, and the rows are not there yet anyway.
    int iconWidth = 0;
    for (const wxIcon& icon : visitor_icons) {
        if (icon.IsOk()) {
            iconWidth = std::max(iconWidth, icon.GetWidth());
        }
    }
    if (iconWidth == 0) {
        iconWidth = kFallbackIconWidth;
    }
    const std::vector<VisitorGridColumn>& kinds = columns();
    for (int col = 0; col < GetNumberCols(); ++col) {
        int width = label_width(col);
        if (isIconColumn(kinds[col])) {
            width = std::max(width, iconWidth + kIconPadding);
        }
        SetColMinimalWidth(col, width);
        SetColSize(col, width);
    }
}

int VisitorGrid::label_width(int col) const {
    const wxFont font = GetLabelFont();
    int width = 0;
    int height = 0;
    GetGridColLabelWindow()->GetTextExtent(GetColLabelValue(col), &width, &height, nullptr, nullptr,
                                           &font);
    return width + kLabelPadding;
}

void VisitorGrid::fit_columns(int firstRow, bool reset) {
    // Measuring every cell (the grid's own auto-sizing) takes about a second for ten thousand
    // visitors. The widest text of a column is almost always among its longest, so only the
    // few longest texts of each column are measured; finding them reads lengths in place.
    const std::vector<VisitorGridColumn>& kinds = columns();
    const int rows = GetNumberRows();
    struct Candidate {
        size_t length = 0;
        int row = -1;
    };
    std::vector<std::array<Candidate, kMeasuredPerColumn>> longest(kinds.size());
    for (int row = std::max(firstRow, 0); row < rows; ++row) {
        const Types::VisitorType* visitor = m_table->visitor_at(row);
        if (!visitor) {
            continue;
        }
        for (size_t col = 0; col < kinds.size(); ++col) {
            if (isIconColumn(kinds[col])) {
                continue;
            }
            const size_t length = textView(kinds[col], *visitor).size();
            auto& best = longest[col];
            // best is kept sorted, longest first.
            if (length == 0 || length <= best.back().length) {
                continue;
            }
            size_t at = best.size() - 1;
            while (at > 0 && best[at - 1].length < length) {
                best[at] = best[at - 1];
                --at;
            }
            best[at] = Candidate{length, row};
        }
    }

    const wxFont font = GetDefaultCellFont();
    wxWindow* cells = GetGridWindow();
    for (size_t col = 0; col < kinds.size(); ++col) {
        if (isIconColumn(kinds[col])) {
            continue;
        }
        const int c = static_cast<int>(col);
        const int base = reset ? label_width(c) : GetColSize(c);
        int text = 0;
        for (const Candidate& candidate : longest[col]) {
            if (candidate.row < 0) {
                break;
            }
            int width = 0;
            int height = 0;
            cells->GetTextExtent(get_visitor_info(kinds[col], *m_table->visitor_at(candidate.row)),
                                 &width, &height, nullptr, nullptr, &font);
            text = std::max(text, width + kCellPadding);
        }
        const int width = std::max(base, std::min(text, kMaxFittedWidth));
        SetColMinimalWidth(c, width);
        SetColSize(c, width);
    }
}

void VisitorGrid::set_services(ClientServices* services) {
    m_services = services;
}

wxString VisitorGrid::get_visitor_info(VisitorGridColumn column,
                                       const Types::VisitorType& visitor) {
    switch (column) {
        // TRANSLATORS: text of the alert icon column; never shown.
        case COLUMN_ALERT:
            return _("F");
        // TRANSLATORS: text of the visitor kind icon column; never shown.
        case COLUMN_ICON:
            return _("T");
        case COLUMN_USERNAME:
            return visitor.username();
        case COLUMN_NUMBER:
            return visitor.numberText();
        case COLUMN_VISIT:
            return visitor.visitText();
        case COLUMN_DNS:
            return visitor.dns();
        case COLUMN_IP:
            return visitor.ipAddress();
        case COLUMN_ON_PAGE:
            return visitor.onPage();
        case COLUMN_VIEWS:
            return visitor.viewsText();
        case COLUMN_START_TIME:
            return visitor.startTime();
        case COLUMN_LAST_TIME:
            return visitor.lastTime();
        case COLUMN_BROWSER:
            return visitor.browser();
        case COLUMN_OP_SYS:
            return visitor.opSys();
        case COLUMN_LOCATION:
            return visitor.location();
        case COLUMN_REFERRER:
            return visitor.referrer();
        case COLUMN_ELAPSED:
            break;  // depends on the time now: the grid's ElapsedColumn gives it
    }
    return wxString();
}

void VisitorGrid::refresh_row(int row) {
    // The grid keeps the attributes of the cell it looked at last; this row's may be stale.
    ClearAttrCache();
    if (m_paintHeld) {
        note_row_changed(row);
        return;
    }
    if (GetBatchCount() == 0 && row >= 0 && row < GetNumberRows() && GetNumberCols() > 0) {
        RefreshBlock(row, 0, row, GetNumberCols() - 1);
    }
}

void VisitorGrid::hold_paint() {
    if (m_paintHeld)
        return;
    m_paintHeld = true;
    BeginBatch();
    // The rows on screen now: changes to others need no note (scrolling repaints by itself).
    int x = 0;
    int top = 0;
    CalcUnscrolledPosition(0, 0, &x, &top);
    const int height = GetGridWindow()->GetClientSize().GetHeight();
    // Past the last row (a short list), every row that comes is on screen.
    m_heldFirst = std::max(0, YToRow(top));
    const int last = YToRow(top + std::max(height, 0));
    m_heldLast = last < 0 ? std::numeric_limits<int>::max() : last;
}

void VisitorGrid::release_paint() {
    if (!m_paintHeld)
        return;
    m_paintHeld = false;
    if (m_allChanged || GetBatchCount() != 1 || m_changedRows.size() > kMaxNotedRows) {
        EndBatch();
    } else {
        // The batch ends without the grid's own full repaint (the count is the grid's,
        // protected for derived grids): the scroll range follows the rows while still held,
        // so that it repaints nothing, and only what changed on screen is repainted.
        if (m_rowCountChanged)
            CalcDimensions();
        m_batchCount = 0;
        refresh_noted_rows();
    }
    m_allChanged = m_rowCountChanged = false;
    m_movedFrom = -1;
    m_changedRows.clear();
}

void VisitorGrid::note_row_changed(int row) {
    if (row < m_heldFirst || row > m_heldLast)
        return;
    if (m_changedRows.size() <= kMaxNotedRows)
        m_changedRows.push_back(row);
}

void VisitorGrid::note_rows_moved_from(int row) {
    m_rowCountChanged = true;
    m_movedFrom = m_movedFrom < 0 ? row : std::min(m_movedFrom, row);
}

void VisitorGrid::note_all_changed() {
    if (m_paintHeld)
        m_allChanged = true;
}

void VisitorGrid::delete_row(int row) {
    if (m_paintHeld)
        note_rows_moved_from(row);
    DeleteRows(row, 1);
    ClearAttrCache();
}

void VisitorGrid::refresh_noted_rows() {
    wxWindow* cells = GetGridWindow();
    int width = 0;
    int height = 0;
    cells->GetClientSize(&width, &height);
    const int rows = GetNumberRows();
    // Logical row tops to the cell window's own coordinates; off-screen rows cost nothing.
    const auto onScreen = [&](int logicalTop) {
        int x = 0;
        int y = 0;
        CalcScrolledPosition(0, logicalTop, &x, &y);
        return y;
    };
    for (const int row : m_changedRows) {
        if (row < 0 || row >= rows || (m_movedFrom >= 0 && row >= m_movedFrom))
            continue;
        const int top = onScreen(GetRowTop(row));
        const int rowHeight = GetRowHeight(row);
        if (top + rowHeight > 0 && top < height)
            cells->RefreshRect(wxRect(0, top, width, rowHeight));
    }
    if (m_movedFrom >= 0) {
        // Rows from there down moved up (or the last ones went): repaint to the bottom.
        const int logicalTop = m_movedFrom < rows ? GetRowTop(m_movedFrom)
                               : rows > 0         ? GetRowBottom(rows - 1)
                                                  : 0;
        const int top = std::max(0, onScreen(logicalTop));
        if (top < height)
            cells->RefreshRect(wxRect(0, top, width, height - top));
    }
}

void VisitorGrid::add_visitor(const Types::VisitorType& visitor) {
    m_all.push_back(&visitor);
    if (!passes_filter(visitor))
        return;
    m_elapsed->noteVisitor(visitor);
    m_table->append_visitors({&visitor});
    m_rowCountChanged = m_rowCountChanged || m_paintHeld;
    refresh_row(GetNumberRows() - 1);
}

void VisitorGrid::update_visitor(const wxString& key, const Types::VisitorType& visitor) {
    const std::string utf8 = Tools::toUtf8(key);
    // The record given, or else the first one known under the earlier key, is now this one.
    auto known = std::find(m_all.begin(), m_all.end(), &visitor);
    if (known == m_all.end()) {
        known = std::find_if(m_all.begin(), m_all.end(), [&](const Types::VisitorType* v) {
            return v->visitorKeyView() == utf8;
        });
    }
    if (known != m_all.end())
        *known = &visitor;
    int row = m_table->find_row_of(utf8, &visitor);
    if (row < 0)
        row = m_table->find_row(utf8);
    const bool passes = passes_filter(visitor);
    if (row < 0) {
        // Not shown: it comes in when it now passes the filter.
        // (Without a filter every known visitor has its row: a key no row has names nobody.)
        if (known != m_all.end() && passes && !m_filter.empty() &&
            m_table->find_row_of(visitor.visitorKeyView(), &visitor) < 0) {
            m_elapsed->noteVisitor(visitor);
            m_table->append_visitors({&visitor});
            m_rowCountChanged = m_rowCountChanged || m_paintHeld;
            refresh_row(GetNumberRows() - 1);
        }
        return;
    }
    if (!passes) {
        delete_row(row);
        return;
    }
    m_table->replace_visitor(row, visitor);
    m_elapsed->noteVisitor(visitor);
    refresh_row(row);
}

void VisitorGrid::forget(const Types::VisitorType* visitor) {
    const auto known = std::find(m_all.begin(), m_all.end(), visitor);
    if (known != m_all.end())
        m_all.erase(known);
}

void VisitorGrid::remove_visitor(const wxString& key) {
    const int row = find_row(key);
    if (row < 0) {
        // Not shown (filtered out): the first visitor known under the key goes.
        const std::string utf8 = Tools::toUtf8(key);
        const auto known =
            std::find_if(m_all.begin(), m_all.end(),
                         [&](const Types::VisitorType* v) { return v->visitorKeyView() == utf8; });
        if (known != m_all.end())
            m_all.erase(known);
        return;
    }
    forget(m_table->visitor_at(row));
    delete_row(row);
}

void VisitorGrid::remove_visitor(const Types::VisitorType& visitor) {
    forget(&visitor);
    const int row = m_table->find_row_of(visitor.visitorKeyView(), &visitor);
    if (row < 0) {
        return;
    }
    delete_row(row);
}

void VisitorGrid::remove_all_visitors() {
    note_all_changed();
    m_all.clear();
    m_table->remove_all();
    ClearAttrCache();
}

bool VisitorGrid::passes_filter(const Types::VisitorType& visitor) const {
    if (m_filter.empty())
        return true;
    for (const VisitorGridColumn kind : m_table->columns()) {
        if (!isIconColumn(kind) && m_filter.matches(textView(kind, visitor)))
            return true;
    }
    return false;
}

void VisitorGrid::show_filtered(bool clearFirst,
                                const std::vector<const Types::VisitorType*>& visitors) {
    if (clearFirst)
        m_all.clear();
    m_all.insert(m_all.end(), visitors.begin(), visitors.end());
    if (m_filter.empty()) {
        append_rows(visitors, clearFirst);
        return;
    }
    std::vector<const Types::VisitorType*> passing;
    for (const Types::VisitorType* visitor : visitors) {
        if (passes_filter(*visitor))
            passing.push_back(visitor);
    }
    append_rows(passing, clearFirst);
}

void VisitorGrid::set_filter(const wxString& text) {
    if (text == m_filter.text())
        return;
    m_filter = Types::TextFilter(text);
    std::vector<const Types::VisitorType*> passing;
    for (const Types::VisitorType* visitor : m_all) {
        if (passes_filter(*visitor))
            passing.push_back(visitor);
    }
    // The rows already shown are kept as they are (the first letters typed often let
    // everybody through): rebuilding thousands of rows costs more than comparing them.
    bool same = static_cast<int>(passing.size()) == GetNumberRows();
    for (size_t row = 0; same && row < passing.size(); ++row)
        same = m_table->visitor_at(static_cast<int>(row)) == passing[row];
    if (same)
        return;
    ClearSelection();
    append_rows(passing, true);
}

void VisitorGrid::append_rows(const std::vector<const Types::VisitorType*>& visitors,
                              bool clearFirst) {
    note_all_changed();
    BeginBatch();
    if (clearFirst) {
        m_table->remove_all();
    }
    const int first = GetNumberRows();
    m_table->append_visitors(visitors);
    if (m_elapsed->column() >= 0) {
        for (const Types::VisitorType* visitor : visitors)
            m_elapsed->noteVisitor(*visitor);
    }
    fit_columns(first, clearFirst);
    ClearAttrCache();
    EndBatch();
}

void VisitorGrid::show_all_visitors(const Types::VisitorList& list) {
    std::vector<const Types::VisitorType*> visitors;
    visitors.reserve(list.size());
    for (const Types::VisitorType& visitor : list) {
        visitors.push_back(&visitor);
    }
    show_filtered(true, visitors);
}

void VisitorGrid::show_site_visitors(const wxString& siteKey, const Types::VisitorList& list,
                                     bool clearFirst) {
    const std::string site = Tools::toUtf8(siteKey);
    std::vector<const Types::VisitorType*> visitors;
    for (const Types::VisitorType& visitor : list) {
        if (visitor.siteView() == site) {
            visitors.push_back(&visitor);
        }
    }
    show_filtered(clearFirst, visitors);
}

const Types::VisitorType* VisitorGrid::visitor_at(int row) const {
    return m_table->visitor_at(row);
}

wxString VisitorGrid::key_at(int row) const {
    return m_table->key_at(row);
}

int VisitorGrid::find_row(const wxString& key) const {
    return m_table->find_row(Tools::toUtf8(key));
}

wxString VisitorGrid::icon_file_at(int row, int col) const {
    const VisitorGridTable::CellLookPtr look = m_table->look_at(row, col);
    return look ? look->iconFile : wxString();
}

wxColour VisitorGrid::icon_colour_at(int row, int col) const {
    const VisitorGridTable::CellLookPtr look = m_table->look_at(row, col);
    return look ? look->colour : wxColour();
}

void VisitorGrid::hide_cursor() {
    // The grid always has a current cell; a cursor frame of width 0 is not drawn at all, so
    // no cell ever shows it (moving the cursor off the grid is ignored by the toolkit).
    SetCellHighlightPenWidth(0);
    SetCellHighlightROPenWidth(0);
}

int VisitorGrid::first_selected_row() const {
    int first = -1;
    for (const wxGridBlockCoords& block : GetSelectedBlocks()) {
        if (first < 0 || block.GetTopRow() < first) {
            first = block.GetTopRow();
        }
    }
    return first;
}

void VisitorGrid::on_key_down(wxKeyEvent& event) {
    // Arrow keys are acted on when released; consuming them here keeps the grid from moving
    // its cursor and dropping the selection.
    if (!isArrowKey(event.GetKeyCode())) {
        event.Skip();
    }
}

void VisitorGrid::on_key_up(wxKeyEvent& event) {
    switch (event.GetKeyCode()) {
        case WXK_UP:
        case WXK_NUMPAD_UP:
            move_selection(-1);
            break;
        case WXK_DOWN:
        case WXK_NUMPAD_DOWN:
            move_selection(+1);
            break;
        case WXK_LEFT:
        case WXK_NUMPAD_LEFT:
            move_column(-1);
            break;
        case WXK_RIGHT:
        case WXK_NUMPAD_RIGHT:
            move_column(+1);
            break;
        default:
            event.Skip();
            break;
    }
}

void VisitorGrid::move_selection(int step) {
    const int first = first_selected_row();
    if (first < 0) {
        return;
    }
    const int target = first + step;
    if (target < 0 || target >= GetNumberRows()) {
        return;
    }
    // A selection drawn while paint is held must not wait for rows that changed.
    note_all_changed();
    ClearSelection();
    SelectRow(target);
    if (GetNumberCols() > 0) {
        // Scroll vertically only: keep the columns the operator is looking at.
        const int col = std::max(0, GetFirstFullyVisibleColumn());
        MakeCellVisible(target, col);
    }
}

void VisitorGrid::move_column(int step) {
    if (GetNumberRows() == 0 || GetNumberCols() == 0)
        return;
    const int col = std::clamp(GetGridCursorCol() + step, 0, GetNumberCols() - 1);
    const int selected = first_selected_row();
    const int row = selected >= 0 ? selected : std::max(0, GetGridCursorRow());
    // Moving the current cell this way leaves the selected row selected.
    SetGridCursor(row, col);
    MakeCellVisible(row, col);
}

}  // namespace Tavoro
