// Where the client reads its icons from: the override, an installed tree under any prefix,
// the configured install directory.
#include <gtest/gtest.h>
#include <wx/ffile.h>
#include <wx/filename.h>
#include <wx/init.h>
#include <wx/utils.h>

#include "support/TempDir.h"
#include "tavoro/InstallDirs.h"
#include "tools/ImagesDirectory.h"

using Tavoro::Tools::resolveImagesDirectory;

namespace {

// An installed tree in a temporary directory: <prefix>/bin/tavoro and, when wanted, the images
// directory where the install puts it relative to bin/.
class ImagesDirectoryInstalled : public ::testing::Test {
  protected:
    Tavoro::Test::TempDir prefix;

    wxString executable() const { return prefix.path() + "/bin/tavoro"; }
    wxString imagesDir() const {
        wxFileName dir =
            wxFileName::DirName(prefix.path() + "/bin/" + Tavoro::kImagesDirFromBinDir);
        dir.Normalize(wxPATH_NORM_DOTS | wxPATH_NORM_ABSOLUTE);
        return dir.GetPath() + "/";
    }
    void install() const {
        ASSERT_TRUE(wxFileName::Mkdir(prefix.path() + "/bin", wxS_DIR_DEFAULT, wxPATH_MKDIR_FULL));
        ASSERT_TRUE(wxFileName::Mkdir(imagesDir(), wxS_DIR_DEFAULT, wxPATH_MKDIR_FULL));
    }
};

}  // namespace

TEST_F(ImagesDirectoryInstalled, ImagesDirectoryIsFoundFromTheExecutable) {
    install();
    const wxString dir = resolveImagesDirectory(executable(), "");
    EXPECT_EQ(dir, imagesDir());
    EXPECT_TRUE(dir.StartsWith(prefix.path() + "/")) << dir;
    EXPECT_EQ(dir.Find(".."), wxNOT_FOUND) << "normalised: " << dir;
    EXPECT_TRUE(wxFileName::DirExists(dir));
}

TEST_F(ImagesDirectoryInstalled, OverrideWinsOverTheInstalledTree) {
    install();
    EXPECT_EQ(resolveImagesDirectory(executable(), "/opt/icons"), "/opt/icons/");
    EXPECT_EQ(resolveImagesDirectory(executable(), "/opt/icons/"), "/opt/icons/");
    EXPECT_EQ(resolveImagesDirectory("", "relative/icons"), "relative/icons/");
}

TEST_F(ImagesDirectoryInstalled, WithoutImagesNextToTheExecutableTheConfiguredDirectoryIsUsed) {
    // A build tree, or a lone copy of the executable: nothing beside it.
    ASSERT_TRUE(wxFileName::Mkdir(prefix.path() + "/bin", wxS_DIR_DEFAULT, wxPATH_MKDIR_FULL));
    const wxString configured = wxString(Tavoro::kImagesInstallDir) + "/";
    EXPECT_EQ(resolveImagesDirectory(executable(), ""), configured);
    EXPECT_EQ(resolveImagesDirectory("", ""), configured) << "executable path unknown";
    // A file where the directory should be is no images directory.
    install();
    ASSERT_TRUE(wxFileName::Rmdir(imagesDir()));
    wxFFile(imagesDir().BeforeLast('/'), "w").Close();
    EXPECT_EQ(resolveImagesDirectory(executable(), ""), configured);
}

TEST(ImagesDirectory, EnvironmentOverridesForThisProgram) {
    const wxInitializer wx;  // the program's own path comes from the application traits
    ASSERT_TRUE(wx.IsOk());
    wxString saved;
    const bool wasSet = wxGetEnv("TAVORO_IMAGES_DIR", &saved);
    wxSetEnv("TAVORO_IMAGES_DIR", "/somewhere/images");
    EXPECT_EQ(Tavoro::Tools::imagesDirectoryOfThisProgram(), "/somewhere/images/");
    wxSetEnv("TAVORO_IMAGES_DIR", "");
    EXPECT_NE(Tavoro::Tools::imagesDirectoryOfThisProgram(), "/") << "empty means unset";
    if (wasSet)
        wxSetEnv("TAVORO_IMAGES_DIR", saved);
    else
        wxUnsetEnv("TAVORO_IMAGES_DIR");
}

TEST_F(ImagesDirectoryInstalled, CatalogsAreFoundInTheSameTreeAsTheImages) {
    const wxString configured = wxString(Tavoro::kLocaleInstallDir) + "/";
    EXPECT_EQ(Tavoro::Tools::resolveLocaleDirectory(executable(), ""), configured);
    install();
    wxFileName locale = wxFileName::DirName(prefix.path() + "/bin/" + Tavoro::kLocaleDirFromBinDir);
    locale.Normalize(wxPATH_NORM_DOTS | wxPATH_NORM_ABSOLUTE);
    ASSERT_TRUE(wxFileName::Mkdir(locale.GetPath(), wxS_DIR_DEFAULT, wxPATH_MKDIR_FULL));
    EXPECT_EQ(Tavoro::Tools::resolveLocaleDirectory(executable(), ""), locale.GetPath() + "/");
    EXPECT_EQ(Tavoro::Tools::resolveLocaleDirectory(executable(), "/build/locale"),
              "/build/locale/");
}
