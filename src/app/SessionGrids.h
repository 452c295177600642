#pragma once

#include <wx/string.h>

#include "types/OperatorStatus.h"

class wxGrid;
class wxToolBar;
class wxWindow;

namespace Tavoro {

namespace Session {
class OperatorSession;
}

// The main window's plain grids and its status toolbar: how they are made and labelled, and
// how they show the session's lists.
namespace SessionGrids {

// An empty grid of cols columns.
wxGrid* makeGrid(wxWindow* parent, const wxString& name, int cols);
// Column labels of "Current Operators", "Chatting Visitors" and "Pending Call Backs".
void labelGrids(wxGrid* operators, wxGrid* chatting, wxGrid* callbacks);
// The session's chat list, one row per chat, operators by name.
void showChats(wxGrid* grid, const Session::OperatorSession& session);
// The session's operators, one row each; returns the label of their page.
wxString showOperators(wxGrid* grid, const Session::OperatorSession& session);

// The four status tools and "Site Properties", the stored default status selected.
void buildToolBar(wxToolBar* toolBar, Types::OperatorStatus defaultStatus);
// The icon file of a status, as its tool and the tray icon show it.
wxString statusIconFile(Types::OperatorStatus status);
// The status of the selected status tool.
Types::OperatorStatus selectedStatus(const wxToolBar* toolBar);

}  // namespace SessionGrids
}  // namespace Tavoro
