#pragma once

class wxSplitterWindow;
class wxWindow;

namespace Tavoro {
class TavoroSettings;

// Where the main window's three splitters put their sashes: restored from the settings at start
// (or a comfortable first layout), stored again when the window goes.
namespace SplitterLayout {

// sites: site tree | notebook; outer: (sites) over the chat notebook; visitors: visitor grid |
// visit detail. The visit detail pane starts hidden: it shows once there is a visit to show.
struct Panes {
    wxSplitterWindow* sites;
    wxWindow* tree;
    wxWindow* notebook;
    wxSplitterWindow* outer;
    wxWindow* chats;
    wxSplitterWindow* visitors;
    wxWindow* grid;
    wxWindow* detail;
};
void restore(const TavoroSettings& settings, const Panes& panes);
// Shows the visit detail pane beside the grid again, at its stored width, if it was hidden.
void reshowDetail(const TavoroSettings& settings, wxSplitterWindow* visitors, wxWindow* grid,
                  wxWindow* detail);
void store(TavoroSettings& settings, wxSplitterWindow* sites, wxSplitterWindow* outer,
           wxSplitterWindow* visitors);

}  // namespace SplitterLayout
}  // namespace Tavoro
