// The media keys' decisions on a recording set of players, and quick launch
// through the real launcher with paths that a shell would take apart.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <thread>

#include "RecordingMediaPlayers.h"
#include "monitor/MediaControl.h"
#include "platform/ProcessLauncher.h"
#include "settings/Text.h"
#include "tests/support/ScopedEnv.h"
#include "tests/support/TempFolder.h"

namespace kelm::test {
namespace {

using P = MediaPlayer;

class NoLauncher final : public ProcessLauncher {
public:
    bool StartProgram(const std::string&, const std::vector<std::string>&) override { return false; }
    bool OpenDocument(const std::string&) override { return false; }
};

struct MediaCase {
    int option;
    std::uint8_t code;
    std::uint8_t release;
    bool playerRuns;
    std::vector<std::string> expected;
};

TEST(MediaControl, EachOptionAndCodeReachesItsPlayerWithItsCommand) {
    const std::vector<MediaCase> cases = {
        {0, 0x21, 0, true, {"Send default Next"}},
        {0, 0x23, 0, true, {"Send default PlayPause"}},
        {1, 0x22, 0, true, {"Send rhythmbox Previous"}},
        {1, 0x24, 0, true, {"Send rhythmbox Stop"}},
        {2, 0x23, 0, true, {"Send vlc PlayPause"}},
        {2, 0x21, 0, true, {"Send vlc Next"}},
        {3, 0x24, 0, true, {"Send audacious Stop"}},
        {3, 0x22, 0, true, {"Send audacious Previous"}},
        // Open: a running player comes to the front, else it is started.
        {1, 0x20, 0, true, {"Send rhythmbox Raise"}},
        {2, 0x20, 0, false, {"Start vlc"}},
        {0, 0x20, 0, false, {"Start default"}},
        // Commands to a player that is not running go nowhere.
        {2, 0x21, 0, false, {}},
        // Releases, codes without a command, players that do not exist.
        {2, 0x23, 1, true, {}},
        {2, 0x20, 1, false, {}},
        {2, 0x25, 0, true, {}},
        {2, 0x27, 0, true, {}},
        {4, 0x23, 0, true, {}},
        {-1, 0x20, 0, false, {}},
    };
    for (const MediaCase& c : cases) {
        RecordingMediaPlayers players;
        if (c.playerRuns) players.running = {P::DesktopDefault, P::Rhythmbox, P::Vlc, P::Audacious};
        NoLauncher launcher;
        HostMediaControl media(players, launcher, "/");
        media.MediaFunction(c.code, c.release, c.option);
        EXPECT_EQ(players.calls, c.expected)
            << "option " << c.option << " code " << int{c.code} << " release " << int{c.release};
    }
}

// One flag for the whole monitor, turned only when Audacious took the
// command: other players and releases leave it as it is.
TEST(MediaControl, AudaciousPlayPauseAlternatesPlayAndPause) {
    RecordingMediaPlayers players;
    NoLauncher launcher;
    HostMediaControl media(players, launcher, "/");
    players.running = {P::Audacious, P::Vlc};
    media.MediaFunction(0x23, 0, 3);
    media.MediaFunction(0x23, 1, 3);
    media.MediaFunction(0x23, 0, 2);
    media.MediaFunction(0x23, 0, 3);
    players.running = {P::Vlc};
    media.MediaFunction(0x23, 0, 3);  // not running: nothing sent, nothing turned
    players.running = {P::Audacious};
    media.MediaFunction(0x23, 0, 3);
    media.MediaFunction(0x23, 0, 3);
    EXPECT_EQ(players.calls,
              (std::vector<std::string>{"Send audacious Play", "Send vlc PlayPause", "Send audacious Pause",
                                        "Send audacious Play", "Send audacious Pause"}));
}

// ---- quick launch: every path is one file name, whatever it holds ----

class QuickLaunchTest : public ::testing::Test {
protected:
    void SetUp() override {
        WriteFile(root_ + "/bin/xdg-open", "#!/bin/sh\nprintf '%s|%s\\n' \"$#\" \"$1\" >> '" + root_ + "/opened'\n");
        ASSERT_EQ(::chmod((root_ + "/bin/xdg-open").c_str(), 0755), 0);
        for (const char* name : kInjected) std::filesystem::remove(name);
    }

    // An executable script that notes how it was started.
    void Script(const std::string& name) {
        WriteFile(root_ + "/" + name, "#!/bin/sh\nprintf '%s|%s\\n' \"$#\" \"$0\" >> '" + root_ + "/ran'\n");
        ASSERT_EQ(::chmod((root_ + "/" + name).c_str(), 0755), 0);
    }

    void Launch(const std::string& path) {
        MacroKeyInfo entry{};
        entry.FunctionCode = kFnQuickLaunch;
        CopyField(entry.QuickLaunchPath, path);
        media_.QuickLaunch(entry);
    }

    // The lines of a file once it has count of them (the programs run
    // detached, in any order), sorted.
    std::vector<std::string> Lines(const std::string& name, std::size_t count) {
        std::vector<std::string> lines;
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        for (;;) {
            lines.clear();
            const std::string text = ReadFile(root_ + "/" + name);
            for (std::size_t start = 0, end; (end = text.find('\n', start)) != std::string::npos; start = end + 1)
                lines.push_back(text.substr(start, end - start));
            if (lines.size() >= count || std::chrono::steady_clock::now() > deadline) break;
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        std::sort(lines.begin(), lines.end());
        return lines;
    }

    static constexpr const char* kInjected[] = {"kelm-injected-a", "kelm-injected-b", "kelm-injected-c",
                                                "kelm-injected-d", "kelm-injected-e", "kelm-injected-f"};
    const TempFolder folder_;
    const std::string root_ = folder_.Path();
    const ScopedEnv path_{"PATH", (root_ + "/bin:" + std::getenv("PATH")).c_str()};
    RecordingMediaPlayers players_;
    SystemLauncher launcher_;
    HostMediaControl media_{players_, launcher_, root_};
};

TEST_F(QuickLaunchTest, ShellCharactersAndLeadingDashesAreOnlyEverPartsOfOneFileName) {
    Script("a;touch kelm-injected-a");
    Script("$(touch kelm-injected-b)");
    Script("`touch kelm-injected-c`");
    Script("-rf");
    Script("bin/kelm-tool");
    WriteFile(root_ + "/-notes; touch kelm-injected-d.txt", "text");
    // The execute bit alone, as on a FAT or NTFS mount, makes no program.
    WriteFile(root_ + "/song.mp3", "ID3\x03");
    ASSERT_EQ(::chmod((root_ + "/song.mp3").c_str(), 0755), 0);

    Launch("a;touch kelm-injected-a");
    Launch(root_ + "/$(touch kelm-injected-b)");
    Launch("`touch kelm-injected-c`");
    Launch("-rf");
    Launch("kelm-tool");  // a bare name, as the Run box takes one
    Launch("-notes; touch kelm-injected-d.txt");
    Launch("song.mp3");
    Launch("missing;touch kelm-injected-e");
    Launch("https://example.com/?q=$(touch kelm-injected-f)");
    Launch("");
    EXPECT_FALSE(launcher_.OpenDocument("--help"));  // xdg-open would take it for an option

    EXPECT_EQ(Lines("ran", 5), (std::vector<std::string>{
                                   "0|" + root_ + "/$(touch kelm-injected-b)",
                                   "0|" + root_ + "/-rf",
                                   "0|" + root_ + "/`touch kelm-injected-c`",
                                   "0|" + root_ + "/a;touch kelm-injected-a",
                                   "0|" + root_ + "/bin/kelm-tool",
                               }));
    EXPECT_EQ(Lines("opened", 3), (std::vector<std::string>{
                                      "1|" + root_ + "/-notes; touch kelm-injected-d.txt",
                                      "1|" + root_ + "/song.mp3",
                                      "1|https://example.com/?q=$(touch kelm-injected-f)",
                                  }));
    // Whatever a shell would have made, here or in the test's own folder.
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    EXPECT_EQ(Lines("opened", 0).size(), 3u);
    std::vector<std::string> names;
    for (const auto& item : std::filesystem::directory_iterator(root_)) names.push_back(item.path().filename());
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"$(touch kelm-injected-b)", "-notes; touch kelm-injected-d.txt", "-rf",
                                               "`touch kelm-injected-c`", "a;touch kelm-injected-a", "bin", "opened",
                                               "ran", "song.mp3"}));
    for (const char* name : kInjected) EXPECT_FALSE(std::filesystem::exists(name)) << name;
    EXPECT_TRUE(players_.calls.empty());
}

}  // namespace
}  // namespace kelm::test
