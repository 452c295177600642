#pragma once

#include <wx/dialog.h>

class wxStaticText;
class wxHyperlinkCtrl;

namespace Tavoro::Dialog {

// The about box: product title, a link to the product's web site and the client's version.
class AboutDialog : public wxDialog {
  public:
    AboutDialog(wxWindow* parent, wxWindowID id);

    static const char* const kVersion;      // the client's version, shown as is
    static const char* const kSiteLabel;    // host-name form of the web site
    static const char* const kSiteAddress;  // the full address the link opens

    wxStaticText* versionText() const { return m_version; }
    wxHyperlinkCtrl* siteLink() const { return m_link; }

  private:
    void onOk(wxCommandEvent& event);

    wxStaticText* m_version = nullptr;
    wxHyperlinkCtrl* m_link = nullptr;

    wxDECLARE_EVENT_TABLE();
};

}  // namespace Tavoro::Dialog
