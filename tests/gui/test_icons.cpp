// The icon files the client loads by name: each exists, is in the format its name says, holds
// the sizes the toolbar, grid and chat window need, shows a real picture and differs from the
// others.
#include <gtest/gtest.h>

#include <wx/bitmap.h>
#include <wx/ffile.h>
#include <wx/filename.h>
#include <wx/icon.h>
#include <wx/image.h>
#include <wx/textfile.h>

#include <cstdlib>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "widgets/Images.h"

namespace {

enum class Format { Ico, Gif, Png };

struct IconFile {
    const char* name;
    Format format;
    std::vector<int> sizes;  // every image the file holds, in file order
};

const std::vector<int> kIcoSizes{16, 24, 32};

const std::vector<IconFile>& iconFiles() {
    static const std::vector<IconFile> files{
        // toolbar: operator status and site properties
        {"Tech Support.ico", Format::Ico, kIcoSizes},
        {"Tech Support Restricted.ico", Format::Ico, kIcoSizes},
        {"Tech Support Progress.ico", Format::Ico, kIcoSizes},
        {"Tech Support Delete.ico", Format::Ico, kIcoSizes},
        {"Settings Global 1.ico", Format::Ico, kIcoSizes},
        // chat window toolbar
        {"Exit.ico", Format::Ico, kIcoSizes},
        {"Logout.ico", Format::Ico, kIcoSizes},
        {"Tech Support Chat Transfer.ico", Format::Ico, kIcoSizes},
        {"History Chat.ico", Format::Ico, kIcoSizes},
        {"block-visitor.ico", Format::Ico, kIcoSizes},
        // alert flags
        {"Blue Flag.ico", Format::Ico, kIcoSizes},
        {"Green Flag.ico", Format::Ico, kIcoSizes},
        {"Red Flag.ico", Format::Ico, kIcoSizes},
        {"Yellow Flag.ico", Format::Ico, kIcoSizes},
        {"Grey Flag.ico", Format::Ico, kIcoSizes},
        {"No Flag.ico", Format::Ico, kIcoSizes},
        // visitor kinds
        {"Anonymous User Red.ico", Format::Ico, kIcoSizes},
        {"Anonymous User Green.ico", Format::Ico, kIcoSizes},
        {"Anonymous User Blue.ico", Format::Ico, kIcoSizes},
        {"Anonymous User Blue Chat.ico", Format::Ico, kIcoSizes},
        {"Prospect New 256.gif", Format::Gif, {32}},
        {"Prospect 256.gif", Format::Gif, {32}},
        {"Customer 256.gif", Format::Gif, {32}},
        {"Customer New 256.gif", Format::Gif, {32}},
        {"Click Fraud Warning.ico", Format::Ico, kIcoSizes},
        // application icon
        {"tavoro.ico", Format::Ico, {16, 24, 32, 48}},
        {"tavoro.png", Format::Png, {48}},
    };
    return files;
}

wxString pathOf(const IconFile& file) {
    return Tavoro::imagesDirectory() + file.name;
}

wxBitmapType bitmapTypeOf(Format format) {
    switch (format) {
        case Format::Ico:
            return wxBITMAP_TYPE_ICO;
        case Format::Gif:
            return wxBITMAP_TYPE_GIF;
        case Format::Png:
            return wxBITMAP_TYPE_PNG;
    }
    return wxBITMAP_TYPE_INVALID;
}

// The leading bytes of the file, to tell its real format from its name.
std::string headerOf(const wxString& path, size_t length) {
    wxFFile in(path, "rb");
    std::string bytes(length, '\0');
    if (!in.IsOpened())
        return {};
    bytes.resize(in.Read(&bytes[0], length));
    return bytes;
}

bool hasSignatureOf(const std::string& header, Format format) {
    switch (format) {
        case Format::Ico:
            return header.compare(0, 4, std::string("\0\0\1\0", 4)) == 0;
        case Format::Gif:
            return header.compare(0, 6, "GIF89a") == 0 || header.compare(0, 6, "GIF87a") == 0;
        case Format::Png:
            return header.compare(0, 8, "\x89PNG\r\n\x1a\n") == 0;
    }
    return false;
}

struct PixelCensus {
    int opaque = 0;
    int transparent = 0;
    size_t colours = 0;  // distinct colours among the opaque pixels
};

PixelCensus censusOf(const wxImage& image) {
    PixelCensus census;
    std::set<unsigned long> colours;
    for (int y = 0; y < image.GetHeight(); ++y) {
        for (int x = 0; x < image.GetWidth(); ++x) {
            if (image.IsTransparent(x, y)) {
                ++census.transparent;
                continue;
            }
            ++census.opaque;
            colours.insert((static_cast<unsigned long>(image.GetRed(x, y)) << 16) |
                           (static_cast<unsigned long>(image.GetGreen(x, y)) << 8) |
                           image.GetBlue(x, y));
        }
    }
    census.colours = colours.size();
    return census;
}

// What a viewer sees: size, then per pixel whether it shows and its colour when it does.
std::string pictureOf(const wxImage& image) {
    std::string picture =
        std::to_string(image.GetWidth()) + "x" + std::to_string(image.GetHeight());
    for (int y = 0; y < image.GetHeight(); ++y) {
        for (int x = 0; x < image.GetWidth(); ++x) {
            if (image.IsTransparent(x, y)) {
                picture += '-';
            } else {
                picture += '#';
                picture += static_cast<char>(image.GetRed(x, y));
                picture += static_cast<char>(image.GetGreen(x, y));
                picture += static_cast<char>(image.GetBlue(x, y));
            }
        }
    }
    return picture;
}

// A picture, not a blank or a filled square: a tenth of it or more drawn, in several colours, on a
// transparent background so that it sits on toolbars and grid cells of any colour.
void expectRealPicture(const wxImage& image, const wxString& what) {
    const PixelCensus census = censusOf(image);
    const int area = image.GetWidth() * image.GetHeight();
    EXPECT_GE(census.opaque, area / 10) << what << ": too little drawn";
    EXPECT_GE(census.transparent, area / 20) << what << ": no transparent background";
    EXPECT_GE(census.colours, 4u) << what << ": too few colours";
}

TEST(IconFiles, EachFileIsInTheFormatItsNameSays) {
    for (const IconFile& file : iconFiles()) {
        SCOPED_TRACE(file.name);
        const wxString path = pathOf(file);
        ASSERT_TRUE(wxFileName::FileExists(path)) << path;
        EXPECT_TRUE(hasSignatureOf(headerOf(path, 8), file.format));

        wxImage image;
        ASSERT_TRUE(image.LoadFile(path, bitmapTypeOf(file.format)));
        EXPECT_TRUE(image.IsOk());
    }
}

TEST(IconFiles, EachImageOfAFileHasItsSizeAndAPicture) {
    for (const IconFile& file : iconFiles()) {
        SCOPED_TRACE(file.name);
        const wxString path = pathOf(file);
        const wxBitmapType type = bitmapTypeOf(file.format);
        ASSERT_EQ(wxImage::GetImageCount(path, type), static_cast<int>(file.sizes.size()));
        for (size_t index = 0; index < file.sizes.size(); ++index) {
            wxImage image;
            ASSERT_TRUE(image.LoadFile(path, type, static_cast<int>(index))) << "image " << index;
            EXPECT_EQ(image.GetWidth(), file.sizes[index]) << "image " << index;
            EXPECT_EQ(image.GetHeight(), file.sizes[index]) << "image " << index;
            expectRealPicture(image, wxString::Format("%s image %zu", file.name, index));
        }
    }
}

// The client reads the files through loadBitmap/loadIcon: what they give is what the toolbar,
// grid and chat window show.
TEST(IconFiles, TheClientLoadsEveryFileAsAUsablePicture) {
    for (const IconFile& file : iconFiles()) {
        SCOPED_TRACE(file.name);
        const wxBitmap bitmap = Tavoro::loadBitmap(file.name);
        ASSERT_TRUE(bitmap.IsOk());
        EXPECT_GE(bitmap.GetWidth(), 16);
        EXPECT_LE(bitmap.GetWidth(), 48);
        EXPECT_EQ(bitmap.GetWidth(), bitmap.GetHeight());
        expectRealPicture(bitmap.ConvertToImage(), file.name);

        const wxIcon icon = Tavoro::loadIcon(file.name);
        ASSERT_TRUE(icon.IsOk());
        EXPECT_EQ(icon.GetWidth(), bitmap.GetWidth());
    }
}

// Files that stand for different things must look different: compare what each shows at every
// size it holds. The application's ICO and PNG are the one picture and may match each other.
TEST(IconFiles, NoTwoFilesShowTheSamePicture) {
    std::map<std::string, std::string> ownerOfPicture;
    for (const IconFile& file : iconFiles()) {
        if (file.format == Format::Png)
            continue;
        for (size_t index = 0; index < file.sizes.size(); ++index) {
            wxImage image;
            ASSERT_TRUE(
                image.LoadFile(pathOf(file), bitmapTypeOf(file.format), static_cast<int>(index)))
                << file.name;
            const auto [it, added] = ownerOfPicture.emplace(pictureOf(image), file.name);
            EXPECT_TRUE(added || it->second == file.name)
                << file.name << " image " << index << " shows the same picture as " << it->second;
        }
    }
}

TEST(IconFiles, ApplicationIconsShowTheSamePicture) {
    wxImage png;
    wxImage ico;
    ASSERT_TRUE(png.LoadFile(Tavoro::imagesDirectory() + "tavoro.png", wxBITMAP_TYPE_PNG));
    ASSERT_TRUE(ico.LoadFile(Tavoro::imagesDirectory() + "tavoro.ico", wxBITMAP_TYPE_ICO, 3));
    ASSERT_EQ(png.GetSize(), ico.GetSize());
    // Same drawing, packed differently: colours of shown pixels may differ by rounding only.
    int differing = 0;
    for (int y = 0; y < png.GetHeight(); ++y) {
        for (int x = 0; x < png.GetWidth(); ++x) {
            if (png.IsTransparent(x, y) != ico.IsTransparent(x, y) ||
                std::abs(png.GetRed(x, y) - ico.GetRed(x, y)) > 8 ||
                std::abs(png.GetBlue(x, y) - ico.GetBlue(x, y)) > 8) {
                ++differing;
            }
        }
    }
    EXPECT_LE(differing, png.GetWidth() * png.GetHeight() / 50);
}

// The desktop entry names the installed application icon and the program.
TEST(IconFiles, DesktopEntryNamesTheApplicationIcon) {
    wxFileName entryPath(Tavoro::imagesDirectory(), "");
    entryPath.RemoveLastDir();
    entryPath.SetFullName("tavoro.desktop");
    wxTextFile entry;
    ASSERT_TRUE(entry.Open(entryPath.GetFullPath())) << entryPath.GetFullPath();
    ASSERT_GT(entry.GetLineCount(), 0u);
    EXPECT_EQ(entry.GetFirstLine(), "[Desktop Entry]");

    std::map<wxString, wxString> keys;
    for (size_t i = 0; i < entry.GetLineCount(); ++i) {
        const wxString& line = entry[i];
        if (line.Contains("=")) {
            EXPECT_TRUE(keys.emplace(line.BeforeFirst('='), line.AfterFirst('=')).second)
                << "repeated key in " << line;
        }
    }
    EXPECT_EQ(keys["Type"], "Application");
    EXPECT_EQ(keys["Exec"], "tavoro");
    EXPECT_EQ(keys["Name"], "Tavoro Client");
    ASSERT_FALSE(keys["Icon"].empty());
    EXPECT_TRUE(wxFileName::FileExists(Tavoro::imagesDirectory() + keys["Icon"] + ".png"));
    EXPECT_TRUE(keys["Categories"].EndsWith(";"));
}

}  // namespace
