// The visit detail panel fed with real server messages: the facts and pages of a visit, the
// earlier visits with their alert flags, the earlier chats, and the history requests it sends
// through the owner's services.
#include <gtest/gtest.h>

#include <wx/dcclient.h>
#include <wx/frame.h>
#include <wx/grid.h>
#include <wx/notebook.h>

#include <map>
#include <memory>
#include <utility>
#include <vector>

#include "GuiTestUtil.h"
#include "NullServices.h"
#include "dialog/VisitDetail.h"
#include "messages/S_PREVCHATS.h"
#include "messages/S_PREVVISITS.h"
#include "messages/S_VISITDETAIL.h"
#include "messages/TavoroMessage.h"
#include "types/Alert.h"
#include "widgets/CellImageRenderer.h"
#include "widgets/ClientServices.h"

using namespace Tavoro;
using Dialog::VisitDetail;
using Messages::TavoroMessage;

namespace {

const wxString ESC(wxChar(27));

// Stands in for the main window: knows the alerts of some sites and records every history
// request as one text.
class FakeServices : public Tavoro::Test::NullServices {
  public:
    const Types::Alert* findAlert(const wxString& siteKey, const wxString& alertId) const override {
        auto found = alerts.find({siteKey, alertId});
        return found == alerts.end() ? nullptr : &found->second;
    }
    void requestPrevChat(const wxString& siteKey, const wxString& chatId) override {
        requests.push_back("prevchat " + siteKey + " " + chatId);
    }
    void requestPrevChats(const wxString& siteKey, const wxString& ipAddress) override {
        requests.push_back("prevchats " + siteKey + " " + ipAddress);
    }
    void requestPrevVisits(const wxString& siteKey, const wxString& ipAddress,
                           const wxString& username) override {
        requests.push_back("prevvisits " + siteKey + " " + ipAddress + " " + username);
    }

    void addAlert(const wxString& siteKey, const wxString& record) {
        Types::Alert alert(record);
        alerts[{siteKey, alert.alertId}] = alert;
    }

    std::map<std::pair<wxString, wxString>, Types::Alert> alerts;
    std::vector<wxString> requests;
};

// "@VISITDETAIL" data as the server sends it: key line, LF, 37 TAB-separated detail fields
// (those not given are empty), ESC, page lines separated by CR.
wxString visitDetailText(const wxString& key, const std::map<int, wxString>& fields,
                         const std::vector<wxString>& pageLines = {}) {
    wxString detail;
    for (int i = 0; i < 37; ++i) {
        if (i > 0)
            detail += "\t";
        auto found = fields.find(i);
        if (found != fields.end())
            detail += found->second;
    }
    wxString text = "@VISITDETAIL:" + key + "\n" + detail;
    if (!pageLines.empty()) {
        text += ESC;
        for (const wxString& line : pageLines)
            text += line + "\r";
    }
    return text;
}

std::unique_ptr<Messages::S_VISITDETAIL> visitMessage(const wxString& text) {
    return std::make_unique<Messages::S_VISITDETAIL>(TavoroMessage(text));
}

// A visit of 10.0.0.7 on site S1 by user "ann": the fields the history requests use.
std::unique_ptr<Messages::S_VISITDETAIL> annVisit(const wxString& visitNumber = "3") {
    return visitMessage(visitDetailText(
        "S1:10.0.0.7:ann", {{1, "10.0.0.7"}, {3, "ann"}, {5, visitNumber}, {22, "4"}}));
}

wxString prevVisitRecord(const wxString& number, const wxString& alertId,
                         const wxString& referrer) {
    wxString record = number + "\tx\t2024-03-0" + number + "\t10:1" + number + "\t" + alertId +
                      "\t/home\t/buy\t12\t5";
    for (int field = 9; field <= 18; ++field)
        record += "\tf" + wxString::Format("%d", field);
    return record + "\t" + referrer;
}

std::unique_ptr<Messages::S_PREVVISITS> prevVisitsMessage(const wxString& key,
                                                          const std::vector<wxString>& records) {
    wxString text = "@PREVVISITS:" + key + "\n";
    for (const wxString& record : records)
        text += record + ESC;
    return std::make_unique<Messages::S_PREVVISITS>(TavoroMessage(text));
}

std::unique_ptr<Messages::S_PREVCHATS> prevChatsMessage(const wxString& key,
                                                        const std::vector<wxString>& records) {
    wxString text = "@PREVCHATS:" + key + "\n";
    for (size_t i = 0; i < records.size(); ++i)
        text += (i > 0 ? ESC : wxString()) + records[i];
    return std::make_unique<Messages::S_PREVCHATS>(TavoroMessage(text));
}

using Facts = std::vector<std::pair<wxString, wxString>>;

std::vector<wxString> columnOf(wxGrid* grid, int col) {
    std::vector<wxString> values;
    for (int row = 0; row < grid->GetNumberRows(); ++row)
        values.push_back(grid->GetCellValue(row, col));
    return values;
}

class VisitDetailTest : public ::testing::Test {
  protected:
    void SetUp() override {
        m_frame = new wxFrame(nullptr, wxID_ANY, "test", wxDefaultPosition, wxSize(800, 500));
        m_panel = new VisitDetail(m_frame, &m_services);
        m_frame->Show();
        m_frame->SendSizeEvent();
        Tavoro::Test::pumpEvents(20);
    }
    void TearDown() override {
        m_frame->Destroy();
        Tavoro::Test::pumpEvents(20);
    }
    // Selects a notebook page as the operator would, with its page-change event.
    void selectPage(int page) {
        m_panel->notebook()->SetSelection(page);
        Tavoro::Test::pumpEvents(10);
    }
    void doubleClickChat(int row) {
        wxGrid* grid = m_panel->earlier_chats_grid();
        wxGridEvent event(grid->GetId(), wxEVT_GRID_CELL_LEFT_DCLICK, grid, row, 1);
        grid->GetEventHandler()->ProcessEvent(event);
    }

    FakeServices m_services;
    wxFrame* m_frame = nullptr;
    VisitDetail* m_panel = nullptr;
};

struct FactCase {
    const char* what;
    std::map<int, wxString> fields;
    Facts facts;
};

TEST_F(VisitDetailTest, FactsFollowTheirRulesInLabelOrder) {
    m_services.addAlert("S1", "7|Hot Lead|255|3");
    m_services.addAlert("S1", "9|Returning Buyer|0|2");
    m_services.addAlert("S2", "8|Other Site|0|1");
    const wxString referrerHead = "http://search.example.com/";
    const wxString referrerTail = "find?q=blue+widgets&x=1";

    const std::vector<FactCase> cases{
        {"every fact present",
         {{1, "host.example.net"},
          {2, "Y"},
          {3, "ann"},
          {4, "Leeds|West Yorkshire|UK|Acme Ltd|53.8,-1.5"},
          {5, "3"},
          {6, "7"},
          {8, "Linux"},
          {10, "Search Co"},
          {11, referrerHead},
          {12, referrerTail},
          {13, "09:15:00"},
          {16, "1.50"},
          {17, "20.00"},
          {22, "4"},
          {25, "9"},
          {26, "7.25"},
          {27, "99.00"},
          {28, "proxy"}},
         {{"Company / ISP", "Acme Ltd"},
          {"DNS", "(proxy) host.example.net"},
          {"Entry Alert", "Hot Lead"},
          {"First Alert", "Returning Buyer"},
          {"Keywords", "blue widgets"},
          {"Location", "Leeds - West Yorkshire (UK)"},
          {"Op System", "Linux"},
          {"Referrer", referrerHead + referrerTail},
          {"Search Engine", "Search Co"},
          {"Started", "09:15:00"},
          {"This Visit Cost", "1.50"},
          {"This Visit Revenue", "20.00"},
          {"Total Cost", "7.25"},
          {"Total Revenue", "99.00"},
          {"Username", "ann"},
          {"Visit Number", "3 of 4"}}},
        {"first visit hides the first alert; entry alert 0 is none",
         {{5, "1"}, {6, "0"}, {22, "1"}, {25, "9"}},
         {{"Visit Number", "1 of 1"}}},
        {"alert ids the site does not define, or another site's, give no rows",
         {{5, "2"}, {6, "8"}, {22, "2"}, {25, "55"}},
         {{"Visit Number", "2 of 2"}}},
        {"zero money gives no row, zero with decimals does",
         {{16, "0"}, {17, "0.00"}, {26, "0"}, {27, "0"}},
         {{"This Visit Revenue", "0.00"}, {"Visit Number", " of "}}},
        {"place alone",
         {{4, "Leeds"}, {5, "1"}, {22, "1"}},
         {{"Location", "Leeds"}, {"Visit Number", "1 of 1"}}},
        {"DNS note without a name; a name only when field 2 is set",
         {{1, "10.1.1.1"}, {28, "note"}},
         {{"DNS", "(note) "}, {"Visit Number", " of "}}},
        {"DNS name without a note",
         {{1, "10.1.1.1"}, {2, "x"}},
         {{"DNS", "10.1.1.1"}, {"Visit Number", " of "}}},
        {"a visit number holding a placeholder is shown as sent",
         {{5, "%VISIT_COUNT%"}, {22, "6"}},
         {{"Visit Number", "%VISIT_COUNT% of 6"}}},
        {"referrer without search terms",
         {{11, "http://a.example/"}, {12, "page?id=4"}},
         {{"Referrer", "http://a.example/page?id=4"}, {"Visit Number", " of "}}},
    };
    for (const FactCase& c : cases) {
        SCOPED_TRACE(c.what);
        m_panel->show_visit(visitMessage(visitDetailText("S1:10.1.1.1:x", c.fields)));
        EXPECT_EQ(m_panel->facts(), c.facts);
        EXPECT_EQ(m_panel->fact_grid()->GetNumberRows(), static_cast<int>(c.facts.size()));
    }
}

TEST_F(VisitDetailTest, FactColumnsFitTheirLongestText) {
    const wxString longReferrer = "http://example.com/" + wxString('a', 120);
    m_panel->show_visit(
        visitMessage(visitDetailText("S1:1.2.3.4:x", {{11, longReferrer}, {13, "09:00"}})));
    wxGrid* grid = m_panel->fact_grid();
    wxClientDC dc(grid->GetGridWindow());
    dc.SetFont(grid->GetDefaultCellFont());
    for (int col = 0; col < 2; ++col) {
        for (int row = 0; row < grid->GetNumberRows(); ++row) {
            EXPECT_GE(grid->GetColSize(col), dc.GetTextExtent(grid->GetCellValue(row, col)).x)
                << row << "," << col;
        }
    }
}

TEST_F(VisitDetailTest, PagesShowTitleOrAddress) {
    m_panel->show_visit(visitMessage(
        visitDetailText("S1:1.2.3.4:x", {{5, "1"}},
                        {"10:00\t/index.html\tz\t200\tHome", "", "10:02\t/missing.html\tz\t404\t",
                         "10:05\t/buy.html\tz\t200\tCheckout"})));
    wxGrid* pages = m_panel->page_grid();
    ASSERT_EQ(pages->GetNumberRows(), 3);
    EXPECT_EQ(columnOf(pages, 0), (std::vector<wxString>{"10:00", "10:02", "10:05"}));
    EXPECT_EQ(columnOf(pages, 1), (std::vector<wxString>{"200", "404", "200"}));
    EXPECT_EQ(columnOf(pages, 2), (std::vector<wxString>{"Home", "/missing.html", "Checkout"}));
    EXPECT_EQ(pages->GetColLabelValue(2), "Page");
    EXPECT_FALSE(pages->GridLinesEnabled());

    // The next visit, without page lines, leaves the grid empty.
    m_panel->show_visit(visitMessage(visitDetailText("S1:1.2.3.4:x", {{5, "2"}})));
    EXPECT_EQ(pages->GetNumberRows(), 0);
}

TEST_F(VisitDetailTest, EachHistoryIsRequestedOncePerVisit) {
    m_panel->show_visit(annVisit());

    selectPage(VisitDetail::PAGE_PREVIOUS_VISITS);
    EXPECT_EQ(m_services.requests, (std::vector<wxString>{"prevvisits S1 10.0.0.7 ann"}));
    wxGrid* visits = m_panel->earlier_visits_grid();
    ASSERT_EQ(visits->GetNumberRows(), 1);
    EXPECT_EQ(visits->GetCellValue(0, VisitDetail::REQUESTING_COLUMN), "Requesting...");

    // Back and forth while the answer is pending: one more request per selection of the page,
    // still one "Requesting..." row.
    selectPage(VisitDetail::PAGE_VISIT);
    selectPage(VisitDetail::PAGE_PREVIOUS_VISITS);
    EXPECT_EQ(m_services.requests, (std::vector<wxString>(2, "prevvisits S1 10.0.0.7 ann")));
    EXPECT_EQ(visits->GetNumberRows(), 1);
    m_services.requests.clear();

    selectPage(VisitDetail::PAGE_CHATS);
    selectPage(VisitDetail::PAGE_CHATS - 1);
    selectPage(VisitDetail::PAGE_CHATS);
    EXPECT_EQ(m_services.requests,
              (std::vector<wxString>{"prevchats S1 10.0.0.7", "prevvisits S1 10.0.0.7 ann",
                                     "prevchats S1 10.0.0.7"}));
    m_services.requests.clear();
    EXPECT_EQ(m_panel->earlier_chats_grid()->GetCellValue(0, VisitDetail::REQUESTING_COLUMN),
              "Requesting...");

    // Answered: selecting the pages again asks nothing.
    m_panel->show_prev_visits(prevVisitsMessage("S1:10.0.0.7:ann", {prevVisitRecord("1", "", "")}));
    m_panel->show_prev_chats(
        prevChatsMessage("S1:10.0.0.7", {"2024-01-01 10:00\tAnn\tC1\tbob\tSales\t61"}));
    EXPECT_TRUE(m_panel->visits_loaded());
    EXPECT_TRUE(m_panel->chats_loaded());
    selectPage(VisitDetail::PAGE_PREVIOUS_VISITS);
    selectPage(VisitDetail::PAGE_CHATS);
    EXPECT_TRUE(m_services.requests.empty());

    // A new visit goes back to the visit page, forgets the history and asks again.
    m_panel->show_visit(annVisit("4"));
    EXPECT_EQ(m_panel->notebook()->GetSelection(), VisitDetail::PAGE_VISIT);
    EXPECT_EQ(visits->GetNumberRows(), 0);
    EXPECT_EQ(m_panel->earlier_chats_grid()->GetNumberRows(), 0);
    EXPECT_FALSE(m_panel->visits_loaded());
    EXPECT_FALSE(m_panel->chats_loaded());
    EXPECT_EQ(m_panel->prev_visits(), nullptr);
    selectPage(VisitDetail::PAGE_CHATS);
    selectPage(VisitDetail::PAGE_PREVIOUS_VISITS);
    EXPECT_EQ(m_services.requests,
              (std::vector<wxString>{"prevchats S1 10.0.0.7", "prevvisits S1 10.0.0.7 ann"}));
}

TEST_F(VisitDetailTest, AHistoryWhoseReplyWasLostIsAskedForAgain) {
    m_panel->show_visit(annVisit());
    selectPage(VisitDetail::PAGE_PREVIOUS_VISITS);
    selectPage(VisitDetail::PAGE_CHATS);
    ASSERT_EQ(m_services.requests.size(), 2u);
    // The replies never reach the panel (the owner dropped them). Showing each page again asks
    // again, and the answer to that request fills it.
    m_services.requests.clear();
    selectPage(VisitDetail::PAGE_PREVIOUS_VISITS);
    EXPECT_EQ(m_services.requests, (std::vector<wxString>{"prevvisits S1 10.0.0.7 ann"}));
    m_panel->show_prev_visits(prevVisitsMessage("S1:10.0.0.7:ann", {prevVisitRecord("1", "", "")}));
    EXPECT_TRUE(m_panel->visits_loaded());
    selectPage(VisitDetail::PAGE_CHATS);
    EXPECT_EQ(m_services.requests,
              (std::vector<wxString>{"prevvisits S1 10.0.0.7 ann", "prevchats S1 10.0.0.7"}));
    EXPECT_EQ(m_panel->earlier_chats_grid()->GetCellValue(0, VisitDetail::REQUESTING_COLUMN),
              "Requesting...");
    m_panel->show_prev_chats(prevChatsMessage("S1:10.0.0.7", {"d\tn\tC9\tu\tdep\t5"}));
    EXPECT_TRUE(m_panel->chats_loaded());
    EXPECT_EQ(m_panel->earlier_chats_grid()->GetCellValue(0, VisitDetail::EARLIER_CHAT_ID_COLUMN),
              "C9");
}

TEST_F(VisitDetailTest, NoRequestsWithoutAVisit) {
    selectPage(VisitDetail::PAGE_PREVIOUS_VISITS);
    selectPage(VisitDetail::PAGE_CHATS);
    EXPECT_TRUE(m_services.requests.empty());
    EXPECT_EQ(m_panel->earlier_visits_grid()->GetNumberRows(), 0);
    EXPECT_EQ(m_panel->earlier_chats_grid()->GetNumberRows(), 0);
}

TEST_F(VisitDetailTest, EarlierVisitsWithFlagsOfKnownAlerts) {
    m_services.addAlert("S1", "7|Hot Lead|255|3");  // red flag on red
    m_services.addAlert("S1", "9|Plain|0|2");       // green flag, no colour
    m_panel->show_visit(annVisit());
    m_panel->show_prev_visits(prevVisitsMessage(
        "S1:10.0.0.7:ann", {prevVisitRecord("1", "7", "http://r.example/1"),
                            prevVisitRecord("2", "0", ""), prevVisitRecord("3", "9", "")}));

    wxGrid* grid = m_panel->earlier_visits_grid();
    ASSERT_EQ(grid->GetNumberRows(), 3);
    EXPECT_EQ(columnOf(grid, 1), (std::vector<wxString>{"I", "I", "I"}));
    EXPECT_EQ(columnOf(grid, 2), (std::vector<wxString>{"1", "2", "3"}));
    EXPECT_EQ(grid->GetCellValue(0, 3), "2024-03-01");
    EXPECT_EQ(grid->GetCellValue(0, 4), "10:11");
    EXPECT_EQ(grid->GetCellValue(0, 5), "/home");
    EXPECT_EQ(grid->GetCellValue(0, 6), "/buy");
    EXPECT_EQ(grid->GetCellValue(0, 7), "12");
    EXPECT_EQ(grid->GetCellValue(0, 8), "5");
    EXPECT_EQ(grid->GetCellValue(0, 9), "");
    EXPECT_EQ(grid->GetCellValue(0, 10), "http://r.example/1");

    struct FlagCase {
        int row;
        bool flagged;
        wxColour background;
    };
    for (const FlagCase& c : {FlagCase{0, true, wxColour(255, 0, 0)},
                              FlagCase{1, false, wxColour()}, FlagCase{2, true, *wxWHITE}}) {
        SCOPED_TRACE(c.row);
        wxGridCellRenderer* renderer = grid->GetCellRenderer(c.row, 0);
        auto* flag = dynamic_cast<CellImageRenderer*>(renderer);
        EXPECT_EQ(flag != nullptr, c.flagged);
        if (flag) {
            ASSERT_TRUE(flag->icon().IsOk());
            EXPECT_EQ(flag->icon().GetWidth(), 16);
            EXPECT_EQ(flag->icon().GetHeight(), 16);
            EXPECT_EQ(flag->background().GetColour(), c.background);
        }
        renderer->DecRef();
    }
    EXPECT_EQ(grid->GetColSize(0), VisitDetail::EARLIER_VISIT_MARK_WIDTH);
    EXPECT_EQ(grid->GetColSize(1), VisitDetail::EARLIER_VISIT_MARK_WIDTH);
    EXPECT_TRUE(m_panel->visits_loaded());

    // A later answer without alerts leaves no flag of the earlier one behind.
    m_panel->show_prev_visits(
        prevVisitsMessage("S1:10.0.0.7:ann", {prevVisitRecord("4", "0", "")}));
    ASSERT_EQ(grid->GetNumberRows(), 1);
    wxGridCellRenderer* renderer = grid->GetCellRenderer(0, 0);
    EXPECT_EQ(dynamic_cast<CellImageRenderer*>(renderer), nullptr);
    renderer->DecRef();
}

TEST_F(VisitDetailTest, HistoryOfAnotherVisitorIsDropped) {
    m_panel->show_visit(annVisit());
    selectPage(VisitDetail::PAGE_PREVIOUS_VISITS);
    struct Reply {
        const char* what;
        const char* key;
    };
    for (const Reply& r :
         {Reply{"other address", "S1:10.0.0.8:ann"}, Reply{"other site", "S2:10.0.0.7:ann"}}) {
        SCOPED_TRACE(r.what);
        m_panel->show_prev_visits(prevVisitsMessage(r.key, {prevVisitRecord("1", "", "")}));
        m_panel->show_prev_chats(prevChatsMessage(r.key, {"d\tn\tC9\tu\tdep\t5"}));
        EXPECT_FALSE(m_panel->visits_loaded());
        EXPECT_FALSE(m_panel->chats_loaded());
        EXPECT_EQ(m_panel->prev_visits(), nullptr);
        EXPECT_EQ(m_panel->earlier_visits_grid()->GetCellValue(0, 4), "Requesting...");
    }
}

TEST_F(VisitDetailTest, EarlierChatsAndDoubleClick) {
    m_panel->show_visit(annVisit());
    selectPage(VisitDetail::PAGE_CHATS);
    doubleClickChat(0);  // the "Requesting..." row names no chat
    EXPECT_EQ(m_services.requests, (std::vector<wxString>{"prevchats S1 10.0.0.7"}));

    m_panel->show_prev_chats(
        prevChatsMessage("S1:10.0.0.7", {"2024-01-01 10:00\tAnn\tC1\tbob\tSales\t3725",
                                         "2024-02-02 11:00\tAnn\tC2\tsue\tSupport\t59"}));
    wxGrid* grid = m_panel->earlier_chats_grid();
    ASSERT_EQ(grid->GetNumberRows(), 2);
    EXPECT_EQ(columnOf(grid, 0), (std::vector<wxString>{"2024-01-01 10:00", "2024-02-02 11:00"}));
    EXPECT_EQ(columnOf(grid, 1), (std::vector<wxString>{"Ann", "Ann"}));
    EXPECT_EQ(columnOf(grid, 2), (std::vector<wxString>{"C1", "C2"}));
    EXPECT_EQ(columnOf(grid, 3), (std::vector<wxString>{"bob", "sue"}));
    EXPECT_EQ(columnOf(grid, 4), (std::vector<wxString>{"Sales", "Support"}));
    EXPECT_EQ(columnOf(grid, 5), (std::vector<wxString>{"1:2:5", "0:0:59"}));

    m_services.requests.clear();
    doubleClickChat(1);
    doubleClickChat(5);   // past the last row
    doubleClickChat(-1);  // a label cell
    EXPECT_EQ(m_services.requests, (std::vector<wxString>{"prevchat S1 C2"}));
}

TEST_F(VisitDetailTest, ChatsHandedOverBeforeAnyVisit) {
    // A chat window passes on its earlier chats before the visit detail arrived: they count as
    // loaded and a double click names the chats' own site.
    m_panel->show_prev_chats(prevChatsMessage("S4:10.9.9.9", {"d\tBob\tC7\tann\tSales\t10"}));
    EXPECT_TRUE(m_panel->chats_loaded());
    selectPage(VisitDetail::PAGE_CHATS);
    EXPECT_TRUE(m_services.requests.empty());
    doubleClickChat(0);
    EXPECT_EQ(m_services.requests, (std::vector<wxString>{"prevchat S4 C7"}));
}

TEST_F(VisitDetailTest, EmptyAndNullMessagesAreHarmless) {
    m_panel->show_visit(nullptr);
    m_panel->show_prev_visits(nullptr);
    m_panel->show_prev_chats(nullptr);
    EXPECT_EQ(m_panel->visit(), nullptr);

    m_panel->show_visit(visitMessage("@VISITDETAIL:"));
    EXPECT_EQ(m_panel->facts(), (Facts{{"Visit Number", " of "}}));
    EXPECT_EQ(m_panel->page_grid()->GetNumberRows(), 0);
    m_panel->show_prev_visits(prevVisitsMessage("", {}));
    m_panel->show_prev_chats(prevChatsMessage("", {}));
    EXPECT_EQ(m_panel->earlier_visits_grid()->GetNumberRows(), 0);
    EXPECT_EQ(m_panel->earlier_chats_grid()->GetNumberRows(), 0);
    EXPECT_TRUE(m_panel->visits_loaded());
    EXPECT_TRUE(m_panel->chats_loaded());
}

TEST_F(VisitDetailTest, PanelWithoutServicesShowsButNeverAsks) {
    auto* panel = new VisitDetail(m_frame, nullptr);
    panel->show_visit(visitMessage(visitDetailText("S1:1.1.1.1:x", {{5, "2"}, {6, "7"}})));
    EXPECT_EQ(panel->facts(), (Facts{{"Visit Number", "2 of "}}));
    panel->notebook()->SetSelection(VisitDetail::PAGE_PREVIOUS_VISITS);
    Tavoro::Test::pumpEvents(10);
    EXPECT_EQ(panel->earlier_visits_grid()->GetNumberRows(), 0);
    panel->Destroy();
}

}  // namespace
