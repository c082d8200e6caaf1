#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <string>

#include "keyboard/Reports.h"
#include "settings/Defaults.h"
#include "settings/Text.h"

namespace kelm {
namespace {

using Bytes = ReportBytes;

std::unique_ptr<ProfileRecord> DefaultedProfile() {
    auto profile = std::make_unique<ProfileRecord>();
    DefaultProfile(*profile, 0);
    return profile;
}

const KeyGroup& Group(ReportId id) { return *FindKeyGroup(id); }

TEST(ReportFraming, TableMatchesLengthsAndWaits) {
    EXPECT_EQ(InfoOf(ReportId::MacroReport).length, 2083);
    EXPECT_EQ(InfoOf(ReportId::ThumbKeyGroupReport).firstWaitMs, 200);
    EXPECT_EQ(InfoOf(ReportId::LightReport).selectCode, 0x70);
    EXPECT_EQ(FindReportInfo(0x06), nullptr);
    EXPECT_EQ(FindReportInfo(0x12), nullptr);
    EXPECT_EQ(Group(ReportId::HotGridGroupReport).selectCode, 0xB0);
    EXPECT_EQ(Group(ReportId::MacroKeyGroupReport).firstWaitMs, 200);
    EXPECT_EQ(FindKeyGroup(ReportId::LightReport), nullptr);
}

TEST(ReportFraming, ChecksumIsSixteenBitSumLowByteFirst) {
    Bytes report(300, 0xFF);
    SealChecksum(report);
    // 298 × 255 = 75990 = 0x128D6, kept modulo 65536.
    EXPECT_EQ(report[298], 0xD6);
    EXPECT_EQ(report[299], 0x28);
    EXPECT_TRUE(ChecksumValid(report));
    report[5] = 0xFE;
    EXPECT_FALSE(ChecksumValid(report));
}

TEST(ReportFraming, FrameRejectsWrongLengthIdOrChecksum) {
    Bytes light = BuildLightReport({1, 3, 1, 15});
    EXPECT_TRUE(FrameValid(light, ReportId::LightReport));
    EXPECT_FALSE(FrameValid(light, ReportId::ModifyKeyReport));
    Bytes shortened(light.begin(), light.end() - 1);
    EXPECT_FALSE(ParseLightReport(shortened).has_value());
    EXPECT_FALSE(ParseLightReport(Bytes{}).has_value());
    light[8] ^= 1;
    EXPECT_FALSE(ParseLightReport(light).has_value());
}

TEST(ReportFraming, DeclaredLengthAndReadRequest) {
    EXPECT_EQ(DeclaredLength(BuildMacroReport({0, 0}, MacroKeyInfo{})), 2083u);
    EXPECT_EQ(DeclaredLength(BuildLightReport({})), 10u);
    EXPECT_EQ(DeclaredLength(Bytes{0x0E, 0x23}), 0u);
    Bytes request = ReadRequest(ReportId::FirmwareReport);
    EXPECT_EQ(request, (Bytes{0x0F, 0, 0, 0, 0, 0}));
}

// The three byte examples the keyboard's documentation gives.
TEST(ReportExamples, ModifyKeyAllSwitchesOn) {
    auto profile = DefaultedProfile();
    EXPECT_EQ(BuildModifyKeyReport({0, ModifyKeyMask(*profile)}), (Bytes{0x07, 0x06, 0x00, 0x3F, 0x4C, 0x00}));
}

TEST(ReportExamples, LightOfProfileOne) {
    auto profile = DefaultedProfile();
    EXPECT_EQ(BuildLightReport(LightFromProfile(1, *profile)),
              (Bytes{0x10, 0x0A, 0x01, 0x03, 0x00, 0x03, 0x01, 0x0F, 0x31, 0x00}));
}

TEST(ReportExamples, FKeysOnStandardFunction) {
    auto profile = DefaultedProfile();
    const KeyGroup& fkeys = Group(ReportId::FKeyGroupReport);
    Bytes expected{0x08, 0x29, 0x00};
    for (std::uint8_t code = 0x3A; code <= 0x45; ++code) expected.push_back(code);
    expected.insert(expected.end(), 24, 0);
    expected.push_back(0x2B);
    expected.push_back(0x03);
    EXPECT_EQ(BuildKeyGroupReport(fkeys, KeyGroupFromProfile(fkeys, 0, *profile)), expected);
}

TEST(ModifyKey, MaskFollowsSwitchesExactlyOne) {
    auto profile = DefaultedProfile();
    profile->ModifyKey[1] = 0;
    profile->ModifyKey[4] = 2;  // only 1 means on
    EXPECT_EQ(ModifyKeyMask(*profile), 0x2D);
    ApplyModifyKeyMask(0xC2, *profile);  // bits 6 and 7 mean nothing
    EXPECT_EQ(profile->ModifyKey[0], 0);
    EXPECT_EQ(profile->ModifyKey[1], 1);
    for (int i = 2; i < 6; ++i) EXPECT_EQ(profile->ModifyKey[i], 0);
}

TEST(KeyCoding, StandardFunctionTravelsAsStandardCode) {
    auto profile = DefaultedProfile();
    const KeyGroup& caps = Group(ReportId::CapsLockReport);
    profile->Keys[56].FunctionCode = kFnStandard;
    Bytes report = BuildKeyGroupReport(caps, KeyGroupFromProfile(caps, 2, *profile));
    EXPECT_EQ(report, (Bytes{0x13, 0x06, 0x02, 0x39, 0x54, 0x00}));

    profile->Keys[56].FunctionCode = 0xFF;
    auto data = ParseKeyGroupReport(caps, report);
    ASSERT_TRUE(data.has_value());
    EXPECT_EQ(data->profile, 2);
    ApplyKeyGroup(caps, *data, *profile);
    EXPECT_EQ(profile->Keys[56].FunctionCode, kFnStandard);
}

TEST(KeyCoding, OwnStandardCodeReadsBackAsStandard) {
    auto profile = DefaultedProfile();
    // M1's factory code is its standard code: it comes back as "standard".
    EXPECT_EQ(profile->Keys[0].FunctionCode, 0xD3);
    const KeyGroup& macroKeys = Group(ReportId::MacroKeyGroupReport);
    auto data =
        ParseKeyGroupReport(macroKeys, BuildKeyGroupReport(macroKeys, KeyGroupFromProfile(macroKeys, 0, *profile)));
    ASSERT_TRUE(data.has_value());
    ApplyKeyGroup(macroKeys, *data, *profile);
    for (int key = 0; key < 10; ++key) EXPECT_EQ(profile->Keys[key].FunctionCode, kFnStandard) << key;
}

TEST(KeyCoding, ShortcutCarriesModifiersAndUsage) {
    auto profile = DefaultedProfile();
    MacroKeyInfo& t2 = profile->Keys[31];
    t2.FunctionCode = kFnShortcut;
    t2.Events[0] = {0x06, 0x05, 0};  // Ctrl+Alt+C
    t2.EventCount = 1;
    const KeyGroup& thumbs = Group(ReportId::ThumbKeyGroupReport);
    Bytes report = BuildKeyGroupReport(thumbs, KeyGroupFromProfile(thumbs, 4, *profile));
    EXPECT_EQ(report[3 + 1], kFnShortcut);
    EXPECT_EQ(report[9 + 1], 0x05);
    EXPECT_EQ(report[15 + 1], 0x06);
    EXPECT_EQ(report[9], 0);  // other keys carry no parameters
    EXPECT_EQ(report[15], 0);

    auto back = DefaultedProfile();
    MacroKeyInfo& stale = back->Keys[31];
    CopyField(stale.MacroName, "old macro");
    stale.EventCount = 7;
    stale.Events[0].Delay = 300;
    stale.TimerSeconds = 42;
    auto data = ParseKeyGroupReport(thumbs, report);
    ASSERT_TRUE(data.has_value());
    ApplyKeyGroup(thumbs, *data, *back);
    EXPECT_EQ(stale.FunctionCode, kFnShortcut);
    EXPECT_EQ(stale.Events[0].KeyCode, 0x06);
    EXPECT_EQ(stale.Events[0].Action, 0x05);
    EXPECT_EQ(stale.EventCount, 1);
    EXPECT_EQ(FieldText(stale.MacroName), "");
    EXPECT_EQ(stale.Events[0].Delay, 300);  // the rest of the entry is left as it was
    EXPECT_EQ(stale.TimerSeconds, 42);
}

TEST(KeyCoding, OtherCodesLeaveTheEntryAlone) {
    auto profile = DefaultedProfile();
    MacroKeyInfo& f5 = profile->Keys[40];
    CopyField(f5.MacroName, "keep");
    f5.EventCount = 3;
    DecodeKey({0xBC, 9, 9}, 40, f5);
    EXPECT_EQ(f5.FunctionCode, 0xBC);
    EXPECT_EQ(f5.EventCount, 3);
    EXPECT_EQ(FieldText(f5.MacroName), "keep");
}

TEST(KeyCoding, EveryGroupRoundTripsWireCodes) {
    for (const KeyGroup& group : kKeyGroups) {
        KeyGroupData data;
        data.profile = 3;
        for (int i = 0; i < group.count; ++i) {
            auto& key = data.keys[static_cast<std::size_t>(i)];
            key.code = static_cast<std::uint8_t>(0x80 + i);
            if (group.parameters) key = {key.code, static_cast<std::uint8_t>(i), static_cast<std::uint8_t>(2 * i)};
        }
        Bytes report = BuildKeyGroupReport(group, data);
        EXPECT_EQ(report.size(), group.Info().length);
        EXPECT_EQ(DeclaredLength(report), group.Info().length);
        auto back = ParseKeyGroupReport(group, report);
        ASSERT_TRUE(back.has_value());
        EXPECT_EQ(back->profile, 3);
        EXPECT_EQ(back->keys, data.keys) << group.Info().name;
    }
}

MacroKeyInfo SampleMacro(int events) {
    MacroKeyInfo entry{};
    entry.KeyIndex = 3;
    entry.FunctionCode = kFnMacro;
    entry.MacroOption = 0x1234;
    CopyField(entry.KeyLabel, "label");
    CopyField(entry.MacroSetName, "Set");
    CopyField(entry.MacroName, "A name of thirty characters!!!");
    entry.EventCount = static_cast<std::uint16_t>(events);
    for (int i = 0; i < std::min(events, kMaxEvents); ++i)
        entry.Events[i] = {static_cast<std::uint8_t>(4 + i % 20), static_cast<std::uint8_t>(1 + i % 2),
                           static_cast<std::uint16_t>(i * 10)};
    return entry;
}

TEST(MacroReportCodec, LayoutOfAWrite) {
    MacroKeyInfo entry = SampleMacro(2);
    Bytes report = BuildMacroReport({1, 3}, entry);
    ASSERT_EQ(report.size(), 2083u);
    EXPECT_EQ(report[0], 0x0E);
    EXPECT_EQ(report[1], 0x23);
    EXPECT_EQ(report[2], 0x08);
    EXPECT_EQ(report[3], 1);
    EXPECT_EQ(report[4], 3);
    EXPECT_EQ(report[5], 0xBE);
    EXPECT_EQ(report[6], 0x34);
    EXPECT_EQ(std::string(report.begin() + 7, report.begin() + 12), "label");
    EXPECT_EQ(report[12], 0);
    EXPECT_EQ(std::string(report.begin() + 31, report.begin() + 34), "Set");
    // A 30-character name goes out as its first 24, with no terminator.
    EXPECT_EQ(std::string(report.begin() + 55, report.begin() + 79), "A name of thirty charact");
    EXPECT_EQ(report[79], 2);
    EXPECT_EQ(report[80], 0);
    EXPECT_EQ(report[81], 4);
    EXPECT_EQ(report[82], 1);
    EXPECT_EQ(report[85], 5);
    EXPECT_EQ(report[87], 10);
    EXPECT_EQ(report[89], 0);
    EXPECT_TRUE(ChecksumValid(report));
}

TEST(MacroReportCodec, ReadBackTrimsNamesAndReplacesEvents) {
    MacroKeyInfo sent = SampleMacro(3);
    CopyField(sent.KeyLabel, "padded   ");
    CopyField(sent.MacroName, "twenty-four characters!!");
    Bytes report = BuildMacroReport({0, 3}, sent);

    MacroKeyInfo stored = SampleMacro(400);
    stored.FunctionCode = 0x01;
    stored.TimerSeconds = 77;
    auto address = ParseMacroReport(report, stored);
    ASSERT_TRUE(address.has_value());
    EXPECT_EQ(address->keyIndex, 3);
    EXPECT_EQ(stored.FunctionCode, kFnMacro);
    EXPECT_EQ(stored.MacroOption, 0x34);
    EXPECT_EQ(FieldText(stored.KeyLabel), "padded");
    EXPECT_EQ(FieldText(stored.MacroName), "twenty-four characters!!");
    EXPECT_EQ(stored.EventCount, 3);
    EXPECT_EQ(stored.Events[2].Delay, 20);
    EXPECT_EQ(stored.Events[3].KeyCode, 0);  // the old events are gone
    EXPECT_EQ(stored.Events[399].Delay, 0);
    EXPECT_EQ(stored.TimerSeconds, 77);
}

TEST(MacroReportCodec, EmptyMacroAndCountLimits) {
    MacroKeyInfo empty = SampleMacro(0);
    Bytes report = BuildMacroReport({0, 0}, empty);
    for (std::size_t i = 79; i < 2081; ++i) ASSERT_EQ(report[i], 0) << i;

    // An entry claiming more than 500 events is sent with 500.
    MacroKeyInfo full = SampleMacro(kMaxEvents);
    full.EventCount = 900;
    report = BuildMacroReport({0, 0}, full);
    EXPECT_EQ(report[79] | (report[80] << 8), 500);

    // A keyboard claiming more than 500 stores 500.
    report[79] = 0xFF;
    report[80] = 0xFF;
    SealChecksum(report);
    MacroKeyInfo back{};
    ASSERT_TRUE(ParseMacroReport(report, back).has_value());
    EXPECT_EQ(back.EventCount, 500);
    EXPECT_EQ(back.Events[499].Delay, 4990);
}

TEST(MacroReportCodec, DamagedReportStoresNothing) {
    Bytes report = BuildMacroReport({0, 5}, SampleMacro(10));
    report[100] ^= 0x40;
    MacroKeyInfo stored = SampleMacro(1);
    const MacroKeyInfo before = stored;
    EXPECT_FALSE(ParseMacroReport(report, stored).has_value());
    EXPECT_EQ(std::memcmp(&stored, &before, sizeof stored), 0);
}

TEST(SmallReports, BytesOfEachReport) {
    EXPECT_EQ(BuildControlSelect(2, 0xB0), (Bytes{0x04, 0x02, 0xB0}));
    EXPECT_EQ(BuildProfileReport(3), (Bytes{0x05, 0x03, 0x03}));
    EXPECT_EQ(BuildResetReport(), (Bytes{0x11, 0x03, 0x04}));
    EXPECT_EQ(BuildHostStateReport(1), (Bytes{0x15, 0x03, 0x01}));
    Bytes relay = BuildPactRelayReport({0x02, 0x01});
    EXPECT_EQ(relay, (Bytes{0x16, 0x10, 0x02, 0x01, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
    SyncStamp stamp = MakeSyncStamp(0x01020304);
    Bytes stampReport = BuildSyncStampReport(stamp);
    ASSERT_EQ(stampReport.size(), 20u);
    EXPECT_EQ(stampReport[1], 0x14);
    EXPECT_EQ(stampReport[2], 0x04);
    EXPECT_EQ(stampReport[5], 0x01);
    EXPECT_EQ(stampReport[18], 0x14 + 0x14 + 1 + 2 + 3 + 4);
    EXPECT_EQ(BuildFirmwareReport(115), (Bytes{0x0F, 0x06, 115, 0, 0, 0}));
}

TEST(SmallReports, ParsersReadBothDirections) {
    EXPECT_EQ(ParseControlStatus(BuildControlStatus(kStatusBusy)), kStatusBusy);
    auto select = ParseControlSelect(BuildControlSelect(4, 0x90));
    ASSERT_TRUE(select.has_value());
    EXPECT_EQ(select->profile, 4);
    EXPECT_EQ(select->selectCode, 0x90);
    EXPECT_EQ(ParseProfileReport(Bytes{0x05, 0x00, 0x07}), 7);  // unchecked: the reader decides
    EXPECT_EQ(ParseFirmwareReport(Bytes{0x0F, 0, 120, 0, 0, 0}), 120);
    EXPECT_FALSE(ParseFirmwareReport(Bytes{0x0F, 0, 120}).has_value());
    EXPECT_EQ(ParseHostStateReport(BuildHostStateReport(0)), 0);
    auto relay = ParsePactRelayReport(BuildPactRelayReport({1, 0}));
    ASSERT_TRUE(relay.has_value());
    EXPECT_EQ(relay->duoLayerState, 1);
    EXPECT_TRUE(IsResetReport(BuildResetReport()));
    EXPECT_FALSE(IsResetReport(Bytes{0x11, 0x03, 0x05}));
    SyncStamp stamp = MakeSyncStamp(1700000000);
    EXPECT_EQ(ParseSyncStampReport(BuildSyncStampReport(stamp)), stamp);
    auto light = ParseLightReport(BuildLightReport({2, 5, 0, 30}));
    ASSERT_TRUE(light.has_value());
    auto profile = DefaultedProfile();
    ApplyLight(*light, *profile);
    EXPECT_EQ(profile->LtBrightness, 5);
    EXPECT_EQ(profile->DimmerOption, 0);
    EXPECT_EQ(profile->LtTimeout, 30);
    auto modify = ParseModifyKeyReport(BuildModifyKeyReport({1, 0x15}));
    ASSERT_TRUE(modify.has_value());
    EXPECT_EQ(modify->mask, 0x15);
}

}  // namespace
}  // namespace kelm
