#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "KeyboardFixture.h"
#include "emulator/EmuControl.h"

namespace kelm::emu::test {
namespace {

class ControlTest : public KeyboardFixture {
protected:
    ActionResult Run(std::vector<std::string> words) { return RunControl(keyboard, words); }
};

TEST_F(ControlTest, UserActionsReachTheKeyboard) {
    EXPECT_TRUE(Run({"press", "32"}).ok);
    EXPECT_TRUE(Run({"profile", "0x2"}).ok);
    EXPECT_TRUE(Run({"brightness", "2"}).ok);
    EXPECT_TRUE(Run({"event", "0x0E00", "261"}).ok);
    const auto notes = Events();
    ASSERT_EQ(notes.size(), 4u);
    EXPECT_TRUE(IsEvent(notes[0], EVT_OPEN_SETUP, 1));
    EXPECT_TRUE(IsEvent(notes[1], EVT_PROFILE, 2));
    EXPECT_TRUE(IsEvent(notes[2], EVT_BRIGHTNESS, 2));
    EXPECT_TRUE(IsEvent(notes[3], 0x0E00, 0x0105));
    EXPECT_EQ(Profile(1).LtBrightness, 1);
}

TEST_F(ControlTest, RecordStoresTheEventsGiven) {
    const ActionResult result = Run({"record", "3", "5", "0x04:1:50", "4:2:0"});
    ASSERT_TRUE(result.ok) << result.text;
    const MacroKeyInfo& entry = Profile(0).Keys[4];
    EXPECT_EQ(entry.FunctionCode, kFnMacro);
    ASSERT_EQ(entry.EventCount, 2);
    EXPECT_EQ(entry.Events[0].Delay, 50);
    EXPECT_EQ(entry.Events[1].Action, 2);
    EXPECT_TRUE(IsEvent(Events().at(0), EVT_MACRO_RECORD, 0x0305));
    EXPECT_TRUE(Run({"record", "2"}).ok);
    EXPECT_TRUE(IsEvent(Events().at(0), EVT_MACRO_RECORD, 0x0200));
}

TEST_F(ControlTest, BadCommandsAreRefusedWithTheirReason) {
    const std::vector<std::vector<std::string>> bad = {
        {},
        {"jump"},
        {"press"},
        {"press", "59"},
        {"press", "1x"},
        {"profile", "1", "2"},
        {"brightness", "7"},
        {"record", "3", "5", "4:1"},
        {"record", "3", "5", "4:1:70000"},
        {"record", "1", "5", "4:1:0"},
        {"event", "0x10000", "1"},
        {"fault", "busy"},
        {"fault", "busy", "-1"},
        {"fault", "sometimes", "1"},
        {"busy", "x"},
        {"firmware", "256"},
        {"dump", "now"},
    };
    for (const auto& words : bad) {
        const ActionResult result = Run(words);
        EXPECT_FALSE(result.ok) << (words.empty() ? "(none)" : words[0]);
        EXPECT_NE(result.text.find("commands:"), std::string::npos);
    }
    EXPECT_TRUE(Events().empty());
}

// Numbers are decimal or 0x hex only: a leading zero does not make octal,
// and signs and blanks are no part of a number.
TEST_F(ControlTest, NumbersAreDecimalOrHex) {
    const std::vector<std::pair<std::string, std::optional<int>>> cases = {
        {"010", 10}, {"08", 8},       {"0x1F", 31},         {"0X1f", 31},         {"255", 255},
        {"0", 0},    {"0x", {}},      {" 5", {}},           {"+5", {}},           {"-0", {}},
        {"5 ", {}},  {"0x-1", {}},    {"1e2", {}},          {"", {}},             {"99999999999999999999", {}},
    };
    for (const auto& [word, expected] : cases) {
        ASSERT_TRUE(Run({"firmware", "7"}).ok);
        EXPECT_EQ(Run({"firmware", word}).ok, expected.has_value()) << '"' << word << '"';
        EXPECT_EQ(keyboard.Memory().FWVersion, expected.value_or(7)) << '"' << word << '"';
    }
    ASSERT_TRUE(Run({"record", "3", "010", "010:01:0100"}).ok);
    const MacroKeyInfo& entry = Profile(0).Keys[9];
    EXPECT_EQ(entry.Events[0].KeyCode, 10);
    EXPECT_EQ(entry.Events[0].Delay, 100);
}

TEST_F(ControlTest, FaultsAndBusyTimingAreSet) {
    ASSERT_TRUE(Run({"fault", "busy", "forever"}).ok);
    for (int i = 0; i < 3; ++i) EXPECT_EQ(Status(), kStatusBusy);
    ASSERT_TRUE(Run({"fault", "clear"}).ok);
    EXPECT_EQ(Status(), kStatusReady);
    ASSERT_TRUE(Run({"fault", "readfail", "1"}).ok);
    EXPECT_FALSE(keyboard.GetFeature(0x04, 3));
    ASSERT_TRUE(Run({"fault", "checksum", "1"}).ok);
    EXPECT_FALSE(ChecksumValid(Read(ReportId::LightReport)));
    ASSERT_TRUE(Run({"busy", "1", "0"}).ok);
    Write(BuildHostStateReport(0));
    EXPECT_EQ(Status(), kStatusBusy);
    EXPECT_EQ(Status(), kStatusReady);
    ASSERT_TRUE(Run({"fault", "unplug-after", "0"}).ok);
    EXPECT_FALSE(keyboard.Plugged());
    EXPECT_EQ(Run({"unplug"}).text, "already unplugged");
    EXPECT_EQ(Run({"plug"}).text, "plugged in");
}

TEST_F(ControlTest, DumpShowsTheStateAsJson) {
    Run({"profile", "3"});
    Run({"firmware", "120"});
    Run({"record", "3", "5", "0x04:1:50", "0x04:2:0"});
    Run({"fault", "unplug-after", "9"});
    const ActionResult dump = Run({"dump"});
    ASSERT_TRUE(dump.ok);
    const auto json = nlohmann::json::parse(dump.text);
    EXPECT_EQ(json["FWVersion"], 120);
    EXPECT_EQ(json["CurrentProfile"], 2);
    EXPECT_EQ(json["Faults"]["UnplugAfter"], 9);
    ASSERT_EQ(json["Profiles"].size(), 5u);
    const auto& profile = json["Profiles"][2];
    EXPECT_EQ(profile["ProFileName"], "Default3");
    EXPECT_EQ(profile["ModifyKey"].size(), 6u);
    ASSERT_EQ(profile["Keys"].size(), 58u);
    EXPECT_EQ(profile["Keys"][4]["FunctionCode"], 0xBE);
    EXPECT_EQ(profile["Keys"][4]["Events"], nlohmann::json::parse("[[4,1,50],[4,2,0]]"));
}

TEST_F(ControlTest, LogCanBeReadAndCleared) {
    Write(BuildProfileReport(1));
    EXPECT_EQ(Run({"log"}).text, "set 05 3 accepted 050301\n");
    EXPECT_TRUE(Run({"reset-log"}).ok);
    EXPECT_EQ(Run({"log"}).text, "");
}

}  // namespace
}  // namespace kelm::emu::test
