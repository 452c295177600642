#include "widgets/VisitorGrid.h"

#include "settings/TavoroSettings.h"
#include "tools/wxStringSplitter.h"
#include "widgets/Images.h"

#include <wx/intl.h>

#include <algorithm>

namespace Tavoro {
namespace {

// Default layout: "No" before "Username", and no "IP" column.
const VisitorGridColumn kDefaultColumns[] = {
    COLUMN_ALERT,   COLUMN_ICON,    COLUMN_NUMBER,   COLUMN_USERNAME,   COLUMN_VISIT,
    COLUMN_DNS,     COLUMN_ON_PAGE, COLUMN_VIEWS,    COLUMN_START_TIME, COLUMN_LAST_TIME,
    COLUMN_BROWSER, COLUMN_OP_SYS,  COLUMN_LOCATION, COLUMN_REFERRER,
};

// Icon files of the visitor kinds, by status; slot 10 has no icon.
const wchar_t* const kVisitorIconFiles[VISITOR_ICON_SLOTS] = {
    L"Anonymous User Red.ico",
    L"Prospect New 256.gif",
    L"Anonymous User Green.ico",
    L"Anonymous User Red.ico",
    L"Anonymous User Blue.ico",
    L"Prospect 256.gif",
    L"Customer 256.gif",
    L"Customer New 256.gif",
    L"Anonymous User Red.ico",
    L"Anonymous User Blue Chat.ico",
    L"",
    L"Click Fraud Warning.ico",
};

// Space left and right of a header text, and around an icon (the renderer draws the icon one
// pixel inside the cell).
const int kLabelPadding = 12;
const int kIconPadding = 2;
// Icon width assumed when no visitor icon could be loaded.
const int kFallbackIconWidth = 16;

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

VisitorGrid::VisitorGrid(wxWindow* parent, wxWindowID id, const wxPoint& pos, const wxSize& size,
                         long style, const wxString& name)
    : wxGrid(parent, id, pos, size, style, name) {
    CreateGrid(0, 0, wxGridSelectCells);
    load_visitor_icons();
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

void VisitorGrid::load_columns() {
    BeginBatch();
    if (GetNumberCols() > 0) {
        DeleteCols(0, GetNumberCols());
    }
    m_columns.clear();

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
                append_column(kind);
            }
        }
    }
    if (m_columns.empty()) {
        set_default_columns();
    } else {
        size_columns_to_labels();
    }
    EnableEditing(false);
    EndBatch();
}

void VisitorGrid::set_default_columns() {
    if (GetNumberCols() > 0) {
        DeleteCols(0, GetNumberCols());
    }
    m_columns.clear();
    for (VisitorGridColumn kind : kDefaultColumns) {
        append_column(kind);
    }
    size_columns_to_labels();
}

void VisitorGrid::append_column(VisitorGridColumn kind) {
    AppendCols(1);
    m_columns.push_back(kind);
    SetColLabelValue(static_cast<int>(m_columns.size()) - 1, get_column_header(kind));
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
    return kVisitorIconFiles[slot];
}

void VisitorGrid::load_visitor_icons() {
    visitor_icons.assign(VISITOR_ICON_SLOTS, wxIcon());
    for (int slot = 0; slot < VISITOR_ICON_SLOTS; ++slot) {
        const wxString file = visitor_icon_file(slot);
        if (!file.empty()) {
            visitor_icons[slot] = loadIcon(file);
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
    const wxFont font = GetLabelFont();
    wxWindow* labels = GetGridColLabelWindow();
    for (int col = 0; col < GetNumberCols(); ++col) {
        int width = 0;
        int height = 0;
        labels->GetTextExtent(GetColLabelValue(col), &width, &height, nullptr, nullptr, &font);
        width += kLabelPadding;
        const VisitorGridColumn kind = m_columns[col];
        if (kind == COLUMN_ALERT || kind == COLUMN_ICON) {
            width = std::max(width, iconWidth + kIconPadding);
        }
        SetColSize(col, width);
    }
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
        case WXK_RIGHT:
        case WXK_NUMPAD_LEFT:
        case WXK_NUMPAD_RIGHT:
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
    ClearSelection();
    SelectRow(target);
    if (GetNumberCols() > 0) {
        // Scroll vertically only: keep the columns the operator is looking at.
        const int col = std::max(0, GetFirstFullyVisibleColumn());
        MakeCellVisible(target, col);
    }
}

}  // namespace Tavoro
