#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <ostream>
#include <string>

#include "settings/Defaults.h"
#include "tests/kelmctl/SampleProfile.h"
#include "tests/support/SameBytes.h"
#include "settings/json/JsonFormat.h"
#include "settings/json/ProfileJson.h"

namespace kelm::json {
namespace {

std::unique_ptr<ProfileRecord> NewProfile() { return std::make_unique<ProfileRecord>(); }

using test::SameBytes;

TEST(ProfileJson, SampleProfileRoundTripsByteForByte) {
    const auto sample = NewProfile();
    test::FillSampleProfile(*sample);
    const Json json = ProfileToJson(*sample);
    const auto back = NewProfile();
    const auto error = ProfileFromJson(json, *back);
    ASSERT_FALSE(error) << error->Describe();
    EXPECT_TRUE(SameBytes(*sample, *back));
    // Through the printed text, as the command line carries it.
    const auto reparsed = NewProfile();
    ASSERT_FALSE(ProfileFromJson(Json::parse(FormatJson(json)), *reparsed));
    EXPECT_TRUE(SameBytes(*sample, *reparsed));
}

TEST(ProfileJson, ShowsTheRecordsFieldsInTheirOrder) {
    const auto sample = NewProfile();
    test::FillSampleProfile(*sample);
    const Json json = ProfileToJson(*sample);
    std::string names;
    for (const auto& [name, value] : json.items()) names += name + ' ';
    EXPECT_EQ(names,
              "ProFileName GameFile0 GameFile1 GameFile2 KBDelay KBSpeed MediaOption HDDKeyboard LtBrightness "
              "DimmerOption LtTimeout ModifyKey SoundProfile SoundLRecord SoundSens VolumeUpDown SoundVolume Keys ");
    EXPECT_EQ(json["ProFileName"], "Race \xC3\xA9t\xEE\xBF\xA9");
    EXPECT_EQ(json["ModifyKey"], Json::parse("[1, 0, -1, 1, 0, 1]"));
    ASSERT_EQ(json["Keys"].size(), 58u);
    const Json& macro = json["Keys"][3];
    EXPECT_EQ(macro["KeyIndex"], 3);
    EXPECT_EQ(macro["FunctionCode"], 0xBE);
    EXPECT_EQ(macro["Events"].size(), 500u);
    EXPECT_EQ(macro["Events"][7], Json::parse("[7, 2, 65535]"));
    EXPECT_EQ(json["Keys"][31]["Events"], Json::parse("[[4, 5, 0]]"));
}

TEST(ProfileJson, MissingFieldsTakeTheDefaultsOfSlotZeroAndOfEachKey) {
    const auto expected = NewProfile();
    DefaultProfile(*expected, 0);
    const auto parsed = NewProfile();
    ASSERT_FALSE(ProfileFromJson(Json::object(), *parsed));
    EXPECT_TRUE(SameBytes(*expected, *parsed));

    const Json partial = Json::parse(R"({"KBSpeed": 5, "Keys": [{"KeyIndex": 33, "TimerSeconds": 60},
                                                               {"KeyIndex": 2, "FunctionCode": 190}]})");
    ASSERT_FALSE(ProfileFromJson(partial, *parsed));
    expected->KBSpeed = 5;
    expected->Keys[33].TimerSeconds = 60;  // FunctionCode stays 0x39, key 33's default
    expected->Keys[2].FunctionCode = 0xBE;
    EXPECT_TRUE(SameBytes(*expected, *parsed));
}

TEST(ProfileJson, FullKeyListMayLeaveKeyIndexOut) {
    const auto sample = NewProfile();
    test::FillSampleProfile(*sample);
    Json json = ProfileToJson(*sample);
    for (Json& key : json["Keys"]) key.erase("KeyIndex");
    const auto parsed = NewProfile();
    ASSERT_FALSE(ProfileFromJson(json, *parsed));
    EXPECT_TRUE(SameBytes(*sample, *parsed));
}

TEST(ProfileJson, EventActionIsCheckedOnlyWhereItMeansPressOrRelease) {
    const auto parsed = NewProfile();
    // A shortcut keeps modifier bits there, a standard key carries leftovers.
    EXPECT_FALSE(ProfileFromJson(Json::parse(R"({"Keys": [{"KeyIndex": 1, "FunctionCode": 184, "Events": [[4, 255, 0]]},
                                 {"KeyIndex": 12, "FunctionCode": 239, "Events": [[4, 0, 9]]}]})"),
                                 *parsed));
    EXPECT_EQ(parsed->Keys[1].Events[0].Action, 255);
    EXPECT_EQ(parsed->Keys[12].EventCount, 1);
    const auto error = ProfileFromJson(
        Json::parse(R"({"Keys": [{"KeyIndex": 1, "FunctionCode": 190, "Events": [[4, 0, 0]]}]})"), *parsed);
    ASSERT_TRUE(error);
    EXPECT_EQ(error->Describe(), "Keys[0].Events[0][1]: action 0 out of range 1..2");
}

TEST(ProfileJson, TextLimitsCountBytesAfterEscapes) {
    const auto parsed = NewProfile();
    const std::string escapedByte = "\xEE\xBF\xA9";  // U+EFE9: one byte E9
    std::string label;
    for (int i = 0; i < 49; ++i) label += escapedByte;
    Json json = Json::parse(R"({"Keys": [{"KeyIndex": 0}]})");
    json["Keys"][0]["KeyLabel"] = label;
    ASSERT_FALSE(ProfileFromJson(json, *parsed));
    EXPECT_EQ(std::string(FieldText(parsed->Keys[0].KeyLabel)), std::string(49, '\xE9'));
    // 25 two-byte UTF-8 letters are 50 bytes.
    std::string wide;
    for (int i = 0; i < 25; ++i) wide += "\xC3\xA9";
    json["Keys"][0]["KeyLabel"] = wide;
    const auto error = ProfileFromJson(json, *parsed);
    ASSERT_TRUE(error);
    EXPECT_EQ(error->Describe(), "Keys[0].KeyLabel: text of 50 bytes is too long (at most 49)");
}

TEST(ProfileJson, AFailedConversionLeavesTheProfileAlone) {
    const auto profile = NewProfile();
    test::FillSampleProfile(*profile);
    const auto before = NewProfile();
    *before = *profile;
    ASSERT_TRUE(ProfileFromJson(Json::parse(R"({"ProFileName": "x", "KBDelay": 9})"), *profile));
    EXPECT_TRUE(SameBytes(*before, *profile));
}

struct ErrorCase {
    const char* name;
    std::function<void(Json&)> change;
    const char* expected;
};

void PrintTo(const ErrorCase& c, std::ostream* os) { *os << c.name; }

Json& Key3(Json& json) { return json["Keys"][3]; }

// Starts from the sample profile (key 3 a macro, key 31 a shortcut).
const ErrorCase kErrorCases[] = {
    {"RootNotObject", [](Json& j) { j = Json::array(); }, "expected a profile object, got an array"},
    {"UnknownField", [](Json& j) { j["KBdelay"] = 1; }, "KBdelay: unknown field"},
    {"RangeOfDocumented", [](Json& j) { j["KBDelay"] = 4; }, "KBDelay: 4 out of range -1..3"},
    {"BelowReadDefault", [](Json& j) { j["SoundVolume"] = -2; }, "SoundVolume: -2 out of range -1..4"},
    {"LtTimeout", [](Json& j) { j["LtTimeout"] = 31; }, "LtTimeout: 31 out of range 0..30"},
    {"StringForNumber", [](Json& j) { j["KBSpeed"] = "5"; }, "KBSpeed: expected an integer, got a string"},
    {"Fraction", [](Json& j) { j["MediaOption"] = 1.5; }, "MediaOption: expected an integer, got the number 1.5"},
    {"BeyondInt32", [](Json& j) { j["HDDKeyboard"] = 2147483648LL; },
     "HDDKeyboard: 2147483648 out of range -2147483648..2147483647"},
    {"ModifyKeyCount",
     [](Json& j) {
         j["ModifyKey"] = Json::array({1, 1, 1});
     },
     "ModifyKey: expected 6 values, got 3"},
    {"ModifyKeyValue", [](Json& j) { j["ModifyKey"][4] = 2; }, "ModifyKey[4]: 2 out of range -1..1"},
    {"ModifyKeyType", [](Json& j) { j["ModifyKey"] = 1; }, "ModifyKey: expected an array, got the number 1"},
    {"ProFileNameLength", [](Json& j) { j["ProFileName"] = std::string(250, 'n'); },
     "ProFileName: text of 250 bytes is too long (at most 249)"},
    {"GameFileLength", [](Json& j) { j["GameFile2"] = std::string(500, 'g'); },
     "GameFile2: text of 500 bytes is too long (at most 499)"},
    {"LineBreak", [](Json& j) { j["GameFile1"] = "a\nb"; },
     "GameFile1: a line break cannot be stored in a profile file"},
    {"NullText", [](Json& j) { j["ProFileName"] = nullptr; }, "ProFileName: expected a string, got null"},
    {"Nul", [](Json& j) { Key3(j)["MacroName"] = std::string("a\0b", 3); },
     "Keys[3].MacroName: text holds a NUL character (\\u0000)"},
    {"KeyLabelLength", [](Json& j) { Key3(j)["KeyLabel"] = std::string(50, 'k'); },
     "Keys[3].KeyLabel: text of 50 bytes is too long (at most 49)"},
    {"MacroSetNameLength", [](Json& j) { Key3(j)["MacroSetName"] = std::string(50, 's'); },
     "Keys[3].MacroSetName: text of 50 bytes is too long (at most 49)"},
    {"TimerNameLength", [](Json& j) { Key3(j)["TimerName"] = std::string(100, 't'); },
     "Keys[3].TimerName: text of 100 bytes is too long (at most 99)"},
    {"QuickLaunchPathLength", [](Json& j) { Key3(j)["QuickLaunchPath"] = std::string(260, 'q'); },
     "Keys[3].QuickLaunchPath: text of 260 bytes is too long (at most 259)"},
    {"KeysType", [](Json& j) { j["Keys"] = Json::object(); }, "Keys: expected an array, got an object"},
    {"KeysTooMany", [](Json& j) { j["Keys"].push_back(j["Keys"][0]); }, "Keys: 59 entries, at most 58"},
    {"KeyNotObject", [](Json& j) { Key3(j) = 5; }, "Keys[3]: expected an object, got the number 5"},
    {"KeyIndexNotPosition", [](Json& j) { Key3(j)["KeyIndex"] = 4; },
     "Keys[3].KeyIndex: 4 differs from the entry's position 3 in a list of all 58 keys"},
    {"PartialWithoutIndex", [](Json& j) { j["Keys"] = Json::array({Json::object()}); },
     "Keys[0].KeyIndex: required when Keys holds fewer than 58 entries"},
    {"PartialDuplicate", [](Json& j) { j["Keys"] = Json::parse(R"([{"KeyIndex": 7}, {"KeyIndex": 7}])"); },
     "Keys[1].KeyIndex: key 7 is already given by Keys[0]"},
    {"KeyIndexRange", [](Json& j) { j["Keys"] = Json::parse(R"([{"KeyIndex": 58}])"); },
     "Keys[0].KeyIndex: 58 out of range 0..57"},
    {"UnknownKeyField", [](Json& j) { Key3(j)["Foo"] = 1; }, "Keys[3].Foo: unknown field"},
    {"FunctionCode", [](Json& j) { Key3(j)["FunctionCode"] = 256; }, "Keys[3].FunctionCode: 256 out of range 0..255"},
    {"TargetDevice", [](Json& j) { Key3(j)["TargetDevice"] = -2147483649LL; },
     "Keys[3].TargetDevice: -2147483649 out of range -2147483648..2147483647"},
    {"MacroOptionType", [](Json& j) { Key3(j)["MacroOption"] = true; },
     "Keys[3].MacroOption: expected an integer, got true"},
    {"TimerSecondsHuge", [](Json& j) { Key3(j)["TimerSeconds"] = 18446744073709551615ULL; },
     "Keys[3].TimerSeconds: 18446744073709551615 out of range -2147483648..2147483647"},
    {"EventsType", [](Json& j) { Key3(j)["Events"] = "none"; }, "Keys[3].Events: expected an array, got a string"},
    {"TooManyEvents",
     [](Json& j) {
         Key3(j)["Events"].push_back(Json::array({4, 1, 0}));
     },
     "Keys[3].Events: 501 events, at most 500"},
    {"EventShape",
     [](Json& j) {
         Key3(j)["Events"][7] = Json::array({1, 2});
     },
     "Keys[3].Events[7]: expected [keyCode, action, delay], got 2 values"},
    {"EventType", [](Json& j) { Key3(j)["Events"][7] = "x"; },
     "Keys[3].Events[7]: expected [keyCode, action, delay], got a string"},
    {"KeyCode", [](Json& j) { Key3(j)["Events"][7][0] = 256; },
     "Keys[3].Events[7][0]: key code 256 out of range 0..255"},
    {"Action", [](Json& j) { Key3(j)["Events"][7][1] = 3; }, "Keys[3].Events[7][1]: action 3 out of range 1..2"},
    {"Delay", [](Json& j) { Key3(j)["Events"][7][2] = 70000; },
     "Keys[3].Events[7][2]: delay 70000 out of range 0..65535"},
    {"NegativeDelay", [](Json& j) { Key3(j)["Events"][0][2] = -1; },
     "Keys[3].Events[0][2]: delay -1 out of range 0..65535"},
    {"ModifierBits", [](Json& j) { j["Keys"][31]["Events"][0][1] = 256; },
     "Keys[31].Events[0][1]: modifier bits 256 out of range 0..255"},
};

class ProfileJsonError : public testing::TestWithParam<ErrorCase> {};

TEST_P(ProfileJsonError, NamesTheField) {
    const auto sample = NewProfile();
    test::FillSampleProfile(*sample);
    Json json = ProfileToJson(*sample);
    GetParam().change(json);
    const auto parsed = NewProfile();
    const auto error = ProfileFromJson(json, *parsed);
    ASSERT_TRUE(error);
    EXPECT_EQ(error->Describe(), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Cases, ProfileJsonError, testing::ValuesIn(kErrorCases),
                         [](const testing::TestParamInfo<ErrorCase>& c) { return std::string(c.param.name); });

}  // namespace
}  // namespace kelm::json
