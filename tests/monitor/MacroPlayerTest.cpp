// Host macro playback on a virtual clock: what is injected, when, and what
// an abort leaves behind.
#include <gtest/gtest.h>
#include <linux/input-event-codes.h>

#include <atomic>
#include <memory>
#include <mutex>
#include <ostream>
#include <string>
#include <vector>

#include "Eventually.h"
#include "VirtualPlaybackClock.h"
#include "monitor/MacroPlaybackThread.h"
#include "monitor/MacroPlayer.h"
#include "tests/platform/RecordingInjector.h"

namespace kelm::test {
namespace {

MacroEvent Press(std::uint8_t code, std::uint16_t delay) { return {code, kActionPress, delay}; }
MacroEvent Release(std::uint8_t code, std::uint16_t delay) { return {code, kActionRelease, delay}; }

std::unique_ptr<MacroKeyInfo> MacroEntry(const std::vector<MacroEvent>& events, int option = 0) {
    auto entry = std::make_unique<MacroKeyInfo>();
    entry->FunctionCode = kFnMacro;
    entry->MacroOption = option;
    entry->EventCount = static_cast<std::uint16_t>(events.size());
    std::copy(events.begin(), events.end(), entry->Events);
    return entry;
}

struct PlayerBench {
    VirtualPlaybackClock clock;
    RecordingInjector injector{clock};
    MacroPlayer player{injector, clock};

    // The window thread's press and MacroPlaybackThread's playback.
    std::vector<Injected> Play(const MacroKeyInfo& entry) {
        EXPECT_TRUE(player.StartOrAbortMacro(entry));
        player.PlayPending();
        return injector.Calls();
    }
};

struct PlaybackCase {
    const char* name;
    std::vector<MacroEvent> events;
    int option;
    long secondPressAt;  // -1: none
    std::vector<Injected> expected;
};

// Cases show as their names in test listings.
void PrintTo(const PlaybackCase& c, std::ostream* out) { *out << c.name; }

class MacroSchedule : public ::testing::TestWithParam<PlaybackCase> {};

TEST_P(MacroSchedule, InjectsEveryEventOnItsSchedule) {
    const PlaybackCase& c = GetParam();
    PlayerBench bench;
    const auto entry = MacroEntry(c.events, c.option);
    if (c.secondPressAt >= 0)
        bench.clock.At(c.secondPressAt, [&] { EXPECT_FALSE(bench.player.StartOrAbortMacro(*entry)); });
    EXPECT_EQ(bench.Play(*entry), c.expected);
}

constexpr std::uint8_t A = 0x04, B = 0x05, C = 0x06, Unrowed = 0x32;
constexpr std::uint8_t RightCtrl = 0xE4, RightShift = 0xE5;

INSTANTIATE_TEST_SUITE_P(
    Cases, MacroSchedule,
    ::testing::Values(
        PlaybackCase{"DelayZeroCountsAsOneMillisecond",
                     {Press(A, 0), Release(A, 0), Press(B, 5), Release(B, 0)},
                     0,
                     -1,
                     {Down(0, KEY_A), Up(1, KEY_A), Down(2, KEY_B), Up(7, KEY_B)}},
        PlaybackCase{"AKeyHeldPast500msRepeatsEvery33ms",
                     {Press(A, 600), Release(A, 10), Press(B, 501), Release(B, 1)},
                     0,
                     -1,
                     {Down(0, KEY_A), Up(500, KEY_A), Down(500, KEY_A), Up(533, KEY_A), Down(533, KEY_A),
                      Up(566, KEY_A), Down(566, KEY_A), Up(599, KEY_A), Down(599, KEY_A), Up(600, KEY_A),
                      Down(610, KEY_B), Up(1110, KEY_B), Down(1110, KEY_B), Up(1111, KEY_B)}},
        PlaybackCase{"MacroOptionThreePlaysThreePasses",
                     {Press(A, 10), Release(A, 10)},
                     3,
                     -1,
                     {Down(0, KEY_A), Up(10, KEY_A), Down(20, KEY_A), Up(30, KEY_A), Down(40, KEY_A), Up(50, KEY_A)}},
        PlaybackCase{
            "MacroOptionBelowOnePlaysOnce", {Press(A, 10), Release(A, 10)}, -3, -1, {Down(0, KEY_A), Up(10, KEY_A)}},
        PlaybackCase{
            "MouseCodesAreButtonsAndOtherActionsInjectNothing",
            {Press(0xF0, 5),
             Release(0xF0, 5),
             Press(0xF1, 5),
             Release(0xF1, 5),
             Press(0xF2, 5),
             Release(0xF2, 5),
             {0xF0, 3, 5},
             Press(0xF3, 5),
             Release(0xF3, 5),
             Press(0xF4, 5),
             Release(0xF4, 5)},
            0,
            -1,
            {Down(0, BTN_LEFT), Up(5, BTN_LEFT), Down(10, BTN_RIGHT), Up(15, BTN_RIGHT), Down(20, BTN_MIDDLE),
             Up(25, BTN_MIDDLE), Down(35, BTN_EXTRA), Up(40, BTN_EXTRA), Down(45, BTN_SIDE), Up(50, BTN_SIDE)}},
        // Nothing goes down that nothing would release, and no time is
        // taken: as with a key without a row, whose delay is kept.
        PlaybackCase{"OtherActionsOnKeysAndCodesWithoutARowInjectNothing",
                     {{A, 3, 40}, Press(Unrowed, 20), Release(Unrowed, 20), Press(B, 5), Release(B, 5)},
                     0,
                     -1,
                     {Down(40, KEY_B), Up(45, KEY_B)}},
        // Right-hand modifiers go in as the generic (left) key. The stray
        // release of A takes nothing off the held list; the second press
        // aborts, and what is held is released most recent first.
        PlaybackCase{"AnAbortReleasesWhatIsHeldMostRecentFirst50msApart",
                     {Press(RightCtrl, 10), Release(A, 10), Press(C, 100), Release(C, 10), Release(RightCtrl, 10)},
                     0,
                     75,
                     {Down(0, KEY_LEFTCTRL), Up(10, KEY_A), Down(20, KEY_C), Up(75, KEY_C), Up(125, KEY_LEFTCTRL)}},
        // The first event too: nothing stays down.
        PlaybackCase{"AnAbortDuringALongHoldEndsTheRepeatAndReleasesTheKey",
                     {Press(A, 2000), Release(A, 10)},
                     0,
                     520,
                     {Down(0, KEY_A), Up(500, KEY_A), Down(500, KEY_A), Up(520, KEY_A)}},
        PlaybackCase{"AnAbortBetweenPassesReleasesWhatIsHeld",
                     {Press(A, 10), Press(B, 10)},
                     3,
                     15,
                     {Down(0, KEY_A), Down(10, KEY_B), Up(15, KEY_B), Up(65, KEY_A)}},
        PlaybackCase{"KeysStillDownAtTheEndAreReleased",
                     {Press(RightShift, 10), Press(A, 10), Release(A, 10)},
                     0,
                     -1,
                     {Down(0, KEY_LEFTSHIFT), Down(10, KEY_A), Up(20, KEY_A), Up(30, KEY_LEFTSHIFT)}}),
    [](const auto& param) { return std::string(param.param.name); });

// Event n is due at the sum of the delays before it however long each
// injection takes; sleeping after each event would put the last one 27 ms
// late here.
TEST(MacroPlayer, KeepsTheScheduleWhenInjectionIsSlow) {
    PlayerBench bench;
    bench.injector.afterEach = [&] { bench.clock.Advance(std::chrono::milliseconds(3)); };
    std::vector<MacroEvent> events;
    for (int i = 0; i < 5; ++i) {
        events.push_back(Press(A, 10));
        events.push_back(Release(A, 10));
    }
    const auto calls = bench.Play(*MacroEntry(events));
    ASSERT_EQ(calls.size(), 10u);
    for (std::size_t i = 0; i < calls.size(); ++i) EXPECT_EQ(calls[i].ms, static_cast<long>(10 * i)) << i;
}

TEST(MacroPlayer, APressAbortsTheRunningMacroAndTheNextOneStartsAgain) {
    PlayerBench bench;
    auto other = MacroEntry({Press(B, 10), Release(B, 10)});
    other->FunctionCode = kFnShortcut;
    EXPECT_FALSE(bench.player.StartOrAbortMacro(*other));
    EXPECT_FALSE(bench.player.StartOrAbortMacro(*MacroEntry({})));

    const auto entry = MacroEntry({Press(A, 100), Release(A, 100)});
    ASSERT_TRUE(bench.player.StartOrAbortMacro(*entry));
    // Pressed again before the playback thread has begun: still an abort.
    EXPECT_FALSE(bench.player.StartOrAbortMacro(*entry));
    bench.player.PlayPending();
    EXPECT_TRUE(bench.injector.Calls().empty());
    // A message without a prepared playback plays nothing.
    bench.player.PlayPending();
    EXPECT_TRUE(bench.injector.Calls().empty());

    EXPECT_EQ(bench.Play(*entry), (std::vector<Injected>{Down(0, KEY_A), Up(100, KEY_A)}));
}

TEST(MacroPlayer, AnEventCountAboveTheBufferPlaysTheBuffer) {
    PlayerBench bench;
    std::vector<MacroEvent> events;
    for (int i = 0; i < kMaxEvents / 2; ++i) {
        events.push_back(Press(A, 1));
        events.push_back(Release(A, 1));
    }
    auto entry = MacroEntry(events);
    entry->EventCount = 700;
    const auto calls = bench.Play(*entry);
    ASSERT_EQ(calls.size(), static_cast<std::size_t>(kMaxEvents));
    EXPECT_EQ(calls.back(), Up(kMaxEvents - 1, KEY_A));
}

TEST(MacroPlaybackThread, ShutdownAbortsARunningMacroAndReleasesItsKeys) {
    StoppableClock clock;
    RecordingInjector injector(clock);
    MacroPlayer player(injector, clock);
    MacroPlaybackThread thread(&player);
    ASSERT_TRUE(thread.Start());
    const auto entry = MacroEntry({Press(A, 60000), Release(A, 10)});
    ASSERT_TRUE(player.StartOrAbortMacro(*entry));
    ASSERT_TRUE(thread.PostPlay());
    ASSERT_TRUE(Eventually([&] { return !injector.Calls().empty(); }));

    thread.Stop();
    EXPECT_EQ(clock.cutShort.load(), 1);
    const auto calls = injector.Calls();
    ASSERT_EQ(calls.size(), 2u);
    EXPECT_TRUE(calls[0].down);
    EXPECT_FALSE(calls[1].down);
    EXPECT_EQ(calls[1].code, KEY_A);
}

}  // namespace
}  // namespace kelm::test
