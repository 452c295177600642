#include "widgets/TranscriptView.h"

#include <wx/dcclient.h>
#include <wx/html/winpars.h>

#include <algorithm>

namespace Tavoro {
namespace {

// One appended piece. Off screen it has nothing to replay: the piece sets its own font and
// colour where it starts.
class TranscriptBlock : public wxHtmlContainerCell {
  public:
    using wxHtmlContainerCell::wxHtmlContainerCell;
    void DrawInvisible(wxDC&, int, int, wxHtmlRenderingInfo&) override {}
};

}  // namespace

TranscriptView::TranscriptView(wxWindow* parent, wxWindowID id, const wxPoint& pos,
                               const wxSize& size, long style, const wxString& name)
    : wxHtmlWindow(parent, id, pos, size, style, name) {
    SetPage(wxString());
}

void TranscriptView::set_html(const wxString& html) {
    m_html = html;
    SetPage(html);
}

void TranscriptView::append_html(const wxString& html) {
    if (html.empty())
        return;
    m_html += html;
    wxHtmlContainerCell* page = GetInternalRepresentation();
    wxHtmlWinParser* parser = GetParser();
    if (!page || !parser) {
        SetPage(m_html);
        return;
    }
    // A piece ends its last line with a break. In one page that break opens the line the next
    // piece's text goes into; a block starts on a line of its own, so the break is dropped
    // instead of leaving an empty line between pieces.
    wxString piece = html;
    if (piece.Right(4).Lower() == "<br>")
        piece.RemoveLast(4);
    wxClientDC dc(this);
    dc.SetMapMode(wxMM_TEXT);
    parser->SetDC(&dc);
    wxObject* parsed = parser->Parse(piece);
    parser->SetDC(nullptr);
    auto* cells = dynamic_cast<wxHtmlCell*>(parsed);
    if (!cells) {
        delete parsed;
        SetPage(m_html);
        return;
    }
    // The block puts itself at the end of the page; the page lays out again, and its earlier
    // blocks keep their layout for the unchanged width.
    auto* block = new TranscriptBlock(page);
    block->InsertCell(cells);
    CreateLayout();
    Refresh();
}

void TranscriptView::scroll_to_bottom() {
    int unitX = 0;
    int unitY = 0;
    GetScrollPixelsPerUnit(&unitX, &unitY);
    if (unitY <= 0)
        return;
    const int hidden = GetVirtualSize().GetHeight() - GetClientSize().GetHeight();
    Scroll(-1, std::max(0, hidden / unitY + 1));
}

}  // namespace Tavoro
