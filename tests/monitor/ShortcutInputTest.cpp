// Shortcut keys on a virtual clock: the order of the modifiers, the 1 ms
// between them, and the auto-repeat tap.
#include <gtest/gtest.h>
#include <linux/input-event-codes.h>

#include <ostream>
#include <string>
#include <vector>

#include "VirtualPlaybackClock.h"
#include "monitor/ShortcutInput.h"
#include "tests/platform/RecordingInjector.h"

namespace kelm::test {
namespace {

enum class Step { Press, Release, Tap };

struct ShortcutCase {
    const char* name;
    std::uint16_t word;  // flags << 8 | main key
    std::vector<Step> steps;
    std::vector<Injected> expected;
};

// Cases show as their names in test listings.
void PrintTo(const ShortcutCase& c, std::ostream* out) { *out << c.name; }

class Shortcut : public ::testing::TestWithParam<ShortcutCase> {};

TEST_P(Shortcut, InjectsItsKeysInOrder) {
    const ShortcutCase& c = GetParam();
    VirtualPlaybackClock clock;
    RecordingInjector injector(clock);
    ShortcutInput shortcut(injector, clock);
    for (const Step step : c.steps) {
        switch (step) {
            case Step::Press:
                shortcut.PressShortcut(c.word);
                break;
            case Step::Release:
                shortcut.ReleaseShortcut(c.word);
                break;
            case Step::Tap:
                shortcut.TapShortcutKey(c.word);
                break;
        }
    }
    EXPECT_EQ(injector.Calls(), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Shortcut,
    ::testing::Values(
        ShortcutCase{"CtrlAltT",
                     0x0C17,
                     {Step::Press, Step::Tap, Step::Release},
                     {Down(0, KEY_LEFTCTRL), Down(1, KEY_LEFTALT), Down(2, KEY_T), Up(2, KEY_T), Down(3, KEY_T),
                      Up(3, KEY_T), Up(4, KEY_LEFTALT), Up(5, KEY_LEFTCTRL)}},
        ShortcutCase{
            "EveryModifierGoesDownCtrlShiftAltWin",
            0x1E04,
            {Step::Press, Step::Release},
            {Down(0, KEY_LEFTCTRL), Down(1, KEY_LEFTSHIFT), Down(2, KEY_LEFTALT), Down(3, KEY_LEFTMETA), Down(4, KEY_A),
             Up(4, KEY_A), Up(5, KEY_LEFTMETA), Up(6, KEY_LEFTALT), Up(7, KEY_LEFTSHIFT), Up(8, KEY_LEFTCTRL)}},
        ShortcutCase{"BitZeroMeansNoModifiersWhateverElseIsSet",
                     0x0717,
                     {Step::Press, Step::Release},
                     {Down(0, KEY_T), Up(0, KEY_T)}},
        ShortcutCase{"ARightHandMainKeyIsFolded",
                     0x04E6,
                     {Step::Press, Step::Release},
                     {Down(0, KEY_LEFTCTRL), Down(1, KEY_LEFTALT), Up(1, KEY_LEFTALT), Up(2, KEY_LEFTCTRL)}},
        ShortcutCase{"AModifierAsMainKeyIsNotRepeated", 0x0001E1, {Step::Tap}, {}},
        ShortcutCase{"AWindowsKeyAsMainKeyIsNotRepeated", 0x0001E7, {Step::Tap}, {}},
        ShortcutCase{"AMainKeyWithoutARowInjectsNothing",
                     0x0432,
                     {Step::Press, Step::Tap, Step::Release},
                     {Down(0, KEY_LEFTCTRL), Up(2, KEY_LEFTCTRL)}},
        ShortcutCase{"AMouseButtonAsMainKeyIsClicked",
                     0x02F1,
                     {Step::Press, Step::Release},
                     {Down(0, KEY_LEFTSHIFT), Down(1, BTN_RIGHT), Up(1, BTN_RIGHT), Up(2, KEY_LEFTSHIFT)}}),
    [](const auto& param) { return std::string(param.param.name); });

}  // namespace
}  // namespace kelm::test
