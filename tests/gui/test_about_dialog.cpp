#include <gtest/gtest.h>

#include <wx/button.h>
#include <wx/hyperlink.h>
#include <wx/stattext.h>

#include "dialog/AboutDialog.h"

using Tavoro::Dialog::AboutDialog;

TEST(AboutDialog, ShowsTitleLinkAndVersion) {
    auto* dialog = new AboutDialog(nullptr, 1);
    EXPECT_EQ(dialog->GetTitle(), "Tavoro Linux / Mac Client");
    auto* title = dynamic_cast<wxStaticText*>(dialog->FindWindow("ID_STATICTEXT1"));
    ASSERT_TRUE(title);
    EXPECT_EQ(title->GetLabel(), "Tavoro Linux / Mac Client");
    EXPECT_EQ(title->GetFont().GetPointSize(), 14);
    EXPECT_EQ(dialog->versionText()->GetLabel(), "0.0.10.51") << "never the initial 0.0.0";
    EXPECT_EQ(dialog->siteLink()->GetURL(), "https://www.tavoro.example/");
    EXPECT_EQ(dialog->siteLink()->GetLabel(), "www.tavoro.example");
    auto* ok = dynamic_cast<wxButton*>(dialog->FindWindow("ID_OKBUTTON"));
    ASSERT_TRUE(ok);
    EXPECT_EQ(ok->GetLabel(), "OK");
    EXPECT_EQ(dialog->GetDefaultItem(), ok);
    dialog->Destroy();
}

#include "widgets/Images.h"

TEST(Images, IconOfTheWantedSize) {
    // ICO files hold several sizes: the one asked for is picked, not the largest scaled down.
    for (int size : {16, 24, 32}) {
        const wxIcon icon = Tavoro::loadIcon("Red Flag.ico", wxSize(size, size));
        ASSERT_TRUE(icon.IsOk()) << size;
        EXPECT_EQ(icon.GetWidth(), size);
        EXPECT_EQ(icon.GetHeight(), size);
    }
    // A GIF is scaled to the size.
    const wxIcon gif = Tavoro::loadIcon("Customer 256.gif", wxSize(16, 16));
    ASSERT_TRUE(gif.IsOk());
    EXPECT_EQ(gif.GetWidth(), 16);
    // A missing file is an empty icon, quietly.
    EXPECT_FALSE(Tavoro::loadIcon("No Such File.ico", wxSize(16, 16)).IsOk());
    EXPECT_FALSE(Tavoro::loadIcon("No Such File.ico").IsOk());
}

// Tool pictures: the file at the size asked for, and a stand-in of that size for a file that
// cannot be read, so that no tool is ever left without a picture.
TEST(Images, BitmapOfTheFileOrAStandIn) {
    const wxBitmap flag = Tavoro::loadBitmap("Red Flag.ico", wxSize(24, 24));
    ASSERT_TRUE(flag.IsOk());
    EXPECT_EQ(flag.GetSize(), wxSize(24, 24));
    EXPECT_EQ(Tavoro::loadBitmap("Red Flag.ico").GetWidth(),
              Tavoro::loadIcon("Red Flag.ico").GetWidth());

    const wxBitmap missing = Tavoro::loadBitmap("No Such File.ico");
    ASSERT_TRUE(missing.IsOk());
    EXPECT_EQ(missing.GetSize(), wxSize(32, 32));
    const wxBitmap small = Tavoro::loadBitmap("No Such File.ico", wxSize(16, 16));
    ASSERT_TRUE(small.IsOk());
    EXPECT_EQ(small.GetSize(), wxSize(16, 16));
}
