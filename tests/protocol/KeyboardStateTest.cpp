// Settings handed over while the keyboard's own state was read back: the
// handed-over changes and what the keyboard reported must both survive.
#include <gtest/gtest.h>

#include <memory>

#include "keyboard/SettingsReports.h"
#include "settings/Defaults.h"

namespace kelm {
namespace {

struct Records {
    std::unique_ptr<SettingsRecord> keyboard = std::make_unique<SettingsRecord>();
    std::unique_ptr<SettingsRecord> handed = std::make_unique<SettingsRecord>();

    Records() {
        DefaultSettings(*keyboard);
        ClearChangeFlags(*keyboard);
        *handed = *keyboard;
        // What a read-back brought: another profile, light, a key, a switch
        // and a macro.
        keyboard->CurrentProfile = 3;
        keyboard->Profiles[1].LtBrightness = 1;
        keyboard->Profiles[0].Keys[40].FunctionCode = 0xC2;
        keyboard->Profiles[2].ModifyKey[0] = 0;
        MacroKeyInfo& macro = keyboard->Profiles[4].Keys[2];
        macro.FunctionCode = kFnMacro;
        macro.EventCount = 2;
        macro.Events[0] = {0x04, 1, 20};
        macro.Events[1] = {0x04, 2, 0};
        // What was handed over, on the same fields, plus a field only the
        // host keeps.
        handed->CurrentProfile = 2;
        handed->Profiles[1].LtBrightness = 4;
        handed->Profiles[0].Keys[40].FunctionCode = 0xC5;
        handed->Profiles[2].ModifyKey[0] = 1;
        handed->Profiles[4].Keys[2].FunctionCode = kFnMacro;
        handed->Profiles[4].Keys[2].EventCount = 0;
        handed->Profiles[1].KBDelay = 2;
    }
};

TEST(KeyboardState, UnflaggedPartsComeFromTheKeyboardFlaggedOnesStayAsHandedOver) {
    for (const bool flagged : {false, true}) {
        Records r;
        if (flagged) {
            r.handed->Flags.CurrentProfileChanged = 1;
            r.handed->Flags.LightChanged[1] = 1;
            r.handed->Flags.KeyChanged[0][40] = 1;
            r.handed->Flags.ModifyKeyChanged[2] = 1;
            r.handed->Flags.KeyChanged[4][2] = 1;
        }
        KeepUnflaggedKeyboardState(*r.keyboard, *r.handed);
        const SettingsRecord& out = *r.handed;
        SCOPED_TRACE(flagged ? "flagged" : "not flagged");
        EXPECT_EQ(out.CurrentProfile, flagged ? 2 : 3);
        EXPECT_EQ(out.Profiles[1].LtBrightness, flagged ? 4 : 1);
        EXPECT_EQ(out.Profiles[0].Keys[40].FunctionCode, flagged ? 0xC5 : 0xC2);
        EXPECT_EQ(out.Profiles[2].ModifyKey[0], flagged ? 1 : 0);
        EXPECT_EQ(out.Profiles[4].Keys[2].EventCount, flagged ? 0 : 2);
        EXPECT_EQ(out.Profiles[1].KBDelay, 2) << "the host's own fields are always taken over";
        EXPECT_EQ(out.Flags.CurrentProfileChanged, flagged ? 1 : 0) << "the flags stay as handed over";
    }
}

}  // namespace
}  // namespace kelm
