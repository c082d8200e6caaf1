// The spoken feedback: which wave file a sound number and a SoundVolume
// play, the countdown's sounds on virtual time, and both inside the monitor
// as the keyboard's events drive them.
#include <climits>
#include <filesystem>

#include "MonitorFixture.h"
#include "monitor/Countdown.h"
#include "monitor/FeedbackSounds.h"
#include "tests/support/Programs.h"
#include "tests/support/RecordingSoundPlayer.h"
#include "tests/support/VirtualTimers.h"

namespace kelm::test {
namespace {

using std::chrono::milliseconds;

// ---- sound number and level to wave file ----

TEST(FeedbackSoundsTest, ANumberAndAVolumePlayOneFileOfOneLevelFolder) {
    struct Case {
        int number;
        int soundVolume;
        std::string played;
    };
    const Case cases[] = {
        {0, 0, "Play /p/Wave/Volume-0/go.wav"},
        {1, 1, "Play /p/Wave/Volume-1/1_second.wav"},
        {10, 3, "Play /p/Wave/Volume-3/10_seconds.wav"},
        {19, 5, "Play /p/Wave/Volume-2/timer_activated.wav"},     // above 4: the middle level
        {44, INT_MIN, "Play /p/Wave/Volume-2/profile_five.wav"},  // below 0 too
        {54, 4, "Play /p/Wave/Volume-4/macro-Key-not-available.wav"},
        // A number without a file still ends the sound that plays.
        {6, 2, "Stop"},
        {46, 2, "Stop"},
    };
    for (const Case& c : cases) {
        RecordingSoundPlayer player;
        FeedbackSounds sounds(player, "/p/");
        sounds.PlayFeedbackSound(c.number, c.soundVolume);
        EXPECT_EQ(player.calls, std::vector<std::string>{c.played}) << c.number << " " << c.soundVolume;
    }
}

// The wave files the build speaks are the ones the table names, in every
// level folder.
TEST(FeedbackSoundsTest, EveryTableFileLiesInEveryLevelFolderOfTheProgramFolder) {
    const std::string folder = ProgramFolder();
    if (folder.empty() || !std::filesystem::exists(folder + "/Wave")) GTEST_SKIP() << "no wave files built";
    int files = 0;
    for (int number = -5; number < 300; ++number) {
        const std::string_view file = FeedbackSoundFile(number);
        if (file.empty()) continue;
        ++files;
        for (int level = 0; level <= 4; ++level) {
            const std::string path = folder + "/Wave/Volume-" + std::to_string(level) + "/" + std::string(file);
            EXPECT_GT(std::filesystem::file_size(path), 1000u) << path;
        }
    }
    EXPECT_EQ(files, 20);
}

// ---- the countdown on virtual time ----

class FakeSounds final : public IFeedbackSounds {
public:
    explicit FakeSounds(const VirtualTimers& timers) : timers_(timers) {}
    void PlayFeedbackSound(int number, int soundVolume) override {
        played.push_back({timers_.Now(), number, soundVolume});
    }
    struct Played {
        long at;
        int number;
        int soundVolume;
        bool operator==(const Played&) const = default;
    };
    std::vector<Played> played;

private:
    const VirtualTimers& timers_;
};

void PrintTo(const FakeSounds::Played& p, std::ostream* out) {
    *out << "{" << p.at << " ms: " << p.number << " at " << p.soundVolume << "}";
}

class CountdownTest : public ::testing::Test {
protected:
    CountdownTest() {
        timers.SetHandler([this](unsigned id) {
            ASSERT_EQ(id, TIMER_COUNTDOWN);
            countdown.Tick(volume);
        });
    }
    static MacroKeyInfo Key(std::uint8_t code, std::int32_t seconds = 0) {
        MacroKeyInfo entry{};
        entry.FunctionCode = code;
        entry.TimerSeconds = seconds;
        return entry;
    }
    void Press(std::uint8_t code, std::int32_t seconds = 0, int key = 7, int phase = 0) {
        countdown.CountdownKey(key, phase, Key(code, seconds), volume);
    }
    std::vector<int> Numbers() const {
        std::vector<int> numbers;
        for (const auto& p : sounds.played) numbers.push_back(p.number);
        return numbers;
    }

    VirtualTimers timers;
    FakeSounds sounds{timers};
    Countdown countdown{timers, sounds};
    int volume = 3;
};

constexpr std::uint8_t kStart = 0xBC;
constexpr std::uint8_t kStop = 0xBD;

TEST_F(CountdownTest, ATimerSpeaksItsLastSecondsThenGo) {
    using P = FakeSounds::Played;
    struct Case {
        std::int32_t seconds;
        std::vector<P> played;
    };
    const Case cases[] = {
        {3, {{0, 19, 3}, {1000, 2, 3}, {2000, 1, 3}, {3000, 0, 3}}},
        // "timer activated" is cut short at once by "10 seconds".
        {10,
         {{0, 19, 3}, {0, 10, 3}, {5000, 5, 3}, {6000, 4, 3}, {7000, 3, 3}, {8000, 2, 3}, {9000, 1, 3}, {10000, 0, 3}}},
        {12,
         {{0, 19, 3},
          {2000, 10, 3},
          {7000, 5, 3},
          {8000, 4, 3},
          {9000, 3, 3},
          {10000, 2, 3},
          {11000, 1, 3},
          {12000, 0, 3}}},
        {1, {{0, 19, 3}, {1000, 0, 3}}},
        {0, {{0, 19, 3}, {1000, 0, 3}}},
        {-7, {{0, 19, 3}, {1000, 0, 3}}},
        // The most negative length a key entry can hold must not overflow.
        {INT32_MIN, {{0, 19, 3}, {1000, 0, 3}}},
    };
    for (const Case& c : cases) {
        VirtualTimers t;
        FakeSounds s(t);
        Countdown cd(t, s);
        t.SetHandler([&cd](unsigned) { cd.Tick(3); });
        cd.CountdownKey(1, 0, Key(kStart, c.seconds), 3);
        EXPECT_TRUE(cd.Active());
        t.Advance(milliseconds(c.seconds > 0 ? c.seconds * 1000 : 1000));
        EXPECT_EQ(s.played, c.played) << c.seconds;
        EXPECT_FALSE(cd.Active()) << c.seconds;
        EXPECT_FALSE(cd.IsFinalPhase()) << c.seconds;
        EXPECT_FALSE(t.Running(TIMER_COUNTDOWN)) << c.seconds;
        // Nothing after go.
        t.Advance(milliseconds(20000));
        EXPECT_EQ(s.played.size(), c.played.size()) << c.seconds;
    }
}

TEST_F(CountdownTest, TheFinalPhaseCoversTheLastFiveSeconds) {
    Press(kStart, 8);
    std::vector<bool> phases;
    for (int second = 0; second <= 8; ++second) {
        phases.push_back(countdown.IsFinalPhase());
        timers.Advance(milliseconds(1000));
    }
    EXPECT_EQ(phases, (std::vector<bool>{false, false, false, true, true, true, true, true, false}));
}

TEST_F(CountdownTest, StopTimerEndsARunningCountdownAndIsSilentOtherwise) {
    Press(kStop);
    EXPECT_TRUE(sounds.played.empty());
    EXPECT_FALSE(timers.Running(TIMER_COUNTDOWN));

    Press(kStart, 8);
    timers.Advance(milliseconds(4000));  // 4 left: final phase
    ASSERT_TRUE(countdown.IsFinalPhase());
    volume = 1;
    Press(kStop);
    EXPECT_EQ(sounds.played.back(), (FakeSounds::Played{4000, 18, 1}));
    EXPECT_FALSE(countdown.Active());
    EXPECT_FALSE(countdown.IsFinalPhase());
    EXPECT_FALSE(timers.Running(TIMER_COUNTDOWN));
    const auto played = sounds.played.size();
    timers.Advance(milliseconds(10000));
    Press(kStop);
    EXPECT_EQ(sounds.played.size(), played);
}

// Another timer key restarts the countdown with its own length, from the
// moment it is pressed; the last seconds of the one it replaces no longer
// silence the other sounds.
TEST_F(CountdownTest, ATimerKeyDuringACountdownStartsItAgain) {
    Press(kStart, 7);
    timers.Advance(milliseconds(3500));  // 4 left
    ASSERT_TRUE(countdown.IsFinalPhase());
    Press(kStart, 12);
    EXPECT_FALSE(countdown.IsFinalPhase());
    EXPECT_EQ(countdown.Remaining(), 12);
    sounds.played.clear();
    timers.Advance(milliseconds(12000));
    EXPECT_EQ(sounds.played.front(), (FakeSounds::Played{5500, 10, 3}));
    EXPECT_EQ(sounds.played.back(), (FakeSounds::Played{15500, 0, 3}));
    EXPECT_EQ(Numbers(), (std::vector<int>{10, 5, 4, 3, 2, 1, 0}));
}

TEST_F(CountdownTest, ReleasesOtherKeysAndOtherCodesDoNothing) {
    struct Case {
        int key;
        int phase;
        std::uint8_t code;
        bool starts;
    };
    const Case cases[] = {
        {1, 0, kStart, true},   {58, 0, kStart, true}, {0, 0, kStart, false}, {59, 0, kStart, false},
        {-1, 0, kStart, false}, {5, 1, kStart, false}, {5, 2, kStart, true},  // only 1 is a release
        {5, 0, 0xBE, false},    {5, 0, 0x00, false},
    };
    for (const Case& c : cases) {
        VirtualTimers t;
        FakeSounds s(t);
        Countdown cd(t, s);
        cd.CountdownKey(c.key, c.phase, Key(c.code, 30), 2);
        EXPECT_EQ(cd.Active(), c.starts) << c.key << " " << c.phase;
        EXPECT_EQ(t.Running(TIMER_COUNTDOWN), c.starts) << c.key << " " << c.phase;
        EXPECT_EQ(s.played.size(), c.starts ? 1u : 0u) << c.key << " " << c.phase;
    }
}

// ---- inside the monitor ----

// The countdown and the sounds as KelmWatch wires them, on the monitor's
// timers: each sound from the level folder of the profile current when it
// plays, and no profile sound over the last seconds of a countdown.
class MonitorSoundsTest : public MonitorTest {
protected:
    void SetUp() override {
        files.loaded->CurrentProfile = 0;
        keyboard.stamp = MakeSyncStamp(1'600'000'000);
        files.stamp = keyboard.stamp;
        LoadedProfile(0).SoundVolume = 4;
        LoadedProfile(0).SoundProfile = 1;
        LoadedProfile(1).SoundVolume = 9;  // out of range: the middle level
        LoadedProfile(1).SoundProfile = 1;
        LoadedProfile(0).Keys[2].FunctionCode = kStart;
        LoadedProfile(0).Keys[2].TimerSeconds = 3;
        actions.finalPhase = true;  // must not be asked: the real countdown answers
    }
    void CreateWithRealSounds() {
        MonitorPorts ports = Ports();
        ports.actions.countdown = &countdown;
        ports.actions.sounds = &sounds;
        wnd = std::make_unique<CMonitorWnd>(std::move(ports), false);
        ASSERT_TRUE(wnd->Create());
        Fire(TIMER_FIRST_READ);
        WaitForHostState(1);
        loop.RunPosted();
    }

    RecordingSoundPlayer player{folder.Where().programFolder};
    FeedbackSounds sounds{player, folder.Where().programFolder};
    Countdown countdown{timers, sounds};
};

TEST_F(MonitorSoundsTest, TheCountdownSpeaksAtTheCurrentProfilesLevelAndHoldsBackTheProfileSound) {
    CreateWithRealSounds();
    Event(EVT_KEY_FUNCTION, 3);
    Event(EVT_KEY_FUNCTION, 0x0103);  // the release changes nothing
    EXPECT_EQ(timers.Period(TIMER_COUNTDOWN), 1000);
    Fire(TIMER_COUNTDOWN);
    // Two seconds left: the profile change is not announced.
    Event(EVT_PROFILE, 2);
    EXPECT_FALSE(timers.Running(TIMER_SOUND_PROFILE));
    Fire(TIMER_COUNTDOWN);
    Fire(TIMER_COUNTDOWN);
    EXPECT_FALSE(timers.Running(TIMER_COUNTDOWN));
    // The countdown is over: the next change is announced again.
    Event(EVT_PROFILE, 1);
    Fire(TIMER_SOUND_PROFILE);
    EXPECT_EQ(player.calls,
              (std::vector<std::string>{"Play Wave/Volume-4/timer_activated.wav", "Play Wave/Volume-4/2_seconds.wav",
                                        "Play Wave/Volume-2/1_second.wav", "Play Wave/Volume-2/go.wav",
                                        "Play Wave/Volume-4/profile_one.wav"}));
}

}  // namespace
}  // namespace kelm::test
