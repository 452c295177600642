// The chat transcript view: pieces appended one by one must read, lay out and paint exactly as
// if the whole page had been set at once.
#include <gtest/gtest.h>

#include <wx/dcmemory.h>
#include <wx/frame.h>
#include <wx/html/htmlcell.h>
#include <wx/image.h>

#include "GuiTestUtil.h"
#include "widgets/TranscriptView.h"

using Tavoro::TranscriptView;

namespace {

wxString line(int n, const wxString& colour = "#000000") {
    return wxString::Format("<font color='%s'>line %d: hello there</font><br>", colour, n);
}

class TranscriptViewTest : public ::testing::Test {
  protected:
    void SetUp() override {
        frame = new wxFrame(nullptr, wxID_ANY, "transcript", wxDefaultPosition, wxSize(400, 300));
        view = new TranscriptView(frame, wxID_ANY, wxDefaultPosition, wxDefaultSize,
                                  wxHW_SCROLLBAR_AUTO, "transcript");
        frame->Show();
        Tavoro::Test::pumpEvents(50);
    }
    void TearDown() override { frame->Destroy(); }

    // The page's text as the view renders it.
    wxString shownText() { return view->ToText(); }
    int pageHeight() { return view->GetInternalRepresentation()->GetHeight(); }

    // Paints the page cells inside [top, top + height) into a bitmap, as the view does when that
    // band is on screen, and counts the pixels that are clearly red from row countFrom of the
    // band on.
    int redPixelsIn(int top, int height, int countFrom = 0) {
        wxBitmap bitmap(400, height);
        wxMemoryDC dc(bitmap);
        dc.SetBackground(*wxWHITE_BRUSH);
        dc.Clear();
        wxHtmlRenderingInfo info;
        wxDefaultHtmlRenderingStyle style;
        info.SetStyle(&style);
        dc.SetDeviceOrigin(0, -top);
        view->GetInternalRepresentation()->Draw(dc, 0, 0, top, top + height, info);
        dc.SelectObject(wxNullBitmap);
        const wxImage image = bitmap.ConvertToImage();
        int red = 0;
        for (int y = countFrom; y < image.GetHeight(); ++y) {
            for (int x = 0; x < image.GetWidth(); ++x) {
                if (image.GetRed(x, y) > 150 && image.GetGreen(x, y) < 100 &&
                    image.GetBlue(x, y) < 100)
                    ++red;
            }
        }
        return red;
    }

    wxFrame* frame = nullptr;
    TranscriptView* view = nullptr;
};

TEST_F(TranscriptViewTest, AppendedPiecesReadAndLayOutLikeOnePage) {
    wxString whole;
    for (int i = 1; i <= 40; ++i) {
        view->append_html(line(i));
        whole += line(i);
    }
    EXPECT_EQ(view->html(), whole);
    const wxString text = shownText();
    size_t at = 0;
    for (int i = 1; i <= 40; ++i) {
        const size_t found = text.find(wxString::Format("line %d:", i), at);
        ASSERT_NE(found, wxString::npos) << "line " << i << " missing or out of order";
        at = found + 1;
    }
    const int appendedHeight = pageHeight();

    // The same lines as one page (whose last break opens one more, empty line).
    TranscriptView reference(frame, wxID_ANY, wxDefaultPosition, view->GetSize(),
                             wxHW_SCROLLBAR_AUTO, "reference");
    reference.set_html(whole.Left(whole.length() - 4));
    EXPECT_EQ(appendedHeight, reference.GetInternalRepresentation()->GetHeight())
        << "each appended line takes the room it takes in a whole page";

    view->set_html(line(99));
    EXPECT_EQ(view->html(), line(99));
    EXPECT_FALSE(shownText().Contains("line 1:"));
    EXPECT_TRUE(shownText().Contains("line 99:"));
    EXPECT_LT(pageHeight(), appendedHeight);
}

// Pieces out of sight are skipped when painting; a visible piece must still get its own colour
// and not one left over from a piece above it.
TEST_F(TranscriptViewTest, PiecesPaintInTheirOwnColoursWhenScrolled) {
    for (int i = 1; i <= 30; ++i)
        view->append_html(line(i, "#FF0000"));
    const int redEnd = pageHeight();
    for (int i = 31; i <= 60; ++i)
        view->append_html(line(i));
    const int blackBand = pageHeight() - redEnd;
    ASSERT_GT(blackBand, 40);

    EXPECT_GT(redPixelsIn(0, 40), 0) << "the red lines paint red";
    EXPECT_EQ(redPixelsIn(redEnd + 4, blackBand - 8), 0)
        << "black lines below scrolled-away red ones paint black";
    // A band that starts in the last red line: the painter's colour is red when the first black
    // line is reached.
    // (The page has a border of 10 pixels below its last line.)
    const int lineHeight = blackBand / 30;
    const int lastRedTop = redEnd - 10 - lineHeight;
    EXPECT_GT(redPixelsIn(lastRedTop, lineHeight), 0);
    EXPECT_EQ(redPixelsIn(lastRedTop, 4 * lineHeight, lineHeight + 2), 0)
        << "a black line right after a red one paints black";
}

TEST_F(TranscriptViewTest, ScrollToBottomShowsTheLastLine) {
    for (int i = 1; i <= 200; ++i)
        view->append_html(line(i));
    view->scroll_to_bottom();
    Tavoro::Test::pumpEvents(20);
    int unitX = 0, unitY = 0;
    view->GetScrollPixelsPerUnit(&unitX, &unitY);
    ASSERT_GT(unitY, 0);
    const int shownBottom = view->GetViewStart().y * unitY + view->GetClientSize().GetHeight();
    EXPECT_GE(shownBottom, view->GetVirtualSize().GetHeight() - unitY);
}

}  // namespace
