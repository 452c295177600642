#pragma once

#include <wx/statusbr.h>

namespace Tavoro {

// A status bar whose new text is painted with the window's next repaint.
//
// The toolkit's own status bar repaints its window at once, synchronously, whenever a text
// changes, so that a text shown before a long operation is seen. In a chat window the text
// changes with every "typing" notice from the visitor, twice per line, and each synchronous
// repaint (transcript included) costs milliseconds that the next visitor line then waits for.
class QuietStatusBar : public wxStatusBar {
  public:
    QuietStatusBar(wxWindow* parent, wxWindowID id, long style, const wxString& name)
        : wxStatusBar(parent, id, style, name) {}

  protected:
    void DoUpdateStatusText(int number) override {
        wxRect rect;
        if (GetFieldRect(number, rect))
            RefreshRect(rect);
    }
};

}  // namespace Tavoro
