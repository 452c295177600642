#pragma once

#include <wx/panel.h>
#include <wx/treebase.h>

#include <functional>
#include <memory>
#include <vector>

#include "settings/CannedResponses.h"

class wxButton;
class wxMenu;
class wxTextCtrl;
class wxTreeCtrl;
class wxTreeEvent;

namespace Tavoro::Dialog {

// The "Canned Responses" page of the options dialog: the operator's subjects and responses as
// a tree under "Subjects", the text of the selected entry and "Save Text". The context menu of
// an entry adds a subject or a response, renames, deletes (after asking) and moves it among
// its neighbours. Every change is written to the list file at once, so it is kept whether the
// dialog ends with OK or Cancel; a change that cannot be written is reported.
class CannedResponsesPage : public wxPanel {
  public:
    enum Id : int {
        ID_ADD_SUBJECT = wxID_HIGHEST + 400,
        ID_ADD_RESPONSE,
        ID_RENAME,
        ID_DELETE,
        ID_MOVE_UP,
        ID_MOVE_DOWN,
    };

    // Prompts go through these hooks when set, so a test can answer them.
    // Asks for a name; false when the operator cancels.
    static std::function<bool(wxWindow* parent, const wxString& caption, wxString& value)>
        askNameHook;
    // Shows a message box; returns wxYES, wxNO or wxOK.
    static std::function<int(wxWindow* parent, const wxString& text, const wxString& caption,
                             long style)>
        messageBoxHook;

    // file: the list file (CannedResponses::fileBeside the settings file).
    CannedResponsesPage(wxWindow* parent, const wxString& file);
    ~CannedResponsesPage() override;

    wxTreeCtrl* tree() const { return m_tree; }
    wxTextCtrl* text() const { return m_text; }
    wxButton* saveTextButton() const { return m_saveText; }
    wxMenu* contextMenu() const { return m_menu.get(); }
    const std::vector<CannedResponse>& responses() const { return m_list; }

    // A context menu command on the selected entry.
    void run_command(int id);
    // "Save Text": the text box becomes the selected entry's text.
    void save_text();

  private:
    using Path = std::vector<size_t>;

    Path path_of(const wxTreeItemId& item) const;
    wxTreeItemId item_at(const Path& path) const;
    CannedResponse* entry_at(const Path& path);
    std::vector<CannedResponse>& siblings_of(const Path& path);
    void refill(const Path& select);
    void fill(const wxTreeItemId& parent, const std::vector<CannedResponse>& list);
    void show_text(const wxTreeItemId& item);
    void store();
    void update_menu();
    bool ask_name(const wxString& caption, wxString& value);
    int message(const wxString& text, const wxString& caption, long style);

    void add(bool subject);
    void rename();
    void remove();
    void move(int step);

    wxString m_file;
    std::vector<CannedResponse> m_list;
    wxTreeCtrl* m_tree = nullptr;
    wxTextCtrl* m_text = nullptr;
    wxButton* m_saveText = nullptr;
    std::unique_ptr<wxMenu> m_menu;
};

}  // namespace Tavoro::Dialog
