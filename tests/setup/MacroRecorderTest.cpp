// Recording a macro from keys with explicit times: order, press and release,
// delays captured or not, repeats and keys without a usage left out, the
// insertion point and the stop at 500 events.
#include <gtest/gtest.h>
#include <linux/input-event-codes.h>

#include <string>
#include <tuple>
#include <vector>

#include "setup/MacroRecorder.h"

namespace kelm {
namespace {

using Result = MacroRecorder::Result;

// Key, action and delay of each event, which the test framework compares
// and prints.
using Triple = std::tuple<int, int, int>;
std::vector<Triple> Triples(const std::vector<MacroEvent>& events) {
    std::vector<Triple> triples;
    for (const MacroEvent& e : events) triples.emplace_back(e.KeyCode, e.Action, e.Delay);
    return triples;
}
Triple Of(const MacroEvent& e) { return {e.KeyCode, e.Action, e.Delay}; }

constexpr std::uint8_t kA = 0x04, kB = 0x05, kX = 0x1B, kLeftShift = 0xE1, kRightShift = 0xE5, kKeypadEnter = 0x58;
constexpr std::uint8_t P = kActionPress, R = kActionRelease;

struct Key {
    bool usage;  // else an input code
    std::uint16_t code;
    bool released;
    std::uint32_t time;
    Result expected;
};
Key Down(std::uint16_t input, std::uint32_t t, Result r = Result::Recorded) { return {false, input, false, t, r}; }
Key Up(std::uint16_t input, std::uint32_t t, Result r = Result::Recorded) { return {false, input, true, t, r}; }
Key UsageDown(std::uint8_t usage, std::uint32_t t, Result r = Result::Recorded) { return {true, usage, false, t, r}; }
Key UsageUp(std::uint8_t usage, std::uint32_t t, Result r = Result::Recorded) { return {true, usage, true, t, r}; }

struct Case {
    std::string name;
    std::vector<MacroEvent> before;
    int insertAt;
    bool captureDelays;
    std::vector<Key> keys;
    std::vector<MacroEvent> expected;
};

TEST(MacroRecorder, RecordsKeysAsTheTableSays) {
    constexpr Result I = Result::Ignored;
    const std::vector<Case> cases = {
        {"order and press/release, delays off",
         {},
         -1,
         false,
         {Down(KEY_LEFTSHIFT, 100), Down(KEY_A, 130), Up(KEY_A, 190), Up(KEY_LEFTSHIFT, 400)},
         {{kLeftShift, P, 0}, {kA, P, 0}, {kA, R, 0}, {kLeftShift, R, 0}}},
        {"delays on: each the time to the next event, the last 0",
         {},
         -1,
         true,
         {Down(KEY_LEFTSHIFT, 100), Down(KEY_A, 130), Up(KEY_A, 190), Up(KEY_LEFTSHIFT, 400)},
         {{kLeftShift, P, 30}, {kA, P, 60}, {kA, R, 210}, {kLeftShift, R, 0}}},
        {"right-hand and keypad keys keep their own usages",
         {},
         -1,
         true,
         {Down(KEY_RIGHTSHIFT, 0), Down(KEY_KPENTER, 1), Up(KEY_KPENTER, 2), Up(KEY_RIGHTSHIFT, 3)},
         {{kRightShift, P, 1}, {kKeypadEnter, P, 1}, {kKeypadEnter, R, 1}, {kRightShift, R, 0}}},
        {"a held key: one press, one release, the delay from the recorded press",
         {},
         -1,
         true,
         {Down(KEY_A, 0), Down(KEY_A, 500, I), Down(KEY_A, 533, I), Down(KEY_B, 540), Down(KEY_A, 566, I),
          Up(KEY_A, 600), Up(KEY_A, 610, I), Up(KEY_B, 700)},
         {{kA, P, 540}, {kB, P, 60}, {kA, R, 100}, {kB, R, 0}}},
        {"keys without a usage and mouse buttons are skipped",
         {},
         -1,
         true,
         {Down(KEY_A, 0), Down(KEY_102ND, 5, I), Down(KEY_VOLUMEUP, 6, I), Down(BTN_LEFT, 7, I), Up(KEY_A, 20),
          Down(0, 21, I), Down(0xFFFF, 22, I)},
         {{kA, P, 20}, {kA, R, 0}}},
        {"usages from the recorder's own window",
         {},
         -1,
         true,
         {UsageDown(kA, 10), UsageDown(0x32, 11, I), UsageDown(0xF0, 12, I), UsageDown(0x00, 13, I),
          UsageDown(0xFF, 14, I), UsageUp(kA, 25)},
         {{kA, P, 15}, {kA, R, 0}}},
        {"a release of a key held before recording began is kept",
         {},
         -1,
         false,
         {Up(KEY_ENTER, 0), Down(KEY_A, 1), Up(KEY_A, 2)},
         {{0x28, R, 0}, {kA, P, 0}, {kA, R, 0}}},
        {"a pause of 70 s is stored as 65535 ms",
         {},
         -1,
         true,
         {Down(KEY_A, 1000), Up(KEY_A, 71000)},
         {{kA, P, 65535}, {kA, R, 0}}},
        {"times that wrap keep counting; a clock that went back gives 0",
         {},
         -1,
         true,
         {Down(KEY_A, 0xFFFFFF00u), Up(KEY_A, 0x10), Down(KEY_B, 0x08), Up(KEY_B, 0x09)},
         {{kA, P, 0x110}, {kA, R, 0}, {kB, P, 1}, {kB, R, 0}}},
        {"inserted before an event, the event before the insertion point keeps its delay",
         {{kX, P, 7}, {kX, R, 0}},
         1,
         true,
         {Down(KEY_A, 50), Up(KEY_A, 80)},
         {{kX, P, 7}, {kA, P, 30}, {kA, R, 0}, {kX, R, 0}}},
        {"an insertion point past the end appends",
         {{kX, P, 7}},
         9,
         true,
         {Down(KEY_A, 50), Up(KEY_A, 80)},
         {{kX, P, 7}, {kA, P, 30}, {kA, R, 0}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        MacroRecorder recorder(c.before, c.insertAt, c.captureDelays);
        EXPECT_TRUE(recorder.Recording());
        for (std::size_t i = 0; i < c.keys.size(); ++i) {
            const Key& k = c.keys[i];
            const Result got = k.usage ? recorder.UsageKey(static_cast<std::uint8_t>(k.code), k.released, k.time)
                                       : recorder.InputKey(k.code, k.released, k.time);
            EXPECT_EQ(got, k.expected) << "key " << i;
        }
        EXPECT_EQ(Triples(recorder.Events()), Triples(c.expected));
        EXPECT_TRUE(recorder.RecordedAny());
    }
}

TEST(MacroRecorder, StopsByItselfAtFiveHundredEvents) {
    MacroRecorder recorder({}, -1, true);
    std::uint32_t t = 0;
    for (int i = 0; i < 249; ++i) {
        const std::uint16_t key = i % 2 == 0 ? KEY_A : KEY_B;
        ASSERT_EQ(recorder.InputKey(key, false, t += 3), Result::Recorded) << i;
        ASSERT_EQ(recorder.InputKey(key, true, t += 4), Result::Recorded) << i;
    }
    EXPECT_EQ(recorder.InputKey(KEY_C, false, t += 5), Result::Recorded);
    EXPECT_EQ(recorder.InputKey(KEY_C, true, t += 6), Result::Full);
    EXPECT_FALSE(recorder.Recording());
    EXPECT_EQ(recorder.InputKey(KEY_D, false, t += 1), Result::Ignored);
    ASSERT_EQ(recorder.Events().size(), 500u);
    EXPECT_EQ(Of(recorder.Events()[498]), (Triple{0x06, P, 6}));
    EXPECT_EQ(Of(recorder.Events()[499]), (Triple{0x06, R, 0}));
}

TEST(MacroRecorder, AFullMacroRecordsNothingAndAnOverfullOneIsCut) {
    const std::vector<MacroEvent> full(500, MacroEvent{kA, P, 1});
    MacroRecorder atLimit(full, -1, false);
    EXPECT_FALSE(atLimit.Recording());
    EXPECT_EQ(atLimit.InputKey(KEY_B, false, 0), Result::Ignored);
    EXPECT_EQ(Triples(atLimit.Events()), Triples(full));

    MacroRecorder over(std::vector<MacroEvent>(700, MacroEvent{kB, R, 2}), 600, false);
    EXPECT_FALSE(over.Recording());
    EXPECT_EQ(over.Events().size(), 500u);
    EXPECT_EQ(over.InsertAt(), 500u);

    MacroRecorder oneShort(std::vector<MacroEvent>(499, MacroEvent{kB, R, 2}), 0, false);
    EXPECT_EQ(oneShort.InputKey(KEY_A, false, 0), Result::Full);
    EXPECT_EQ(Of(oneShort.Events().front()), (Triple{kA, P, 0}));
    EXPECT_EQ(oneShort.InsertAt(), 1u);
}

TEST(MacroRecorder, StopEndsTheRecordingAndForgetsHeldKeys) {
    MacroRecorder recorder({}, -1, true);
    EXPECT_FALSE(recorder.RecordedAny());
    EXPECT_EQ(recorder.InputKey(KEY_A, false, 0), Result::Recorded);
    recorder.Stop();
    EXPECT_FALSE(recorder.Recording());
    EXPECT_EQ(recorder.InputKey(KEY_A, true, 10), Result::Ignored);
    EXPECT_EQ(Triples(recorder.Events()), (std::vector<Triple>{{kA, P, 0}}));
}

TEST(MacroRecorder, EveryKeyOfTheTableHasItsUsage) {
    EXPECT_EQ(UsageOfInputCode(KEY_A), kA);
    EXPECT_EQ(UsageOfInputCode(KEY_ESC), 0x29);
    EXPECT_EQ(UsageOfInputCode(KEY_F12), 0x45);
    EXPECT_EQ(UsageOfInputCode(KEY_SYSRQ), 0x46);
    EXPECT_EQ(UsageOfInputCode(KEY_COMPOSE), 0x65);
    EXPECT_EQ(UsageOfInputCode(KEY_RIGHTMETA), 0xE7);
    EXPECT_EQ(UsageOfInputCode(KEY_RESERVED), std::nullopt);
    EXPECT_EQ(UsageOfInputCode(BTN_RIGHT), std::nullopt);
    EXPECT_EQ(UsageOfInputCode(KEY_MUTE), std::nullopt);
}

}  // namespace
}  // namespace kelm
