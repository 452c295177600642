#include "dialog/VisitDetail.h"

#include "messages/S_PREVCHATS.h"
#include "messages/S_PREVVISITS.h"
#include "messages/S_VISITDETAIL.h"
#include "tools/Placeholders.h"
#include "types/Alert.h"
#include "widgets/CellImageRenderer.h"
#include "widgets/ClientServices.h"
#include "widgets/Images.h"

#include <wx/dcclient.h>
#include <wx/grid.h>
#include <wx/intl.h>
#include <wx/notebook.h>
#include <wx/settings.h>
#include <wx/sizer.h>
#include <wx/splitter.h>

#include <algorithm>
#include <map>

namespace Tavoro::Dialog {
namespace {

// The system's fixed-width font (the default GUI font when there is none) at 80% of its
// size: the panel packs many short facts and columns into little space.
wxFont detailFont() {
    wxFont font = wxSystemSettings::GetFont(wxSYS_ANSI_FIXED_FONT);
    if (!font.IsOk()) {
        font = wxSystemSettings::GetFont(wxSYS_DEFAULT_GUI_FONT);
    }
    const float size = font.GetFractionalPointSize() * 0.8f;
    if (size > 0) {
        font.SetFractionalPointSize(size);
    }
    return font;
}

wxGrid* newGrid(wxWindow* parent, const wxString& name, int columns) {
    auto* grid =
        new wxGrid(parent, wxID_ANY, wxDefaultPosition, wxDefaultSize, wxWANTS_CHARS, name);
    grid->CreateGrid(0, columns);
    return grid;
}

void useFont(wxGrid* grid, const wxFont& font) {
    grid->SetFont(font);
    grid->SetDefaultCellFont(font);
}

void makeReadOnlyList(wxGrid* grid) {
    grid->EnableEditing(false);
    grid->SetRowLabelSize(0);
}

void deleteAllRows(wxGrid* grid) {
    if (grid->GetNumberRows() > 0) {
        grid->DeleteRows(0, grid->GetNumberRows());
    }
}

// Sizes every column to its widest text (cells and header) and makes that its minimum width.
// Only the few longest texts of a column are measured: with the panel's fixed-width font the
// longest text is the widest, and measuring every cell of a long history would stall the
// window (the toolkit's own sizing measures them all).
void fitColumnsToContents(wxGrid* grid) {
    constexpr size_t kMeasured = 4;
    constexpr int kMargin = 10;  // the room the toolkit's own sizing adds to the text
    wxClientDC dc(grid->GetGridWindow());
    const int rows = grid->GetNumberRows();
    for (int col = 0; col < grid->GetNumberCols(); ++col) {
        // The kMeasured longest cells of the column, longest first.
        std::vector<std::pair<size_t, int>> longest;
        for (int row = 0; row < rows; ++row) {
            const size_t length = grid->GetCellValue(row, col).length();
            if (length == 0) {
                continue;
            }
            if (longest.size() < kMeasured) {
                longest.emplace_back(length, row);
                std::sort(longest.rbegin(), longest.rend());
            } else if (length > longest.back().first) {
                longest.back() = {length, row};
                std::sort(longest.rbegin(), longest.rend());
            }
        }
        int width = 0;
        for (const auto& [length, row] : longest) {
            dc.SetFont(grid->GetCellFont(row, col));
            width = std::max(width, dc.GetTextExtent(grid->GetCellValue(row, col)).x);
        }
        if (grid->GetColLabelSize() > 0) {
            dc.SetFont(grid->GetLabelFont());
            width = std::max(width, dc.GetTextExtent(grid->GetColLabelValue(col)).x);
        }
        width = width > 0 ? width + kMargin : grid->GetDefaultColSize();
        grid->SetColMinimalWidth(col, width);
        grid->SetColSize(col, width);
    }
}

// The facts of a visit, keyed by translated label; the map's order (plain character codes)
// is the order of the rows.
std::map<wxString, wxString> factsOf(const Messages::S_VISITDETAIL& visit,
                                     const ClientServices* services) {
    std::map<wxString, wxString> facts;

    wxString dns;
    if (!visit.dnsNote().empty()) {
        dns = "(" + visit.dnsNote() + ") ";
    }
    if (!visit.visitField2().empty()) {
        dns += visit.visitField1();
    }
    facts[_("DNS")] = dns;
    facts[_("Started")] = visit.started();
    facts[_("Username")] = visit.username();

    wxString location = visit.locationPart0();
    if (!visit.locationPart1().empty()) {
        location += " - " + visit.locationPart1();
    }
    if (!visit.locationPart2().empty()) {
        location += " (" + visit.locationPart2() + ")";
    }
    facts[_("Location")] = location;
    facts[_("Company / ISP")] = visit.company();
    // TRANSLATORS: %VISIT_NUMBER% and %VISIT_COUNT% are replaced by this visit's number and
    // the visitor's number of visits.
    facts[_("Visit Number")] = Tools::fillPlaceholders(
        _("%VISIT_NUMBER% of %VISIT_COUNT%"),
        {{"%VISIT_NUMBER%", visit.visitNumber()}, {"%VISIT_COUNT%", visit.visitCount()}});

    // An alert id of "0" (or none at all) names no alert; an id the site does not define
    // gives no row either.
    auto alertName = [&](const wxString& alertId) -> wxString {
        if (services == nullptr || alertId.empty() || alertId == "0") {
            return wxString();
        }
        const Types::Alert* alert = services->findAlert(visit.site(), alertId);
        return alert ? alert->name : wxString();
    };
    facts[_("Entry Alert")] = alertName(visit.entryAlertId());
    if (visit.visitNumber() != "1") {
        facts[_("First Alert")] = alertName(visit.firstAlertId());
    }

    facts[_("Op System")] = visit.opSys();
    facts[_("Search Engine")] = visit.searchEngine();
    facts[_("Referrer")] = visit.referrer();
    auto unlessZero = [](const wxString& value) { return value == "0" ? wxString() : value; };
    facts[_("This Visit Revenue")] = unlessZero(visit.visitRevenue());
    facts[_("Total Revenue")] = unlessZero(visit.totalRevenue());
    facts[_("This Visit Cost")] = unlessZero(visit.visitCost());
    facts[_("Total Cost")] = unlessZero(visit.totalCost());
    facts[_("Keywords")] = visit.keywords();
    return facts;
}

}  // namespace

VisitDetail::VisitDetail(wxWindow* parent, ClientServices* services)
    : wxPanel(parent, wxID_ANY, wxDefaultPosition, wxDefaultSize, wxTAB_TRAVERSAL,
              "ID_VISITDETAIL"),
      m_services(services) {
    build_layout();
    m_notebook->Bind(wxEVT_NOTEBOOK_PAGE_CHANGED, &VisitDetail::on_page_changed, this);
    m_earlierChatsGrid->Bind(wxEVT_GRID_CELL_LEFT_DCLICK, &VisitDetail::on_chat_double_click, this);
}

VisitDetail::~VisitDetail() = default;

void VisitDetail::build_layout() {
    const wxFont font = detailFont();
    SetFont(font);

    auto* sizer = new wxBoxSizer(wxHORIZONTAL);
    m_notebook =
        new wxNotebook(this, wxID_ANY, wxDefaultPosition, wxDefaultSize, 0, "ID_NOTEBOOK1");

    // Page "Visit Detail": the facts above, the pages viewed below.
    m_splitter = new wxSplitterWindow(m_notebook, wxID_ANY, wxDefaultPosition, wxDefaultSize,
                                      wxSP_3D, "ID_SPLITTERWINDOW2");
    m_splitter->SetMinimumPaneSize(10);
    m_splitter->SetSashGravity(0.5);
    m_factGrid = newGrid(m_splitter, "ID_GRID_CURRENT", FACT_COLUMNS);
    useFont(m_factGrid, font);
    makeReadOnlyList(m_factGrid);
    m_factGrid->SetColLabelSize(0);
    m_pageGrid = newGrid(m_splitter, "ID_GRID1", PAGE_COLUMNS);
    useFont(m_pageGrid, font);
    m_splitter->SplitHorizontally(m_factGrid, m_pageGrid);

    m_earlierVisitsGrid = newGrid(m_notebook, "ID_GRID2", EARLIER_VISIT_COLUMNS);
    useFont(m_earlierVisitsGrid, font);
    makeReadOnlyList(m_earlierVisitsGrid);
    // The flag and marker columns are narrower than the toolkit's smallest column.
    m_earlierVisitsGrid->SetColMinimalAcceptableWidth(EARLIER_VISIT_MARK_WIDTH);

    m_earlierChatsGrid = newGrid(m_notebook, "ID_GRID3", EARLIER_CHAT_COLUMNS);
    makeReadOnlyList(m_earlierChatsGrid);

    m_notebook->AddPage(m_splitter, _("Visit Detail"), true);
    m_notebook->AddPage(m_earlierVisitsGrid, _("Previous Visits"), false);
    m_notebook->AddPage(m_earlierChatsGrid, _("Chats"), false);

    label_page_grid();
    label_earlier_visits_grid();
    label_earlier_chats_grid();

    sizer->Add(m_notebook, 1, wxALL | wxEXPAND, 5);
    SetSizer(sizer);
    sizer->SetSizeHints(this);
}

void VisitDetail::label_page_grid() {
    m_pageGrid->SetColLabelValue(PAGE_TIME_COLUMN, _("Time"));
    m_pageGrid->SetColLabelValue(PAGE_STATUS_COLUMN, _("Status"));
    m_pageGrid->SetColLabelValue(PAGE_TITLE_COLUMN, _("Page"));
}

void VisitDetail::label_earlier_visits_grid() {
    const wxString headers[EARLIER_VISIT_COLUMNS] = {
        // TRANSLATORS: header of the alert flag column of earlier visits (kept blank).
        _(" "),         _("I"),       _("No"),    _("Date"), _("Time"),     _("First Page"),
        _("Last Page"), _("Mins On"), _("Pages"), _("Cost"), _("Referrer"),
    };
    for (int col = 0; col < EARLIER_VISIT_COLUMNS; ++col) {
        m_earlierVisitsGrid->SetColLabelValue(col, headers[col]);
    }
}

void VisitDetail::label_earlier_chats_grid() {
    const wxString headers[EARLIER_CHAT_COLUMNS] = {
        _("Date / Time"), _("Name"), _("Chat ID"), _("User"), _("Department"), _("Duration"),
    };
    for (int col = 0; col < EARLIER_CHAT_COLUMNS; ++col) {
        m_earlierChatsGrid->SetColLabelValue(col, headers[col]);
    }
}

void VisitDetail::show_visit(std::unique_ptr<Messages::S_VISITDETAIL> visit) {
    if (!visit) {
        return;
    }
    // No page-change event: selecting the visit page asks the server nothing.
    m_notebook->ChangeSelection(PAGE_VISIT);
    m_visit = std::move(visit);
    fill_facts();
    fill_pages();
    clear_history();
}

void VisitDetail::fill_facts() {
    const std::map<wxString, wxString> facts = factsOf(*m_visit, m_services);
    wxGridUpdateLocker batch(m_factGrid);
    deleteAllRows(m_factGrid);
    for (const auto& [label, value] : facts) {
        if (value.empty()) {
            continue;
        }
        const int row = m_factGrid->GetNumberRows();
        m_factGrid->AppendRows(1);
        m_factGrid->SetCellValue(row, FACT_LABEL_COLUMN, label);
        m_factGrid->SetCellValue(row, FACT_VALUE_COLUMN, value);
    }
    fitColumnsToContents(m_factGrid);
}

void VisitDetail::fill_pages() {
    const auto& pages = m_visit->pages();
    wxGridUpdateLocker batch(m_pageGrid);
    deleteAllRows(m_pageGrid);
    if (!pages.empty()) {
        m_pageGrid->AppendRows(static_cast<int>(pages.size()));
    }
    m_pageGrid->EnableGridLines(false);
    label_page_grid();
    for (size_t i = 0; i < pages.size(); ++i) {
        const int row = static_cast<int>(i);
        m_pageGrid->SetCellValue(row, PAGE_TIME_COLUMN, pages[i].time);
        m_pageGrid->SetCellValue(row, PAGE_STATUS_COLUMN, pages[i].status);
        m_pageGrid->SetCellValue(row, PAGE_TITLE_COLUMN,
                                 pages[i].title.empty() ? pages[i].url : pages[i].title);
    }
    fitColumnsToContents(m_pageGrid);
}

void VisitDetail::clear_history() {
    {
        wxGridUpdateLocker batch(m_earlierVisitsGrid);
        deleteAllRows(m_earlierVisitsGrid);
    }
    {
        wxGridUpdateLocker batch(m_earlierChatsGrid);
        deleteAllRows(m_earlierChatsGrid);
    }
    m_prevVisits.reset();
    m_prevChats.reset();
    m_visitsLoaded = false;
    m_chatsLoaded = false;
    m_visitsRequested = false;
    m_chatsRequested = false;
}

void VisitDetail::on_page_changed(wxBookCtrlEvent& event) {
    event.Skip();
    // Only the notebook's own changes; nested book controls do not exist here, but a page
    // change event of another control must not trigger requests.
    if (event.GetEventObject() != m_notebook) {
        return;
    }
    switch (event.GetSelection()) {
        case PAGE_PREVIOUS_VISITS:
            request_prev_visits();
            break;
        case PAGE_CHATS:
            request_prev_chats();
            break;
        default:
            break;
    }
}

void VisitDetail::request_prev_visits() {
    // Without a visit there is nobody to ask about. An unanswered request is sent again, once
    // for each selection of the page: its reply may have been dropped on the way (the owner
    // drops replies for a visitor it no longer shows), and nothing else would ever ask again.
    if (!m_visit || m_services == nullptr || m_visitsLoaded) {
        return;
    }
    m_services->requestPrevVisits(m_visit->site(), m_visit->visitField1(), m_visit->username());
    if (m_visitsRequested) {
        return;  // "Requesting..." is already shown
    }
    m_visitsRequested = true;
    wxGridUpdateLocker batch(m_earlierVisitsGrid);
    deleteAllRows(m_earlierVisitsGrid);
    m_earlierVisitsGrid->AppendRows(1);
    m_earlierVisitsGrid->SetCellValue(0, REQUESTING_COLUMN, _("Requesting..."));
}

void VisitDetail::request_prev_chats() {
    // As for the earlier visits: asked again on each selection until the reply arrives.
    if (!m_visit || m_services == nullptr || m_chatsLoaded) {
        return;
    }
    m_services->requestPrevChats(m_visit->site(), m_visit->visitField1());
    if (m_chatsRequested) {
        return;
    }
    m_chatsRequested = true;
    wxGridUpdateLocker batch(m_earlierChatsGrid);
    deleteAllRows(m_earlierChatsGrid);
    m_earlierChatsGrid->AppendRows(1);
    m_earlierChatsGrid->SetCellValue(0, REQUESTING_COLUMN, _("Requesting..."));
}

void VisitDetail::show_prev_visits(std::unique_ptr<Messages::S_PREVVISITS> visits) {
    if (!visits) {
        return;
    }
    if (m_visit &&
        (visits->site() != m_visit->site() || visits->ipAddress() != m_visit->visitField1())) {
        return;
    }
    m_prevVisits = std::move(visits);
    const auto& list = m_prevVisits->visits();

    wxGridUpdateLocker batch(m_earlierVisitsGrid);
    deleteAllRows(m_earlierVisitsGrid);
    if (!list.empty()) {
        m_earlierVisitsGrid->AppendRows(static_cast<int>(list.size()));
    }
    // The same few flag icons recur on many rows: load each file once.
    std::map<wxString, wxIcon> icons;
    for (size_t i = 0; i < list.size(); ++i) {
        const int row = static_cast<int>(i);
        const Types::PrevVisitType& visit = list[i];
        const Types::Alert* alert =
            m_services ? m_services->findAlert(m_prevVisits->site(), visit.alertId) : nullptr;
        if (alert != nullptr) {
            auto icon = icons.find(alert->iconFileName);
            if (icon == icons.end()) {
                icon = icons
                           .emplace(alert->iconFileName,
                                    alert->iconFileName.empty()
                                        ? wxIcon()
                                        : loadIcon(alert->iconFileName, wxSize(16, 16)))
                           .first;
            }
            const wxBrush brush = alert->hasColour
                                      ? wxBrush(wxColour(alert->red, alert->green, alert->blue))
                                      : *wxWHITE_BRUSH;
            m_earlierVisitsGrid->SetCellRenderer(row, EARLIER_VISIT_FLAG_COLUMN,
                                                 new CellImageRenderer(icon->second, brush));
        }
        m_earlierVisitsGrid->SetCellValue(row, EARLIER_VISIT_MARK_COLUMN, _("I"));
        m_earlierVisitsGrid->SetCellValue(row, EARLIER_VISIT_NUMBER_COLUMN, visit.visitNumber);
        m_earlierVisitsGrid->SetCellValue(row, EARLIER_VISIT_DATE_COLUMN, visit.date);
        m_earlierVisitsGrid->SetCellValue(row, EARLIER_VISIT_TIME_COLUMN, visit.time);
        m_earlierVisitsGrid->SetCellValue(row, EARLIER_VISIT_FIRST_PAGE_COLUMN, visit.firstPage);
        m_earlierVisitsGrid->SetCellValue(row, EARLIER_VISIT_LAST_PAGE_COLUMN, visit.lastPage);
        m_earlierVisitsGrid->SetCellValue(row, EARLIER_VISIT_MINS_ON_COLUMN, visit.minsOn);
        m_earlierVisitsGrid->SetCellValue(row, EARLIER_VISIT_PAGES_COLUMN, visit.pages);
        m_earlierVisitsGrid->SetCellValue(row, EARLIER_VISIT_REFERRER_COLUMN, visit.referrer);
    }
    fitColumnsToContents(m_earlierVisitsGrid);
    for (int col : {EARLIER_VISIT_FLAG_COLUMN, EARLIER_VISIT_MARK_COLUMN}) {
        m_earlierVisitsGrid->SetColMinimalWidth(col, EARLIER_VISIT_MARK_WIDTH);
        m_earlierVisitsGrid->SetColSize(col, EARLIER_VISIT_MARK_WIDTH);
    }
    m_visitsLoaded = true;
}

void VisitDetail::show_prev_chats(std::unique_ptr<Messages::S_PREVCHATS> chats) {
    if (!chats) {
        return;
    }
    if (m_visit &&
        (chats->site() != m_visit->site() || chats->ipAddress() != m_visit->visitField1())) {
        return;
    }
    m_prevChats = std::move(chats);
    const auto& list = m_prevChats->chats();

    wxGridUpdateLocker batch(m_earlierChatsGrid);
    deleteAllRows(m_earlierChatsGrid);
    if (!list.empty()) {
        m_earlierChatsGrid->AppendRows(static_cast<int>(list.size()));
    }
    for (size_t i = 0; i < list.size(); ++i) {
        const int row = static_cast<int>(i);
        const Types::PrevChatType& chat = list[i];
        m_earlierChatsGrid->SetCellValue(row, EARLIER_CHAT_DATE_TIME_COLUMN, chat.dateTime);
        m_earlierChatsGrid->SetCellValue(row, EARLIER_CHAT_NAME_COLUMN, chat.name);
        m_earlierChatsGrid->SetCellValue(row, EARLIER_CHAT_ID_COLUMN, chat.chatId);
        m_earlierChatsGrid->SetCellValue(row, EARLIER_CHAT_USER_COLUMN, chat.user);
        m_earlierChatsGrid->SetCellValue(row, EARLIER_CHAT_DEPARTMENT_COLUMN, chat.department);
        m_earlierChatsGrid->SetCellValue(row, EARLIER_CHAT_DURATION_COLUMN, chat.duration);
    }
    fitColumnsToContents(m_earlierChatsGrid);
    m_chatsLoaded = true;
}

void VisitDetail::on_chat_double_click(wxGridEvent& event) {
    open_prev_chat(event.GetRow());
}

void VisitDetail::open_prev_chat(int row) {
    // The rows are the held earlier chats, so their reply's site key names the site even in a
    // chat window that has no visit detail yet.
    if (!m_prevChats || m_services == nullptr || row < 0 || row >= m_prevChats->count() ||
        row >= m_earlierChatsGrid->GetNumberRows()) {
        return;
    }
    const wxString chatId = m_earlierChatsGrid->GetCellValue(row, EARLIER_CHAT_ID_COLUMN);
    if (chatId.empty()) {
        return;
    }
    m_services->requestPrevChat(m_prevChats->site(), chatId);
}

std::vector<std::pair<wxString, wxString>> VisitDetail::facts() const {
    std::vector<std::pair<wxString, wxString>> rows;
    for (int row = 0; row < m_factGrid->GetNumberRows(); ++row) {
        rows.emplace_back(m_factGrid->GetCellValue(row, FACT_LABEL_COLUMN),
                          m_factGrid->GetCellValue(row, FACT_VALUE_COLUMN));
    }
    return rows;
}

}  // namespace Tavoro::Dialog
