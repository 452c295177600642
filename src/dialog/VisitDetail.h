#pragma once

#include <wx/panel.h>

class wxGrid;
class wxNotebook;
class wxSplitterWindow;

namespace Tavoro {
class ClientServices;
}

namespace Tavoro::Dialog {

// Everything known about one visit: the labelled facts and the pages viewed (page "Visit
// Detail"), and, on request, the visitor's earlier visits and earlier chats. A child panel:
// the main window shows one beside the visitor grid, every chat window one beside its
// transcript. It never talks to the server itself; history requests go through the owner's
// services, and the owner hands it the replies.
//
// This class builds the layout; the operations that fill it (show_visit,
// show_earlier_visits, show_earlier_chats) and the page-change requests come with the visit
// history messages.
class VisitDetail : public wxPanel {
  public:
    // Notebook page indexes.
    enum Page { PAGE_VISIT = 0, PAGE_PREVIOUS_VISITS = 1, PAGE_CHATS = 2 };
    // Column counts of the grids.
    static constexpr int FACT_COLUMNS = 2;
    static constexpr int PAGE_COLUMNS = 3;
    static constexpr int EARLIER_VISIT_COLUMNS = 11;
    static constexpr int EARLIER_CHAT_COLUMNS = 6;

    // services: the owner's request services; not owned, may be null (requests are then not
    // sent).
    VisitDetail(wxWindow* parent, ClientServices* services);
    ~VisitDetail() override;

    ClientServices* services() const { return m_services; }

    // Sets the page grid's headers "Time", "Status", "Page" (again each time it is filled).
    void label_page_grid();

  private:
    void build_layout();
    void label_earlier_visits_grid();
    void label_earlier_chats_grid();

    ClientServices* m_services;

    wxNotebook* m_notebook = nullptr;
    wxSplitterWindow* m_splitter = nullptr;
    wxGrid* m_factGrid = nullptr;
    wxGrid* m_pageGrid = nullptr;
    wxGrid* m_earlierVisitsGrid = nullptr;
    wxGrid* m_earlierChatsGrid = nullptr;
};

}  // namespace Tavoro::Dialog
