// Session data, greeting and login message.
#include <gtest/gtest.h>
#include <wx/init.h>

#include "messages/ClientRequests.h"
#include "messages/HelloMessage.h"
#include "messages/LoginMessage.h"
#include "messages/S_SESSION.h"
#include "settings/LoginSettings.h"
#include "settings/TavoroSettings.h"
#include "support/TempDir.h"
#include "tools/wxStringSplitter.h"

using namespace Tavoro;
using namespace Tavoro::Messages;

namespace {

wxString tabs(std::initializer_list<const wchar_t*> fields) {
    wxString out;
    bool first = true;
    for (const auto* f : fields) {
        if (!first)
            out += '\t';
        out += f;
        first = false;
    }
    return out;
}

}  // namespace

TEST(SessionData, ParsesTheFourteenFields) {
    const TavoroMessage message(
        "@SESSION:" + tabs({L"Tavoro Server", L"2.5", L"Pro", L"Soci\u00e9t\u00e9", L"t4", L"t5",
                            L"t6", L"t7", L"t8", L"t9", L"t10", L"t11", L"unused", L"secret-key"}));
    const S_SESSION session(message);
    EXPECT_EQ(session.appName(), "Tavoro Server");
    EXPECT_EQ(session.version(), "2.5");
    EXPECT_EQ(session.text2(), "Pro");
    EXPECT_EQ(session.registeredTo(), L"Soci\u00e9t\u00e9");
    for (unsigned i = 4; i <= 11; ++i)
        EXPECT_EQ(session.text(i), wxString::Format("t%u", i));
    EXPECT_EQ(session.text(12), "");  // not kept
    EXPECT_EQ(session.sessionKey(), "secret-key");
    EXPECT_TRUE(session.hasSessionKey());
}

TEST(SessionData, MissingOrEmptyKeyMeansNoSecureSession) {
    struct Case {
        const char* what;
        wxString data;
    };
    const std::vector<Case> cases = {
        {"thirteen fields",
         tabs({L"a", L"b", L"c", L"d", L"", L"", L"", L"", L"", L"", L"", L"", L""})},
        {"empty field 13",
         tabs({L"a", L"b", L"c", L"d", L"", L"", L"", L"", L"", L"", L"", L"", L"", L""})},
        {"undecrypted Base64 left in place", "c2Vzc2lvbiBkYXRh"},
        {"nothing", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const S_SESSION session(c.data);
        EXPECT_FALSE(session.hasSessionKey());
        EXPECT_EQ(session.sessionKey(), "");
    }
    EXPECT_FALSE(S_SESSION().hasSessionKey());
}

TEST(SessionData, StatusTextsReplaceOnlyTheFirstPlaceholder) {
    EXPECT_EQ(
        S_SESSION::fillPlaceholders("%APPNAME% %VERSION% %VERSION% %REGISTEREDTO%", "A", "1", "R"),
        "A 1 %VERSION% R");
    const S_SESSION session(tabs({L"Server", L"2.5", L"x", L"ACME"}));
    EXPECT_EQ(session.connectingText(), "Connecting to Server version 2.5 registered to ACME");
    EXPECT_EQ(session.connectedText(HelloMessage().productName()),
              "Connected to Tavoro version 2.5 registered to ACME");
    EXPECT_EQ(S_SESSION::noSecureSessionText(),
              "Could not establish a secure session with the server");
}

TEST(Greeting, ProductNameIsTavoroWhateverTheData) {
    EXPECT_EQ(HelloMessage().productName(), "Tavoro");
    EXPECT_EQ(HelloMessage(TavoroMessage("@HELLO:Some Other Name")).productName(), "Tavoro");
}

class LoginMessageTest : public ::testing::Test {
  protected:
    Tavoro::Test::TempDir dir;
    TavoroSettings settings{dir.file("settings.ini")};
};

TEST_F(LoginMessageTest, NineFieldsFromTheSettings) {
    settings.setString(SETTING_AUTHENTICATION_STRING, "AUTH-123");
    settings.setString(SETTING_OPERATOR_NAME, L"J\u00f6rg Operator");
    settings.setString(SETTING_DEPARTMENT_NAME, "Sales");
    settings.setString(SETTING_DEFAULT_STATUS, "2");
    settings.setString(SETTING_USERNAME, "demo");
    settings.setString(SETTING_PASSWORD, "p:a%ss");
    const LoginMessage login(loginDetailsOf(settings));
    EXPECT_EQ(login.kind(), MK_LOGIN);
    EXPECT_EQ(login.command(), "@LOGIN");
    EXPECT_EQ(
        login.toText(),
        wxString(
            L"@LOGIN:AUTH-123\tJ\u00f6rg Operator\tSales\t\tLC-0.0.10.51\t2\ten\tdemo\tp:a%ss"));
}

TEST_F(LoginMessageTest, MissingSettingsGiveEmptyFieldsAndStatusZero) {
    const LoginMessage login(loginDetailsOf(settings));
    EXPECT_EQ(login.data(), "\t\t\t\tLC-0.0.10.51\t0\ten\t\t");
    EXPECT_EQ(login.data().Freq('\t'), 8u);
}

TEST_F(LoginMessageTest, MyLanguageGoesInTheLanguageField) {
    auto languageOf = [&] {
        return Tools::wxStringSplitter(LoginMessage(loginDetailsOf(settings)).data(), '\t', true)
            .item(6);
    };
    const std::pair<const char*, const char*> cases[] = {
        {"de", "de"},         // set: sent instead of the server's default
        {"  fr ", "fr"},      // blanks around it are not part of it
        {"   ", "en"},        // blank: as if unset
        {"pt\tBR", "pt BR"},  // a TAB cannot shift the fields after it
    };
    for (const auto& [stored, sent] : cases) {
        settings.setString(SETTING_LANGUAGE, wxString::FromUTF8(stored));
        EXPECT_EQ(languageOf(), sent) << "stored: " << stored;
    }
}

TEST_F(LoginMessageTest, VersionFieldIsTheProjectVersion) {
    const Tools::wxStringSplitter fields(LoginMessage(loginDetailsOf(settings)).data(), '\t', true);
    EXPECT_EQ(fields.item(4), wxString("LC-") + TAVORO_PROJECT_VERSION);
    EXPECT_EQ(LoginMessage::clientVersion(), fields.item(4));
}

TEST_F(LoginMessageTest, StoredDefaultStatusIsSentAsStored) {
    settings.setString(SETTING_DEFAULT_STATUS, "3x");
    const Tools::wxStringSplitter fields(LoginMessage(loginDetailsOf(settings)).data(), '\t', true);
    EXPECT_EQ(fields.item(5), "3x");
}

TEST_F(LoginMessageTest, SeparatorsInsideASettingCannotShiftTheFields) {
    settings.setString(SETTING_OPERATOR_NAME, "Ann\tAdmin");
    settings.setString(SETTING_USERNAME, "user\r\nname");
    settings.setString(SETTING_PASSWORD, "pass\tword");
    const LoginMessage login(loginDetailsOf(settings));
    const Tools::wxStringSplitter fields(login.data(), '\t', true);
    ASSERT_EQ(fields.count(), 9u);
    EXPECT_EQ(fields.item(1), "Ann Admin");
    EXPECT_EQ(fields.item(7), "user  name");
    EXPECT_EQ(fields.item(8), "pass word");
}

// The status the window announces replaces the stored default; without stored details the
// default is "0" (Online).
TEST(LoginDetails, GivenStatusReplacesTheDefault) {
    LoginDetails details;
    details.userName = "demo";
    auto statusOf = [](const LoginMessage& login) {
        return Tools::wxStringSplitter(login.data(), '\t', true).item(5);
    };
    EXPECT_EQ(statusOf(LoginMessage(details)), "0");
    details.defaultStatus = "2";
    EXPECT_EQ(statusOf(LoginMessage(details)), "2");
    EXPECT_EQ(statusOf(LoginMessage(details, Types::OperatorStatus::Away)), "3");
    EXPECT_EQ(statusOf(LoginMessage(details, Types::OperatorStatus::Online)), "0");
    EXPECT_EQ(statusOf(LoginMessage(details, 1)), "1");
    EXPECT_EQ(Tools::wxStringSplitter(LoginMessage(details, Types::OperatorStatus::Away).data(),
                                      '\t', true)
                  .item(7),
              "demo");
}

// The status numbers the server and the settings know, each way round: what is sent, what a
// number reads as, and what the stored default status gives.
TEST_F(LoginMessageTest, OperatorStatusNumbers) {
    using Types::OperatorStatus;
    const struct {
        OperatorStatus status;
        const char* number;
        const char* text;
    } statuses[] = {
        {OperatorStatus::Online, "0", "Online"},
        {OperatorStatus::Busy, "1", "Busy"},
        {OperatorStatus::BeRightBack, "2", "Be Right Back"},
        {OperatorStatus::Away, "3", "Away"},
    };
    LoginDetails details;
    for (const auto& s : statuses) {
        SCOPED_TRACE(s.number);
        EXPECT_EQ(statusRequest(s.status), wxString("@STATUS:") + s.number);
        EXPECT_EQ(
            Tools::wxStringSplitter(LoginMessage(details, s.status).data(), '\t', true).item(5),
            s.number);
        EXPECT_EQ(Types::operatorStatusText(s.status), s.text);
        EXPECT_EQ(Types::operatorStatusOf(Types::statusNumber(s.status)), s.status);

        setDefaultStatus(settings, s.status);
        EXPECT_EQ(settings.getString(SETTING_DEFAULT_STATUS), s.number);
        EXPECT_EQ(defaultStatusOf(settings), s.status);
        EXPECT_EQ(loginDetailsOf(settings).defaultStatus, s.number);
    }
    EXPECT_EQ(Types::operatorStatusOf(-1), std::nullopt);
    EXPECT_EQ(Types::operatorStatusOf(Types::kOperatorStatusCount), std::nullopt);
    EXPECT_EQ(Types::operatorStatusOr(7, OperatorStatus::Busy), OperatorStatus::Busy);

    // A default status that names none shows as Online (the login still sends it as stored).
    for (const char* stored : {"4", "-1", "3x", ""}) {
        settings.setString(SETTING_DEFAULT_STATUS, stored);
        EXPECT_EQ(defaultStatusOf(settings), OperatorStatus::Online) << stored;
    }
    TavoroSettings empty(dir.file("empty.ini"));
    EXPECT_EQ(defaultStatusOf(empty), OperatorStatus::Online);
}
