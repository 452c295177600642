// The visitor grid's rows: cell texts and icons from real visitor lines, alert flags, the
// key-to-row index through adds, updates, removals and duplicates, site and group displays,
// column widths after a rebuild, and timings with ten thousand visitors.
#include <gtest/gtest.h>

#include <wx/dcmemory.h>
#include <wx/ffile.h>
#include <wx/frame.h>
#include <wx/stopwatch.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <memory>
#include <random>
#include <vector>

#include "GuiTestUtil.h"
#include "NullServices.h"
#include "TempDir.h"
#include "messages/S_EV.h"
#include "messages/TavoroMessage.h"
#include "settings/TavoroSettings.h"
#include "types/Alert.h"
#include "types/VisitorList.h"
#include "types/VisitorType.h"
#include "widgets/CellImageRenderer.h"
#include "widgets/ClientServices.h"
#include "widgets/ElapsedColumn.h"
#include "widgets/VisitorGrid.h"
#include "widgets/VisitorGridTable.h"

using namespace Tavoro;
using Tavoro::Test::TempDir;
using Types::Alert;
using Types::VisitorList;
using Types::VisitorType;

namespace {

// The main window's alert lookup over a small table of sites and their alert lines.
class FakeServices : public Tavoro::Test::NullServices {
  public:
    void addAlert(const wxString& site, const wxString& record) {
        m_alerts[site].push_back(std::make_unique<Alert>(record));
    }
    void dropAlerts() { m_alerts.clear(); }
    int lookups = 0;

    const Alert* findAlert(const wxString& siteKey, const wxString& alertId) const override {
        ++const_cast<FakeServices*>(this)->lookups;
        const auto site = m_alerts.find(siteKey);
        if (site == m_alerts.end())
            return nullptr;
        for (const auto& alert : site->second) {
            if (alert->alertId == alertId)
                return alert.get();
        }
        return nullptr;
    }

  private:
    std::map<wxString, std::vector<std::unique_ptr<Alert>>> m_alerts;
};

// The fields of a visitor line as the server sends them; unset fields are "x<index>".
struct Line {
    wxString key = "S1:10.0.0.1:t";
    wxString number = "1";
    wxString visit = "1";
    wxString alert;
    wxString flags = "NNNNNNNNNNNNN";
    wxString username = "u";
    wxString location = "x19";
    wxString referrer = "x20";

    wxString text() const {
        const std::map<unsigned, wxString> set{{0, key},       {1, number},   {2, visit},
                                               {3, alert},     {8, username}, {14, flags},
                                               {19, location}, {20, referrer}};
        wxString line;
        for (unsigned i = 0; i < 22; ++i) {
            const auto field = set.find(i);
            line << (i > 0 ? "\t" : "")
                 << (field != set.end() ? field->second : wxString::Format("x%u", i));
        }
        return line;
    }
};

std::unique_ptr<VisitorType> visitorWithKey(const wxString& key, const wxString& username = "u") {
    Line line;
    line.key = key;
    line.username = username;
    return std::make_unique<VisitorType>(line.text());
}

class VisitorGridTest : public ::testing::Test {
  protected:
    void SetUp() override {
        wxSetEnv("TAVORO_SETTINGS_FILE", m_dir.file("settings"));
        disposeSettings();
        m_frame = new wxFrame(nullptr, wxID_ANY, "grid", wxDefaultPosition, wxSize(900, 500));
        m_frame->Show();
    }
    void TearDown() override {
        // The visitor records of a test are gone by now: no grid may paint them.
        for (wxWindow* child : m_frame->GetChildren()) {
            if (auto* grid = dynamic_cast<VisitorGrid*>(child))
                grid->remove_all_visitors();
        }
        m_frame->Destroy();
        Tavoro::Test::pumpEvents(20);
        disposeSettings();
    }
    VisitorGrid* makeGrid() {
        auto* grid = new VisitorGrid(m_frame, wxID_ANY);
        m_frame->SendSizeEvent();
        return grid;
    }
    int columnOf(VisitorGrid* grid, VisitorGridColumn kind) {
        const auto& kinds = grid->columns();
        const auto at = std::find(kinds.begin(), kinds.end(), kind);
        return at == kinds.end() ? -1 : static_cast<int>(at - kinds.begin());
    }
    // The grid's rows as the visitor keys they show, read through the records.
    std::vector<wxString> shownKeys(VisitorGrid* grid) {
        std::vector<wxString> keys;
        for (int row = 0; row < grid->GetNumberRows(); ++row) {
            const VisitorType* visitor = grid->visitor_at(row);
            keys.push_back(visitor ? visitor->visitorKey() : wxString("<none>"));
        }
        return keys;
    }

    TempDir m_dir;
    wxFrame* m_frame = nullptr;
};

const wxString kFullLine =
    "S1:10.0.0.1:abc\t42\t1\t7\t5\tt5\thost.example.net\tt7\tann\t/index.html\tt10\t12:30:05\t"
    "Firefox\tLinux\tNNNNNNNNNNNNN\tt15\tt16\tt17\tt18\tBerlin, DE\tengine/search?q=red+shoes\t"
    "12:01:00";

struct TextCase {
    VisitorGridColumn kind;
    const char* text;
};

TEST_F(VisitorGridTest, CellTextsFollowTheColumnsOfDefaultAndStoredLayouts) {
    const std::vector<TextCase> texts{
        {COLUMN_USERNAME, "ann"},
        {COLUMN_NUMBER, "42"},
        {COLUMN_VISIT, "1"},
        {COLUMN_DNS, "host.example.net"},
        {COLUMN_IP, "10.0.0.1"},
        {COLUMN_ON_PAGE, "/index.html"},
        {COLUMN_VIEWS, "5"},
        {COLUMN_START_TIME, "12:01:00"},
        {COLUMN_LAST_TIME, "12:30:05"},
        {COLUMN_BROWSER, "Firefox"},
        {COLUMN_OP_SYS, "Linux"},
        {COLUMN_LOCATION, "Berlin, DE"},
        {COLUMN_REFERRER, "engine/search?q=red+shoes"},
        {COLUMN_ALERT, "F"},
        {COLUMN_ICON, "T"},
    };
    const VisitorType visitor(kFullLine);
    for (const TextCase& t : texts) {
        EXPECT_EQ(VisitorGrid::get_visitor_info(t.kind, visitor), t.text) << t.kind;
    }
    // A record that left a field empty shows nothing there.
    Line sparse;
    sparse.key = "S1";
    EXPECT_EQ(VisitorGrid::get_visitor_info(COLUMN_IP, VisitorType(sparse.text())), "");

    for (const char* layout : {"", "6|2|14|3|0|1", "13|9"}) {
        SCOPED_TRACE(layout);
        disposeSettings();
        if (*layout) {
            wxFFile(m_dir.file("settings"), "w")
                .Write(wxString("[Layout/VisitorList]\nColumns=") + layout + "\n");
        }
        VisitorGrid* grid = makeGrid();
        grid->add_visitor(visitor);
        ASSERT_EQ(grid->GetNumberRows(), 1);
        for (int col = 0; col < grid->GetNumberCols(); ++col) {
            const VisitorGridColumn kind = grid->columns()[col];
            const auto t = std::find_if(texts.begin(), texts.end(),
                                        [&](const TextCase& c) { return c.kind == kind; });
            // Icon cells carry no text: their renderer draws the icon.
            const wxString expected =
                kind == COLUMN_ALERT || kind == COLUMN_ICON ? wxString() : wxString(t->text);
            EXPECT_EQ(grid->GetCellValue(0, col), expected) << "column " << col;
        }
        grid->Destroy();
    }
}

// With "Show Elapsed Time" set, an "Elapsed" column follows "Start Time" and counts each
// visitor's time on the site by the server's clock (the latest page view stamp seen), once a
// second repainting that column's cells on screen and nothing more; without it, no column and
// no timer.
TEST_F(VisitorGridTest, ElapsedColumnCountsTimeOnTheSiteByTheServersClock) {
    wxFFile(m_dir.file("settings"), "w").Write("[Options]\nElapsedTime=yes\n");
    VisitorGrid* grid = makeGrid();
    const int elapsed = columnOf(grid, COLUMN_ELAPSED);
    ASSERT_EQ(elapsed, columnOf(grid, COLUMN_START_TIME) + 1);
    EXPECT_EQ(grid->GetColLabelValue(elapsed), "Elapsed");
    EXPECT_TRUE(grid->elapsed().isTicking());
    long long now = 1'000'000;
    grid->elapsed().clock = [&] { return now; };

    // Started 12:01:00, last page view 12:30:05: 29 minutes 5 seconds so far by the server.
    const VisitorType first(kFullLine);
    grid->add_visitor(first);
    EXPECT_EQ(grid->GetCellValue(0, elapsed), "29:05");
    now += 3'600'000;
    EXPECT_EQ(grid->GetCellValue(0, elapsed), "1:29:05");
    // An earlier page view of another visitor does not turn the clock back; a later one moves
    // it on.
    Line early;
    early.key = "S1:10.0.0.2:t";
    wxString line = early.text();
    line.Replace("x11", "11:00:00");
    line.Replace("x21", "10:59:00");
    const VisitorType second(line);
    grid->add_visitor(second);
    EXPECT_EQ(grid->GetCellValue(1, elapsed), "2:31:05");
    // Past midnight on the server, a visit started before it keeps counting.
    line.Replace("11:00:00", "00:00:30");
    VisitorType third(line);
    grid->add_visitor(third);
    EXPECT_EQ(grid->GetCellValue(0, elapsed), "11:59:30");

    // The repainted part is the elapsed column's cells of the rows on screen.
    const wxRect cells = grid->elapsed().visibleCellsRect();
    const wxRect column = grid->CellToRect(0, elapsed);
    int x = 0, y = 0;
    grid->CalcScrolledPosition(column.x, column.y, &x, &y);
    EXPECT_EQ(cells.x, x);
    EXPECT_EQ(cells.width, column.width);
    EXPECT_EQ(cells.height, 3 * column.height);
    grid->remove_all_visitors();
    grid->Destroy();

    disposeSettings();
    wxFFile(m_dir.file("settings"), "w").Write("[Options]\nElapsedTime=no\n");
    grid = makeGrid();
    EXPECT_EQ(columnOf(grid, COLUMN_ELAPSED), -1);
    EXPECT_FALSE(grid->elapsed().isTicking());
    // A stored layout cannot ask for it either.
    VisitorGridColumn kind = COLUMN_ALERT;
    EXPECT_FALSE(VisitorGrid::parse_column_kind("15", &kind));
    grid->Destroy();
}

struct KindCase {
    const char* what;
    const char* flags;
    const char* visit;
    const char* file;
};

TEST_F(VisitorGridTest, KindIconFollowsTheVisitorsStatus) {
    const std::vector<KindCase> cases{
        {"no flag, first visit", "NNNNNNNNNNNNN", "1", "Anonymous User Green.ico"},
        {"no flag, second visit", "NNNNNNNNNNNNN", "2", "Anonymous User Blue.ico"},
        {"no flag, visit text 01", "NNNNNNNNNNNNN", "01", "Anonymous User Blue.ico"},
        {"flags 3 and 5", "NNNYNYNNNNNNN", "1", "Anonymous User Blue Chat.ico"},
        {"flag 0 wins over all", "YYYYYYYYYYYYY", "1", "Anonymous User Red.ico"},
        {"flag 1", "NYNNNNNNNNNNN", "1", "Anonymous User Red.ico"},
        {"flag 2", "NNYNNNNNNNNNN", "1", "Anonymous User Red.ico"},
        {"flag 4", "NNNNYNNNNNNNN", "1", "Prospect 256.gif"},
        {"flag 5", "NNNNNYNNNNNNN", "1", "Prospect New 256.gif"},
        {"flag 6", "NNNNNNYNNNNNN", "1", "Customer 256.gif"},
        {"flags 6 and 7", "NNNNNNYYNNNNN", "1", "Customer New 256.gif"},
        {"lower-case y is no flag", "nnnynnnnnnnnn", "3", "Anonymous User Blue.ico"},
    };
    VisitorGrid* grid = makeGrid();
    std::vector<std::unique_ptr<VisitorType>> visitors;
    for (size_t i = 0; i < cases.size(); ++i) {
        Line line;
        line.key = wxString::Format("S1:10.0.0.%zu:t", i);
        line.flags = cases[i].flags;
        line.visit = cases[i].visit;
        visitors.push_back(std::make_unique<VisitorType>(line.text()));
        grid->add_visitor(*visitors.back());
    }
    const int iconCol = columnOf(grid, COLUMN_ICON);
    const int textCol = columnOf(grid, COLUMN_USERNAME);
    for (size_t i = 0; i < cases.size(); ++i) {
        SCOPED_TRACE(cases[i].what);
        const int row = static_cast<int>(i);
        EXPECT_EQ(grid->icon_file_at(row, iconCol), cases[i].file);
        wxGridCellRenderer* renderer = grid->GetCellRenderer(row, iconCol);
        auto* image = dynamic_cast<CellImageRenderer*>(renderer);
        ASSERT_NE(image, nullptr);
        ASSERT_TRUE(image->icon().IsOk());
        EXPECT_EQ(image->icon().GetSize(), wxSize(16, 16));  // the small image of the file
        EXPECT_EQ(image->background().GetColour(), *wxWHITE);
        renderer->DecRef();
        EXPECT_EQ(grid->icon_file_at(row, textCol), "");
    }
    // Visitors of the same kind share one renderer rather than one each.
    wxGridCellRenderer* first = grid->GetCellRenderer(1, iconCol);
    wxGridCellRenderer* second = grid->GetCellRenderer(11, iconCol);
    EXPECT_EQ(first, second);
    first->DecRef();
    second->DecRef();
    wxGridCellRenderer* text = grid->GetCellRenderer(0, textCol);
    EXPECT_EQ(dynamic_cast<CellImageRenderer*>(text), nullptr);
    text->DecRef();
    // Painting the rows draws through those renderers.
    grid->Refresh();
    grid->Update();
}

struct AlertCase {
    const char* what;
    const char* key;
    const char* alert;
    const char* file;  // "" for no flag
    wxColour colour;   // invalid: white background
};

TEST_F(VisitorGridTest, AlertFlagShownOnlyForAKnownSiteAndAlert) {
    FakeServices services;
    services.addAlert("S1", "7|Hot|255|3");
    services.addAlert("S1", "9|Cold|0|1");
    services.addAlert("S1", "|Blank|65280|2");
    services.addAlert("S1", "4|Odd|16711680|77");
    services.addAlert("S2", "7|Other|65280|2");
    const std::vector<AlertCase> cases{
        {"red flag on red", "S1:a:t", "7", "Red Flag.ico", wxColour(255, 0, 0)},
        {"no colour: white", "S1:b:t", "9", "Blue Flag.ico", wxColour()},
        {"same id, other site", "S2:c:t", "7", "Green Flag.ico", wxColour(0, 255, 0)},
        {"unknown kind: no-flag icon", "S1:d:t", "4", "No Flag.ico", wxColour(0, 0, 255)},
        {"unknown alert", "S1:e:t", "8", "", wxColour()},
        {"unknown site", "S3:f:t", "7", "", wxColour()},
        {"no raised alert, though an alert has an empty id", "S1:g:t", "", "", wxColour()},
        {"alert id compares exactly", "S1:h:t", "07", "", wxColour()},
    };
    VisitorGrid* grid = makeGrid();
    grid->set_services(&services);
    std::vector<std::unique_ptr<VisitorType>> visitors;
    for (const AlertCase& c : cases) {
        Line line;
        line.key = c.key;
        line.alert = c.alert;
        visitors.push_back(std::make_unique<VisitorType>(line.text()));
        grid->add_visitor(*visitors.back());
    }
    const int alertCol = columnOf(grid, COLUMN_ALERT);
    for (size_t i = 0; i < cases.size(); ++i) {
        SCOPED_TRACE(cases[i].what);
        const int row = static_cast<int>(i);
        EXPECT_EQ(grid->icon_file_at(row, alertCol), cases[i].file);
        EXPECT_EQ(grid->icon_colour_at(row, alertCol), cases[i].colour);
        wxGridCellRenderer* renderer = grid->GetCellRenderer(row, alertCol);
        auto* image = dynamic_cast<CellImageRenderer*>(renderer);
        EXPECT_EQ(image != nullptr, *cases[i].file != '\0');
        if (image) {
            EXPECT_EQ(image->icon().GetSize(), wxSize(16, 16));
            EXPECT_EQ(image->background().GetColour(),
                      cases[i].colour.IsOk() ? cases[i].colour : *wxWHITE);
        }
        renderer->DecRef();
    }

    // The flag is kept as values: the site's alert records may be replaced or freed while the
    // row stays, and the row still paints its flag.
    services.dropAlerts();
    EXPECT_EQ(grid->icon_file_at(0, alertCol), "Red Flag.ico");
    grid->Refresh();
    grid->Update();

    // A row filled again shows its visitor's alert now: none once the alert is gone.
    grid->update_visitor("S1:a:t", *visitors[0]);
    EXPECT_EQ(grid->icon_file_at(0, alertCol), "");

    // Without services no row has a flag.
    VisitorGrid* bare = makeGrid();
    bare->add_visitor(*visitors[0]);
    EXPECT_EQ(bare->icon_file_at(0, columnOf(bare, COLUMN_ALERT)), "");
}

// The grid's cells from the top left as it paints them (no labels, no lines).
wxImage renderCells(wxGrid* grid, int lastRow) {
    const wxRect area = grid->CellToRect(lastRow, grid->GetNumberCols() - 1);
    wxBitmap target(area.GetRight() + 1, area.GetBottom() + 1, 24);
    {
        wxMemoryDC dc(target);
        dc.SetBackground(*wxBLACK_BRUSH);
        dc.Clear();
        grid->Render(dc, wxPoint(0, 0), wxDefaultSize, wxGridCellCoords(0, 0),
                     wxGridCellCoords(lastRow, grid->GetNumberCols() - 1), 0);
    }
    return target.ConvertToImage();
}

wxColour pixel(const wxImage& image, int x, int y) {
    return wxColour(image.GetRed(x, y), image.GetGreen(x, y), image.GetBlue(x, y));
}

// Pixels of an icon cell's icon area that are not white.
int iconPixels(const wxImage& image, const wxRect& cell) {
    int count = 0;
    for (int y = cell.y + 1; y < cell.y + 17; ++y) {
        for (int x = cell.x + 1; x < cell.x + 17; ++x) {
            count += pixel(image, x, y) != *wxWHITE;
        }
    }
    return count;
}

TEST_F(VisitorGridTest, PaintedRowsShowKindIconsAndFlagsOnTheAlertColour) {
    FakeServices services;
    services.addAlert("S1", "7|Hot|16744448|3");  // 0xFF8000: blue 255, green 128, red 0
    VisitorGrid* grid = makeGrid();
    grid->set_services(&services);
    Line line;
    line.key = "S1:a:t";
    line.alert = "7";
    const VisitorType flagged(line.text());
    line.key = "S1:b:t";
    line.alert = "";
    const VisitorType plain(line.text());
    grid->add_visitor(flagged);
    grid->add_visitor(plain);
    ASSERT_GE(grid->GetRowSize(0), 20);  // room below the icon for the background

    const wxImage cells = renderCells(grid, 1);
    const wxRect flag = grid->CellToRect(0, columnOf(grid, COLUMN_ALERT));
    const wxRect noFlag = grid->CellToRect(1, columnOf(grid, COLUMN_ALERT));
    const wxRect kind = grid->CellToRect(1, columnOf(grid, COLUMN_ICON));
    const wxPoint belowIcon(8, flag.height - 3);
    EXPECT_EQ(pixel(cells, flag.x + belowIcon.x, flag.y + belowIcon.y), wxColour(0, 128, 255));
    EXPECT_GT(iconPixels(cells, flag), 20);
    EXPECT_EQ(pixel(cells, noFlag.x + belowIcon.x, noFlag.y + belowIcon.y), *wxWHITE);
    EXPECT_EQ(iconPixels(cells, noFlag), 0);
    EXPECT_GT(iconPixels(cells, kind), 20);
}

TEST_F(VisitorGridTest, RowsShowingOneAlertLookShareOneRenderer) {
    FakeServices services;
    services.addAlert("S1", "7|Hot|255|3");
    services.addAlert("S1", "8|Warm|255|3");  // same flag and colour as 7
    services.addAlert("S1", "9|Cool|254|3");
    VisitorGrid* grid = makeGrid();
    grid->set_services(&services);
    std::vector<std::unique_ptr<VisitorType>> visitors;
    for (const char* alert : {"7", "7", "8", "9"}) {
        Line line;
        line.key = wxString::Format("S1:%zu:t", visitors.size());
        line.alert = alert;
        visitors.push_back(std::make_unique<VisitorType>(line.text()));
        grid->add_visitor(*visitors.back());
    }
    const int col = columnOf(grid, COLUMN_ALERT);
    std::vector<wxGridCellRenderer*> renderers;
    for (int row = 0; row < 4; ++row) {
        renderers.push_back(grid->GetCellRenderer(row, col));
    }
    EXPECT_EQ(renderers[0], renderers[1]);
    EXPECT_EQ(renderers[0], renderers[2]);  // another alert that looks the same
    EXPECT_NE(renderers[0], renderers[3]);  // another colour
    for (wxGridCellRenderer* r : renderers) {
        r->DecRef();
    }
}

TEST_F(VisitorGridTest, AddUpdateRemoveKeepTheKeyToRowMapping) {
    VisitorGrid* grid = makeGrid();
    std::vector<std::unique_ptr<VisitorType>> visitors;
    for (const char* key : {"S1:a:t", "S1:b:t", "S1:c:t", "S1:d:t", "S1:e:t"}) {
        visitors.push_back(visitorWithKey(key));
        grid->add_visitor(*visitors.back());
    }
    const int user = columnOf(grid, COLUMN_USERNAME);
    grid->remove_visitor("S1:c:t");
    EXPECT_EQ(shownKeys(grid), (std::vector<wxString>{"S1:a:t", "S1:b:t", "S1:d:t", "S1:e:t"}));
    EXPECT_EQ(grid->find_row("S1:d:t"), 2);
    EXPECT_EQ(grid->find_row("S1:e:t"), 3);
    EXPECT_EQ(grid->find_row("S1:c:t"), -1);

    // A later row is updated where it now is.
    const auto renamed = visitorWithKey("S1:e:t", "eve");
    grid->update_visitor("S1:e:t", *renamed);
    EXPECT_EQ(grid->GetCellValue(3, user), "eve");
    EXPECT_EQ(grid->visitor_at(3), renamed.get());
    EXPECT_EQ(grid->GetCellValue(2, user), "u");

    // Keys that no row has change nothing.
    grid->update_visitor("S1:c:t", *renamed);
    grid->remove_visitor("S1:zz:t");
    grid->remove_visitor("");
    EXPECT_EQ(shownKeys(grid), (std::vector<wxString>{"S1:a:t", "S1:b:t", "S1:d:t", "S1:e:t"}));
    EXPECT_EQ(grid->visitor_at(3), renamed.get());

    // The first and the last row.
    grid->remove_visitor("S1:a:t");
    grid->remove_visitor("S1:e:t");
    EXPECT_EQ(shownKeys(grid), (std::vector<wxString>{"S1:b:t", "S1:d:t"}));
    EXPECT_EQ(grid->find_row("S1:d:t"), 1);
    EXPECT_EQ(grid->key_at(0), "S1:b:t");
    EXPECT_TRUE(grid->table()->is_consistent());
}

TEST_F(VisitorGridTest, AnEventThatChangesTheKeyMovesTheRowToTheNewKey) {
    // As the main window does it: the list updates its record in place, then the grid is told
    // the key the row had before.
    VisitorList list;
    Line line;
    line.key = "S1:10.0.0.1:old";
    line.number = "5";
    list.append(std::make_unique<VisitorType>(line.text()));
    line.key = "S1:10.0.0.2:x";
    line.number = "6";
    list.append(std::make_unique<VisitorType>(line.text()));
    VisitorGrid* grid = makeGrid();
    grid->show_all_visitors(list);

    line.key = "S1:10.0.0.1:new";
    line.number = "5";
    line.username = "renamed";
    const VisitorList::EventOutcome outcome =
        list.applyEvent(Messages::S_EV(Messages::TavoroMessage(Messages::MK_EV, line.text())));
    ASSERT_FALSE(outcome.added);
    ASSERT_EQ(outcome.previousKey, "S1:10.0.0.1:old");
    grid->update_visitor(outcome.previousKey, *outcome.visitor);

    EXPECT_EQ(grid->find_row("S1:10.0.0.1:new"), 0);
    EXPECT_EQ(grid->find_row("S1:10.0.0.1:old"), -1);
    EXPECT_EQ(grid->key_at(0), "S1:10.0.0.1:new");
    EXPECT_EQ(grid->GetCellValue(0, columnOf(grid, COLUMN_USERNAME)), "renamed");
    // The visitor leaving under its new key takes the right row away.
    grid->remove_visitor("S1:10.0.0.1:new");
    EXPECT_EQ(shownKeys(grid), std::vector<wxString>{"S1:10.0.0.2:x"});
    EXPECT_TRUE(grid->table()->is_consistent());
}

TEST_F(VisitorGridTest, DuplicateKeysActOnTheFirstRow) {
    VisitorGrid* grid = makeGrid();
    std::vector<std::unique_ptr<VisitorType>> visitors;
    int n = 0;
    for (const char* key : {"A", "B", "A", "C", "A"}) {
        visitors.push_back(visitorWithKey(wxString("S1:") + key, wxString::Format("v%d", n++)));
        grid->add_visitor(*visitors.back());
    }
    const int user = columnOf(grid, COLUMN_USERNAME);
    EXPECT_EQ(grid->find_row("S1:A"), 0);

    const auto updated = visitorWithKey("S1:A", "first");
    grid->update_visitor("S1:A", *updated);
    EXPECT_EQ(grid->GetCellValue(0, user), "first");
    EXPECT_EQ(grid->GetCellValue(2, user), "v2");
    EXPECT_EQ(grid->GetCellValue(4, user), "v4");

    grid->remove_visitor("S1:A");  // row 0 goes; the A of row 2 is now first, at row 1
    EXPECT_EQ(grid->find_row("S1:A"), 1);
    EXPECT_EQ(grid->GetCellValue(1, user), "v2");
    grid->remove_visitor("S1:A");
    EXPECT_EQ(grid->find_row("S1:A"), 2);
    EXPECT_EQ(grid->GetCellValue(2, user), "v4");

    // The first A taking another key leaves the later one as the key's first row, and taking
    // the key back puts it in front again.
    auto rekeyed = visitorWithKey("S1:Z", "z");
    grid->add_visitor(*visitors[0]);  // rows: B C A(v4) A(v0)
    grid->update_visitor("S1:A", *rekeyed);
    EXPECT_EQ(grid->find_row("S1:A"), 3);
    EXPECT_EQ(grid->find_row("S1:Z"), 2);
    grid->update_visitor("S1:Z", *visitors[4]);
    EXPECT_EQ(grid->find_row("S1:A"), 2);
    grid->remove_visitor("S1:A");
    EXPECT_EQ(grid->find_row("S1:A"), 2);
    EXPECT_EQ(grid->visitor_at(2), visitors[0].get());
    EXPECT_TRUE(grid->table()->is_consistent());
}

TEST_F(VisitorGridTest, RandomEditsMatchARowByRowSearch) {
    // Few keys, many rows: duplicates everywhere. After every step the index answers as a
    // search from the top would.
    VisitorGrid* grid = makeGrid();
    std::vector<std::unique_ptr<VisitorType>> records;
    const std::vector<wxString> keys{"S1:a", "S1:b", "S1:c", "S2:a", "S2:b", "S1:a:x"};
    for (const wxString& key : keys) {
        records.push_back(visitorWithKey(key));
        records.push_back(visitorWithKey(key));  // a second record with the same key
    }
    std::vector<const VisitorType*> model;
    auto modelFind = [&](const wxString& key) {
        for (size_t i = 0; i < model.size(); ++i) {
            if (model[i]->visitorKey() == key)
                return static_cast<int>(i);
        }
        return -1;
    };
    std::mt19937 random(12345);
    for (int step = 0; step < 3000; ++step) {
        const wxString key = keys[random() % keys.size()];
        const VisitorType* record = records[random() % records.size()].get();
        switch (random() % 4) {
            case 0:
            case 1:
                grid->add_visitor(*record);
                model.push_back(record);
                break;
            case 2: {
                // The row of that record under the key, or else the key's first row.
                int row = -1;
                for (size_t i = 0; i < model.size() && row < 0; ++i) {
                    if (model[i] == record && record->visitorKey() == key)
                        row = static_cast<int>(i);
                }
                if (row < 0)
                    row = modelFind(key);
                grid->update_visitor(key, *record);
                if (row >= 0)
                    model[row] = record;
                break;
            }
            case 3:
                grid->remove_visitor(key);
                if (int row = modelFind(key); row >= 0)
                    model.erase(model.begin() + row);
                break;
        }
        ASSERT_EQ(grid->GetNumberRows(), static_cast<int>(model.size())) << "step " << step;
        for (const wxString& k : keys) {
            ASSERT_EQ(grid->find_row(k), modelFind(k)) << "step " << step << " key " << k;
        }
        if (step % 100 == 0) {
            for (size_t row = 0; row < model.size(); ++row) {
                ASSERT_EQ(grid->visitor_at(static_cast<int>(row)), model[row]);
            }
            ASSERT_TRUE(grid->table()->is_consistent()) << "step " << step;
        }
    }
}

VisitorList* siteList(std::initializer_list<const char*> keys) {
    auto* list = new VisitorList;
    for (const char* key : keys) {
        list->append(visitorWithKey(key));
    }
    return list;
}

// Events while paint is held: on release only the changed rows on screen are repainted, and
// from a removed row down; the column labels and the rest of the cells are not.
TEST_F(VisitorGridTest, HeldPaintRepaintsOnlyTheChangedRowsOnScreen) {
    VisitorGrid* grid = makeGrid();
    std::vector<std::unique_ptr<VisitorType>> records;
    for (int i = 0; i < 300; ++i) {
        Line line;
        line.key = wxString::Format("S1:10.0.%d.%d:t", i / 256, i % 256);
        line.number = wxString::Format("%d", i);
        records.push_back(std::make_unique<VisitorType>(line.text()));
        grid->add_visitor(*records.back());
    }
    Tavoro::Test::pumpEvents(200);  // the first full paint
    int labelPaints = 0;
    wxRect painted;
    grid->GetGridColLabelWindow()->Bind(wxEVT_PAINT, [&](wxPaintEvent& e) {
        ++labelPaints;
        e.Skip();
    });
    grid->GetGridWindow()->Bind(wxEVT_PAINT, [&](wxPaintEvent& e) {
        painted.Union(grid->GetGridWindow()->GetUpdateRegion().GetBox());
        e.Skip();
    });
    const int rowHeight = grid->GetRowSize(0);
    const int windowHeight = grid->GetGridWindow()->GetClientSize().GetHeight();
    ASSERT_LT(windowHeight, 100 * rowHeight) << "rows 250 and on must be off screen";

    // Row 2 changes; row 250 goes and a row is appended, both off screen.
    grid->hold_paint();
    Line changed;
    changed.key = records[2]->visitorKey();
    changed.number = "2";
    changed.username = "changed";
    const VisitorType update(changed.text());
    grid->update_visitor(records[2]->visitorKey(), update);
    grid->remove_visitor(*records[250]);
    grid->add_visitor(*records[250]);
    grid->release_paint();
    ASSERT_TRUE(Tavoro::Test::waitFor([&] { return !painted.IsEmpty(); }, 5000));
    Tavoro::Test::pumpEvents(50);
    EXPECT_EQ(labelPaints, 0);
    EXPECT_EQ(painted.GetTop(), 2 * rowHeight);
    EXPECT_EQ(painted.GetHeight(), rowHeight);
    EXPECT_EQ(grid->GetNumberRows(), 300);
    EXPECT_EQ(grid->visitor_at(2), &update);

    // A visible row goes: everything from it down moves up and is repainted.
    painted = wxRect();
    grid->hold_paint();
    grid->remove_visitor(*records[5]);
    grid->release_paint();
    ASSERT_TRUE(Tavoro::Test::waitFor([&] { return !painted.IsEmpty(); }, 5000));
    Tavoro::Test::pumpEvents(50);
    EXPECT_EQ(labelPaints, 0);
    EXPECT_EQ(painted.GetTop(), 5 * rowHeight);
    EXPECT_GE(painted.GetBottom(), windowHeight - 1);
    EXPECT_EQ(grid->visitor_at(5), records[6].get());
    EXPECT_TRUE(grid->table()->is_consistent());

    // A short list: a row appended below the last one is on screen and painted.
    grid->remove_all_visitors();
    for (int i = 0; i < 3; ++i)
        grid->add_visitor(*records[i]);
    Tavoro::Test::pumpEvents(100);
    painted = wxRect();
    grid->hold_paint();
    grid->add_visitor(*records[3]);
    grid->release_paint();
    ASSERT_TRUE(Tavoro::Test::waitFor([&] { return !painted.IsEmpty(); }, 5000));
    EXPECT_LE(painted.GetTop(), 3 * rowHeight);
    EXPECT_GE(painted.GetBottom(), 4 * rowHeight - 1);
    // The paint handlers refer to this test's variables.
    grid->remove_all_visitors();
    grid->Destroy();
}

TEST_F(VisitorGridTest, SiteAndGroupDisplays) {
    std::unique_ptr<VisitorList> list(
        siteList({"S1:a:t", "S2:b:t", "S1:c:t", "S3:d:t", "S2:e:t", "S10:f:t"}));
    VisitorGrid* grid = makeGrid();

    grid->show_site_visitors("S1", *list, true);
    EXPECT_EQ(shownKeys(grid), (std::vector<wxString>{"S1:a:t", "S1:c:t"}));

    // A group: its sites one after the other, clearing on the first only.
    grid->show_site_visitors("S3", *list, true);
    grid->show_site_visitors("S2", *list, false);
    EXPECT_EQ(shownKeys(grid), (std::vector<wxString>{"S3:d:t", "S2:b:t", "S2:e:t"}));
    EXPECT_EQ(grid->find_row("S2:e:t"), 2);

    // Site keys compare exactly.
    for (const char* other : {"s1", "S", "S1:a", ""}) {
        grid->show_site_visitors(other, *list, true);
        EXPECT_EQ(grid->GetNumberRows(), 0) << other;
    }

    grid->show_site_visitors("S1", *list, true);
    grid->show_all_visitors(*list);
    EXPECT_EQ(shownKeys(grid),
              (std::vector<wxString>{"S1:a:t", "S2:b:t", "S1:c:t", "S3:d:t", "S2:e:t", "S10:f:t"}));
    EXPECT_EQ(grid->find_row("S10:f:t"), 5);

    // A selection does not survive a rebuild.
    grid->SelectRow(2);
    grid->show_all_visitors(*list);
    EXPECT_EQ(grid->first_selected_row(), -1);

    // Emptied before the main window frees its list.
    grid->remove_all_visitors();
    EXPECT_EQ(grid->GetNumberRows(), 0);
    EXPECT_EQ(grid->find_row("S1:a:t"), -1);
    list.reset();
    grid->Refresh();
    grid->Update();
}

TEST_F(VisitorGridTest, RowsOutOfRangeAndBlankRowsHaveNoVisitor) {
    VisitorGrid* grid = makeGrid();
    EXPECT_EQ(grid->visitor_at(0), nullptr);
    const auto visitor = visitorWithKey("S1:a:t", "ann");
    grid->add_visitor(*visitor);
    for (int row : {-5, -1, 1, 2, 1000}) {
        EXPECT_EQ(grid->visitor_at(row), nullptr) << row;
        EXPECT_EQ(grid->key_at(row), "") << row;
        EXPECT_EQ(grid->icon_file_at(row, 1), "") << row;
    }
    EXPECT_EQ(grid->visitor_at(0), visitor.get());
    EXPECT_EQ(grid->icon_file_at(0, -1), "");
    EXPECT_EQ(grid->icon_file_at(0, 99), "");

    // Rows made through the grid's own calls are blank and take no key.
    grid->InsertRows(0, 2);
    grid->AppendRows(1);
    ASSERT_EQ(grid->GetNumberRows(), 4);
    EXPECT_EQ(grid->visitor_at(0), nullptr);
    EXPECT_EQ(grid->visitor_at(3), nullptr);
    EXPECT_EQ(grid->GetCellValue(3, columnOf(grid, COLUMN_USERNAME)), "");
    EXPECT_EQ(grid->find_row("S1:a:t"), 2);
    grid->SetCellValue(2, columnOf(grid, COLUMN_USERNAME), "typed");  // ignored: not editable
    EXPECT_EQ(grid->GetCellValue(2, columnOf(grid, COLUMN_USERNAME)), "ann");
    grid->DeleteRows(0, 2);
    EXPECT_EQ(grid->find_row("S1:a:t"), 0);
    EXPECT_TRUE(grid->table()->is_consistent());
}

TEST_F(VisitorGridTest, TextColumnsFitTheirWidestTextsAfterARebuild) {
    VisitorGrid* grid = makeGrid();
    const int location = columnOf(grid, COLUMN_LOCATION);
    const int referrer = columnOf(grid, COLUMN_REFERRER);
    const int browser = columnOf(grid, COLUMN_BROWSER);
    const int headerWidth = grid->GetColSize(location);

    auto textWidth = [&](const wxString& text) {
        int w = 0, h = 0;
        const wxFont font = grid->GetDefaultCellFont();
        grid->GetGridWindow()->GetTextExtent(text, &w, &h, nullptr, nullptr, &font);
        return w;
    };
    // Two locations: a long one, and a wider one of fewer letters.
    const wxString longer = "Somewhere rather far away, Province of Long Names";
    wxString wider;
    while (textWidth(wider) <= textWidth(longer) + 10) {
        wider << 'W';
    }
    ASSERT_LT(wider.length(), longer.length());
    ASSERT_LT(textWidth(wider), 380);

    VisitorList list;
    Line line;
    line.key = "S1:a:t";
    line.location = longer;
    line.referrer = wxString('r', 3000);
    list.append(std::make_unique<VisitorType>(line.text()));
    line.key = "S2:b:t";
    line.location = wider;
    line.referrer = "short";
    list.append(std::make_unique<VisitorType>(line.text()));

    grid->show_all_visitors(list);
    EXPECT_GE(grid->GetColSize(location), textWidth(wider));
    // A huge text does not make a huge column.
    EXPECT_LE(grid->GetColSize(referrer), 400);
    EXPECT_GT(grid->GetColSize(referrer), 300);
    // Short texts leave the header's width.
    EXPECT_LT(grid->GetColSize(browser), 80);

    // Adding a site's rows only widens; clearing first starts from the headers again.
    grid->show_site_visitors("S1", list, true);
    const int s1Width = grid->GetColSize(location);
    EXPECT_GE(s1Width, textWidth(longer));
    EXPECT_LT(s1Width, textWidth(wider));
    grid->show_site_visitors("S2", list, false);
    EXPECT_GE(grid->GetColSize(location), textWidth(wider));
    grid->show_site_visitors("S2", list, true);
    const int s2Width = grid->GetColSize(location);
    grid->show_site_visitors("S1", list, false);
    EXPECT_EQ(grid->GetColSize(location), s2Width);
    grid->show_site_visitors("none", list, true);
    EXPECT_EQ(grid->GetColSize(location), headerWidth);

    // Single rows do not resize anything.
    grid->add_visitor(*list.begin());
    EXPECT_EQ(grid->GetColSize(location), headerWidth);
}

// Ten thousand visitors on 20 sites, as a large "@CV" brings them.
TEST_F(VisitorGridTest, FilterFollowsTypingAndLiveEvents) {
    VisitorList list;
    Line line;
    const char* users[] = {"Anna", "bob", "JOANNA", "carl"};
    for (int i = 0; i < 4; ++i) {
        line.key = wxString::Format("S1:10.0.0.%d:t", i);
        line.username = users[i];
        line.location = i == 3 ? "Anna Bay, AU" : "Leeds, UK";
        list.append(std::make_unique<VisitorType>(line.text()));
    }
    VisitorGrid* grid = makeGrid();
    grid->show_all_visitors(list);
    grid->set_filter("aNNa");
    // Any shown text counts (carl's location), case does not.
    EXPECT_EQ(shownKeys(grid),
              (std::vector<wxString>{"S1:10.0.0.0:t", "S1:10.0.0.2:t", "S1:10.0.0.3:t"}));
    EXPECT_TRUE(grid->table()->is_consistent());

    // A new visitor comes in only if it passes.
    line.key = "S1:10.0.0.9:t";
    line.username = "zed";
    line.location = "Leeds, UK";
    auto zed = std::make_unique<VisitorType>(line.text());
    grid->add_visitor(*zed);
    EXPECT_EQ(grid->find_row("S1:10.0.0.9:t"), -1);
    // A visitor that changes into the filter appears, one that changes out of it goes.
    line.username = "zed anna";
    auto zedNow = std::make_unique<VisitorType>(line.text());
    grid->update_visitor("S1:10.0.0.9:t", *zedNow);
    EXPECT_EQ(grid->key_at(grid->GetNumberRows() - 1), "S1:10.0.0.9:t");
    line.key = "S1:10.0.0.0:t";
    line.username = "Ann";
    auto annNow = std::make_unique<VisitorType>(line.text());
    grid->update_visitor("S1:10.0.0.0:t", *annNow);
    EXPECT_EQ(shownKeys(grid),
              (std::vector<wxString>{"S1:10.0.0.2:t", "S1:10.0.0.3:t", "S1:10.0.0.9:t"}));
    // Leaving while filtered out: gone for good.
    grid->remove_visitor(*annNow);
    grid->remove_visitor("S1:10.0.0.1:t");
    grid->remove_visitor(*grid->visitor_at(0));
    EXPECT_EQ(shownKeys(grid), (std::vector<wxString>{"S1:10.0.0.3:t", "S1:10.0.0.9:t"}));

    // Clearing the filter shows everyone left, in their order, with their latest records.
    grid->set_filter("");
    EXPECT_EQ(shownKeys(grid), (std::vector<wxString>{"S1:10.0.0.3:t", "S1:10.0.0.9:t"}));
    EXPECT_EQ(grid->visitor_at(1), zedNow.get());
    grid->set_filter("nobody");
    EXPECT_EQ(grid->GetNumberRows(), 0);
    // A new site selection replaces what is filtered.
    grid->show_site_visitors("S1", list, true);
    grid->set_filter("");
    EXPECT_EQ(grid->GetNumberRows(), 4);
    EXPECT_TRUE(grid->table()->is_consistent());
    grid->remove_all_visitors();
}

TEST_F(VisitorGridTest, TimingsWithTenThousandVisitors) {
    FakeServices services;
    for (int site = 0; site < 20; ++site) {
        for (int alert = 1; alert <= 5; ++alert) {
            services.addAlert(
                wxString::Format("S%d", site),
                wxString::Format("%d|Alert %d|%d|%d", alert, alert, alert * 40 + site, alert));
        }
    }
    VisitorList list;
    list.reserve(10000);
    for (int i = 0; i < 10000; ++i) {
        Line line;
        line.key =
            wxString::Format("S%d:10.%d.%d.%d:k%d", i % 20, i / 65536, (i / 256) % 256, i % 256, i);
        line.number = wxString::Format("%d", i);
        line.visit = i % 3 ? "1" : "4";
        line.alert = i % 7 ? wxString() : wxString::Format("%d", i % 5 + 1);
        line.username = wxString::Format("visitor %d", i);
        line.location = i % 97 ? "Berlin, DE" : "Somewhere with a longer name, Region";
        line.referrer = wxString::Format("engine/search?q=term+%d", i);
        list.append(std::make_unique<VisitorType>(line.text()));
    }
    VisitorGrid* grid = makeGrid();
    grid->set_services(&services);

    wxStopWatch watch;
    grid->show_all_visitors(list);
    const long rebuild = watch.Time();
    ASSERT_EQ(grid->GetNumberRows(), 10000);

    // What one screen of rows costs to paint.
    watch.Start();
    const wxImage screen = renderCells(grid, 39);
    const long paint = watch.Time();
    ASSERT_TRUE(screen.IsOk());

    std::vector<const VisitorType*> all;
    for (const VisitorType& v : list) {
        all.push_back(&v);
    }
    std::mt19937 random(7);
    watch.Start();
    for (int i = 0; i < 1000; ++i) {
        const VisitorType* v = all[random() % all.size()];
        grid->update_visitor(v->visitorKey(), *v);
    }
    const long updates = watch.Time();

    std::shuffle(all.begin(), all.end(), random);
    watch.Start();
    for (int i = 0; i < 1000; ++i) {
        grid->remove_visitor(all[i]->visitorKey());
    }
    const long removals = watch.Time();
    ASSERT_EQ(grid->GetNumberRows(), 9000);

    watch.Start();
    grid->show_site_visitors("S3", list, true);
    for (int site = 4; site < 20; ++site) {
        grid->show_site_visitors(wxString::Format("S%d", site), list, false);
    }
    const long group = watch.Time();
    EXPECT_EQ(grid->GetNumberRows(), 8500);
    EXPECT_TRUE(grid->table()->is_consistent());

    // Typing a filter, one keystroke at a time, over all 10,000 visitors again.
    grid->show_all_visitors(list);
    long slowestKey = 0;
    wxString typed;
    for (const char c : std::string("visitor 12")) {
        typed += c;
        watch.Start();
        grid->set_filter(typed);
        slowestKey = std::max(slowestKey, watch.Time());
    }
    EXPECT_EQ(grid->GetNumberRows(), 111);  // 12, 120-129, 1200-1299
    grid->set_filter("");

    std::printf(
        "[ timing ] show_all_visitors 10000: %ld ms; paint of 40 rows: %ld ms; 1000 "
        "update_visitor: "
        "%ld ms; 1000 remove_visitor: %ld ms; 17-site group display: %ld ms; slowest filter "
        "keystroke: %ld ms\n",
        rebuild, paint, updates, removals, group, slowestKey);
}

}  // namespace
