// The MPRIS client against test players on a private session bus, and the
// players' start from their desktop entries.
#include <gtest/gtest.h>
#include <systemd/sd-bus.h>

#include <chrono>
#include <map>
#include <mutex>
#include <thread>

#include "platform/MprisPlayers.h"
#include "tests/platform/BusService.h"
#include "tests/platform/FakeLogind.h"
#include "tests/platform/XdgFolders.h"

namespace kelm {
namespace {

using Calls = std::vector<std::string>;

// A player on the bus under its MPRIS name: it notes every method called on
// its object and tells its desktop entry.
class TestPlayer {
public:
    static std::unique_ptr<TestPlayer> Start(const std::string& address, const std::string& suffix,
                                             const std::string& desktopEntry) {
        std::unique_ptr<TestPlayer> player(new TestPlayer);
        player->desktopEntry_ = desktopEntry;
        const std::string name = "org.mpris.MediaPlayer2." + suffix;
        if (!player->service_.Start(address, "/org/mpris/MediaPlayer2", false, name,
                                    [raw = player.get()](sd_bus_message* message) { return raw->Answer(message); }))
            return nullptr;
        return player;
    }

    Calls Received() {
        std::lock_guard lock(mutex_);
        return calls_;
    }
    // Waits until count calls have arrived, or long enough that a missing
    // one is a failure.
    Calls ReceivedAtLeast(std::size_t count) {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (Received().size() < count && std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        return Received();
    }

private:
    TestPlayer() = default;

    // On the serving thread with mutex_ held.
    int Answer(sd_bus_message* message) {
        if (sd_bus_message_is_method_call(message, nullptr, nullptr) <= 0) return 0;
        const std::string interface = sd_bus_message_get_interface(message);
        const std::string member = sd_bus_message_get_member(message);
        if (interface == "org.freedesktop.DBus.Properties" && member == "Get") {
            const char* on = nullptr;
            const char* property = nullptr;
            if (sd_bus_message_read(message, "ss", &on, &property) >= 0 && std::string(property) == "DesktopEntry")
                return sd_bus_reply_method_return(message, "v", "s", desktopEntry_.c_str());
            return sd_bus_reply_method_errorf(message, "org.freedesktop.DBus.Error.UnknownProperty", "none");
        }
        calls_.push_back(interface + "." + member);
        return sd_bus_reply_method_return(message, "");
    }

    std::mutex mutex_;
    std::string desktopEntry_;
    Calls calls_;
    test::BusService service_{mutex_};
};

class RecordingLauncher final : public ProcessLauncher {
public:
    bool StartProgram(const std::string& executable, const std::vector<std::string>& arguments) override {
        std::string call = executable;
        for (const std::string& a : arguments) call += " " + a;
        calls.push_back(call);
        return true;
    }
    bool OpenDocument(const std::string& target) override {
        calls.push_back("open " + target);
        return true;
    }
    Calls calls;
};

class MprisTest : public test::XdgFolders {
protected:
    void DefaultAudioPlayer(const std::string& id) {
        test::WriteFile(root_ + "/config/mimeapps.list", "[Default Applications]\naudio/mpeg=" + id + "\n");
    }
    RecordingLauncher launcher_;
};

TEST_F(MprisTest, EachPlayerStartsFromItsDesktopEntryElseFromPath) {
    Program("vlc");
    Program("rhythmbox");
    Program("tunes");
    Application("vlc.desktop", "vlc --started-from-file %U");
    Application("org.example.Tunes.desktop", "tunes --new-window %F");
    MprisPlayers players(launcher_);
    EXPECT_TRUE(players.Start(MediaPlayer::Vlc));
    EXPECT_TRUE(players.Start(MediaPlayer::Rhythmbox));
    EXPECT_FALSE(players.Start(MediaPlayer::Audacious));
    EXPECT_FALSE(players.Start(MediaPlayer::DesktopDefault));  // no default for audio
    DefaultAudioPlayer("org.example.Tunes.desktop");
    EXPECT_TRUE(players.Start(MediaPlayer::DesktopDefault));
    EXPECT_EQ(launcher_.calls, (Calls{root_ + "/bin/vlc --started-from-file", root_ + "/bin/rhythmbox",
                                      root_ + "/bin/tunes --new-window"}));
}

TEST_F(MprisTest, WithoutASessionBusNothingIsSent) {
    const test::ScopedEnv noBus("DBUS_SESSION_BUS_ADDRESS", ("unix:path=" + root_ + "/no-bus").c_str());
    MprisPlayers players(launcher_);
    EXPECT_FALSE(players.Send(MediaPlayer::Vlc, PlayerCommand::PlayPause));
    EXPECT_FALSE(players.Send(MediaPlayer::DesktopDefault, PlayerCommand::Raise));
}

TEST_F(MprisTest, CommandsReachOnlyThePlayerNamedAndNeverOneThatIsGone) {
    auto bus = [this] {
        const test::ScopedEnv serverPath("PATH", systemPath_.c_str());
        return test::PrivateBus::Start(root_);
    }();
    if (!bus) GTEST_SKIP() << "dbus-daemon is not installed or did not start";
    const test::ScopedEnv sessionBus("DBUS_SESSION_BUS_ADDRESS", bus->Address().c_str());
    Application("org.example.Tunes.desktop", "tunes");
    Program("tunes");
    DefaultAudioPlayer("org.example.Tunes.desktop");

    auto rhythmbox = TestPlayer::Start(bus->Address(), "rhythmbox", "org.gnome.Rhythmbox3");
    auto vlc = TestPlayer::Start(bus->Address(), "vlc.instance4242", "vlc");
    auto audacious = TestPlayer::Start(bus->Address(), "audacious", "audacious");
    auto lookalike = TestPlayer::Start(bus->Address(), "vlcremote", "vlcremote");
    auto tunes = TestPlayer::Start(bus->Address(), "tunes", "org.example.Tunes");
    ASSERT_TRUE(rhythmbox && vlc && audacious && lookalike && tunes);

    const std::string player = "org.mpris.MediaPlayer2.Player.";
    struct Case {
        MediaPlayer to;
        PlayerCommand command;
        TestPlayer* receiver;
        std::string call;
    };
    const std::vector<Case> cases = {
        {MediaPlayer::Rhythmbox, PlayerCommand::PlayPause, rhythmbox.get(), player + "PlayPause"},
        {MediaPlayer::Vlc, PlayerCommand::Next, vlc.get(), player + "Next"},
        {MediaPlayer::Audacious, PlayerCommand::Play, audacious.get(), player + "Play"},
        {MediaPlayer::Audacious, PlayerCommand::Pause, audacious.get(), player + "Pause"},
        {MediaPlayer::DesktopDefault, PlayerCommand::Stop, tunes.get(), player + "Stop"},
        {MediaPlayer::Vlc, PlayerCommand::Previous, vlc.get(), player + "Previous"},
        {MediaPlayer::Rhythmbox, PlayerCommand::Raise, rhythmbox.get(), "org.mpris.MediaPlayer2.Raise"},
    };
    MprisPlayers players(launcher_);
    std::map<TestPlayer*, Calls> expected;
    for (const Case& c : cases) {
        EXPECT_TRUE(players.Send(c.to, c.command)) << c.call;
        expected[c.receiver].push_back(c.call);
    }
    for (auto& [receiver, calls] : expected) EXPECT_EQ(receiver->ReceivedAtLeast(calls.size()), calls);

    // Players that have left: nothing is sent, nothing is started.
    tunes.reset();
    audacious.reset();
    EXPECT_FALSE(players.Send(MediaPlayer::DesktopDefault, PlayerCommand::PlayPause));
    EXPECT_FALSE(players.Send(MediaPlayer::Audacious, PlayerCommand::Play));
    // The player under the name itself goes before an instance of it.
    auto secondVlc = TestPlayer::Start(bus->Address(), "vlc", "vlc");
    ASSERT_TRUE(secondVlc);
    EXPECT_TRUE(players.Send(MediaPlayer::Vlc, PlayerCommand::Stop));
    EXPECT_EQ(secondVlc->ReceivedAtLeast(1), Calls{player + "Stop"});
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    EXPECT_EQ(vlc->Received(), expected[vlc.get()]);
    EXPECT_TRUE(lookalike->Received().empty());
    EXPECT_TRUE(launcher_.calls.empty());
}

}  // namespace
}  // namespace kelm
