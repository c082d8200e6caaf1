// The sequences against the real settings files of a throw-away program folder.
#include <gtest/gtest.h>

#include <atomic>
#include <memory>

#include "FakeKeyboard.h"
#include "keyboard/KeyboardProtocol.h"
#include "keyboard/StoreSettingsFiles.h"
#include "settings/Defaults.h"
#include "settings/IniFile.h"
#include "settings/SettingsStore.h"
#include "settings/Text.h"
#include "tests/support/TempFolder.h"
#include "tests/support/TempProgramFolder.h"

namespace kelm {
namespace {

std::unique_ptr<SettingsRecord> LoadedRecord(const StoreLocation& where) {
    auto record = std::make_unique<SettingsRecord>();
    ClearSettings(*record);
    LoadAll(*record, where);
    return record;
}

TEST(StoreSettingsFiles, ReadBackLandsInTheFilesAndTheStampSkipsTheNextOne) {
    test::TempProgramFolder folder;
    StoreSettingsFiles files(folder.Where());
    VirtualClock clock;
    FakeKeyboard keyboard(clock);
    std::atomic<bool> abort{false};
    keyboard.activeProfile = 2;
    keyboard.firmware = 121;
    keyboard.profiles[1].keys[2].code = kFnMacro;
    CopyField(keyboard.profiles[1].macros[2].MacroName, "From keyboard");
    keyboard.profiles[1].macros[2].EventCount = 1;
    keyboard.profiles[1].macros[2].Events[0] = {0x04, 1, 250};
    keyboard.profiles[3].light.brightness = 5;

    auto record = LoadedRecord(folder.Where());
    KeyboardProtocol first(keyboard, clock, abort, *record, {files});
    EXPECT_FALSE(first.CheckSyncStamp());
    ASSERT_TRUE(first.ReadAllFromKeyboard());

    EXPECT_EQ(IniFile(folder.Where().ConfigPath()).ReadInt("Setting", "FWVersion", -1), 121);
    SyncStamp stored{};
    ASSERT_TRUE(ReadSyncStamp(folder.Where(), stored));
    EXPECT_EQ(stored, keyboard.stamp);

    auto reloaded = LoadedRecord(folder.Where());
    EXPECT_EQ(reloaded->CurrentProfile, 2);
    EXPECT_EQ(reloaded->Profiles[3].LtBrightness, 5);
    const MacroKeyInfo& macro = reloaded->Profiles[1].Keys[2];
    EXPECT_EQ(macro.FunctionCode, kFnMacro);
    EXPECT_EQ(FieldText(macro.MacroName), "From keyboard");
    EXPECT_EQ(macro.Events[0].Delay, 250);

    // The next start finds the same stamp and reads only two reports.
    KeyboardProtocol second(keyboard, clock, abort, *reloaded, {files});
    EXPECT_TRUE(second.CheckSyncStamp());
    keyboard.ClearCalls();
    EXPECT_TRUE(second.ReadAllFromKeyboard());
    EXPECT_EQ(keyboard.ReadIds(), (std::vector<std::uint8_t>{0x0F, 0x05}));
}

TEST(StoreSettingsFiles, DamagedStoredStampCountsAsUnequal) {
    test::TempProgramFolder folder;
    test::WriteFile(folder.Where().ConfigPath(), "[HidAccessCode]\r\nCode=0011\r\n");
    StoreSettingsFiles files(folder.Where());
    SyncStamp stamp{};
    EXPECT_FALSE(files.LoadSyncStamp(stamp));
}

}  // namespace
}  // namespace kelm
