// The visitor grid's column layouts, icons and arrow keys, the icon cell renderer, and the
// layouts of the visit detail panel and the day summary view.
#include <gtest/gtest.h>

#include <wx/dcmemory.h>
#include <wx/ffile.h>
#include <wx/frame.h>
#include <wx/image.h>
#include <wx/notebook.h>
#include <wx/splitter.h>
#include <wx/stattext.h>
#include <wx/uiaction.h>

#include <memory>
#include <set>
#include <string>
#include <vector>

#include "GuiTestUtil.h"
#include "NullServices.h"
#include "TempDir.h"
#include "dialog/VisitDetail.h"
#include "settings/TavoroSettings.h"
#include "types/VisitorList.h"
#include "types/VisitorType.h"
#include "widgets/CellImageRenderer.h"
#include "widgets/ClientServices.h"
#include "widgets/DaySummaryView.h"
#include "widgets/VisitorGrid.h"

using namespace Tavoro;
using Tavoro::Test::TempDir;
using Tavoro::Types::VisitorType;

namespace {

// Every test gets a fresh settings store on a private file and a frame to hold its window.
class WidgetTest : public ::testing::Test {
  protected:
    void SetUp() override {
        wxSetEnv("TAVORO_SETTINGS_FILE", m_dir.file("settings"));
        disposeSettings();
        m_frame = new wxFrame(nullptr, wxID_ANY, "test", wxDefaultPosition, wxSize(600, 400));
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
    // The settings file as the operator's configuration would hold a stored column layout.
    void storeLayout(const wxString& layout) {
        wxFFile(m_dir.file("settings"), "w")
            .Write("[Layout/VisitorList]\nColumns=" + layout + "\n");
    }
    VisitorGrid* makeGrid(int rows = 0) {
        auto* grid = new VisitorGrid(m_frame, wxID_ANY);
        if (rows > 0)
            grid->AppendRows(rows);
        m_frame->SendSizeEvent();
        return grid;
    }

    TempDir m_dir;
    wxFrame* m_frame = nullptr;
};

std::vector<wxString> labelsOf(wxGrid* grid) {
    std::vector<wxString> labels;
    for (int col = 0; col < grid->GetNumberCols(); ++col) {
        labels.push_back(grid->GetColLabelValue(col));
    }
    return labels;
}

const std::vector<wxString> kDefaultHeaders{
    " ",     " ",          "No",        "Username", "Visit",  "DNS",      "On Page",
    "Views", "Start Time", "Last Time", "Browser",  "Op Sys", "Location", "Referrer"};

const std::vector<VisitorGridColumn> kDefaultKinds{
    COLUMN_ALERT,   COLUMN_ICON,    COLUMN_NUMBER,   COLUMN_USERNAME,   COLUMN_VISIT,
    COLUMN_DNS,     COLUMN_ON_PAGE, COLUMN_VIEWS,    COLUMN_START_TIME, COLUMN_LAST_TIME,
    COLUMN_BROWSER, COLUMN_OP_SYS,  COLUMN_LOCATION, COLUMN_REFERRER};

struct LayoutCase {
    const char* what;
    const char* stored;  // nullptr: no stored layout
    std::vector<wxString> headers;
    std::vector<VisitorGridColumn> kinds;
};

TEST_F(WidgetTest, GridColumnsFollowStoredLayoutOrDefault) {
    const std::vector<LayoutCase> cases{
        {"nothing stored", nullptr, kDefaultHeaders, kDefaultKinds},
        {"kind icon, username, ip",
         "1|2|6",
         {" ", "Username", "IP"},
         {COLUMN_ICON, COLUMN_USERNAME, COLUMN_IP}},
        {"junk and out-of-range skipped", "x|99|2", {"Username"}, {COLUMN_USERNAME}},
        {"nothing valid left", "x|99|-1|15", kDefaultHeaders, kDefaultKinds},
        {"empty value", "", kDefaultHeaders, kDefaultKinds},
        {"trailing text is not a number", "2abc|12", {"Op Sys"}, {COLUMN_OP_SYS}},
        {"blanks trimmed, repeats and empty fields dropped",
         " 3 |3||14|",
         {"No", "Referrer"},
         {COLUMN_NUMBER, COLUMN_REFERRER}},
        {"alert column alone", "0", {" "}, {COLUMN_ALERT}},
        {"huge number", "99999999999999999999|4", {"Visit"}, {COLUMN_VISIT}},
    };
    for (const LayoutCase& c : cases) {
        SCOPED_TRACE(c.what);
        disposeSettings();
        if (c.stored) {
            storeLayout(c.stored);
        } else if (wxFileExists(m_dir.file("settings"))) {
            wxRemoveFile(m_dir.file("settings"));
        }
        VisitorGrid* grid = makeGrid();
        EXPECT_EQ(labelsOf(grid), c.headers);
        EXPECT_EQ(grid->columns(), c.kinds);
        EXPECT_FALSE(grid->IsEditable());
        grid->Destroy();
    }
}

// A visitor line whose location is long.
wxString longLocationLine() {
    wxString line = "S1:10.0.0.1:t";
    for (int i = 1; i < 22; ++i) {
        line << '\t' << (i == 19 ? wxString("A location with a rather long name") : "x");
    }
    return line;
}

// Fills a visitor list with copies of one visitor.
Types::VisitorList& fill(Types::VisitorList& list, const VisitorType& visitor, int copies = 1) {
    list.clear();
    for (int i = 0; i < copies; ++i) {
        list.append(std::make_unique<VisitorType>(visitor));
    }
    return list;
}

// Pixels that the grid's cursor frame paints over a white page.
int cursorPixels(wxGrid* grid) {
    wxBitmap page(400, 300, 24);
    {
        wxMemoryDC dc(page);
        dc.SetBackground(*wxWHITE_BRUSH);
        dc.Clear();
        const wxGridCellCoords at = grid->GetGridCursorCoords();
        wxGridCellAttrPtr attr = grid->GetOrCreateCellAttrPtr(at.GetRow(), at.GetCol());
        grid->DrawCellHighlight(dc, attr.get());
    }
    const wxImage image = page.ConvertToImage();
    int count = 0;
    for (int y = 0; y < image.GetHeight(); ++y) {
        for (int x = 0; x < image.GetWidth(); ++x) {
            count +=
                wxColour(image.GetRed(x, y), image.GetGreen(x, y), image.GetBlue(x, y)) != *wxWHITE;
        }
    }
    return count;
}

// The grid draws its cursor only while it has the keyboard focus, which a window under Xvfb
// without a window manager never gets: these grids act as if they had it.
template <typename Grid>
class Focused : public Grid {
  public:
    using Grid::Grid;
    bool HasFocus() const override { return true; }
};

TEST_F(WidgetTest, NoCellShowsTheCursor) {
    // A plain grid shows that the cursor frame would otherwise be drawn.
    auto* plain = new Focused<wxGrid>(m_frame, wxID_ANY);
    plain->CreateGrid(5, 5);
    auto* grid = new Focused<VisitorGrid>(m_frame, wxID_ANY);
    grid->AppendRows(5);
    for (wxGrid* g : {static_cast<wxGrid*>(plain), static_cast<wxGrid*>(grid)}) {
        g->SetGridCursor(1, 2);
    }
    EXPECT_GT(cursorPixels(plain), 0);
    EXPECT_EQ(cursorPixels(grid), 0);
    grid->SetReadOnly(1, 2);
    EXPECT_EQ(cursorPixels(grid), 0);

    // Nor after the rows are rebuilt from visitors.
    const VisitorType visitor(longLocationLine());
    Types::VisitorList one, three;
    grid->show_all_visitors(fill(one, visitor));
    grid->SetGridCursor(0, 3);
    grid->show_all_visitors(fill(three, visitor, 3));
    EXPECT_EQ(cursorPixels(grid), 0);
}

TEST_F(WidgetTest, GridColumnsAreSizedToTheirLabelsNotTheirCells) {
    VisitorGrid* grid = makeGrid(1);
    const wxFont font = grid->GetLabelFont();
    for (int col = 2; col < grid->GetNumberCols(); ++col) {
        int w = 0, h = 0;
        grid->GetTextExtent(grid->GetColLabelValue(col), &w, &h, nullptr, nullptr, &font);
        EXPECT_GE(grid->GetColSize(col), w) << grid->GetColLabelValue(col);
        EXPECT_LT(grid->GetColSize(col), w + 40) << grid->GetColLabelValue(col);
    }
    // Icon columns hold a loaded icon with a pixel to spare on each side.
    EXPECT_EQ(grid->GetColSize(1), grid->visitor_icon(2).GetWidth() + 2);

    // Reloading the layout measures the headers again, whatever the rows hold.
    const int before = grid->GetColSize(12);
    const VisitorType visitor(longLocationLine());
    Types::VisitorList list;
    grid->show_all_visitors(fill(list, visitor));
    ASSERT_GT(grid->GetColSize(12), before);
    grid->load_columns();
    EXPECT_EQ(grid->GetColSize(12), before);
}

TEST_F(WidgetTest, VisitorIconsLoadPerSlotAndMissingFilesLeaveEmptySlots) {
    wxString imagesDir;
    wxGetEnv("TAVORO_IMAGES_DIR", &imagesDir);
    TempDir images;
    wxImage picture(20, 20);
    picture.SetRGB(wxRect(0, 0, 20, 20), 200, 30, 30);
    picture.SetRGB(wxRect(0, 0, 10, 10), 30, 30, 200);
    ASSERT_TRUE(picture.SaveFile(images.file("Anonymous User Green.ico"), wxBITMAP_TYPE_ICO));
    wxFFile(images.file("Customer 256.gif"), "w").Write("not a picture");
    wxSetEnv("TAVORO_IMAGES_DIR", images.path());
    VisitorGrid* grid = makeGrid();
    wxSetEnv("TAVORO_IMAGES_DIR", imagesDir);

    for (int slot = -1; slot <= VISITOR_ICON_SLOTS; ++slot) {
        SCOPED_TRACE(slot);
        EXPECT_EQ(grid->visitor_icon(slot).IsOk(), slot == 2);
    }
    // Cells show icons at 16 px: a picture of another size is scaled, not cut.
    ASSERT_EQ(grid->visitor_icon(2).GetSize(), wxSize(16, 16));
    wxBitmap bitmap;
    bitmap.CopyFromIcon(grid->visitor_icon(2));
    const wxImage scaled = bitmap.ConvertToImage();
    EXPECT_GT(scaled.GetBlue(2, 2), 150);
    EXPECT_GT(scaled.GetRed(14, 14), 150);
}

// A key pressed and released as the grid's cell area delivers it to the grid.
void pressKey(wxGrid* grid, int keyCode) {
    for (wxEventType type : {wxEVT_KEY_DOWN, wxEVT_KEY_UP}) {
        wxKeyEvent event(type);
        event.m_keyCode = keyCode;
        event.SetEventObject(grid->GetGridWindow());
        grid->GetGridWindow()->GetEventHandler()->ProcessEvent(event);
    }
}

// Rows whose every cell is selected; -1 marks a row that is only partly selected.
std::vector<int> selectedRows(wxGrid* grid) {
    std::vector<int> rows;
    for (int row = 0; row < grid->GetNumberRows(); ++row) {
        int cells = 0;
        for (int col = 0; col < grid->GetNumberCols(); ++col) {
            cells += grid->IsInSelection(row, col) ? 1 : 0;
        }
        if (cells == grid->GetNumberCols())
            rows.push_back(row);
        if (cells > 0 && cells < grid->GetNumberCols())
            rows.push_back(-1);
    }
    return rows;
}

struct ArrowCase {
    const char* what;
    int rows;
    int top, bottom;  // selected rows before; top -1 for none
    int key;
    std::vector<int> expected;
};

TEST_F(WidgetTest, ArrowKeysMoveTheRowSelection) {
    const std::vector<ArrowCase> cases{
        {"up selects the row above", 5, 2, 2, WXK_UP, {1}},
        {"down selects the row below", 5, 2, 2, WXK_DOWN, {3}},
        {"up at the top", 5, 0, 0, WXK_UP, {0}},
        {"down at the bottom", 5, 4, 4, WXK_DOWN, {4}},
        {"no selection, down", 5, -1, -1, WXK_DOWN, {}},
        {"no selection, up", 5, -1, -1, WXK_UP, {}},
        {"empty grid", 0, -1, -1, WXK_DOWN, {}},
        {"left keeps the row", 5, 2, 2, WXK_LEFT, {2}},
        {"right keeps the row", 5, 2, 2, WXK_RIGHT, {2}},
        {"up from a block leaves one row", 5, 1, 3, WXK_UP, {0}},
        {"down from a block goes below its first row", 5, 1, 3, WXK_DOWN, {2}},
        {"numpad down", 5, 0, 0, WXK_NUMPAD_DOWN, {1}},
    };
    for (const ArrowCase& c : cases) {
        SCOPED_TRACE(c.what);
        VisitorGrid* grid = makeGrid(c.rows);
        if (c.top >= 0)
            grid->SelectBlock(c.top, 0, c.bottom, grid->GetNumberCols() - 1);
        const wxGridCellCoords cursor = grid->GetGridCursorCoords();
        pressKey(grid, c.key);
        EXPECT_EQ(selectedRows(grid), c.expected);
        if (c.key != WXK_LEFT && c.key != WXK_RIGHT) {
            EXPECT_EQ(grid->GetGridCursorCoords(), cursor);  // the grid's own moves never ran
        }
        grid->Destroy();
    }
}

TEST_F(WidgetTest, LeftAndRightMoveAcrossTheCellsOfTheSelectedRow) {
    VisitorGrid* grid = makeGrid(5);
    grid->SetSize(300, 200);
    const int last = grid->GetNumberCols() - 1;
    grid->SelectRow(3);
    pressKey(grid, WXK_RIGHT);
    pressKey(grid, WXK_RIGHT);
    EXPECT_EQ(grid->GetGridCursorCoords(), wxGridCellCoords(3, 2));
    for (int i = 0; i < last + 3; ++i)
        pressKey(grid, WXK_NUMPAD_RIGHT);
    EXPECT_EQ(grid->GetGridCursorCol(), last) << "stops at the last column";
    EXPECT_TRUE(grid->IsVisible(3, last)) << "the column scrolled into view";
    EXPECT_EQ(selectedRows(grid), std::vector<int>{3});
    for (int i = 0; i < last + 3; ++i)
        pressKey(grid, WXK_LEFT);
    EXPECT_EQ(grid->GetGridCursorCol(), 0);
    EXPECT_TRUE(grid->IsVisible(3, 0));
    EXPECT_EQ(selectedRows(grid), std::vector<int>{3});
}

TEST_F(WidgetTest, OtherKeysReachTheGrid) {
    VisitorGrid* grid = makeGrid(5);
    grid->SetGridCursor(3, 4);
    pressKey(grid, WXK_HOME);
    EXPECT_EQ(grid->GetGridCursorCol(), 0);
}

TEST_F(WidgetTest, ArrowKeyScrollsTheNewRowIntoView) {
    VisitorGrid* grid = makeGrid(300);
    grid->SetSize(400, 200);
    grid->SelectRow(150);
    ASSERT_FALSE(grid->IsVisible(151, 0));
    pressKey(grid, WXK_DOWN);
    EXPECT_EQ(grid->first_selected_row(), 151);
    EXPECT_TRUE(grid->IsVisible(151, 0));
}

TEST_F(WidgetTest, ArrowKeysFromTheKeyboard) {
    VisitorGrid* grid = makeGrid(5);
    grid->SelectRow(2);
    grid->GetGridWindow()->SetFocus();
    wxUIActionSimulator sim;
    // Without a window manager the X server sends keys to the window under the pointer.
    sim.MouseMove(grid->GetGridWindow()->GetScreenRect().GetBottomRight() - wxPoint(5, 5));
    Tavoro::Test::pumpEvents(50);
    sim.Char(WXK_DOWN);
    EXPECT_TRUE(Tavoro::Test::waitFor([&] { return grid->first_selected_row() == 3; }, 3000));
    EXPECT_EQ(selectedRows(grid), std::vector<int>{3});
}

// Draws one cell of 24 x 24 pixels with a renderer and returns the picture.
wxImage drawCell(wxGrid* grid, CellImageRenderer& renderer, bool selected) {
    wxBitmap target(24, 24, 24);
    {
        wxMemoryDC dc(target);
        dc.SetBackground(*wxBLACK_BRUSH);
        dc.Clear();
        wxGridCellAttrPtr attr = grid->GetOrCreateCellAttrPtr(0, 0);
        renderer.Draw(*grid, *attr, dc, wxRect(0, 0, 24, 24), 0, 0, selected);
    }
    return target.ConvertToImage();
}

wxIcon solidIcon(int width, int height, const wxColour& colour) {
    wxImage image(width, height);
    image.SetRGB(wxRect(0, 0, width, height), colour.Red(), colour.Green(), colour.Blue());
    wxIcon icon;
    icon.CopyFromBitmap(wxBitmap(image));
    return icon;
}

wxColour pixel(const wxImage& image, int x, int y) {
    return wxColour(image.GetRed(x, y), image.GetGreen(x, y), image.GetBlue(x, y));
}

TEST_F(WidgetTest, RendererDrawsTheIconOnItsBackground) {
    VisitorGrid* grid = makeGrid(1);
    const wxColour blue(0, 0, 255), green(20, 160, 40);
    const wxBrush background(green);
    CellImageRenderer small(solidIcon(10, 6, blue), background);
    const wxImage drawn = drawCell(grid, small, false);
    EXPECT_EQ(pixel(drawn, 1, 1), blue);  // icon one pixel inside the corner
    EXPECT_EQ(pixel(drawn, 10, 6), blue);
    EXPECT_EQ(pixel(drawn, 11, 3), green);  // right of the icon
    EXPECT_EQ(pixel(drawn, 5, 12), green);  // below it

    // A large icon is clipped one pixel inside the cell.
    CellImageRenderer large(solidIcon(40, 40, blue), background);
    EXPECT_EQ(pixel(drawCell(grid, large, false), 22, 22), blue);
    EXPECT_NE(pixel(drawCell(grid, large, false), 23, 12), blue);

    // A selected cell shows the grid's selection colour, not the renderer's background.
    CellImageRenderer noIcon(wxIcon(), background);
    EXPECT_EQ(pixel(drawCell(grid, noIcon, false), 12, 12), green);
    EXPECT_NE(pixel(drawCell(grid, noIcon, true), 12, 12), green);
}

TEST_F(WidgetTest, RendererSizeAndClone) {
    VisitorGrid* grid = makeGrid(1);
    wxMemoryDC dc;
    wxGridCellAttrPtr attr = grid->GetOrCreateCellAttrPtr(0, 0);
    const wxIcon icon = solidIcon(20, 12, *wxRED);
    CellImageRenderer renderer(icon, wxBrush(wxColour(1, 2, 3)));
    EXPECT_EQ(renderer.GetBestSize(*grid, *attr, dc, 0, 0), wxSize(20, 12));
    CellImageRenderer empty{wxIcon(), wxBrush()};
    EXPECT_EQ(empty.GetBestSize(*grid, *attr, dc, 0, 0), wxSize(0, 0));
    EXPECT_EQ(empty.background().GetColour(), *wxWHITE);

    wxGridCellRenderer* clone = renderer.Clone();
    auto* copy = dynamic_cast<CellImageRenderer*>(clone);
    ASSERT_NE(copy, nullptr);
    EXPECT_TRUE(copy->icon().IsSameAs(icon));
    EXPECT_EQ(copy->background().GetColour(), wxColour(1, 2, 3));
    EXPECT_EQ(copy->GetBestSize(*grid, *attr, dc, 0, 0), wxSize(20, 12));
    clone->DecRef();
}

class NoServices : public Tavoro::Test::NullServices {
  public:
    bool requestDaySummary() override { return false; }
};

template <typename T>
T* child(wxWindow* parent, const char* name) {
    wxWindow* found = wxWindow::FindWindowByName(name, parent);
    EXPECT_NE(found, nullptr) << name;
    return dynamic_cast<T*>(found);
}

TEST_F(WidgetTest, VisitDetailLayout) {
    NoServices services;
    auto* panel = new Dialog::VisitDetail(m_frame, &services);
    m_frame->SendSizeEvent();
    Tavoro::Test::pumpEvents(50);
    EXPECT_EQ(panel->services(), &services);

    auto* notebook = child<wxNotebook>(panel, "ID_NOTEBOOK1");
    ASSERT_NE(notebook, nullptr);
    ASSERT_EQ(notebook->GetPageCount(), 3u);
    EXPECT_EQ(notebook->GetPageText(0), "Visit Detail");
    EXPECT_EQ(notebook->GetPageText(1), "Previous Visits");
    EXPECT_EQ(notebook->GetPageText(2), "Chats");

    auto* splitter = child<wxSplitterWindow>(panel, "ID_SPLITTERWINDOW2");
    auto* facts = child<wxGrid>(panel, "ID_GRID_CURRENT");
    auto* pages = child<wxGrid>(panel, "ID_GRID1");
    ASSERT_TRUE(splitter && facts && pages);
    EXPECT_EQ(splitter->GetSplitMode(), wxSPLIT_HORIZONTAL);
    EXPECT_EQ(splitter->GetWindow1(), facts);
    EXPECT_EQ(splitter->GetWindow2(), pages);
    EXPECT_EQ(facts->GetNumberCols(), 2);
    EXPECT_EQ(facts->GetColLabelSize(), 0);
    EXPECT_EQ(labelsOf(pages), (std::vector<wxString>{"Time", "Status", "Page"}));

    auto* visits = child<wxGrid>(panel, "ID_GRID2");
    auto* chats = child<wxGrid>(panel, "ID_GRID3");
    ASSERT_TRUE(visits && chats);
    EXPECT_EQ(labelsOf(visits),
              (std::vector<wxString>{" ", "I", "No", "Date", "Time", "First Page", "Last Page",
                                     "Mins On", "Pages", "Cost", "Referrer"}));
    EXPECT_EQ(labelsOf(chats), (std::vector<wxString>{"Date / Time", "Name", "Chat ID", "User",
                                                      "Department", "Duration"}));
    for (wxGrid* list : {facts, visits, chats}) {
        EXPECT_FALSE(list->IsEditable()) << list->GetName();
        EXPECT_EQ(list->GetRowLabelSize(), 0) << list->GetName();
        EXPECT_EQ(list->GetNumberRows(), 0) << list->GetName();
    }
}

struct SummaryText {
    const char* caption;
    const char* captionName;
    wxPoint captionAt;
    const char* valueName;
    wxRect value;
};

TEST_F(WidgetTest, DaySummaryLayoutStartsAtZero) {
    auto* view = new DaySummaryView(m_frame, nullptr);
    EXPECT_EQ(view->GetName(), "id");
    EXPECT_NE(child<wxWindow>(view, "ID_SCROLLEDWINDOW1"), nullptr);
    const std::vector<SummaryText> texts{
        {"Current Visitors", "ID_STATICTEXT1", {0, 8}, "ID_STATICTEXT14", {136, 8, 48, 17}},
        {"Total Visits", "ID_STATICTEXT4", {0, 40}, "ID_STATICTEXT15", {136, 40, 48, 17}},
        {"Total Spiders", "ID_STATICTEXT3", {0, 64}, "ID_STATICTEXT16", {136, 64, 48, 17}},
        {"Total Humans", "ID_STATICTEXT5", {0, 88}, "ID_STATICTEXT17", {136, 88, 48, 17}},
        {"Entry Alerts (free)", "ID_STATICTEXT6", {0, 112}, "ID_STATICTEXT18", {144, 112, 40, 17}},
        {"Entry Alerts (paid)", "ID_STATICTEXT7", {0, 136}, "ID_STATICTEXT19", {144, 136, 40, 17}},
        {"New Visits", "ID_STATICTEXT8", {0, 160}, "ID_STATICTEXT20", {144, 160, 40, 17}},
        {"New Prospects", "ID_STATICTEXT9", {0, 184}, "ID_STATICTEXT21", {144, 184, 40, 17}},
        {"New Customers", "ID_STATICTEXT10", {0, 208}, "ID_STATICTEXT22", {144, 208, 40, 17}},
        {"Returning Visits", "ID_STATICTEXT11", {0, 232}, "ID_STATICTEXT23", {144, 232, 40, 17}},
        {"Page Views", "ID_STATICTEXT32", {0, 256}, "ID_STATICTEXT33", {144, 256, 40, 17}},
        {"Downloads", "ID_STATICTEXT12", {0, 280}, "ID_STATICTEXT24", {144, 280, 40, 17}},
        {"Page Errors", "ID_STATICTEXT2", {0, 304}, "ID_STATICTEXT25", {144, 304, 40, 17}},
        {"Hack Exceptions", "ID_STATICTEXT13", {0, 328}, "ID_STATICTEXT26", {144, 328, 40, 17}},
        {"Peak @", "ID_STATICTEXT27", {232, 8}, "ID_STATICTEXT36", {352, 8, 40, 17}},
        {"Chat Requests", "ID_STATICTEXT28", {232, 40}, "ID_STATICTEXT34", {352, 40, 40, 17}},
        {"Missed Chats", "ID_STATICTEXT29", {232, 64}, "ID_STATICTEXT35", {352, 64, 40, 17}},
        {"Total Cost Today", "ID_STATICTEXT30", {232, 232}, "ID_STATICTEXT37", {352, 232, 40, 17}},
        {"Total Revenue", "ID_STATICTEXT31", {232, 256}, "ID_STATICTEXT38", {352, 256, 40, 17}},
    };
    ASSERT_EQ(texts.size(), static_cast<size_t>(DaySummaryView::VALUE_COUNT));
    std::set<wxWindow*> values;
    for (const SummaryText& t : texts) {
        SCOPED_TRACE(t.caption);
        auto* caption = child<wxStaticText>(view, t.captionName);
        auto* value = child<wxStaticText>(view, t.valueName);
        ASSERT_TRUE(caption && value);
        EXPECT_EQ(caption->GetLabel(), t.caption);
        EXPECT_EQ(caption->GetPosition(), t.captionAt);
        EXPECT_EQ(value->GetLabel(), "0");
        EXPECT_EQ(value->GetRect(), t.value);
        values.insert(value);
    }
    for (int v = 0; v < DaySummaryView::VALUE_COUNT; ++v) {
        EXPECT_EQ(values.count(view->value_text(static_cast<DaySummaryView::Value>(v))), 1u);
    }
    EXPECT_EQ(view->peak_label()->GetName(), "ID_STATICTEXT27");
    EXPECT_EQ(view->value_text(DaySummaryView::VALUE_MISSED_CHATS)->GetName(), "ID_STATICTEXT35");
}

}  // namespace
