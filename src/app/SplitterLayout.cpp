#include "app/SplitterLayout.h"

#include <wx/splitter.h>

#include "settings/TavoroSettings.h"

namespace Tavoro::SplitterLayout {
namespace {

// Initial layout for a first start, when no sash position has been stored yet: the site tree
// a comfortable width, the chat notebook a few rows high, the visit detail a readable width.
constexpr int kDefaultVerticalSash = 220;     // from the left edge
constexpr int kDefaultHorizontalSash = -220;  // from the bottom edge
constexpr int kDefaultVisitorsSash = -340;    // from the right edge

int sashOrDefault(const TavoroSettings& settings, int id, int fallback) {
    const long stored = settings.getInt(id);
    // -1 is what a missing or unreadable entry reads as; a stored sash is never -1.
    return stored == -1 ? fallback : static_cast<int>(stored);
}

}  // namespace

void restore(const TavoroSettings& settings, const Panes& p) {
    p.sites->SplitVertically(p.tree, p.notebook,
                             sashOrDefault(settings, SETTING_VERTICAL_SASH, kDefaultVerticalSash));
    p.outer->SplitHorizontally(
        p.sites, p.chats, sashOrDefault(settings, SETTING_HORIZONTAL_SASH, kDefaultHorizontalSash));
    p.visitors->SplitVertically(
        p.grid, p.detail, sashOrDefault(settings, SETTING_VISITORS_SASH, kDefaultVisitorsSash));
    p.visitors->Unsplit(p.detail);
    p.outer->SetSashGravity(1.0);
    p.visitors->SetSashGravity(1.0);
}

void reshowDetail(const TavoroSettings& settings, wxSplitterWindow* visitors, wxWindow* grid,
                  wxWindow* detail) {
    if (visitors->IsSplit())
        return;
    detail->Show();
    visitors->SplitVertically(grid, detail,
                              sashOrDefault(settings, SETTING_VISITORS_SASH, kDefaultVisitorsSash));
}

void store(TavoroSettings& settings, wxSplitterWindow* sites, wxSplitterWindow* outer,
           wxSplitterWindow* visitors) {
    settings.setInt(SETTING_VERTICAL_SASH, sites->GetSashPosition());
    settings.setInt(SETTING_HORIZONTAL_SASH, outer->GetSashPosition());
    if (visitors->IsSplit())
        settings.setInt(SETTING_VISITORS_SASH, visitors->GetSashPosition());
    settings.flush();
}

}  // namespace Tavoro::SplitterLayout
