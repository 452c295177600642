#include "dialog/SitePropertiesDialog.h"

#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/clipbrd.h>
#include <wx/dataobj.h>
#include <wx/ffile.h>
#include <wx/filedlg.h>
#include <wx/filename.h>
#include <wx/image.h>
#include <wx/log.h>
#include <wx/notebook.h>
#include <wx/panel.h>
#include <wx/sizer.h>
#include <wx/spinctrl.h>
#include <wx/statbmp.h>
#include <wx/statbox.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>

#include "dialog/TrackingCode.h"
#include "tools/Placeholders.h"

namespace Tavoro::Dialog {
namespace {

using Messages::S_SS;

constexpr int kBorder = 5;
constexpr int kMinOffset = -1440;
constexpr int kMaxOffset = 1440;

// Image format of a file by its ending, in any letter case; wxBITMAP_TYPE_INVALID for any
// other ending or a name without one.
wxBitmapType imageTypeOfPath(const wxString& path) {
    const wxString ext = wxFileName(path).GetExt().Lower();
    if (ext == "bmp")
        return wxBITMAP_TYPE_BMP;
    if (ext == "gif")
        return wxBITMAP_TYPE_GIF;
    if (ext == "jpg" || ext == "jpeg")
        return wxBITMAP_TYPE_JPEG;
    if (ext == "png")
        return wxBITMAP_TYPE_PNG;
    return wxBITMAP_TYPE_INVALID;
}

uint32_t bigEndian16(const unsigned char* p) {
    return (uint32_t(p[0]) << 8) | p[1];
}
uint32_t bigEndian32(const unsigned char* p) {
    return (uint32_t(p[0]) << 24) | (uint32_t(p[1]) << 16) | (uint32_t(p[2]) << 8) | p[3];
}
uint32_t littleEndian16(const unsigned char* p) {
    return (uint32_t(p[1]) << 8) | p[0];
}
uint32_t littleEndian32(const unsigned char* p) {
    return (uint32_t(p[3]) << 24) | (uint32_t(p[2]) << 16) | (uint32_t(p[1]) << 8) | p[0];
}

bool readAt(wxFFile& file, wxFileOffset offset, unsigned char* buffer, size_t count) {
    return file.Seek(offset) && file.Read(buffer, count) == count;
}

// Frame size of a JPEG file from its first start-of-frame segment.
bool jpegSize(wxFFile& file, long long* width, long long* height) {
    unsigned char b[8];
    wxFileOffset pos = 2;  // after the start-of-image marker
    for (int segment = 0; segment < 4096; ++segment) {
        if (!readAt(file, pos, b, 2) || b[0] != 0xFF)
            return false;
        unsigned char marker = b[1];
        while (marker == 0xFF) {  // fill bytes before a marker
            ++pos;
            if (!readAt(file, pos + 1, &marker, 1))
                return false;
        }
        if (marker == 0x01 || marker == 0xD8 || (marker >= 0xD0 && marker <= 0xD7)) {
            pos += 2;  // markers without a length
            continue;
        }
        if (marker == 0xD9 || marker == 0xDA)  // end of image or scan data before any frame
            return false;
        if (!readAt(file, pos + 2, b, 2) || bigEndian16(b) < 2)
            return false;
        const bool startOfFrame =
            marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
        if (startOfFrame) {
            if (!readAt(file, pos + 4, b, 5))
                return false;
            *height = bigEndian16(b + 1);
            *width = bigEndian16(b + 3);
            return true;
        }
        pos += 2 + bigEndian16(b);
    }
    return false;
}

// Width and height an image file declares in its header, read without decoding it; false
// when the header is not that of the expected format (the decoder then rejects the file).
bool headerImageSize(wxFFile& file, wxBitmapType type, long long* width, long long* height) {
    unsigned char h[26] = {};
    const size_t got = file.Read(h, sizeof h);
    switch (type) {
        case wxBITMAP_TYPE_PNG:
            if (got < 24 || h[0] != 0x89 || h[1] != 'P' || h[2] != 'N' || h[3] != 'G')
                return false;
            *width = bigEndian32(h + 16);
            *height = bigEndian32(h + 20);
            return true;
        case wxBITMAP_TYPE_GIF:
            if (got < 10 || h[0] != 'G' || h[1] != 'I' || h[2] != 'F')
                return false;
            *width = littleEndian16(h + 6);
            *height = littleEndian16(h + 8);
            return true;
        case wxBITMAP_TYPE_BMP:
            if (got < 26 || h[0] != 'B' || h[1] != 'M')
                return false;
            if (littleEndian32(h + 14) == 12) {  // the old core header: 16-bit sizes
                *width = littleEndian16(h + 18);
                *height = littleEndian16(h + 20);
            } else {  // signed sizes; a negative height means rows stored top-down
                *width = std::llabs(static_cast<int32_t>(littleEndian32(h + 18)));
                *height = std::llabs(static_cast<int32_t>(littleEndian32(h + 22)));
            }
            return true;
        case wxBITMAP_TYPE_JPEG:
            if (got < 2 || h[0] != 0xFF || h[1] != 0xD8)
                return false;
            return jpegSize(file, width, height);
        default:
            return false;
    }
}

// Whether the file is small enough to decode: its size, and the picture size its header
// declares, are within the limits. Files whose header is not understood are left to the
// decoder, which refuses them.
bool imageWithinLimits(const wxString& path, wxBitmapType type) {
    wxFFile file(path, "rb");
    if (!file.IsOpened())
        return false;
    const wxFileOffset bytes = file.Length();
    if (bytes < 0 || bytes > SitePropertiesDialog::kMaxImageFileBytes)
        return false;
    long long width = 0;
    long long height = 0;
    if (!headerImageSize(file, type, &width, &height))
        return true;
    return SitePropertiesDialog::pixelCountWithinLimit(width, height);
}

// A label beside a control (grid or row: centred vertically) or above one (column).
wxStaticText* addLabel(wxWindow* parent, wxSizer* sizer, const wxString& label,
                       const wxString& name = wxStaticTextNameStr) {
    auto* text =
        new wxStaticText(parent, wxID_ANY, label, wxDefaultPosition, wxDefaultSize, 0, name);
    const auto* box = dynamic_cast<wxBoxSizer*>(sizer);
    const bool column = box != nullptr && box->GetOrientation() == wxVERTICAL;
    sizer->Add(text, 0, column ? wxALL : (wxALIGN_CENTER_VERTICAL | wxALL), kBorder);
    return text;
}

wxTextCtrl* addReadOnlyBox(wxWindow* parent, wxSizer* sizer, const wxString& name) {
    auto* box = new wxTextCtrl(parent, wxID_ANY, wxEmptyString, wxDefaultPosition, wxDefaultSize,
                               wxTE_READONLY, wxDefaultValidator, name);
    box->Disable();
    sizer->Add(box, 1, wxEXPAND | wxALL, kBorder);
    return box;
}

}  // namespace

SitePropertiesDialog::SitePropertiesDialog(wxWindow* parent, std::unique_ptr<S_SS> settings,
                                           wxWindowID id)
    : wxDialog(parent, id, wxEmptyString, wxDefaultPosition, wxDefaultSize,
               wxCAPTION | wxSYSTEM_MENU | wxCLOSE_BOX, "SitePropertiesDialog"),
      m_settings(std::move(settings)) {
    if (!m_settings) {
        m_settings = std::make_unique<S_SS>(Messages::TavoroMessage(Messages::MK_SS, wxString()));
    }

    m_notebook =
        new wxNotebook(this, wxID_ANY, wxDefaultPosition, wxDefaultSize, 0, "ID_NOTEBOOK1");
    m_notebook->AddPage(buildGeneralPage(m_notebook), _("General"), true);
    m_notebook->AddPage(buildTrackingCodePage(m_notebook), _("Tracking Code"));
    m_notebook->AddPage(buildGraphicsPage(m_notebook), _("Graphics"));
    m_notebook->AddPage(buildOtherSettingsPage(m_notebook), _("Other Settings"));

    auto* buttons = new wxBoxSizer(wxHORIZONTAL);
    auto* ok = new wxButton(this, wxID_OK, _("OK"), wxDefaultPosition, wxDefaultSize, 0,
                            wxDefaultValidator, "ID_OK");
    buttons->Add(ok, 0, wxALL, kBorder);
    buttons->Add(new wxButton(this, wxID_HELP, _("Help"), wxDefaultPosition, wxDefaultSize, 0,
                              wxDefaultValidator, "ID_HELP"),
                 0, wxALL, kBorder);
    buttons->AddStretchSpacer();
    buttons->Add(new wxButton(this, wxID_CANCEL, _("Cancel"), wxDefaultPosition, wxDefaultSize, 0,
                              wxDefaultValidator, "ID_CANCEL"),
                 0, wxALL, kBorder);
    ok->SetDefault();

    auto* top = new wxBoxSizer(wxVERTICAL);
    top->Add(m_notebook, 1, wxEXPAND | wxALL, kBorder);
    top->Add(buttons, 0, wxEXPAND | wxALL, kBorder);
    SetSizer(top);
    SetClientSize(548, 394);
    // The toolkit sizes a notebook page only when it is first selected; until then the pages
    // are tiny and their controls would be laid out at negative sizes. Give every page the
    // notebook's area now; the selected one is fitted exactly when shown.
    Layout();
    for (size_t i = 0; i < m_notebook->GetPageCount(); ++i) {
        m_notebook->GetPage(i)->SetSize(m_notebook->GetClientSize());
        m_notebook->GetPage(i)->Layout();
    }

    // OK and Cancel both just close: nothing is sent back. Help has no content; it is consumed
    // here so the dialog's default button handling does not react to it.
    // clang-format off
    Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { Close(true); }, wxID_OK);
    Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { Close(true); }, wxID_CANCEL);
    Bind(wxEVT_BUTTON, [](wxCommandEvent&) {},                   wxID_HELP);
    Bind(wxEVT_CLOSE_WINDOW, &SitePropertiesDialog::onClose, this);
    // Raised when the dialog is shown: the code reflects the boxes as they are then.
    Bind(wxEVT_INIT_DIALOG, [this](wxInitDialogEvent& event) { buildTrackingCode(); event.Skip(); });
    // clang-format on

    fillFromSettings();
    buildTrackingCode();
    CentreOnParent();
}

SitePropertiesDialog::~SitePropertiesDialog() = default;

// ---- Pages --------------------------------------------------------------------------------

wxPanel* SitePropertiesDialog::buildGeneralPage(wxNotebook* book) {
    m_generalPage = new wxPanel(book, wxID_ANY, wxDefaultPosition, wxDefaultSize, wxTAB_TRAVERSAL,
                                "ID_GENERALPAGE");
    wxPanel* page = m_generalPage;
    auto* column = new wxBoxSizer(wxVERTICAL);

    auto* grid = new wxFlexGridSizer(2, kBorder, kBorder);
    grid->AddGrowableCol(1, 1);
    addLabel(page, grid, _("Site Name"));
    m_siteName = addReadOnlyBox(page, grid, "ID_SITENAME");
    addLabel(page, grid, _("Domain Name"));
    m_domainName = addReadOnlyBox(page, grid, "ID_DOMAINNAME");
    addLabel(page, grid, _("Home Page for the site:"));
    m_homePage = addReadOnlyBox(page, grid, "ID_HOMEPAGE");
    column->Add(grid, 0, wxEXPAND | wxALL, kBorder);

    auto* zoneSizer = new wxStaticBoxSizer(wxVERTICAL, page, _("Your Time Zone"));
    wxStaticBox* zone = zoneSizer->GetStaticBox();
    zone->SetName("ID_TIMEZONEBOX");
    m_defaultTimeZone = new wxCheckBox(zone, wxID_ANY, _("Use Default Timezone"), wxDefaultPosition,
                                       wxDefaultSize, 0, wxDefaultValidator, "ID_DEFAULTTIMEZONE");
    m_defaultTimeZone->SetValue(true);
    m_defaultTimeZone->Disable();
    zoneSizer->Add(m_defaultTimeZone, 0, wxALL, kBorder);
    auto* offsetRow = new wxBoxSizer(wxHORIZONTAL);
    m_offsetLabel =
        addLabel(zone, offsetRow, _("Or Specify GMT Offset (+/- Mins):"), "ID_OFFSETLABEL");
    m_offsetField = new wxSpinCtrl(zone, wxID_ANY, wxEmptyString, wxDefaultPosition, wxDefaultSize,
                                   wxSP_ARROW_KEYS, kMinOffset, kMaxOffset, 0, "ID_OFFSET");
    offsetRow->Add(m_offsetField, 0, wxALIGN_CENTER_VERTICAL | wxALL, kBorder);
    zoneSizer->Add(offsetRow, 0, wxEXPAND);
    m_offsetLabel->Disable();
    m_offsetField->Disable();
    showOffsetControls(false);
    column->Add(zoneSizer, 0, wxEXPAND | wxALL, kBorder);

    m_defaultTimeZone->Bind(wxEVT_CHECKBOX, &SitePropertiesDialog::onDefaultTimeZone, this);

    page->SetSizer(column);
    return page;
}

wxPanel* SitePropertiesDialog::buildTrackingCodePage(wxNotebook* book) {
    auto* page = new wxPanel(book, wxID_ANY, wxDefaultPosition, wxDefaultSize, wxTAB_TRAVERSAL,
                             "ID_TRACKINGPAGE");
    auto* column = new wxBoxSizer(wxVERTICAL);
    addLabel(page, column, _("Embed the following code into your website:"));
    m_trackingCode = new wxTextCtrl(page, wxID_ANY, wxEmptyString, wxDefaultPosition, wxDefaultSize,
                                    wxTE_MULTILINE | wxTE_READONLY | wxHSCROLL, wxDefaultValidator,
                                    "ID_TRACKINGCODE");
    column->Add(m_trackingCode, 1, wxEXPAND | wxALL, kBorder);

    auto* row = new wxBoxSizer(wxHORIZONTAL);
    m_hideLink = new wxCheckBox(page, wxID_ANY, _("Hide Click to Chat"), wxDefaultPosition,
                                wxDefaultSize, 0, wxDefaultValidator, "ID_HIDELINK");
    row->Add(m_hideLink, 0, wxALIGN_CENTER_VERTICAL | wxALL, kBorder);
    m_secureGateway = new wxCheckBox(page, wxID_ANY, _("Use HTTPS Gateway"), wxDefaultPosition,
                                     wxDefaultSize, 0, wxDefaultValidator, "ID_SECUREGATEWAY");
    row->Add(m_secureGateway, 0, wxALIGN_CENTER_VERTICAL | wxALL, kBorder);
    row->AddStretchSpacer();
    m_copy = new wxButton(page, wxID_ANY, _("Copy"), wxDefaultPosition, wxDefaultSize, 0,
                          wxDefaultValidator, "ID_COPY");
    row->Add(m_copy, 0, wxALIGN_CENTER_VERTICAL | wxALL, kBorder);
    column->Add(row, 0, wxEXPAND);

    m_hideLink->Bind(wxEVT_CHECKBOX, [this](wxCommandEvent&) { buildTrackingCode(); });
    m_secureGateway->Bind(wxEVT_CHECKBOX, [this](wxCommandEvent&) { buildTrackingCode(); });
    m_copy->Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { copyTrackingCode(); });

    page->SetSizer(column);
    return page;
}

wxPanel* SitePropertiesDialog::buildGraphicsPage(wxNotebook* book) {
    auto* page = new wxPanel(book, wxID_ANY, wxDefaultPosition, wxDefaultSize, wxTAB_TRAVERSAL,
                             "ID_GRAPHICSPAGE");
    auto* inner =
        new wxNotebook(page, wxID_ANY, wxDefaultPosition, wxDefaultSize, 0, "ID_NOTEBOOK2");

    m_statusPage = new wxPanel(inner, wxID_ANY, wxDefaultPosition, wxDefaultSize, wxTAB_TRAVERSAL,
                               "ID_STATUSPAGE");
    auto* groups = new wxBoxSizer(wxHORIZONTAL);

    auto* availableSizer = new wxStaticBoxSizer(wxVERTICAL, m_statusPage, _("Operators Available"));
    wxStaticBox* available = availableSizer->GetStaticBox();
    available->SetName("ID_AVAILABLEBOX");
    m_statusImage = new wxStaticBitmap(available, wxID_ANY, wxBitmap(), wxDefaultPosition,
                                       wxSize(kPreviewWidth, kPreviewHeight), 0, "ID_STATUSIMAGE");
    availableSizer->Add(m_statusImage, 1, wxALIGN_CENTER_HORIZONTAL | wxALL, kBorder);
    m_changeImage = new wxButton(available, wxID_ANY, _("Change..."), wxDefaultPosition,
                                 wxDefaultSize, 0, wxDefaultValidator, "ID_CHANGEIMAGE");
    availableSizer->Add(m_changeImage, 0, wxALIGN_CENTER_HORIZONTAL | wxALL, kBorder);
    groups->Add(availableSizer, 1, wxEXPAND | wxALL, kBorder);

    auto* absentSizer =
        new wxStaticBoxSizer(wxVERTICAL, m_statusPage, _("Operators Not Available"));
    wxStaticBox* absent = absentSizer->GetStaticBox();
    absent->SetName("ID_NOTAVAILABLEBOX");
    absentSizer->Add(
        new wxCheckBox(absent, wxID_ANY, _("Display Nothing When Off Line"), wxDefaultPosition,
                       wxDefaultSize, 0, wxDefaultValidator, "ID_DISPLAYNOTHING"),
        0, wxALL, kBorder);
    groups->Add(absentSizer, 1, wxEXPAND | wxALL, kBorder);
    m_statusPage->SetSizer(groups);
    inner->AddPage(m_statusPage, _("Operator Status"), true);

    m_changeImage->Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { chooseStatusImage(); });

    auto* column = new wxBoxSizer(wxVERTICAL);
    column->Add(inner, 1, wxEXPAND | wxALL, kBorder);
    page->SetSizer(column);
    return page;
}

wxPanel* SitePropertiesDialog::buildOtherSettingsPage(wxNotebook* book) {
    auto* page = new wxPanel(book, wxID_ANY, wxDefaultPosition, wxDefaultSize, wxTAB_TRAVERSAL,
                             "ID_OTHERPAGE");
    auto* column = new wxBoxSizer(wxVERTICAL);
    wxStaticText* text = addLabel(
        page, column,
        _("Other Settings are currently not supported.  \nPlease use the windows client, or "
          "speak to your Account Manager if you need something else altering."),
        "ID_OTHERSETTINGS");
    text->Wrap(500);  // the page is about 530 pixels wide
    page->SetSizer(column);
    return page;
}

// ---- Filling and tracking code --------------------------------------------------------------

wxString SitePropertiesDialog::settingText(int32_t number) const {
    return m_settings->textValue(number).Strip(wxString::both);
}

void SitePropertiesDialog::fillFromSettings() {
    const wxString siteName = settingText(S_SS::SS_NAME);
    SetTitle(Tools::fillPlaceholders(_("Site Properties for %DOMAIN%"), {{"%DOMAIN%", siteName}}));

    m_siteName->ChangeValue(siteName);
    m_domainName->ChangeValue(settingText(S_SS::SS_DOMAIN));
    m_homePage->ChangeValue(settingText(S_SS::SS_HOME_PAGE));

    // Read like S_SS::boolValue ("True" exactly), after the same trimming as the texts.
    if (settingText(S_SS::SS_GMT_BIAS_USE_DEFAULT) == "True") {
        return;
    }
    m_defaultTimeZone->SetValue(false);
    showOffsetControls(true);
    // The spin field holds -1440..1440; a value from the server outside that is shown at the
    // nearer end rather than handed to the control as it is.
    const long bias = m_settings->intValue(S_SS::SS_GMT_BIAS);
    m_offsetField->SetValue(static_cast<int>(std::clamp<long>(bias, kMinOffset, kMaxOffset)));
}

void SitePropertiesDialog::showOffsetControls(bool show) {
    m_offsetLabel->Show(show);
    m_offsetField->Show(show);
    m_generalPage->Layout();
}

void SitePropertiesDialog::buildTrackingCode() {
    TrackingCodeInput input;
    input.gatewayAddress = m_settings->textValue(S_SS::SS_GATEWAY_ADDRESS);
    input.gatewayAddressSsl = m_settings->textValue(S_SS::SS_GATEWAY_ADDRESS_SSL);
    input.domain = m_settings->textValue(S_SS::SS_DOMAIN);
    input.hideClickToChat = m_hideLink->GetValue();
    input.useHttps = m_secureGateway->GetValue();
    m_trackingCode->ChangeValue(Dialog::buildTrackingCode(input));
}

wxString SitePropertiesDialog::trackingCode() const {
    return m_trackingCode->GetValue();
}

bool SitePropertiesDialog::copyTrackingCode() {
    wxClipboardLocker locker;
    if (!locker) {
        return false;
    }
    return wxTheClipboard->SetData(new wxTextDataObject(trackingCode()));
}

// ---- Status image ---------------------------------------------------------------------------

bool SitePropertiesDialog::chooseImageFile(wxString* path) {
    wxFileDialog chooser(this, _("Select file"), wxEmptyString, wxEmptyString,
                         _("Image files (*.bmp;*.gif;*.png;*.jpg)|*.bmp;*.gif;*.png;*.jpg"),
                         wxFD_OPEN | wxFD_FILE_MUST_EXIST);
    if (chooser.ShowModal() != wxID_OK) {
        return false;
    }
    *path = chooser.GetPath();
    return true;
}

void SitePropertiesDialog::chooseStatusImage() {
    wxString path;
    if (chooseImageFile(&path)) {
        loadStatusImage(path);
    }
}

bool SitePropertiesDialog::loadStatusImage(const wxString& path) {
    const wxBitmapType type = imageTypeOfPath(path);
    if (type == wxBITMAP_TYPE_INVALID) {
        return false;
    }
    wxImage image;
    {
        wxLogNull quiet;  // a missing or unreadable file empties the preview, without an error box
        if (imageWithinLimits(path, type)) {
            image.LoadFile(path, type);
        }
    }
    if (image.IsOk() && (image.GetWidth() > kPreviewWidth || image.GetHeight() > kPreviewHeight)) {
        const double scale = std::min(double(kPreviewWidth) / image.GetWidth(),
                                      double(kPreviewHeight) / image.GetHeight());
        image.Rescale(std::max(1, int(image.GetWidth() * scale)),
                      std::max(1, int(image.GetHeight() * scale)), wxIMAGE_QUALITY_HIGH);
    }
    m_statusImage->SetBitmap(image.IsOk() ? wxBitmap(image) : wxBitmap());
    m_statusPage->Layout();
    return image.IsOk();
}

bool SitePropertiesDialog::declaredImageSize(const wxString& path, long long* width,
                                             long long* height) {
    const wxBitmapType type = imageTypeOfPath(path);
    wxLogNull quiet;
    wxFFile file(path, "rb");
    return type != wxBITMAP_TYPE_INVALID && file.IsOpened() &&
           headerImageSize(file, type, width, height);
}

bool SitePropertiesDialog::pixelCountWithinLimit(long long width, long long height) {
    // Divided rather than multiplied, so that no product can overflow.
    return width > 0 && height > 0 && width <= kMaxImagePixels / height;
}

// ---- Events ---------------------------------------------------------------------------------

void SitePropertiesDialog::onDefaultTimeZone(wxCommandEvent&) {
    showOffsetControls(!m_defaultTimeZone->GetValue());
}

void SitePropertiesDialog::onClose(wxCloseEvent&) {
    // Modeless and owned by nobody else: the dialog goes away with its settings.
    Destroy();
}

}  // namespace Tavoro::Dialog
