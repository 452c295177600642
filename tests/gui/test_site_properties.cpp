// The site properties dialog and its tracking code, filled from "@SS" wire messages.
#include <gtest/gtest.h>

#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/clipbrd.h>
#include <wx/dataobj.h>
#include <wx/ffile.h>
#include <wx/filefn.h>
#include <wx/image.h>
#include <wx/notebook.h>
#include <wx/spinctrl.h>
#include <wx/statbmp.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>
#include <wx/weakref.h>

#include <memory>
#include <string>
#include <vector>

#include "GuiTestUtil.h"
#include "dialog/SitePropertiesDialog.h"
#include "dialog/TrackingCode.h"
#include "messages/S_SS.h"
#include "messages/TavoroMessage.h"
#include "support/TempDir.h"

using Tavoro::Dialog::buildTrackingCode;
using Tavoro::Dialog::gatewayUrl;
using Tavoro::Dialog::SitePropertiesDialog;
using Tavoro::Dialog::TrackingCodeInput;
using Tavoro::Messages::S_SS;
using Tavoro::Messages::TavoroMessage;
using Tavoro::Test::TempDir;
using Tavoro::Test::waitFor;

namespace {

// Settings of one site as the server sends them: "@SS:", a header line, then Name=value lines.
std::unique_ptr<S_SS> settingsFromWire(const std::string& lines) {
    return std::make_unique<S_SS>(TavoroMessage(wxString::FromUTF8(("@SS:" + lines).c_str())));
}

const std::string kShopSettings =
    "S1\n"
    "Group=Retail\n"
    "Domain=shop.example\n"
    "Name=Example Shop\n"
    "SiteKey=K42\n"
    "GatewayAddress=gw.example.net\n"
    "GatewayAddressSSL=secure.example.net\n"
    "HomePage=http://shop.example/index.html\n"
    "GmtBiasUseDefault=True\n"
    "GmtBias=0";

// Records its own destruction, to see that a closed dialog deletes its settings.
class TrackedSettings : public S_SS {
  public:
    TrackedSettings(const std::string& lines, bool* destroyed)
        : S_SS(TavoroMessage(wxString::FromUTF8(("@SS:" + lines).c_str()))),
          m_destroyed(destroyed) {}
    ~TrackedSettings() override { *m_destroyed = true; }

  private:
    bool* m_destroyed;
};

// Creates a dialog and destroys it at the end of the test if it still exists.
struct DialogHolder {
    explicit DialogHolder(SitePropertiesDialog* d) : dialog(d) {}
    ~DialogHolder() {
        if (dialog)
            dialog->Destroy();
        Tavoro::Test::pumpEvents(20);
    }
    SitePropertiesDialog* operator->() const { return dialog.get(); }
    wxWeakRef<SitePropertiesDialog> dialog;
};

void click(wxCheckBox* box, bool value) {
    box->SetValue(value);
    wxCommandEvent event(wxEVT_CHECKBOX, box->GetId());
    event.SetEventObject(box);
    event.SetInt(value ? 1 : 0);
    box->GetEventHandler()->ProcessEvent(event);
}

void clickButton(wxWindow* button) {
    wxCommandEvent event(wxEVT_BUTTON, button->GetId());
    event.SetEventObject(button);
    button->GetEventHandler()->ProcessEvent(event);
}

bool writeBytes(const wxString& path, const std::vector<unsigned char>& bytes) {
    wxFFile f(path, "wb");
    return f.IsOpened() && f.Write(bytes.data(), bytes.size()) == bytes.size();
}

}  // namespace

// ---- Tracking code -------------------------------------------------------------------------

TEST(TrackingCode, ExactLinesForEveryCombinationOfTheTwoBoxes) {
    const wxString line1 = "<!-- Embedded Tavoro: Insert the script below ";
    const wxString linkHere = "at the point you want the Click to Chat link to appear -->";
    const wxString beforeBody = "immediately before the /body section of the website -->";
    const wxString script = "<script type='text/javascript' language='Javascript'>";
    const wxString response = "sTVResponse='';";
    const wxString track = "if (sTVTrackPage)sTVTrackPage();";
    const wxString end = "</script>";
    const wxString last = "<!-- End of Embedded Tavoro -->";
    auto include = [](const wxString& gateway) {
        return "<script type='text/javascript' language='Javascript' src='" + gateway +
               "/include.js?domain=shop'></script>";
    };
    struct Case {
        bool hide;
        bool https;
        std::vector<wxString> lines;
    };
    const std::vector<Case> cases = {
        {false, false, {line1 + linkHere, include("http://gw"), script, track, end, last}},
        {true,
         false,
         {line1 + beforeBody, include("http://gw"), script, response, track, end, last}},
        {false, true, {line1 + linkHere, include("https://sgw"), script, track, end, last}},
        {true,
         true,
         {line1 + beforeBody, include("https://sgw"), script, response, track, end, last}},
    };
    for (const Case& c : cases) {
        TrackingCodeInput input;
        input.gatewayAddress = "gw";
        input.gatewayAddressSsl = "sgw";
        input.domain = "shop";
        input.hideClickToChat = c.hide;
        input.useHttps = c.https;
        wxString expected;
        for (const wxString& line : c.lines)
            expected += line + "\r\n";
        EXPECT_EQ(buildTrackingCode(input), expected) << "hide " << c.hide << " https " << c.https;
    }
}

TEST(TrackingCode, GatewayAddressOfEitherScheme) {
    struct Case {
        const char* host;
        bool https;
        const char* url;
        const char* what;
    };
    const Case cases[] = {
        {"gw.example.net", false, "http://gw.example.net", "plain host"},
        {"gw.example.net", true, "https://gw.example.net", "same host over HTTPS"},
        {"gw.example.net:8443/tv", true, "https://gw.example.net:8443/tv", "port and path kept"},
        {"", false, "http://", "missing setting still gives a code"},
        {"  gw.example.net\r", false, "http://gw.example.net", "blanks and CR of CR LF trimmed"},
        {"https://gw.example.net", true, "https://gw.example.net", "scheme not doubled"},
        {"HTTP://gw.example.net/", false, "http://gw.example.net", "scheme any case, slash"},
        {"gw'><script>x", false, "http://gw%27%3E%3Cscript%3Ex", "cannot leave the attribute"},
        {"gw example", false, "http://gw%20example", "blank encoded"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(gatewayUrl(c.host, c.https), c.url) << c.what;
}

TEST(TrackingCode, ServerValuesAreEncodedAndNeverExpanded) {
    TrackingCodeInput input;
    input.gatewayAddress = "gw%DOMAIN%";
    input.domain = "a'b&c=%APPNAME%";
    const wxString code = buildTrackingCode(input);
    // A placeholder inside a value stays as the value says (encoded), it is not replaced.
    EXPECT_NE(code.Find("src='http://gw%25DOMAIN%25/include.js?domain=a%27b%26c%3D%25APPNAME%25'"),
              wxNOT_FOUND)
        << code;
    // Non-ASCII domains are sent as UTF-8.
    input.domain = L"b\u00fccher.example";
    EXPECT_NE(buildTrackingCode(input).Find("?domain=b%C3%BCcher.example'"), wxNOT_FOUND);
}

// ---- Filling from "@SS" -----------------------------------------------------------------------

TEST(SitePropertiesDialog, FilledFromWireMessage) {
    DialogHolder d(new SitePropertiesDialog(nullptr, settingsFromWire(kShopSettings)));
    EXPECT_EQ(d->GetTitle(), "Site Properties for Example Shop");
    EXPECT_EQ(d->GetClientSize(), wxSize(548, 394));
    EXPECT_EQ(d->siteNameBox()->GetValue(), "Example Shop");
    EXPECT_EQ(d->domainNameBox()->GetValue(), "shop.example");
    EXPECT_EQ(d->homePageBox()->GetValue(), "http://shop.example/index.html");
    for (wxTextCtrl* box : {d->siteNameBox(), d->domainNameBox(), d->homePageBox()}) {
        EXPECT_FALSE(box->IsEditable()) << box->GetName();
        EXPECT_FALSE(box->IsEnabled()) << box->GetName();
    }
    // Default time zone: box checked and disabled, offset controls hidden.
    EXPECT_TRUE(d->defaultTimeZoneBox()->GetValue());
    EXPECT_FALSE(d->defaultTimeZoneBox()->IsEnabled());
    EXPECT_FALSE(d->offsetLabel()->IsShown());
    EXPECT_FALSE(d->offsetField()->IsShown());

    wxNotebook* book = d->notebook();
    ASSERT_EQ(book->GetPageCount(), 4u);
    EXPECT_EQ(book->GetName(), "ID_NOTEBOOK1");
    EXPECT_EQ(book->GetSelection(), 0);
    const char* titles[] = {"General", "Tracking Code", "Graphics", "Other Settings"};
    for (size_t i = 0; i < 4; ++i)
        EXPECT_EQ(book->GetPageText(i), titles[i]);
    EXPECT_TRUE(d->FindWindow("ID_NOTEBOOK2"));

    // The tracking code is there from the start, from the site's own settings.
    EXPECT_NE(d->trackingCode().Find("src='http://gw.example.net/include.js?domain=shop.example'"),
              wxNOT_FOUND);
    EXPECT_FALSE(d->trackingCodeBox()->IsEditable());
    EXPECT_TRUE(d->trackingCodeBox()->IsMultiLine());
}

TEST(SitePropertiesDialog, TimeZoneOffsetFromSettings) {
    struct Case {
        const char* bias;
        int shown;
        const char* what;
    };
    const Case cases[] = {
        {"-60", -60, "own offset"},
        {"330", 330, "positive"},
        {"99999", 1440, "beyond the field's range: nearest end"},
        {"-99999999999999999999", -1440, "overflowing number"},
        {"abc", 0, "unreadable"},
    };
    for (const Case& c : cases) {
        DialogHolder d(new SitePropertiesDialog(
            nullptr,
            settingsFromWire(std::string("S1\nName=Shop\nGmtBiasUseDefault=False\nGmtBias=") +
                             c.bias)));
        EXPECT_FALSE(d->defaultTimeZoneBox()->GetValue()) << c.what;
        EXPECT_TRUE(d->offsetLabel()->IsShown()) << c.what;
        EXPECT_TRUE(d->offsetField()->IsShown()) << c.what;
        EXPECT_EQ(d->offsetField()->GetValue(), c.shown) << c.what;
        EXPECT_EQ(d->offsetLabel()->GetLabel(), "Or Specify GMT Offset (+/- Mins):");
    }
    // Only "True" keeps the default; lower case does not.
    DialogHolder lower(new SitePropertiesDialog(
        nullptr, settingsFromWire("S1\nGmtBiasUseDefault=true\nGmtBias=-60")));
    EXPECT_FALSE(lower->defaultTimeZoneBox()->GetValue());
    // The box's click shows and hides the offset controls.
    click(lower->defaultTimeZoneBox(), true);
    EXPECT_FALSE(lower->offsetField()->IsShown());
    click(lower->defaultTimeZoneBox(), false);
    EXPECT_TRUE(lower->offsetField()->IsShown());
}

TEST(SitePropertiesDialog, MissingOrOddSettingsAreSafe) {
    // No settings at all, and settings sent with CR LF line ends.
    DialogHolder none(new SitePropertiesDialog(nullptr, nullptr));
    EXPECT_EQ(none->GetTitle(), "Site Properties for ");
    EXPECT_NE(none->trackingCode().Find("src='http:///include.js?domain='"), wxNOT_FOUND);

    DialogHolder crlf(new SitePropertiesDialog(
        nullptr, settingsFromWire("S1\r\nName=Shop\r\nDomain=shop.example\r\nGatewayAddress=gw\r\n"
                                  "GmtBiasUseDefault=True\r\n")));
    EXPECT_EQ(crlf->GetTitle(), "Site Properties for Shop");
    EXPECT_EQ(crlf->domainNameBox()->GetValue(), "shop.example");
    EXPECT_NE(crlf->trackingCode().Find("src='http://gw/include.js?domain=shop.example'"),
              wxNOT_FOUND);
    EXPECT_TRUE(crlf->defaultTimeZoneBox()->GetValue()) << "\"True\" followed by CR";
    EXPECT_FALSE(crlf->offsetField()->IsShown());
}

TEST(SitePropertiesDialog, CheckBoxesRebuildTheCode) {
    DialogHolder d(new SitePropertiesDialog(nullptr, settingsFromWire(kShopSettings)));
    EXPECT_EQ(d->hideLinkBox()->GetLabel(), "Hide Click to Chat");
    EXPECT_EQ(d->secureGatewayBox()->GetLabel(), "Use HTTPS Gateway");
    EXPECT_FALSE(d->hideLinkBox()->GetValue());
    EXPECT_FALSE(d->secureGatewayBox()->GetValue());
    EXPECT_EQ(d->trackingCode().Find("sTVResponse"), wxNOT_FOUND);

    click(d->secureGatewayBox(), true);
    EXPECT_NE(d->trackingCode().Find("src='https://secure.example.net/include.js"), wxNOT_FOUND);
    EXPECT_EQ(d->trackingCode().Find("gw.example.net"), wxNOT_FOUND);

    click(d->hideLinkBox(), true);
    TrackingCodeInput expected{"gw.example.net", "secure.example.net", "shop.example", true, true};
    EXPECT_EQ(d->trackingCode(), buildTrackingCode(expected));

    click(d->secureGatewayBox(), false);
    click(d->hideLinkBox(), false);
    expected.hideClickToChat = expected.useHttps = false;
    EXPECT_EQ(d->trackingCode(), buildTrackingCode(expected));
}

// ---- Status image ----------------------------------------------------------------------------

TEST(SitePropertiesDialog, StatusImageOfAnyEndingCase) {
    TempDir dir;
    wxImage picture(30, 20);
    picture.SetRGB(wxRect(0, 0, 30, 20), 200, 30, 30);
    struct Case {
        const char* name;
        wxBitmapType saveAs;
    };
    const Case cases[] = {
        {"logo.PNG", wxBITMAP_TYPE_PNG},  {"logo.png", wxBITMAP_TYPE_PNG},
        {"logo.Jpg", wxBITMAP_TYPE_JPEG}, {"logo.JPEG", wxBITMAP_TYPE_JPEG},
        {"logo.BMP", wxBITMAP_TYPE_BMP},
    };
    DialogHolder d(new SitePropertiesDialog(nullptr, settingsFromWire(kShopSettings)));
    for (const Case& c : cases) {
        ASSERT_TRUE(picture.SaveFile(dir.file(c.name), c.saveAs)) << c.name;
        d->statusImage()->SetBitmap(wxBitmap());
        EXPECT_TRUE(d->loadStatusImage(dir.file(c.name))) << c.name;
        const wxBitmap shown = d->statusImage()->GetBitmap();
        ASSERT_TRUE(shown.IsOk()) << c.name;
        EXPECT_EQ(shown.GetSize(), wxSize(30, 20)) << c.name;
    }
    // A GIF from the project's images, under an upper-case ending.
    const wxString gifSource = wxString(wxGetenv("TAVORO_IMAGES_DIR")) + "/Customer 256.gif";
    ASSERT_TRUE(wxCopyFile(gifSource, dir.file("person.GIF")));
    EXPECT_TRUE(d->loadStatusImage(dir.file("person.GIF")));
    EXPECT_TRUE(d->statusImage()->GetBitmap().IsOk());
}

TEST(SitePropertiesDialog, StatusImageRefusals) {
    TempDir dir;
    wxImage picture(30, 20);
    ASSERT_TRUE(picture.SaveFile(dir.file("shown.png"), wxBITMAP_TYPE_PNG));
    ASSERT_TRUE(picture.SaveFile(dir.file("logo.tiff"), wxBITMAP_TYPE_PNG));
    ASSERT_TRUE(picture.SaveFile(dir.file("logo"), wxBITMAP_TYPE_PNG));
    ASSERT_TRUE(picture.SaveFile(dir.file("dir.png"), wxBITMAP_TYPE_PNG));
    DialogHolder d(new SitePropertiesDialog(nullptr, settingsFromWire(kShopSettings)));

    // Another ending, or none, changes nothing (the earlier picture stays).
    for (const char* name : {"logo.tiff", "logo", "dir.png/logo"}) {
        ASSERT_TRUE(d->loadStatusImage(dir.file("shown.png")));
        EXPECT_FALSE(d->loadStatusImage(dir.file(name))) << name;
        EXPECT_TRUE(d->statusImage()->GetBitmap().IsOk()) << name;
    }

    // A known ending that cannot be shown empties the preview quietly.
    ASSERT_TRUE(writeBytes(dir.file("text.png"), {'n', 'o', 't', ' ', 'a', 'n', ' ', 'i'}));
    // A valid PNG signature and header claiming 100000 x 100000 pixels, then nothing.
    ASSERT_TRUE(
        writeBytes(dir.file("huge.png"),
                   {0x89, 'P', 'N', 'G',  0x0D, 0x0A, 0x1A, 0x0A, 0,    0, 0, 13, 'I', 'H', 'D',
                    'R',  0,   1,   0x86, 0xA0, 0,    1,    0x86, 0xA0, 8, 2, 0,  0,   0}));
    // A JPEG whose frame header says 65535 x 65535 after an application segment.
    ASSERT_TRUE(
        writeBytes(dir.file("huge.jpg"), {0xFF, 0xD8, 0xFF, 0xE0, 0,    4,    0, 0, 0xFF, 0xC0, 0,
                                          11,   8,    0xFF, 0xFF, 0xFF, 0xFF, 1, 1, 0x11, 0}));
    // A one-pixel GIF on a 65535 x 65535 screen: the declared size alone refuses it.
    ASSERT_TRUE(writeBytes(dir.file("screen.gif"),
                           {'G', 'I',  'F',  '8',  '9', 'a', 0xFF, 0xFF, 0xFF, 0xFF, 0x80, 0,
                            0,   0xFF, 0xFF, 0xFF, 0,   0,   0,    0x2C, 0,    0,    0,    0,
                            1,   0,    1,    0,    0,   2,   2,    0x44, 1,    0,    0x3B}));
    ASSERT_TRUE(writeBytes(dir.file("empty.gif"), {}));
    for (const char* name :
         {"text.png", "huge.png", "huge.jpg", "screen.gif", "empty.gif", "missing.bmp"}) {
        ASSERT_TRUE(d->loadStatusImage(dir.file("shown.png")));
        EXPECT_FALSE(d->loadStatusImage(dir.file(name))) << name;
        EXPECT_FALSE(d->statusImage()->GetBitmap().IsOk()) << name;
    }
}

TEST(SitePropertiesDialog, DeclaredSizeOfImagesMadeByTheEncoders) {
    TempDir dir;
    wxImage picture(37, 21);
    picture.SetRGB(wxRect(0, 0, 37, 21), 10, 200, 10);
    const std::pair<const char*, wxBitmapType> files[] = {
        {"a.png", wxBITMAP_TYPE_PNG},
        {"a.JPG", wxBITMAP_TYPE_JPEG},
        {"a.bmp", wxBITMAP_TYPE_BMP},
    };
    for (const auto& [name, type] : files) {
        ASSERT_TRUE(picture.SaveFile(dir.file(name), type)) << name;
        long long width = 0;
        long long height = 0;
        ASSERT_TRUE(SitePropertiesDialog::declaredImageSize(dir.file(name), &width, &height))
            << name;
        EXPECT_EQ(width, 37) << name;
        EXPECT_EQ(height, 21) << name;
    }
    // GIF: the toolkit does not write one from a true-colour image; take the project's own.
    const wxString gif = wxString(wxGetenv("TAVORO_IMAGES_DIR")) + "/Customer 256.gif";
    const wxImage decoded(gif, wxBITMAP_TYPE_GIF);
    ASSERT_TRUE(decoded.IsOk());
    long long width = 0;
    long long height = 0;
    ASSERT_TRUE(SitePropertiesDialog::declaredImageSize(gif, &width, &height));
    EXPECT_EQ(width, decoded.GetWidth());
    EXPECT_EQ(height, decoded.GetHeight());

    // A PNG named .jpg, and a missing file, declare nothing.
    ASSERT_TRUE(wxCopyFile(dir.file("a.png"), dir.file("b.jpg")));
    EXPECT_FALSE(SitePropertiesDialog::declaredImageSize(dir.file("b.jpg"), &width, &height));
    EXPECT_FALSE(SitePropertiesDialog::declaredImageSize(dir.file("none.png"), &width, &height));
}

TEST(SitePropertiesDialog, PixelLimitHoldsForEveryDeclarableSize) {
    const long long most = SitePropertiesDialog::kMaxImagePixels;
    ASSERT_EQ(most, 4096LL * 4096LL);
    struct Case {
        long long width, height;
        bool within;
    };
    const Case cases[] = {
        {4096, 4096, true},
        {4097, 4096, false},
        {1, most, true},
        {most, 1, true},
        {1, most + 1, false},
        {0, 5, false},
        {5, 0, false},
        // A PNG's largest sides: their product wraps to a negative 64-bit number.
        {0xFFFFFFFFLL, 0xFFFFFFFFLL, false},
        {0x80000001LL, 0xFFFFFFFFLL, false},
        // A BMP's largest sides (the absolute value of a signed 32-bit number).
        {0x80000000LL, 0x80000000LL, false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(SitePropertiesDialog::pixelCountWithinLimit(c.width, c.height), c.within)
            << c.width << " x " << c.height;
    }
}

TEST(SitePropertiesDialog, LargeStatusImageIsScaledIntoThePreview) {
    TempDir dir;
    ASSERT_TRUE(wxImage(800, 100).SaveFile(dir.file("wide.png"), wxBITMAP_TYPE_PNG));
    ASSERT_TRUE(wxImage(50, 400).SaveFile(dir.file("tall.png"), wxBITMAP_TYPE_PNG));
    DialogHolder d(new SitePropertiesDialog(nullptr, settingsFromWire(kShopSettings)));
    ASSERT_TRUE(d->loadStatusImage(dir.file("wide.png")));
    EXPECT_EQ(d->statusImage()->GetBitmap().GetSize(),
              wxSize(SitePropertiesDialog::kPreviewWidth, 25));
    ASSERT_TRUE(d->loadStatusImage(dir.file("tall.png")));
    EXPECT_EQ(d->statusImage()->GetBitmap().GetSize(),
              wxSize(12, SitePropertiesDialog::kPreviewHeight));
}

namespace {
// Answers the image chooser with a fixed path (or a cancel) instead of asking.
class ScriptedDialog : public SitePropertiesDialog {
  public:
    ScriptedDialog(std::unique_ptr<S_SS> settings, wxString answer)
        : SitePropertiesDialog(nullptr, std::move(settings)), m_answer(std::move(answer)) {}
    int asked = 0;

  protected:
    bool chooseImageFile(wxString* path) override {
        ++asked;
        *path = m_answer;
        return !m_answer.empty();
    }

  private:
    wxString m_answer;
};
}  // namespace

TEST(SitePropertiesDialog, ChangeButtonPreviewsTheChosenFile) {
    TempDir dir;
    ASSERT_TRUE(wxImage(16, 16).SaveFile(dir.file("status.PNG"), wxBITMAP_TYPE_PNG));
    auto* chosen = new ScriptedDialog(settingsFromWire(kShopSettings), dir.file("status.PNG"));
    DialogHolder d(chosen);
    EXPECT_EQ(chosen->changeImageButton()->GetLabel(), "Change...");
    clickButton(chosen->changeImageButton());
    EXPECT_EQ(chosen->asked, 1);
    EXPECT_TRUE(chosen->statusImage()->GetBitmap().IsOk());

    auto* cancelled = new ScriptedDialog(settingsFromWire(kShopSettings), wxString());
    DialogHolder c(cancelled);
    clickButton(cancelled->changeImageButton());
    EXPECT_EQ(cancelled->asked, 1);
    EXPECT_FALSE(cancelled->statusImage()->GetBitmap().IsOk());
}

// ---- Lifetime and clipboard ----------------------------------------------------------------

TEST(SitePropertiesDialog, TwoOpenDialogsAreIndependent) {
    bool firstGone = false;
    bool secondGone = false;
    auto* first = new SitePropertiesDialog(
        nullptr,
        std::make_unique<TrackedSettings>("S1\nName=First\nDomain=one.example\nGatewayAddress=gw1\n"
                                          "GmtBiasUseDefault=True",
                                          &firstGone));
    auto* second = new SitePropertiesDialog(
        nullptr, std::make_unique<TrackedSettings>(
                     "S2\nName=Second\nDomain=two.example\nGatewayAddress=gw2\n"
                     "GmtBiasUseDefault=False\nGmtBias=120",
                     &secondGone));
    wxWeakRef<SitePropertiesDialog> firstRef(first);
    wxWeakRef<SitePropertiesDialog> secondRef(second);
    first->Show();
    second->Show();
    EXPECT_FALSE(first->IsModal());
    ASSERT_TRUE(waitFor([&] { return first->IsShown() && second->IsShown(); }));

    EXPECT_EQ(first->GetTitle(), "Site Properties for First");
    EXPECT_EQ(second->GetTitle(), "Site Properties for Second");
    EXPECT_TRUE(first->defaultTimeZoneBox()->GetValue());
    EXPECT_EQ(second->offsetField()->GetValue(), 120);
    click(first->hideLinkBox(), true);
    EXPECT_NE(first->trackingCode().Find("sTVResponse"), wxNOT_FOUND);
    EXPECT_EQ(second->trackingCode().Find("sTVResponse"), wxNOT_FOUND);
    EXPECT_NE(second->trackingCode().Find("http://gw2/include.js?domain=two.example"), wxNOT_FOUND);

    // Cancel closes the first one, with its settings; the second stays as it was.
    clickButton(first->FindWindow(wxID_CANCEL));
    ASSERT_TRUE(waitFor([&] { return !firstRef; }));
    EXPECT_TRUE(firstGone);
    EXPECT_FALSE(secondGone);
    ASSERT_TRUE(secondRef);
    EXPECT_EQ(second->GetTitle(), "Site Properties for Second");

    // The close box does the same for the second.
    second->Close();
    ASSERT_TRUE(waitFor([&] { return !secondRef; }));
    EXPECT_TRUE(secondGone);
}

TEST(SitePropertiesDialog, ShowRebuildsOkClosesHelpDoesNothing) {
    auto* d = new SitePropertiesDialog(nullptr, settingsFromWire(kShopSettings));
    wxWeakRef<SitePropertiesDialog> ref(d);
    // Showing the dialog rebuilds the code from the settings as they are then.
    d->settings().setTextValue(S_SS::SS_GATEWAY_ADDRESS, "late.example");
    d->Show();
    EXPECT_NE(d->trackingCode().Find("http://late.example/include.js"), wxNOT_FOUND);
    clickButton(d->FindWindow(wxID_HELP));
    Tavoro::Test::pumpEvents(50);
    ASSERT_TRUE(ref);
    EXPECT_TRUE(d->IsShown());
    clickButton(d->FindWindow(wxID_OK));
    EXPECT_TRUE(waitFor([&] { return !ref; }));
}

TEST(SitePropertiesDialog, CopyPutsTheCodeOnTheClipboard) {
    DialogHolder d(new SitePropertiesDialog(nullptr, settingsFromWire(kShopSettings)));
    d->Show();
    click(d->secureGatewayBox(), true);
    clickButton(d->copyButton());

    wxString pasted;
    ASSERT_TRUE(wxTheClipboard->Open());
    wxTextDataObject text;
    const bool got = wxTheClipboard->IsSupported(wxDF_UNICODETEXT) && wxTheClipboard->GetData(text);
    wxTheClipboard->Close();
    ASSERT_TRUE(got);
    EXPECT_EQ(text.GetText(), d->trackingCode());
    EXPECT_NE(text.GetText().Find("https://secure.example.net"), wxNOT_FOUND);
}
