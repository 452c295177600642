#pragma once

#include <wx/html/htmlwin.h>

namespace Tavoro {

// The HTML view of a chat transcript, made for a text that only grows at its end.
//
// The toolkit's own append parses and lays out the whole page again, and every repaint walks
// every cell of the page to replay font and colour changes above the visible part. A chat of a
// few hundred lines then costs tens of milliseconds per line. Here each appended piece is parsed
// on its own into a block of its own at the end of the page; laying out reuses the earlier
// blocks, and a block out of sight is skipped when painting (each piece starts from the
// parser's initial font and colour, so no state carries from one block to the next).
class TranscriptView : public wxHtmlWindow {
  public:
    TranscriptView(wxWindow* parent, wxWindowID id, const wxPoint& pos, const wxSize& size,
                   long style, const wxString& name);

    // Replaces the whole transcript.
    void set_html(const wxString& html);
    // Adds html (whole elements: every tag it opens it closes) at the end.
    void append_html(const wxString& html);
    // The transcript's HTML as set and appended.
    const wxString& html() const { return m_html; }
    // Scrolls so the last line is in view.
    void scroll_to_bottom();

  private:
    wxString m_html;
};

}  // namespace Tavoro
