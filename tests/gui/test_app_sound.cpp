// A chat request is heard: the configured sound is played through the desktop's sound service.
// The test runs a private sound server with a null output, records that output, and looks for
// the tone in the recording; a call that reports success but plays nothing fails here.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "DesktopProbe.h"
#include "GuiTestUtil.h"
#include "TempDir.h"
#include "messages/S_CHAT.h"
#include "messages/TavoroMessage.h"
#include "settings/TavoroSettings.h"
#include "widgets/Notifications.h"

using namespace Tavoro;
using Tavoro::Test::findProgram;
using Tavoro::Test::spawn;
using Tavoro::Test::stopProcess;
using Tavoro::Test::waitFor;

namespace {

long fileSize(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 ? static_cast<long>(st.st_size) : -1;
}

// A 0.4 s 880 Hz tone at about a third of full scale, 16-bit mono PCM.
void writeTone(const std::string& path) {
    const uint32_t rate = 44100, samples = rate * 2 / 5, bytes = samples * 2;
    std::ofstream out(path, std::ios::binary);
    auto u32 = [&](uint32_t v) { out.write(reinterpret_cast<const char*>(&v), 4); };
    auto u16 = [&](uint16_t v) { out.write(reinterpret_cast<const char*>(&v), 2); };
    out.write("RIFF", 4);
    u32(36 + bytes);
    out.write("WAVEfmt ", 8);
    u32(16);
    u16(1);  // PCM
    u16(1);  // mono
    u32(rate);
    u32(rate * 2);
    u16(2);
    u16(16);
    out.write("data", 4);
    u32(bytes);
    for (uint32_t i = 0; i < samples; ++i)
        u16(static_cast<uint16_t>(
            static_cast<int16_t>(12000 * std::sin(2 * M_PI * 880 * i / rate))));
}

// The loudest sample recorded so far (16-bit mono little-endian).
int loudestSample(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    int loudest = 0;
    char pair[2];
    while (in.read(pair, 2)) {
        const int16_t v = static_cast<int16_t>(static_cast<uint8_t>(pair[0]) |
                                               (static_cast<uint8_t>(pair[1]) << 8));
        loudest = std::max(loudest, std::abs(static_cast<int>(v)));
    }
    return loudest;
}

class SoundTest : public ::testing::Test {
  protected:
    void TearDown() override {
        stopProcess(recorder);
        stopProcess(server);
        Notifications::showNotice = nullptr;
    }
    Tavoro::Test::TempDir dir;
    pid_t server = -1;
    pid_t recorder = -1;
};

TEST_F(SoundTest, ChatRequestSoundReachesTheSoundService) {
    const std::string pulseaudio = findProgram("pulseaudio"), parec = findProgram("parec");
    ASSERT_FALSE(pulseaudio.empty() || parec.empty())
        << "the sound test needs pulseaudio and parec (scripts/setup.sh installs them)";

    // A private sound server: its own runtime directory, one null output, no other modules.
    const std::string root = dir.path().ToStdString();
    const std::string socket = root + "/native";
    ::setenv("PULSE_RUNTIME_PATH", root.c_str(), 1);
    server = spawn({pulseaudio, "-n", "--daemonize=no", "--exit-idle-time=-1", "--disable-shm=yes",
                    "--use-pid-file=no", "-L", "module-null-sink sink_name=tavoro_test", "-L",
                    "module-native-protocol-unix auth-anonymous=1 socket=" + socket},
                   std::string());
    ASSERT_TRUE(waitFor([&] { return fileSize(socket) >= 0; }, 20000)) << "no sound server";
    const std::string address = "unix:" + socket;
    ::setenv("PULSE_SERVER", address.c_str(), 1);

    // Record the null output; it runs once the recording grows.
    const std::string recording = root + "/recording.raw";
    recorder = spawn({parec, "-s", address, "-d", "tavoro_test.monitor", "--raw", "--format=s16le",
                      "--rate=44100", "--channels=1"},
                     recording);
    ASSERT_TRUE(waitFor([&] { return fileSize(recording) > 8192; }, 20000)) << "not recording";
    EXPECT_LT(loudestSample(recording), 100) << "the output is silent before the request";

    const std::string tone = root + "/request.wav";
    writeTone(tone);
    TavoroSettings settings((dir.path() + "/settings.ini"));
    settings.setString(SETTING_CHAT_REQUEST_SOUND_PATH, wxString(tone));
    std::vector<wxString> notices;
    Notifications::showNotice = [&](const Notifications::Notice& notice) {
        notices.push_back(notice.title);
    };
    Notifications::chatRequested(
        settings, Messages::S_CHAT(Messages::TavoroMessage("@CHAT:c1:shop.example:Vera")));
    EXPECT_EQ(notices, std::vector<wxString>{"shop.example Chat"});
    EXPECT_TRUE(waitFor([&] { return loudestSample(recording) > 8000; }, 20000))
        << "the chat request sound was not played (loudest sample " << loudestSample(recording)
        << ")";
}

}  // namespace
