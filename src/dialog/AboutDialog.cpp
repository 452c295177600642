#include "dialog/AboutDialog.h"

#include <wx/button.h>
#include <wx/hyperlink.h>
#include <wx/sizer.h>
#include <wx/stattext.h>

#include "tavoro/Version.h"

namespace Tavoro::Dialog {

const char* const AboutDialog::kVersion = kClientVersion;
const char* const AboutDialog::kSiteLabel = "www.tavoro.example";
const char* const AboutDialog::kSiteAddress = "https://www.tavoro.example/";

namespace {
const long ID_OKBUTTON = wxNewId();
}

// clang-format off
wxBEGIN_EVENT_TABLE(AboutDialog, wxDialog)
    EVT_BUTTON(ID_OKBUTTON, AboutDialog::onOk)
wxEND_EVENT_TABLE()
// clang-format on

AboutDialog::AboutDialog(wxWindow* parent, wxWindowID id)
    : wxDialog(parent, id, _("Tavoro Linux / Mac Client"), wxDefaultPosition, wxDefaultSize,
               wxDEFAULT_DIALOG_STYLE, "AboutDialog") {
    auto* sizer = new wxBoxSizer(wxVERTICAL);

    auto* title = new wxStaticText(this, wxID_ANY, _("Tavoro Linux / Mac Client"),
                                   wxDefaultPosition, wxDefaultSize, 0, "ID_STATICTEXT1");
    title->SetFont(
        wxFont(14, wxFONTFAMILY_SWISS, wxFONTSTYLE_NORMAL, wxFONTWEIGHT_NORMAL, false, "Sans"));
    sizer->Add(title, 0, wxALL | wxALIGN_CENTER_HORIZONTAL, 12);

    // The link opens in the desktop's browser (the control's default action).
    m_link = new wxHyperlinkCtrl(this, wxID_ANY, kSiteLabel, kSiteAddress, wxDefaultPosition,
                                 wxDefaultSize, wxHL_DEFAULT_STYLE, "ID_CUSTOM1");
    sizer->Add(m_link, 0, wxALL | wxALIGN_CENTER_HORIZONTAL, 8);

    auto* versionRow = new wxBoxSizer(wxHORIZONTAL);
    versionRow->Add(new wxStaticText(this, wxID_ANY, _("Current Version:"), wxDefaultPosition,
                                     wxDefaultSize, 0, "ID_STATICTEXT2"),
                    0, wxALL | wxALIGN_CENTER_VERTICAL, 4);
    m_version = new wxStaticText(this, wxID_ANY, "0.0.0", wxDefaultPosition, wxDefaultSize, 0,
                                 "ID_ABOUTVERSION");
    m_version->SetLabel(kVersion);
    versionRow->Add(m_version, 0, wxALL | wxALIGN_CENTER_VERTICAL, 4);
    sizer->Add(versionRow, 0, wxALL | wxALIGN_CENTER_HORIZONTAL, 8);

    sizer->AddStretchSpacer();
    auto* ok = new wxButton(this, ID_OKBUTTON, _("OK"), wxDefaultPosition, wxDefaultSize, 0,
                            wxDefaultValidator, "ID_OKBUTTON");
    ok->SetDefault();
    sizer->Add(ok, 0, wxALL | wxALIGN_CENTER_HORIZONTAL, 12);

    SetSizer(sizer);
    SetClientSize(400, 263);
    CentreOnParent();
}

void AboutDialog::onOk(wxCommandEvent&) {
    if (IsModal()) {
        EndModal(0);
    } else {
        Hide();
    }
}

}  // namespace Tavoro::Dialog
