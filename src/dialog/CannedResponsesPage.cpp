#include "dialog/CannedResponsesPage.h"

#include <wx/button.h>
#include <wx/menu.h>
#include <wx/msgdlg.h>
#include <wx/sizer.h>
#include <wx/textctrl.h>
#include <wx/textdlg.h>
#include <wx/treectrl.h>

#include "tools/Placeholders.h"
#include "widgets/StringItemData.h"

namespace Tavoro::Dialog {

using Tools::StringItemData;

namespace {
constexpr int kBorder = 5;
}

std::function<bool(wxWindow*, const wxString&, wxString&)> CannedResponsesPage::askNameHook;
std::function<int(wxWindow*, const wxString&, const wxString&, long)>
    CannedResponsesPage::messageBoxHook;

CannedResponsesPage::CannedResponsesPage(wxWindow* parent, const wxString& file)
    : wxPanel(parent, wxID_ANY, wxDefaultPosition, wxDefaultSize, wxTAB_TRAVERSAL,
              "ID_CANNED_PAGE"),
      m_file(file) {
    auto* row = new wxBoxSizer(wxHORIZONTAL);
    m_tree = new wxTreeCtrl(this, wxID_ANY, wxDefaultPosition, wxSize(180, -1),
                            wxTR_DEFAULT_STYLE | wxTR_SINGLE, wxDefaultValidator, "ID_CANNED_TREE");
    row->Add(m_tree, 0, wxEXPAND | wxALL, kBorder);
    auto* right = new wxBoxSizer(wxVERTICAL);
    m_text = new wxTextCtrl(this, wxID_ANY, wxEmptyString, wxDefaultPosition, wxSize(240, -1),
                            wxTE_MULTILINE, wxDefaultValidator, "ID_CANNED_TEXT");
    right->Add(m_text, 1, wxEXPAND | wxALL, kBorder);
    m_saveText = new wxButton(this, wxID_ANY, _("&Save Text"), wxDefaultPosition, wxDefaultSize, 0,
                              wxDefaultValidator, "ID_SAVE_TEXT");
    right->Add(m_saveText, 0, wxALIGN_RIGHT | wxALL, kBorder);
    row->Add(right, 1, wxEXPAND);
    SetSizer(row);

    m_menu = std::make_unique<wxMenu>();
    m_menu->Append(ID_ADD_SUBJECT, _("Add &Subject"));
    m_menu->Append(ID_ADD_RESPONSE, _("Add &Response"));
    m_menu->Append(ID_RENAME, _("Re&name"));
    m_menu->Append(ID_DELETE, _("&Delete"));
    m_menu->AppendSeparator();
    m_menu->Append(ID_MOVE_UP, _("Move &Up"));
    m_menu->Append(ID_MOVE_DOWN, _("Move Do&wn"));

    m_tree->Bind(wxEVT_TREE_SEL_CHANGED, [this](wxTreeEvent& e) { show_text(e.GetItem()); });
    m_tree->Bind(wxEVT_TREE_ITEM_MENU, [this](wxTreeEvent& e) {
        if (e.GetItem().IsOk())
            m_tree->SelectItem(e.GetItem());
        update_menu();
        PopupMenu(m_menu.get());
    });
    m_saveText->Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { save_text(); });
    Bind(
        wxEVT_MENU, [this](wxCommandEvent& e) { run_command(e.GetId()); }, ID_ADD_SUBJECT,
        ID_MOVE_DOWN);

    bool ok = true;
    m_list = CannedResponses::load(m_file, &ok);
    refill({});
    if (!ok) {
        message(wxString::Format(_("The canned responses could not be read from %s."), m_file),
                _("Canned Responses"), wxOK | wxICON_WARNING);
    }
}

CannedResponsesPage::~CannedResponsesPage() = default;

CannedResponsesPage::Path CannedResponsesPage::path_of(const wxTreeItemId& item) const {
    Path path;
    if (!item.IsOk())
        return path;
    for (wxTreeItemId at = item; at != m_tree->GetRootItem(); at = m_tree->GetItemParent(at)) {
        size_t index = 0;
        for (wxTreeItemId prev = m_tree->GetPrevSibling(at); prev.IsOk();
             prev = m_tree->GetPrevSibling(prev))
            ++index;
        path.insert(path.begin(), index);
    }
    return path;
}

wxTreeItemId CannedResponsesPage::item_at(const Path& path) const {
    wxTreeItemId item = m_tree->GetRootItem();
    for (const size_t index : path) {
        wxTreeItemIdValue cookie;
        wxTreeItemId child = m_tree->GetFirstChild(item, cookie);
        for (size_t i = 0; i < index && child.IsOk(); ++i)
            child = m_tree->GetNextChild(item, cookie);
        if (!child.IsOk())
            break;
        item = child;
    }
    return item;
}

CannedResponse* CannedResponsesPage::entry_at(const Path& path) {
    if (path.empty())
        return nullptr;
    std::vector<CannedResponse>* level = &m_list;
    CannedResponse* entry = nullptr;
    for (const size_t index : path) {
        if (index >= level->size())
            return nullptr;
        entry = &(*level)[index];
        level = &entry->children;
    }
    return entry;
}

std::vector<CannedResponse>& CannedResponsesPage::siblings_of(const Path& path) {
    if (path.size() <= 1)
        return m_list;
    return entry_at(Path(path.begin(), path.end() - 1))->children;
}

void CannedResponsesPage::fill(const wxTreeItemId& parent,
                               const std::vector<CannedResponse>& list) {
    for (const CannedResponse& entry : list) {
        const wxTreeItemId item =
            m_tree->AppendItem(parent, entry.title, -1, -1, new StringItemData(entry.text));
        fill(item, entry.children);
    }
}

void CannedResponsesPage::refill(const Path& select) {
    m_tree->DeleteAllItems();
    const wxTreeItemId root = m_tree->AddRoot(_("Subjects"));
    fill(root, m_list);
    m_tree->ExpandAll();
    const wxTreeItemId selected = item_at(select);
    m_tree->SelectItem(selected);
    // Selecting the item already selected tells nobody: show its text in any case, so "Save
    // Text" never overwrites a text the operator has not seen.
    show_text(selected);
}

void CannedResponsesPage::show_text(const wxTreeItemId& item) {
    const auto* data =
        item.IsOk() ? dynamic_cast<StringItemData*>(m_tree->GetItemData(item)) : nullptr;
    m_text->ChangeValue(data != nullptr ? data->getText() : wxString());
    m_text->Enable(data != nullptr);
}

void CannedResponsesPage::store() {
    if (!CannedResponses::save(m_file, m_list)) {
        message(wxString::Format(_("The canned responses could not be saved to %s. The list "
                                   "saved before is kept."),
                                 m_file),
                _("Canned Responses"), wxOK | wxICON_ERROR);
    }
}

void CannedResponsesPage::update_menu() {
    const Path path = path_of(m_tree->GetSelection());
    const bool entry = entry_at(path) != nullptr;
    m_menu->Enable(ID_RENAME, entry);
    m_menu->Enable(ID_DELETE, entry);
    m_menu->Enable(ID_MOVE_UP, entry && path.back() > 0);
    m_menu->Enable(ID_MOVE_DOWN, entry && path.back() + 1 < siblings_of(path).size());
}

bool CannedResponsesPage::ask_name(const wxString& caption, wxString& value) {
    if (askNameHook)
        return askNameHook(this, caption, value);
    wxTextEntryDialog dialog(this, _("Name:"), caption, value);
    if (dialog.ShowModal() != wxID_OK)
        return false;
    value = dialog.GetValue();
    return true;
}

int CannedResponsesPage::message(const wxString& text, const wxString& caption, long style) {
    if (messageBoxHook)
        return messageBoxHook(this, text, caption, style);
    return wxMessageBox(text, caption, style, this);
}

void CannedResponsesPage::run_command(int id) {
    switch (id) {
        case ID_ADD_SUBJECT:
            add(true);
            break;
        case ID_ADD_RESPONSE:
            add(false);
            break;
        case ID_RENAME:
            rename();
            break;
        case ID_DELETE:
            remove();
            break;
        case ID_MOVE_UP:
            move(-1);
            break;
        case ID_MOVE_DOWN:
            move(+1);
            break;
        default:
            break;
    }
}

void CannedResponsesPage::add(bool subject) {
    wxString name;
    if (!ask_name(subject ? _("Add Subject") : _("Add Response"), name) || name.empty())
        return;
    const Path selected = path_of(m_tree->GetSelection());
    Path target;
    std::vector<CannedResponse>* level = &m_list;
    if (subject) {
        // A subject goes after the top-level subject the selection is in, or last.
        target = {selected.empty() ? m_list.size() : selected.front() + 1};
    } else if (selected.size() == 1) {
        // A response goes into a selected subject, last.
        level = &entry_at(selected)->children;
        target = {selected.front(), level->size()};
    } else if (selected.size() > 1) {
        // or after a selected response.
        level = &siblings_of(selected);
        target = selected;
        ++target.back();
    } else {
        target = {m_list.size()};
    }
    level->insert(level->begin() + static_cast<long>(target.back()), CannedResponse{name, {}, {}});
    store();
    refill(target);
}

void CannedResponsesPage::rename() {
    const Path path = path_of(m_tree->GetSelection());
    CannedResponse* entry = entry_at(path);
    if (!entry)
        return;
    wxString name = entry->title;
    if (!ask_name(_("Rename"), name) || name.empty() || name == entry->title)
        return;
    entry->title = name;
    store();
    refill(path);
}

void CannedResponsesPage::remove() {
    const Path path = path_of(m_tree->GetSelection());
    CannedResponse* entry = entry_at(path);
    if (!entry)
        return;
    const wxString question =
        entry->children.empty()
            ? wxString::Format(_("Delete \"%s\"?"), entry->title)
            : wxString::Format(_("Delete \"%s\" and everything under it?"), entry->title);
    if (message(question, _("Delete Canned Response"), wxYES_NO | wxNO_DEFAULT | wxICON_QUESTION) !=
        wxYES)
        return;
    std::vector<CannedResponse>& level = siblings_of(path);
    level.erase(level.begin() + static_cast<long>(path.back()));
    Path select = path;
    if (select.back() >= level.size()) {
        if (select.back() == 0)
            select.pop_back();
        else
            --select.back();
    }
    store();
    refill(select);
}

void CannedResponsesPage::move(int step) {
    Path path = path_of(m_tree->GetSelection());
    if (!entry_at(path))
        return;
    std::vector<CannedResponse>& level = siblings_of(path);
    const long target = static_cast<long>(path.back()) + step;
    if (target < 0 || target >= static_cast<long>(level.size()))
        return;
    std::swap(level[path.back()], level[static_cast<size_t>(target)]);
    path.back() = static_cast<size_t>(target);
    store();
    refill(path);
}

void CannedResponsesPage::save_text() {
    const Path path = path_of(m_tree->GetSelection());
    CannedResponse* entry = m_tree->GetSelection().IsOk() ? entry_at(path) : nullptr;
    if (!entry)
        return;
    entry->text = m_text->GetValue();
    if (auto* data = dynamic_cast<StringItemData*>(m_tree->GetItemData(m_tree->GetSelection())))
        data->setText(entry->text);
    store();
}

}  // namespace Tavoro::Dialog
