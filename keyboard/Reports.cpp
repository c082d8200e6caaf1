#include "keyboard/Reports.h"

#include <algorithm>
#include <cstring>
#include <string_view>
#include <utility>

#include "settings/Text.h"

namespace kelm {

namespace {

constexpr std::size_t kMacroOffsetProfile = 3;
constexpr std::size_t kMacroOffsetKey = 4;
constexpr std::size_t kMacroOffsetCode = 5;
constexpr std::size_t kMacroOffsetOption = 6;
constexpr std::size_t kMacroOffsetLabel = 7;
constexpr std::size_t kMacroOffsetSet = kMacroOffsetLabel + kMacroNameBytes;
constexpr std::size_t kMacroOffsetName = kMacroOffsetSet + kMacroNameBytes;
constexpr std::size_t kMacroOffsetCount = kMacroOffsetName + kMacroNameBytes;
constexpr std::size_t kMacroOffsetEvents = kMacroOffsetCount + 2;
static_assert(kMacroOffsetEvents + kMaxEvents * sizeof(MacroEvent) + 2 == InfoOf(ReportId::MacroReport).length);

constexpr std::uint8_t Byte(ReportId id) { return static_cast<std::uint8_t>(id); }
constexpr std::uint8_t LowByte(std::int32_t value) { return static_cast<std::uint8_t>(value & 0xFF); }

std::uint16_t GetLe16(const std::uint8_t* at) { return static_cast<std::uint16_t>(at[0] | (at[1] << 8)); }
void PutLe16(std::uint8_t* at, std::uint16_t value) {
    at[0] = static_cast<std::uint8_t>(value & 0xFF);
    at[1] = static_cast<std::uint8_t>(value >> 8);
}

// A zeroed report of the table length with id and, unless the report's byte
// 1 means something else, its length in place.
ReportBytes NewReport(ReportId id) {
    const ReportInfo& info = InfoOf(id);
    ReportBytes report(info.length, 0);
    report[0] = Byte(id);
    if (id == ReportId::MacroReport) {
        PutLe16(&report[1], info.length);
    } else {
        report[1] = static_cast<std::uint8_t>(info.length);
    }
    return report;
}

ReportBytes Finish(ReportBytes report) {
    if (InfoOf(static_cast<ReportId>(report[0])).checksum) SealChecksum(report);
    return report;
}

void PutName(std::uint8_t* at, std::string_view text) {
    const std::size_t n = std::min(text.size(), kMacroNameBytes);
    std::memcpy(at, text.data(), n);
}

// 24 bytes read as a terminated string, trailing blanks dropped.
template <std::size_t N>
void TakeName(const std::uint8_t* at, char (&field)[N]) {
    static_assert(N > kMacroNameBytes);
    std::string_view text(reinterpret_cast<const char*>(at), kMacroNameBytes);
    text = text.substr(0, text.find('\0'));
    while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
    CopyField(field, text);
}

}  // namespace

// ---- framing ----

std::uint16_t ByteSum(ReportView bytes) {
    std::uint32_t sum = 0;
    for (std::uint8_t byte : bytes) sum += byte;
    return static_cast<std::uint16_t>(sum & 0xFFFF);
}

void SealChecksum(std::span<std::uint8_t> report) {
    if (report.size() < 2) return;
    PutLe16(&report[report.size() - 2], ByteSum(report.first(report.size() - 2)));
}

bool ChecksumValid(ReportView report) {
    if (report.size() < 2) return false;
    return ByteSum(report.first(report.size() - 2)) == GetLe16(&report[report.size() - 2]);
}

std::size_t DeclaredLength(ReportView report) {
    if (!report.empty() && report[0] == Byte(ReportId::MacroReport)) {
        return report.size() < 3 ? 0 : GetLe16(&report[1]);
    }
    return report.size() < 2 ? 0 : report[1];
}

ReportBytes ReadRequest(ReportId id) {
    ReportBytes request(InfoOf(id).length, 0);
    request[0] = Byte(id);
    return request;
}

bool FrameValid(ReportView report, ReportId id) {
    const ReportInfo& info = InfoOf(id);
    if (report.size() != info.length || report[0] != Byte(id)) return false;
    return !info.checksum || ChecksumValid(report);
}

// ---- ControlReport ----

ReportBytes BuildControlSelect(std::uint8_t profile, std::uint8_t selectCode) {
    return {Byte(ReportId::ControlReport), profile, selectCode};
}

std::optional<ControlSelect> ParseControlSelect(ReportView report) {
    if (!FrameValid(report, ReportId::ControlReport)) return std::nullopt;
    return ControlSelect{report[1], report[2]};
}

ReportBytes BuildControlStatus(std::uint8_t status) { return {Byte(ReportId::ControlReport), status, 0}; }

std::optional<std::uint8_t> ParseControlStatus(ReportView report) {
    if (!FrameValid(report, ReportId::ControlReport)) return std::nullopt;
    return report[1];
}

// ---- ProfileReport ----

ReportBytes BuildProfileReport(std::uint8_t profile) {
    ReportBytes report = NewReport(ReportId::ProfileReport);
    report[2] = profile;
    return report;
}

std::optional<std::uint8_t> ParseProfileReport(ReportView report) {
    if (!FrameValid(report, ReportId::ProfileReport)) return std::nullopt;
    return report[2];
}

// ---- ModifyKeyReport ----

ReportBytes BuildModifyKeyReport(const ModifyKeyData& data) {
    ReportBytes report = NewReport(ReportId::ModifyKeyReport);
    report[2] = data.profile;
    report[3] = data.mask;
    return Finish(std::move(report));
}

std::optional<ModifyKeyData> ParseModifyKeyReport(ReportView report) {
    if (!FrameValid(report, ReportId::ModifyKeyReport)) return std::nullopt;
    return ModifyKeyData{report[2], report[3]};
}

std::uint8_t ModifyKeyMask(const ProfileRecord& profile) {
    std::uint8_t mask = 0;
    for (int i = 0; i < 6; ++i)
        if (profile.ModifyKey[i] == 1) mask = static_cast<std::uint8_t>(mask | (1u << i));
    return mask;
}

void ApplyModifyKeyMask(std::uint8_t mask, ProfileRecord& profile) {
    for (int i = 0; i < 6; ++i) profile.ModifyKey[i] = (mask >> i) & 1;
}

// ---- key groups ----

const KeyGroup* FindKeyGroup(ReportId id) {
    for (const KeyGroup& group : kKeyGroups)
        if (group.id == id) return &group;
    return nullptr;
}

KeyWire EncodeKey(const MacroKeyInfo& entry, int keyIndex) {
    KeyWire wire;
    wire.code =
        entry.FunctionCode == kFnStandard ? StandardCodeTable[static_cast<std::size_t>(keyIndex)] : entry.FunctionCode;
    if (wire.code == kFnShortcut) {
        wire.first = entry.Events[0].Action;    // modifier bits
        wire.second = entry.Events[0].KeyCode;  // HID usage
    }
    return wire;
}

void DecodeKey(const KeyWire& wire, int keyIndex, MacroKeyInfo& entry) {
    entry.FunctionCode = wire.code == StandardCodeTable[static_cast<std::size_t>(keyIndex)] ? kFnStandard : wire.code;
    if (entry.FunctionCode != kFnShortcut) return;
    entry.Events[0].Action = wire.first;
    entry.Events[0].KeyCode = wire.second;
    entry.EventCount = 1;
    CopyField(entry.KeyLabel, "");
    CopyField(entry.MacroSetName, "");
    CopyField(entry.MacroName, "");
}

ReportBytes BuildKeyGroupReport(const KeyGroup& group, const KeyGroupData& data) {
    ReportBytes report = NewReport(group.id);
    report[2] = data.profile;
    const auto n = static_cast<std::size_t>(group.count);
    for (std::size_t i = 0; i < n; ++i) {
        report[3 + i] = data.keys[i].code;
        if (!group.parameters) continue;
        report[3 + n + i] = data.keys[i].first;
        report[3 + 2 * n + i] = data.keys[i].second;
    }
    return Finish(std::move(report));
}

std::optional<KeyGroupData> ParseKeyGroupReport(const KeyGroup& group, ReportView report) {
    if (!FrameValid(report, group.id)) return std::nullopt;
    KeyGroupData data;
    data.profile = report[2];
    const auto n = static_cast<std::size_t>(group.count);
    for (std::size_t i = 0; i < n; ++i) {
        data.keys[i].code = report[3 + i];
        if (!group.parameters) continue;
        data.keys[i].first = report[3 + n + i];
        data.keys[i].second = report[3 + 2 * n + i];
    }
    return data;
}

KeyGroupData KeyGroupFromProfile(const KeyGroup& group, std::uint8_t profileNumber, const ProfileRecord& profile) {
    KeyGroupData data;
    data.profile = profileNumber;
    for (int i = 0; i < group.count; ++i) {
        const int key = group.firstKey + i;
        data.keys[static_cast<std::size_t>(i)] = EncodeKey(profile.Keys[key], key);
    }
    return data;
}

void ApplyKeyGroup(const KeyGroup& group, const KeyGroupData& data, ProfileRecord& profile) {
    for (int i = 0; i < group.count; ++i) {
        const int key = group.firstKey + i;
        DecodeKey(data.keys[static_cast<std::size_t>(i)], key, profile.Keys[key]);
    }
}

// ---- MacroReport ----

ReportBytes BuildMacroReport(MacroAddress address, const MacroKeyInfo& entry) {
    ReportBytes report = NewReport(ReportId::MacroReport);
    report[kMacroOffsetProfile] = address.profile;
    report[kMacroOffsetKey] = address.keyIndex;
    report[kMacroOffsetCode] = kFnMacro;
    report[kMacroOffsetOption] = LowByte(entry.MacroOption);
    PutName(&report[kMacroOffsetLabel], FieldText(entry.KeyLabel));
    PutName(&report[kMacroOffsetSet], FieldText(entry.MacroSetName));
    PutName(&report[kMacroOffsetName], FieldText(entry.MacroName));
    const auto count = std::min<std::uint16_t>(entry.EventCount, kMaxEvents);
    PutLe16(&report[kMacroOffsetCount], count);
    std::memcpy(&report[kMacroOffsetEvents], entry.Events, count * sizeof(MacroEvent));
    return Finish(std::move(report));
}

std::optional<MacroAddress> ParseMacroReport(ReportView report, MacroKeyInfo& entry) {
    if (!FrameValid(report, ReportId::MacroReport)) return std::nullopt;
    entry.KeyIndex = report[kMacroOffsetKey];
    entry.FunctionCode = kFnMacro;
    entry.MacroOption = report[kMacroOffsetOption];
    TakeName(&report[kMacroOffsetLabel], entry.KeyLabel);
    TakeName(&report[kMacroOffsetSet], entry.MacroSetName);
    TakeName(&report[kMacroOffsetName], entry.MacroName);
    const auto count = std::min<std::uint16_t>(GetLe16(&report[kMacroOffsetCount]), kMaxEvents);
    std::memset(entry.Events, 0, sizeof entry.Events);
    std::memcpy(entry.Events, &report[kMacroOffsetEvents], count * sizeof(MacroEvent));
    entry.EventCount = count;
    return MacroAddress{report[kMacroOffsetProfile], report[kMacroOffsetKey]};
}

// ---- FirmwareReport ----

ReportBytes BuildFirmwareReport(std::uint8_t version, std::uint8_t loaderVersion) {
    ReportBytes report = NewReport(ReportId::FirmwareReport);
    report[2] = version;
    report[3] = loaderVersion;
    return report;
}

std::optional<std::uint8_t> ParseFirmwareReport(ReportView report) {
    if (!FrameValid(report, ReportId::FirmwareReport)) return std::nullopt;
    return report[2];
}

// ---- LightReport ----

ReportBytes BuildLightReport(const LightData& data) {
    ReportBytes report = NewReport(ReportId::LightReport);
    report[2] = data.profile;
    report[3] = 0x03;
    report[5] = data.brightness;
    report[6] = data.dimmer;
    report[7] = data.timeout;
    return Finish(std::move(report));
}

std::optional<LightData> ParseLightReport(ReportView report) {
    if (!FrameValid(report, ReportId::LightReport)) return std::nullopt;
    return LightData{report[2], report[5], report[6], report[7]};
}

LightData LightFromProfile(std::uint8_t profileNumber, const ProfileRecord& profile) {
    return {profileNumber, LowByte(profile.LtBrightness), LowByte(profile.DimmerOption), LowByte(profile.LtTimeout)};
}

void ApplyLight(const LightData& data, ProfileRecord& profile) {
    profile.LtBrightness = data.brightness;
    profile.DimmerOption = data.dimmer;
    profile.LtTimeout = data.timeout;
}

// ---- ResetReport ----

ReportBytes BuildResetReport() {
    ReportBytes report = NewReport(ReportId::ResetReport);
    report[2] = 0x04;
    return report;
}

bool IsResetReport(ReportView report) { return FrameValid(report, ReportId::ResetReport) && report[2] == 0x04; }

// ---- SyncStampReport ----

ReportBytes BuildSyncStampReport(const SyncStamp& stamp) {
    ReportBytes report = NewReport(ReportId::SyncStampReport);
    std::copy(stamp.begin(), stamp.end(), report.begin() + 2);
    return Finish(std::move(report));
}

std::optional<SyncStamp> ParseSyncStampReport(ReportView report) {
    if (!FrameValid(report, ReportId::SyncStampReport)) return std::nullopt;
    SyncStamp stamp;
    std::copy_n(report.begin() + 2, stamp.size(), stamp.begin());
    return stamp;
}

// ---- HostStateReport ----

ReportBytes BuildHostStateReport(std::uint8_t value) {
    ReportBytes report = NewReport(ReportId::HostStateReport);
    report[2] = value;
    return report;
}

std::optional<std::uint8_t> ParseHostStateReport(ReportView report) {
    if (!FrameValid(report, ReportId::HostStateReport)) return std::nullopt;
    return report[2];
}

// ---- PactRelayReport ----

ReportBytes BuildPactRelayReport(const PactRelayData& data) {
    ReportBytes report = NewReport(ReportId::PactRelayReport);
    report[2] = data.duoLayerState;
    report[3] = data.duoLayerLock;
    return report;
}

std::optional<PactRelayData> ParsePactRelayReport(ReportView report) {
    if (!FrameValid(report, ReportId::PactRelayReport)) return std::nullopt;
    return PactRelayData{report[2], report[3]};
}

}  // namespace kelm
