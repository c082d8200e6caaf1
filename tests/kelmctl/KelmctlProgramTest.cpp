// Runs the built kelmctl on real files in a throw-away program folder.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>

#include "settings/Defaults.h"
#include "settings/MacroLibrary.h"
#include "settings/ProfileFile.h"
#include "settings/SettingsStore.h"
#include "settings/Text.h"
#include "settings/json/Json.h"
#include "settings/json/JsonFormat.h"
#include "settings/json/ProfileJson.h"
#include "tests/kelmctl/SampleProfile.h"
#include "tests/support/Programs.h"
#include "tests/support/ScopedEnv.h"
#include "tests/support/TempFolder.h"
#include "tests/support/TempProgramFolder.h"

namespace kelm::test {
namespace {

using json::Json;

class KelmctlProgram : public testing::Test {
protected:
    void SetUp() override { ASSERT_FALSE(KelmctlPath().empty()) << "KELM_PROGRAM_FOLDER is not set"; }

    ProgramResult Run(const std::vector<std::string>& args, const std::string& stdinPath = "/dev/null") {
        return RunKelmctl(args, folder_.Root(), stdinPath);
    }
    std::string Path(const std::string& name) const { return folder_.Root() + "/" + name; }
    std::string Home() const { return folder_.Where().programFolder; }

    ScopedEnv noHome_{"KELM_HOME", nullptr};
    TempProgramFolder folder_;
};

TEST_F(KelmctlProgram, ShowThenWriteGivesTheSameFileByteForByte) {
    const auto sample = std::make_unique<ProfileRecord>();
    FillSampleProfile(*sample);
    ASSERT_TRUE(SaveProfile(*sample, Path("source.vkp")));

    const ProgramResult shown = Run({"profile", "show", Path("source.vkp")});
    ASSERT_EQ(shown.status, 0) << shown.err;
    EXPECT_EQ(shown.err, "");
    EXPECT_EQ(Json::parse(shown.out), json::ProfileToJson(*sample));
    // Bytes that are not UTF-8 are visible as escapes.
    EXPECT_NE(shown.out.find("\"ProFileName\": \"Race \xC3\xA9t\\uefe9\""), std::string::npos);

    WriteFile(Path("profile.json"), shown.out);
    const ProgramResult written = Run({"profile", "write", Path("profile.json"), Path("copy.vkp")});
    ASSERT_EQ(written.status, 0) << written.err;
    EXPECT_EQ(written.out + written.err, "");
    EXPECT_EQ(ReadFile(Path("copy.vkp")), ReadFile(Path("source.vkp")));

    const ProgramResult again = Run({"profile", "show", Path("copy.vkp")});
    EXPECT_EQ(again.out, shown.out);
}

TEST_F(KelmctlProgram, StandardInputAndDefaults) {
    WriteFile(Path("in.json"), R"({"ProFileName": "Quiet", "Keys": [{"KeyIndex": 4, "FunctionCode": 190}]})");
    const ProgramResult written = Run({"profile", "write", "-", Path("out.vkp")}, Path("in.json"));
    ASSERT_EQ(written.status, 0) << written.err;
    const auto expected = std::make_unique<ProfileRecord>();
    DefaultProfile(*expected, 0);
    CopyField(expected->ProFileName, "Quiet");
    expected->Keys[4].FunctionCode = kFnMacro;
    ASSERT_TRUE(SaveProfile(*expected, Path("expected.vkp")));
    EXPECT_EQ(ReadFile(Path("out.vkp")), ReadFile(Path("expected.vkp")));
    EXPECT_EQ(Run({"profile", "show", "-"}, Path("out.vkp")).out, Run({"profile", "show", Path("out.vkp")}).out);
}

TEST_F(KelmctlProgram, InvalidInputExitsTwoAndWritesNothing) {
    const auto sample = std::make_unique<ProfileRecord>();
    FillSampleProfile(*sample);
    Json json = json::ProfileToJson(*sample);
    json["Keys"][3]["Events"][7][2] = 70000;
    WriteFile(Path("bad.json"), json.dump());
    WriteFile(Path("syntax.json"), "{\"KBDelay\": ");
    WriteFile(Path("latin1.json"), "{\"ProFileName\": \"Caf\xE9\"}");

    for (const char* input : {"bad.json", "syntax.json", "latin1.json"}) {
        const ProgramResult result = Run({"profile", "write", Path(input), Path("new.vkp")});
        EXPECT_EQ(result.status, 2) << input;
        EXPECT_EQ(result.out, "");
        EXPECT_FALSE(Exists(Path("new.vkp"))) << input;
    }
    const ProgramResult bad = Run({"profile", "write", Path("bad.json"), Path("new.vkp")});
    EXPECT_EQ(bad.err, "kelmctl: " + Path("bad.json") + ": Keys[3].Events[7][2]: delay 70000 out of range 0..65535\n");
    EXPECT_NE(Run({"profile", "write", Path("syntax.json"), Path("new.vkp")}).err.find("invalid JSON"),
              std::string::npos);

    // An existing file is not touched either.
    WriteFile(Path("old.vkp"), "[Setting]\r\nProFileName=Old\r\n");
    EXPECT_EQ(Run({"profile", "write", Path("bad.json"), Path("old.vkp")}).status, 2);
    EXPECT_EQ(ReadFile(Path("old.vkp")), "[Setting]\r\nProFileName=Old\r\n");
}

TEST_F(KelmctlProgram, FilesThatCannotBeReadOrWrittenExitOne) {
    WriteFile(Path("good.json"), "{}");
    const ProgramResult missingJson = Run({"profile", "write", Path("none.json"), Path("out.vkp")});
    EXPECT_EQ(missingJson.status, 1);
    EXPECT_EQ(missingJson.err, "kelmctl: " + Path("none.json") + ": no such file\n");
    EXPECT_EQ(Run({"profile", "show", Path("none.vkp")}).status, 1);
    EXPECT_EQ(Run({"profile", "show", folder_.Root()}).status, 1) << "a folder is not a profile";
    EXPECT_EQ(Run({"profile", "write", Path("good.json"), Path("no/such/folder/out.vkp")}).status, 1);
    EXPECT_EQ(Run({"settings", "show", "--home", Path("no-such-home")}).status, 1);
}

TEST_F(KelmctlProgram, SettingsShowOfAnEmptyFolderGivesTheDefaults) {
    const ProgramResult shown = Run({"settings", "show", "--home", Home()});
    ASSERT_EQ(shown.status, 0) << shown.err;
    const Json json = Json::parse(shown.out);
    EXPECT_EQ(json["CurrentProfile"], -1);
    EXPECT_EQ(json["WindowsProfile"], -1);
    EXPECT_EQ(json["MouseType"], -1);
    ASSERT_EQ(json["Profiles"].size(), 5u);
    for (int slot = 0; slot < kProfileCount; ++slot) {
        const auto expected = std::make_unique<ProfileRecord>();
        DefaultProfile(*expected, slot);
        EXPECT_EQ(json["Profiles"][slot], json::ProfileToJson(*expected)) << "slot " << slot;
        EXPECT_EQ(json["Profiles"][slot]["ProFileName"], "Default" + std::to_string(slot + 1));
    }
}

TEST_F(KelmctlProgram, SettingsShowReadsASavedRecord) {
    const auto record = std::make_unique<SettingsRecord>();
    DefaultSettings(*record);
    record->CurrentProfile = 2;
    record->WindowsProfile = 1;
    record->QuickHelpLan = 4;
    record->MouseType = 1;
    FillSampleProfile(record->Profiles[2]);
    record->Profiles[2].KBDelay = 2;  // the registry stand-in carries the current slot's repeat values
    record->Profiles[2].KBSpeed = 20;
    ASSERT_EQ(SaveAll(*record, folder_.Where()), 1);

    const ProgramResult shown = Run({"settings", "show", "--home=" + Home()});
    ASSERT_EQ(shown.status, 0) << shown.err;
    const Json json = Json::parse(shown.out);
    EXPECT_EQ(json["CurrentProfile"], 2);
    EXPECT_EQ(json["WindowsProfile"], 1);
    EXPECT_EQ(json["QuickHelpLan"], 4);
    EXPECT_EQ(json["MouseType"], 1);
    for (int slot = 0; slot < kProfileCount; ++slot)
        EXPECT_EQ(json["Profiles"][slot], json::ProfileToJson(record->Profiles[slot])) << "slot " << slot;

    // Without --home, KELM_HOME names the program folder.
    ScopedEnv home("KELM_HOME", Home().c_str());
    EXPECT_EQ(Run({"settings", "show"}).out, shown.out);
}

TEST_F(KelmctlProgram, SettingsResetWritesFactorySettingsAndKeepsStatusKeys) {
    // A status value of the monitor and a modified slot file, both from before.
    WriteFile(Path("config.ini"), "[Setting]\r\nFWVersion=115\r\nCurrentProfile=3\r\n");
    const auto modified = std::make_unique<ProfileRecord>();
    FillSampleProfile(*modified);
    ASSERT_TRUE(MakeFolders(folder_.Where().ConfigFolder()));
    ASSERT_TRUE(SaveProfile(*modified, folder_.Where().ProfilePath(1)));

    const ProgramResult reset = Run({"settings", "reset", "--home", Home()});
    ASSERT_EQ(reset.status, 0) << reset.err;

    const auto loaded = std::make_unique<SettingsRecord>();
    ClearSettings(*loaded);
    LoadAll(*loaded, folder_.Where());
    EXPECT_EQ(loaded->CurrentProfile, 0);
    EXPECT_EQ(loaded->WindowsProfile, -1);
    for (int slot = 0; slot < kProfileCount; ++slot) {
        const auto expected = std::make_unique<ProfileRecord>();
        DefaultProfile(*expected, slot);
        EXPECT_EQ(std::memcmp(&loaded->Profiles[slot], expected.get(), sizeof(ProfileRecord)), 0) << "slot " << slot;
    }
    EXPECT_NE(ReadFile(Path("config.ini")).find("FWVersion=115"), std::string::npos);
    EXPECT_EQ(Run({"settings", "reset", "--home", Path("no-such-home")}).status, 1);
}

TEST_F(KelmctlProgram, LibraryAndTimersShowWhatTheSettingsLibrarySaved) {
    MacroLibrary library;
    MacroEntry copy{};
    CopyField(copy.Name, "Copy");
    copy.MacroOption = 2;
    copy.EventCount = 2;
    copy.Events[0] = {0xE0, 1, 10};
    copy.Events[1] = {0xE0, 2, 0};
    library.Sets.push_back({"Office", {copy}});
    library.Sets.push_back({" Work ", {}});
    ASSERT_TRUE(SaveMacroLibrary(library, folder_.Where()));
    TimerList timers(2);
    timers[0] = {};
    timers[0].TimerSeconds = 90;
    CopyField(timers[0].TimerName, "Tea");
    timers[1] = {};
    timers[1].TimerSeconds = 3600;
    CopyField(timers[1].TimerName, "Caf\xE9");
    ASSERT_TRUE(SaveTimers(timers, folder_.Where()));

    const ProgramResult shownLibrary = Run({"library", "show", "--home", Home()});
    ASSERT_EQ(shownLibrary.status, 0) << shownLibrary.err;
    EXPECT_EQ(Json::parse(shownLibrary.out), Json::parse(R"({"Sets": [
        {"Name": "Office", "Macros": [{"Name": "Copy", "MacroOption": 2, "Events": [[224, 1, 10], [224, 2, 0]]}]},
        {"Name": " Work ", "Macros": []}]})"));

    const ProgramResult shownTimers = Run({"timers", "show", "--home", Home()});
    ASSERT_EQ(shownTimers.status, 0) << shownTimers.err;
    EXPECT_EQ(shownTimers.out,
              "[\n"
              "  {\n"
              "    \"TimerSeconds\": 90,\n"
              "    \"TimerName\": \"Tea\"\n"
              "  },\n"
              "  {\n"
              "    \"TimerSeconds\": 3600,\n"
              "    \"TimerName\": \"Caf\\uefe9\"\n"
              "  }\n"
              "]\n");
}

TEST_F(KelmctlProgram, EveryCommandHasHelp) {
    for (const std::vector<std::string>& words : std::vector<std::vector<std::string>>{{"profile", "show"},
                                                                                       {"profile", "write"},
                                                                                       {"settings", "show"},
                                                                                       {"library", "show"},
                                                                                       {"timers", "show"},
                                                                                       {"profile", "switch"},
                                                                                       {"keyboard", "backup"},
                                                                                       {"keyboard", "restore"}}) {
        std::vector<std::string> args = words;
        args.push_back("--help");
        const ProgramResult help = Run(args);
        EXPECT_EQ(help.status, 0);
        EXPECT_EQ(help.out.rfind("Usage: kelmctl " + words[0] + " " + words[1], 0), 0u) << help.out;
    }
    const ProgramResult top = Run({"--help"});
    EXPECT_EQ(top.status, 0);
    EXPECT_NE(top.out.find("profile write IN.json OUT.vkp"), std::string::npos);
    EXPECT_EQ(Run({"profile", "--help"}).status, 0);
    const ProgramResult none = Run({});
    EXPECT_EQ(none.status, 2);
    EXPECT_EQ(none.out, "");
    EXPECT_EQ(Run({"profile", "show"}).status, 2);
}

}  // namespace
}  // namespace kelm::test
