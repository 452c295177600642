#include <gtest/gtest.h>

#include <wx/ffile.h>
#include <wx/filename.h>

#include <sys/stat.h>

#include "settings/TavoroSettings.h"
#include "support/TempDir.h"

using namespace Tavoro;

namespace {

wxString fileText(const wxString& path) {
    wxFFile f(path, "r");
    wxString text;
    if (f.IsOpened())
        f.ReadAll(&text);
    return text;
}

TEST(TavoroSettings, KeysOfIds) {
    EXPECT_EQ(TavoroSettings::keyOf(28), "General/ServerDNSIP");
    EXPECT_EQ(TavoroSettings::keyOf(200), "Layout/VisitorsSash");
    EXPECT_EQ(TavoroSettings::keyOf(301), "Layout/VisitorChatFrame/Width");
    EXPECT_EQ(TavoroSettings::keyOf(1000), "Layout/VisitorList/Columns");
    EXPECT_EQ(TavoroSettings::keyOf(1001), "Popups/ChatRequestRepeatSeconds");
    // Ids without a key of their own share "Unknown".
    EXPECT_EQ(TavoroSettings::keyOf(1), "Unknown");
    EXPECT_EQ(TavoroSettings::keyOf(36), "Unknown");
    EXPECT_EQ(TavoroSettings::keyOf(-5), "Unknown");
}

TEST(TavoroSettings, ValueEncodings) {
    Tavoro::Test::TempDir dir;
    TavoroSettings s(dir.file("settings.ini"));
    EXPECT_EQ(s.getInt(SETTING_HORIZONTAL_SASH), -1) << "missing";
    s.setString(SETTING_HORIZONTAL_SASH, "12abc");
    EXPECT_EQ(s.getInt(SETTING_HORIZONTAL_SASH), -1) << "not a whole number";
    s.setString(SETTING_HORIZONTAL_SASH, "");
    EXPECT_EQ(s.getInt(SETTING_HORIZONTAL_SASH), -1) << "empty";
    s.setString(SETTING_HORIZONTAL_SASH, "0");
    EXPECT_EQ(s.getInt(SETTING_HORIZONTAL_SASH), 0);
    s.setInt(SETTING_VERTICAL_SASH, -250);
    EXPECT_EQ(s.getString(SETTING_VERTICAL_SASH), "-250");

    EXPECT_TRUE(s.getBool(SETTING_CONFIRM_CLOSE_CLIENT, true)) << "missing gives the fallback";
    EXPECT_FALSE(s.getBool(SETTING_CONFIRM_CLOSE_CLIENT, false));
    s.setString(SETTING_CONFIRM_CLOSE_CLIENT, "Yes");
    EXPECT_FALSE(s.getBool(SETTING_CONFIRM_CLOSE_CLIENT, true)) << "case matters";
    s.setBool(SETTING_CONFIRM_CLOSE_CLIENT, true);
    EXPECT_EQ(s.getString(SETTING_CONFIRM_CLOSE_CLIENT), "yes");
    s.setBool(SETTING_CONFIRM_CLOSE_CLIENT, false);
    EXPECT_EQ(s.getString(SETTING_CONFIRM_CLOSE_CLIENT), "no");

    EXPECT_FALSE(s.exists(SETTING_PASSWORD));
    EXPECT_EQ(s.getString(SETTING_PASSWORD), "");
    EXPECT_EQ(s.getString(SETTING_PASSWORD, "fb"), "fb");
    s.setString(SETTING_PASSWORD, "");
    EXPECT_TRUE(s.exists(SETTING_PASSWORD)) << "an empty value still exists";
    EXPECT_EQ(s.getString(SETTING_PASSWORD, "fb"), "");

    // Ids without a key all land on "Unknown".
    s.setString(1, "dictionary");
    EXPECT_EQ(s.getString(36), "dictionary");

    // Texts with separators and non-Latin characters survive a file round trip.
    const wxString odd(L"a=b;c #d \u4e2d\u00e9 \"q\"");
    s.setString(SETTING_INVITES_LAST_TEXT, odd);
    s.flush();
    TavoroSettings reread(dir.file("settings.ini"));
    EXPECT_EQ(reread.getString(SETTING_INVITES_LAST_TEXT), odd);
    EXPECT_EQ(reread.getString(1), "dictionary");
}

TEST(TavoroSettings, WritesReachTheFileOnlyOnFlush) {
    Tavoro::Test::TempDir dir;
    const wxString path = dir.file("settings.ini");
    {
        TavoroSettings s(path);
        s.setString(SETTING_SERVER_DNS_IP, "chat.example.test");
        EXPECT_EQ(s.getString(SETTING_SERVER_DNS_IP), "chat.example.test");
        EXPECT_FALSE(fileText(path).Contains("chat.example.test"));
        TavoroSettings other(path);
        EXPECT_FALSE(other.exists(SETTING_SERVER_DNS_IP)) << "not on disk before flush";
        s.flush();
        EXPECT_TRUE(fileText(path).Contains("ServerDNSIP=chat.example.test"));
        s.setString(SETTING_USERNAME, "unflushed");
    }
    // Destroying the store does not save pending writes.
    TavoroSettings reread(path);
    EXPECT_EQ(reread.getString(SETTING_SERVER_DNS_IP), "chat.example.test");
    EXPECT_FALSE(reread.exists(SETTING_USERNAME));
}

TEST(TavoroSettings, FileIsPrivateToItsOwner) {
    Tavoro::Test::TempDir dir;
    const wxString path = dir.file("settings.ini");
    {
        TavoroSettings s(path);
        s.setString(SETTING_PASSWORD, "secret");
        s.flush();
    }
    struct stat st {};
    ASSERT_EQ(::stat(path.fn_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);

    // A file left readable by others is tightened on the next flush.
    ::chmod(path.fn_str(), 0644);
    TavoroSettings s(path);
    s.setString(SETTING_PASSWORD, "other");
    s.flush();
    ASSERT_EQ(::stat(path.fn_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
}

TEST(TavoroSettings, UnreadableOrGarbageFileReadsAsMissing) {
    Tavoro::Test::TempDir dir;
    const wxString path = dir.file("settings.ini");
    {
        wxFFile f(path, "w");
        f.Write(wxString::FromUTF8("\xff\xfe garbage [[[ = \n=novalue\n[General\nServerDNSIP"));
    }
    TavoroSettings s(path);
    EXPECT_EQ(s.getInt(SETTING_CLIENT_PORT_NUMBER), -1);
    EXPECT_TRUE(s.getBool(SETTING_POPUP_FOR_EXCEPTIONS, true));
}

// The port a connection uses: the stored one when a real port, else the default.
TEST(TavoroSettings, ServerPort) {
    Tavoro::Test::TempDir dir;
    TavoroSettings s(dir.file("settings.ini"));
    EXPECT_EQ(serverPortOf(s), kDefaultServerPort) << "missing";
    const struct {
        const char* stored;
        unsigned short port;
    } cases[] = {{"1", 1},
                 {"80", 80},
                 {"65535", 65535},
                 {"0", kDefaultServerPort},
                 {"-1", kDefaultServerPort},
                 {"65536", kDefaultServerPort},
                 {"x80", kDefaultServerPort},
                 {"", kDefaultServerPort}};
    for (const auto& c : cases) {
        s.setString(SETTING_CLIENT_PORT_NUMBER, c.stored);
        EXPECT_EQ(serverPortOf(s), c.port) << c.stored;
    }
}

// How often the chat-request sound repeats: 0 is "once"; nonsense reads as the default.
TEST(TavoroSettings, ChatRequestRepeat) {
    Tavoro::Test::TempDir dir;
    TavoroSettings s(dir.file("settings.ini"));
    EXPECT_EQ(chatRequestRepeatSecondsOf(s), 15) << "missing";
    const struct {
        const char* stored;
        long seconds;
    } cases[] = {{"0", 0}, {"30", 30}, {"3600", 3600}, {"3601", 15}, {"-1", 15}, {"5s", 15}};
    for (const auto& c : cases) {
        s.setString(SETTING_CHAT_REQUEST_REPEAT_SECONDS, c.stored);
        EXPECT_EQ(chatRequestRepeatSecondsOf(s), c.seconds) << c.stored;
    }
}

}  // namespace
