#pragma once

#include <wx/dialog.h>

#include <memory>

#include "messages/S_SS.h"

class wxButton;
class wxCheckBox;
class wxNotebook;
class wxPanel;
class wxSpinCtrl;
class wxStaticBitmap;
class wxStaticText;
class wxTextCtrl;

namespace Tavoro::Dialog {

// Shows one site's settings ("@SS") read-only: name, domain, home page and time zone, the
// tracking code the site owner embeds in the web pages (built from the settings and two check
// boxes, with a button that copies it), and a preview of an operator-status image. Nothing is
// sent back to the server.
//
// Modeless: each "@SS" opens its own dialog, several can be open at once. OK, Cancel and the
// close box destroy the dialog, and with it the settings it owns.
class SitePropertiesDialog : public wxDialog {
  public:
    // Largest preview of the status image; bigger pictures are scaled down to fit.
    static constexpr int kPreviewWidth = 200;
    static constexpr int kPreviewHeight = 100;
    // Status images larger than this many pixels, or files larger than kMaxImageFileBytes,
    // are not loaded: decoding them could take gigabytes.
    static constexpr long long kMaxImagePixels = 4096LL * 4096LL;
    static constexpr long long kMaxImageFileBytes = 16LL * 1024 * 1024;

    // Takes the settings over; null is treated as a message without settings.
    SitePropertiesDialog(wxWindow* parent, std::unique_ptr<Messages::S_SS> settings,
                         wxWindowID id = wxID_ANY);
    ~SitePropertiesDialog() override;

    SitePropertiesDialog(const SitePropertiesDialog&) = delete;
    SitePropertiesDialog& operator=(const SitePropertiesDialog&) = delete;

    // Rebuilds the tracking code from the settings and the two check boxes into its box.
    void buildTrackingCode();
    wxString trackingCode() const;
    // Puts the tracking code on the clipboard as text; false when the clipboard is unavailable.
    bool copyTrackingCode();

    // Asks for an image file and previews it (the "Change..." button).
    void chooseStatusImage();
    // Previews an image file whose ending (any case) is .bmp, .gif, .jpg, .jpeg or .png.
    // Another ending changes nothing and gives false; a file of a known ending that cannot be
    // read, or is too large, empties the preview and gives false.
    bool loadStatusImage(const wxString& path);

    // Picture size an image file declares in its header (format by its ending: BMP, GIF,
    // JPEG, PNG), read without decoding it; false when the file cannot be read or its header
    // is not that of the format.
    static bool declaredImageSize(const wxString& path, long long* width, long long* height);
    // Whether a picture of this declared size may be decoded: both sides positive and at most
    // kMaxImagePixels pixels in all. Holds for any sides a header can declare (a PNG's are up
    // to 2^32 - 1 each, whose product does not fit in 64 signed bits).
    static bool pixelCountWithinLimit(long long width, long long height);

    Messages::S_SS& settings() const { return *m_settings; }

    wxNotebook* notebook() const { return m_notebook; }
    wxTextCtrl* siteNameBox() const { return m_siteName; }
    wxTextCtrl* domainNameBox() const { return m_domainName; }
    wxTextCtrl* homePageBox() const { return m_homePage; }
    wxCheckBox* defaultTimeZoneBox() const { return m_defaultTimeZone; }
    wxStaticText* offsetLabel() const { return m_offsetLabel; }
    wxSpinCtrl* offsetField() const { return m_offsetField; }
    wxTextCtrl* trackingCodeBox() const { return m_trackingCode; }
    wxCheckBox* hideLinkBox() const { return m_hideLink; }
    wxCheckBox* secureGatewayBox() const { return m_secureGateway; }
    wxButton* copyButton() const { return m_copy; }
    wxStaticBitmap* statusImage() const { return m_statusImage; }
    wxButton* changeImageButton() const { return m_changeImage; }

  protected:
    // Runs the image file chooser; false when the operator cancels.
    virtual bool chooseImageFile(wxString* path);

  private:
    wxPanel* buildGeneralPage(wxNotebook* book);
    wxPanel* buildTrackingCodePage(wxNotebook* book);
    wxPanel* buildGraphicsPage(wxNotebook* book);
    wxPanel* buildOtherSettingsPage(wxNotebook* book);

    void fillFromSettings();
    // A text setting with surrounding blanks (and a CR of CR LF line ends) removed.
    wxString settingText(int32_t number) const;
    void showOffsetControls(bool show);

    void onDefaultTimeZone(wxCommandEvent& event);
    void onClose(wxCloseEvent& event);

    std::unique_ptr<Messages::S_SS> m_settings;

    wxNotebook* m_notebook = nullptr;
    wxPanel* m_generalPage = nullptr;
    wxTextCtrl* m_siteName = nullptr;
    wxTextCtrl* m_domainName = nullptr;
    wxTextCtrl* m_homePage = nullptr;
    wxCheckBox* m_defaultTimeZone = nullptr;
    wxStaticText* m_offsetLabel = nullptr;
    wxSpinCtrl* m_offsetField = nullptr;
    wxTextCtrl* m_trackingCode = nullptr;
    wxCheckBox* m_hideLink = nullptr;
    wxCheckBox* m_secureGateway = nullptr;
    wxButton* m_copy = nullptr;
    wxPanel* m_statusPage = nullptr;
    wxStaticBitmap* m_statusImage = nullptr;
    wxButton* m_changeImage = nullptr;
};

}  // namespace Tavoro::Dialog
