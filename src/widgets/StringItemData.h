#pragma once

#include <wx/string.h>
#include <wx/treebase.h>

namespace Tavoro::Tools {

// Tree item data holding one text; the tree owns and deletes it with its item.
class StringItemData : public wxTreeItemData {
  public:
    StringItemData() = default;
    explicit StringItemData(const wxString& text);
    ~StringItemData() override;

    void setText(const wxString& text);
    const wxString& getText() const { return m_text; }

  private:
    wxString m_text;
};

}  // namespace Tavoro::Tools
