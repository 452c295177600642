#pragma once

#include <wx/panel.h>

#include <memory>
#include <utility>
#include <vector>

class wxGrid;
class wxGridEvent;
class wxBookCtrlEvent;
class wxNotebook;
class wxSplitterWindow;

namespace Tavoro {
class ClientServices;
}
namespace Tavoro::Messages {
class S_VISITDETAIL;
class S_PREVVISITS;
class S_PREVCHATS;
}  // namespace Tavoro::Messages

namespace Tavoro::Dialog {

// Everything known about one visit: the labelled facts and the pages viewed (page "Visit
// Detail"), and, on request, the visitor's earlier visits and earlier chats. A child panel:
// the main window shows one beside the visitor grid, every chat window one beside its
// transcript. It never talks to the server itself; history requests go through the owner's
// services, and the owner hands it the replies, which it then keeps.
//
// The earlier visits and chats of a visit are asked for when their page is selected, until
// the answer has arrived: each selection of the page while it still says "Requesting..." asks
// once more (the owner drops a reply it cannot place, and the page would otherwise wait for
// it for good). A new visit clears them and makes the next selection ask again.
class VisitDetail : public wxPanel {
  public:
    // Notebook page indexes.
    enum Page { PAGE_VISIT = 0, PAGE_PREVIOUS_VISITS = 1, PAGE_CHATS = 2 };

    // Columns of the fact grid (no headers): the label and the value of each fact.
    enum FactColumn { FACT_LABEL_COLUMN = 0, FACT_VALUE_COLUMN = 1, FACT_COLUMNS = 2 };
    // Columns of the page grid, headed "Time", "Status", "Page".
    enum PageColumn {
        PAGE_TIME_COLUMN = 0,
        PAGE_STATUS_COLUMN = 1,
        PAGE_TITLE_COLUMN = 2,  // the page's title, or its address when it has none
        PAGE_COLUMNS = 3,
    };
    // Columns of the earlier visits grid.
    enum EarlierVisitColumn {
        EARLIER_VISIT_FLAG_COLUMN = 0,  // the flag of the alert the visit raised
        EARLIER_VISIT_MARK_COLUMN = 1,  // "I"
        EARLIER_VISIT_NUMBER_COLUMN = 2,
        EARLIER_VISIT_DATE_COLUMN = 3,
        EARLIER_VISIT_TIME_COLUMN = 4,
        EARLIER_VISIT_FIRST_PAGE_COLUMN = 5,
        EARLIER_VISIT_LAST_PAGE_COLUMN = 6,
        EARLIER_VISIT_MINS_ON_COLUMN = 7,
        EARLIER_VISIT_PAGES_COLUMN = 8,
        EARLIER_VISIT_COST_COLUMN = 9,  // always empty: the record's cost field is not known
        EARLIER_VISIT_REFERRER_COLUMN = 10,
        EARLIER_VISIT_COLUMNS = 11,
    };
    // Fixed width in pixels of the flag and marker columns.
    static constexpr int EARLIER_VISIT_MARK_WIDTH = 5;
    // Columns of the earlier chats grid.
    enum EarlierChatColumn {
        EARLIER_CHAT_DATE_TIME_COLUMN = 0,
        EARLIER_CHAT_NAME_COLUMN = 1,
        EARLIER_CHAT_ID_COLUMN = 2,  // the chat identifier an earlier chat is asked for by
        EARLIER_CHAT_USER_COLUMN = 3,
        EARLIER_CHAT_DEPARTMENT_COLUMN = 4,
        EARLIER_CHAT_DURATION_COLUMN = 5,
        EARLIER_CHAT_COLUMNS = 6,
    };
    // Column of both history grids where "Requesting..." is written while a history request
    // is pending.
    static constexpr int REQUESTING_COLUMN = 4;

    // services: the owner's request services; not owned, may be null (requests are then not
    // sent).
    VisitDetail(wxWindow* parent, ClientServices* services);
    ~VisitDetail() override;

    ClientServices* services() const { return m_services; }

    // Shows a new visit (the reply to "@GETVISIT"), which the panel takes over: switches to
    // the "Visit Detail" page, lists the facts and the pages, and forgets the earlier visits
    // and chats of the previous visit. A null message changes nothing.
    void show_visit(std::unique_ptr<Messages::S_VISITDETAIL> visit);
    // Fills the earlier visits grid from the reply to "@GETPREVVISITS:", which the panel takes
    // over. A reply for another visitor than the one shown (other site key or IP address) is
    // dropped, so a late answer cannot list someone else's visits under this visit.
    void show_prev_visits(std::unique_ptr<Messages::S_PREVVISITS> visits);
    // Fills the earlier chats grid from the reply to "@GETPREVCHATS:", taken over as above.
    // A chat window also hands over the earlier chats it received before any visit detail.
    void show_prev_chats(std::unique_ptr<Messages::S_PREVCHATS> chats);

    // Asks for the earlier chat shown in that row of the earlier chats grid (what a double
    // click does). Rows without a chat (the "Requesting..." row, out of range) ask nothing.
    void open_prev_chat(int row);

    // Sets the page grid's headers "Time", "Status", "Page" (again each time it is filled).
    void label_page_grid();

    // What the panel holds; null until the corresponding message arrived.
    const Messages::S_VISITDETAIL* visit() const { return m_visit.get(); }
    const Messages::S_PREVVISITS* prev_visits() const { return m_prevVisits.get(); }
    const Messages::S_PREVCHATS* prev_chats() const { return m_prevChats.get(); }
    bool visits_loaded() const { return m_visitsLoaded; }
    bool chats_loaded() const { return m_chatsLoaded; }

    // The facts of the shown visit as (label, value), in the order of the fact grid's rows.
    std::vector<std::pair<wxString, wxString>> facts() const;

    wxNotebook* notebook() const { return m_notebook; }
    wxGrid* fact_grid() const { return m_factGrid; }
    wxGrid* page_grid() const { return m_pageGrid; }
    wxGrid* earlier_visits_grid() const { return m_earlierVisitsGrid; }
    wxGrid* earlier_chats_grid() const { return m_earlierChatsGrid; }

  private:
    void build_layout();
    void label_earlier_visits_grid();
    void label_earlier_chats_grid();

    void fill_facts();
    void fill_pages();
    void clear_history();
    // Sends the history request of the selected page when it is still needed.
    void on_page_changed(wxBookCtrlEvent& event);
    void on_chat_double_click(wxGridEvent& event);
    void request_prev_visits();
    void request_prev_chats();

    ClientServices* m_services;

    std::unique_ptr<Messages::S_VISITDETAIL> m_visit;
    std::unique_ptr<Messages::S_PREVVISITS> m_prevVisits;
    std::unique_ptr<Messages::S_PREVCHATS> m_prevChats;
    // Loaded: the grid shows the reply. Requested: a request for the current visit went out
    // and the grid shows "Requesting..." until the reply arrives.
    bool m_visitsLoaded = false;
    bool m_chatsLoaded = false;
    bool m_visitsRequested = false;
    bool m_chatsRequested = false;

    wxNotebook* m_notebook = nullptr;
    wxSplitterWindow* m_splitter = nullptr;
    wxGrid* m_factGrid = nullptr;
    wxGrid* m_pageGrid = nullptr;
    wxGrid* m_earlierVisitsGrid = nullptr;
    wxGrid* m_earlierChatsGrid = nullptr;
};

}  // namespace Tavoro::Dialog
