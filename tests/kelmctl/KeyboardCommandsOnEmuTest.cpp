// kelmctl profile switch, keyboard backup and keyboard restore without
// KelmWatch: the built program against the real KelmEmu, through the real
// libdevbridge.so, in a throw-away program folder.
#include <filesystem>

#include "settings/ConfigFile.h"
#include "settings/SettingsStore.h"
#include "settings/json/JsonFormat.h"
#include "settings/json/ProfileJson.h"
#include "tests/keyboard/EmuKeyboardSession.h"
#include "tests/support/TempProgramFolder.h"
#include "tools/kelmctl/KeyboardBackup.h"

namespace kelm::keyboard_test {
namespace {

using json::Json;
using test::ReadFile;
using test::WriteFile;

bool Contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

class KelmctlOnEmu : public EmuKeyboardSession {
protected:
    void SetUp() override {
        ASSERT_NO_FATAL_FAILURE(EmuKeyboardSession::SetUp());
        // The program folder's device library is the build's.
        std::filesystem::create_symlink(ProgramFolder() + "/" + kDeviceLibraryName,
                                        home_.Where().programFolder + kDeviceLibraryName);
    }

    test::ProgramResult Run(std::vector<std::string> args) {
        args.push_back("--home");
        args.push_back(home_.Where().programFolder);
        return test::RunKelmctl(args, folder.Path());
    }

    std::unique_ptr<SettingsRecord> LoadFiles() const {
        auto loaded = std::make_unique<SettingsRecord>();
        ClearSettings(*loaded);
        LoadAll(*loaded, home_.Where());
        return loaded;
    }

    bool ConfigWritten() const { return std::filesystem::exists(home_.Where().ConfigPath()); }

    // A valid backup: the prepared profiles.
    static std::string PreparedBackup() {
        ctl::KeyboardContents contents;
        contents.FWVersion = 115;
        contents.record = FactoryRecord();
        for (int slot = 0; slot < kProfileCount; ++slot) test::PrepareProfile(contents.record->Profiles[slot], slot);
        contents.record->CurrentProfile = 3;
        return json::FormatJson(ctl::BackupToJson(contents)) + '\n';
    }

    test::TempProgramFolder home_;
};

TEST_F(KelmctlOnEmu, ProfileSwitchTellsTheKeyboardAndConfigIni) {
    ASSERT_NO_FATAL_FAILURE(PrepareKeyboard());
    for (const char* bad : {"0", "6", "2x", ""}) {
        const test::ProgramResult refused = Run({"profile", "switch", bad});
        EXPECT_EQ(refused.status, 2) << bad;
        EXPECT_EQ(refused.err, std::string("kelmctl: profile switch: '") + bad + "' is not a profile number 1..5\n");
    }
    EXPECT_TRUE(Log("set").empty());
    EXPECT_FALSE(ConfigWritten());

    const test::ProgramResult switched = Run({"profile", "switch", "2"});
    ASSERT_EQ(switched.status, 0) << switched.err;
    EXPECT_EQ(switched.out, "current profile: Profile 2 \"Default2\"\n");
    EXPECT_EQ(Dump()["CurrentProfile"], 1);
    EXPECT_EQ(LoadFiles()->CurrentProfile, 1);

    ASSERT_EQ(Ctl({"unplug"}).rc, 0);
    const test::ProgramResult away = Run({"profile", "switch", "5"});
    EXPECT_EQ(away.status, 1);
    EXPECT_TRUE(Contains(away.err, "no keyboard found (KELM_DEVICE=emu:" + socket + ")")) << away.err;
    EXPECT_EQ(LoadFiles()->CurrentProfile, 1) << "config.ini follows the keyboard only";
}

TEST_F(KelmctlOnEmu, BackupChangeRestoreGivesTheKeyboardBack) {
    ASSERT_NO_FATAL_FAILURE(PrepareKeyboard());
    const Json before = Dump();
    const std::string backupPath = folder / "keyboard.json";
    const test::ProgramResult backup = Run({"keyboard", "backup", backupPath});
    ASSERT_EQ(backup.status, 0) << backup.err;
    EXPECT_EQ(backup.out, "backed up 5 profiles from the keyboard to " + backupPath +
                              "; current profile: Profile 4 \"Default4\"\n");
    const Json backedUp = Json::parse(ReadFile(backupPath));
    EXPECT_EQ(backedUp["Profiles"], before["Profiles"]) << "the settings files hold only defaults";
    EXPECT_EQ(backedUp["CurrentProfile"], 3);
    EXPECT_EQ(backedUp["FWVersion"], before["FWVersion"]);

    // Another profile current, one profile back to the factory's, a macro changed.
    ASSERT_TRUE(test::SetFeature(library, BuildProfileReport(0)));
    auto changed = std::make_unique<ProfileRecord>();
    DefaultProfile(*changed, 2);
    ASSERT_TRUE(test::WriteProfileReports(library, 2, *changed));
    test::PrepareProfile(*changed, 4);
    SetMacro(changed->Keys[4], "Other", 7);
    ASSERT_TRUE(test::WriteProfileReports(library, 4, *changed));
    ASSERT_NE(Dump()["Profiles"], before["Profiles"]);

    const test::ProgramResult restore = Run({"keyboard", "restore", backupPath});
    ASSERT_EQ(restore.status, 0) << restore.err;
    EXPECT_EQ(restore.out, "restored 5 profiles from " + backupPath + "; current profile: Profile 4 \"Default4\"\n");
    const Json after = Dump();
    EXPECT_EQ(after["Profiles"], before["Profiles"]);
    EXPECT_EQ(after["CurrentProfile"], before["CurrentProfile"]);

    // The files agree with the keyboard, and KelmWatch will trust them.
    const auto saved = LoadFiles();
    EXPECT_EQ(saved->CurrentProfile, 3);
    for (int slot = 0; slot < kProfileCount; ++slot)
        EXPECT_EQ(json::ProfileToJson(saved->Profiles[slot]), backedUp["Profiles"][slot]) << "slot " << slot;
    SyncStamp stamp{};
    ASSERT_TRUE(ReadSyncStamp(home_.Where(), stamp));
    EXPECT_EQ(StampHex(stamp), after["SyncStamp"]);
}

TEST_F(KelmctlOnEmu, AnInvalidBackupWritesNothing) {
    const std::string good = PreparedBackup();
    const auto Edit = [&good](void (*change)(Json&)) {
        Json json = Json::parse(good);
        change(json);
        return json.dump();
    };
    const std::vector<std::pair<std::string, std::string>> cases = {
        {good.substr(0, good.size() / 2), "invalid JSON: parse error"},
        {"\x7f"
         "ELF garbage",
         "invalid JSON"},
        {"", "invalid JSON"},
        {"[]", "expected an object, got an array; nothing was written"},
        {Edit([](Json& j) { j["Profiles"].erase(4); }), "Profiles: holds 4 profiles, not 5"},
        {Edit([](Json& j) { j.erase("CurrentProfile"); }), "CurrentProfile: missing"},
        {Edit([](Json& j) { j["CurrentProfile"] = 5; }), "CurrentProfile: "},
        {Edit([](Json& j) { j["Format"] = "something else"; }), "Format: not \"Kelm keyboard backup\""},
        {Edit([](Json& j) { j["Profiles"][1]["Keys"][1]["Events"][0][2] = 70000; }),
         "Profiles[1].Keys[1].Events[0][2]: delay 70000 out of range 0..65535"},
        {Edit([](Json& j) { j["Extra"] = 1; }), "Extra"},
    };
    ASSERT_EQ(Ctl({"reset-log"}).rc, 0);
    for (const auto& [text, message] : cases) {
        WriteFile(folder / "bad.json", text);
        const test::ProgramResult result = Run({"keyboard", "restore", folder / "bad.json"});
        EXPECT_EQ(result.status, 2) << message;
        EXPECT_EQ(result.out, "");
        EXPECT_TRUE(Contains(result.err, "kelmctl: " + (folder / "bad.json") + ": ")) << result.err;
        EXPECT_TRUE(Contains(result.err, message)) << result.err;
    }
    EXPECT_TRUE(Log("").empty()) << "the keyboard was not even opened";
    EXPECT_FALSE(ConfigWritten());
    EXPECT_EQ(Run({"keyboard", "restore", folder / "none.json"}).status, 1);
}

TEST_F(KelmctlOnEmu, DoctorAsksTheSoftwareKeyboard) {
    const std::string emu = "the software keyboard KelmEmu is used (KELM_DEVICE=emu:" + socket + ")";
    const test::ProgramResult plugged = Run({"doctor"});
    EXPECT_TRUE(Contains(plugged.out, "ok: the device library libdevbridge.so loads\n")) << plugged.out;
    EXPECT_TRUE(Contains(plugged.out, "ok: " + emu + " and answers\n")) << plugged.out;
    EXPECT_TRUE(Contains(plugged.out, "ok: the settings folder " + home_.Where().settingsFolder + " is writable\n"))
        << plugged.out;

    ASSERT_EQ(Ctl({"unplug"}).rc, 0);
    const test::ProgramResult unplugged = Run({"doctor"});
    EXPECT_EQ(unplugged.status, 1);
    EXPECT_TRUE(Contains(unplugged.out, "missing: " + emu + " but does not answer")) << unplugged.out;
}

}  // namespace
}  // namespace kelm::keyboard_test
