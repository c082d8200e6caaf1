// The keyboard's feature reports: ids, lengths, checksum, and every report's
// builder and parser. Pure byte work, shared by both ends of the wire: the
// monitor builds the writes and parses the keyboard's answers into record
// fields; the software keyboard parses the writes and builds the answers.
//
// Framing: byte 0 is the report id; in every report the host builds except
// the ControlReport select, byte 1 is the total length (bytes 1..2 for the
// 2083-byte MacroReport); per-profile reports carry the profile 0..4 next.
// Where a report has a checksum it is the 16-bit sum of all bytes before it,
// low byte first, in the last two bytes. Unnamed bytes are zero.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "settings/ConfigFile.h"
#include "settings/SettingsRecord.h"

namespace kelm {

enum class ReportId : std::uint8_t {
    ControlReport = 0x04,
    ProfileReport = 0x05,
    ModifyKeyReport = 0x07,
    FKeyGroupReport = 0x08,
    HotGridGroupReport = 0x09,
    MediaKeyGroupReport = 0x0A,
    ThumbKeyGroupReport = 0x0B,
    MacroKeyGroupReport = 0x0D,
    MacroReport = 0x0E,
    FirmwareReport = 0x0F,
    LightReport = 0x10,
    ResetReport = 0x11,
    CapsLockReport = 0x13,
    SyncStampReport = 0x14,
    HostStateReport = 0x15,
    PactRelayReport = 0x16,
};

inline constexpr std::int16_t kNoSelect = -1;
// The MacroReport is selected by the key entry index 0..35 itself.
inline constexpr std::int16_t kSelectByKeyIndex = -2;

struct ReportInfo {
    ReportId id;
    const char* name;
    std::uint16_t length;
    bool checksum;
    std::int16_t selectCode;    // code written in the ControlReport before a read, or kNoSelect
    std::uint16_t firstWaitMs;  // first wait of the ready poll after a write; 0 when never written
};

inline constexpr std::array<ReportInfo, 16> kReportTable{{
    {ReportId::ControlReport, "ControlReport", 3, false, kNoSelect, 100},
    {ReportId::ProfileReport, "ProfileReport", 3, false, kNoSelect, 100},
    {ReportId::ModifyKeyReport, "ModifyKeyReport", 6, true, 0x50, 500},
    {ReportId::FKeyGroupReport, "FKeyGroupReport", 41, true, 0x60, 500},
    {ReportId::HotGridGroupReport, "HotGridGroupReport", 65, true, 0xB0, 500},
    {ReportId::MediaKeyGroupReport, "MediaKeyGroupReport", 29, true, 0xC0, 500},
    {ReportId::ThumbKeyGroupReport, "ThumbKeyGroupReport", 23, true, 0xD0, 200},
    {ReportId::MacroKeyGroupReport, "MacroKeyGroupReport", 35, true, 0xA0, 200},
    {ReportId::MacroReport, "MacroReport", 2083, true, kSelectByKeyIndex, 500},
    {ReportId::FirmwareReport, "FirmwareReport", 6, false, kNoSelect, 0},
    {ReportId::LightReport, "LightReport", 10, true, 0x70, 100},
    {ReportId::ResetReport, "ResetReport", 3, false, kNoSelect, 500},
    {ReportId::CapsLockReport, "CapsLockReport", 6, true, 0x90, 100},
    {ReportId::SyncStampReport, "SyncStampReport", 20, true, kNoSelect, 200},
    {ReportId::HostStateReport, "HostStateReport", 3, false, kNoSelect, 100},
    {ReportId::PactRelayReport, "PactRelayReport", 16, false, kNoSelect, 100},
}};

// nullptr for an id the keyboard does not know.
constexpr const ReportInfo* FindReportInfo(std::uint8_t id) {
    for (const ReportInfo& info : kReportTable)
        if (static_cast<std::uint8_t>(info.id) == id) return &info;
    return nullptr;
}
constexpr const ReportInfo& InfoOf(ReportId id) { return *FindReportInfo(static_cast<std::uint8_t>(id)); }

// Status byte of the ControlReport read: anything but these two ends the poll.
inline constexpr std::uint8_t kStatusReady = 1;
inline constexpr std::uint8_t kStatusBusy = 3;

using ReportBytes = std::vector<std::uint8_t>;
using ReportView = std::span<const std::uint8_t>;

// ---- framing ----

// Sum of the bytes modulo 65536.
std::uint16_t ByteSum(ReportView bytes);
// Stores the sum of all bytes but the last two in the last two, low byte first.
void SealChecksum(std::span<std::uint8_t> report);
bool ChecksumValid(ReportView report);
// The length the report declares in byte 1 (bytes 1..2 for the MacroReport);
// 0 when the report is too short to declare one.
std::size_t DeclaredLength(ReportView report);
// The zeroed buffer of a read: the id in byte 0, the report's full length.
ReportBytes ReadRequest(ReportId id);
// True when report has exactly the table length, the id in byte 0 and, where
// the report has one, a correct checksum. Every parser checks this first.
bool FrameValid(ReportView report, ReportId id);

// ---- ControlReport: select (write) and status (read) ----

struct ControlSelect {
    std::uint8_t profile;
    std::uint8_t selectCode;
};
ReportBytes BuildControlSelect(std::uint8_t profile, std::uint8_t selectCode);
std::optional<ControlSelect> ParseControlSelect(ReportView report);
ReportBytes BuildControlStatus(std::uint8_t status);
std::optional<std::uint8_t> ParseControlStatus(ReportView report);

// ---- ProfileReport: the active profile, both directions; the parser hands
// back byte 2 unchecked (a reader ignores values above 4) ----

ReportBytes BuildProfileReport(std::uint8_t profile);
std::optional<std::uint8_t> ParseProfileReport(ReportView report);

// ---- ModifyKeyReport: bit i stands for ModifyKey i ----

struct ModifyKeyData {
    std::uint8_t profile;
    std::uint8_t mask;
};
ReportBytes BuildModifyKeyReport(const ModifyKeyData& data);
std::optional<ModifyKeyData> ParseModifyKeyReport(ReportView report);
std::uint8_t ModifyKeyMask(const ProfileRecord& profile);
void ApplyModifyKeyMask(std::uint8_t mask, ProfileRecord& profile);

// ---- key groups ----

// One report carrying the function codes of consecutive key entries. Groups
// with parameters carry n codes, n first and n second parameters; the
// CapsLockReport carries its one code alone.
struct KeyGroup {
    ReportId id;
    int firstKey;
    int count;
    bool parameters;
    std::uint8_t selectCode;
    std::uint16_t firstWaitMs;

    constexpr const ReportInfo& Info() const { return InfoOf(id); }
};

namespace detail {
constexpr KeyGroup MakeKeyGroup(ReportId id, int firstKey, int count, bool parameters) {
    const ReportInfo& info = InfoOf(id);
    return {id, firstKey, count, parameters, static_cast<std::uint8_t>(info.selectCode), info.firstWaitMs};
}
}  // namespace detail

inline constexpr int kMaxGroupKeys = 20;
inline constexpr int kCapsLockKey = 56;

// In the order the settings sequences send and read them.
inline constexpr std::array<KeyGroup, 6> kKeyGroups{{
    detail::MakeKeyGroup(ReportId::FKeyGroupReport, 36, 12, true),
    detail::MakeKeyGroup(ReportId::HotGridGroupReport, 10, 20, true),
    detail::MakeKeyGroup(ReportId::MediaKeyGroupReport, 48, 8, true),
    detail::MakeKeyGroup(ReportId::ThumbKeyGroupReport, 30, 6, true),
    detail::MakeKeyGroup(ReportId::MacroKeyGroupReport, 0, 10, true),
    detail::MakeKeyGroup(ReportId::CapsLockReport, kCapsLockKey, 1, false),
}};

constexpr bool KeyGroupLengthsMatch() {
    for (const KeyGroup& group : kKeyGroups) {
        const int perKey = group.parameters ? 3 : 1;
        if (group.count > kMaxGroupKeys || 3 + perKey * group.count + 2 != group.Info().length) return false;
    }
    return true;
}
static_assert(KeyGroupLengthsMatch());

// nullptr for a report that is not a key group.
const KeyGroup* FindKeyGroup(ReportId id);

// Wire code of each key's standard function, by key entry 0..56 (entry 57
// is never sent).
inline constexpr std::array<std::uint8_t, 57> StandardCodeTable{{
    0xD3, 0xD4, 0xD5, 0xD6, 0xD7, 0xD8, 0xD9, 0xDA, 0xDB, 0xDC,              // 0..9
    0x1E, 0x1F, 0x20, 0x21, 0x22, 0x14, 0x1A, 0x08, 0x15, 0x17,              // 10..19
    0x04, 0x16, 0x07, 0x09, 0x0A, 0x1D, 0x1B, 0x06, 0x19, 0x05,              // 20..29
    0xB1, 0xDD, 0xB0, 0x39, 0xCB, 0xC0,                                      // 30..35
    0x3A, 0x3B, 0x3C, 0x3D, 0x3E, 0x3F, 0x40, 0x41, 0x42, 0x43, 0x44, 0x45,  // 36..47
    0xA0, 0xA2, 0xA1, 0xA4, 0xA5, 0xA6, 0xA8, 0xA9,                          // 48..55
    0x39,                                                                    // 56
}};

// One key as it travels: the wire code and its two parameters.
struct KeyWire {
    std::uint8_t code = 0;
    std::uint8_t first = 0;
    std::uint8_t second = 0;
    friend bool operator==(const KeyWire&, const KeyWire&) = default;
};

// Standard function (0xEF) goes out as the key's standard code; a shortcut
// (0xB8) carries its modifier bits and HID usage.
KeyWire EncodeKey(const MacroKeyInfo& entry, int keyIndex);
// The inverse: the standard code comes back as 0xEF, a shortcut takes its
// two bytes, count 1 and empty names; other fields stay as they were.
void DecodeKey(const KeyWire& wire, int keyIndex, MacroKeyInfo& entry);

struct KeyGroupData {
    std::uint8_t profile = 0;
    std::array<KeyWire, kMaxGroupKeys> keys{};  // the group's first count entries
};
ReportBytes BuildKeyGroupReport(const KeyGroup& group, const KeyGroupData& data);
// Parameters of a group without parameter bytes come back as 0.
std::optional<KeyGroupData> ParseKeyGroupReport(const KeyGroup& group, ReportView report);
KeyGroupData KeyGroupFromProfile(const KeyGroup& group, std::uint8_t profileNumber, const ProfileRecord& profile);
void ApplyKeyGroup(const KeyGroup& group, const KeyGroupData& data, ProfileRecord& profile);

// ---- MacroReport: one macro of one key entry ----

inline constexpr std::size_t kMacroNameBytes = 24;

struct MacroAddress {
    std::uint8_t profile;
    std::uint8_t keyIndex;
};
// Names go out as their first 24 characters, at most 500 events.
ReportBytes BuildMacroReport(MacroAddress address, const MacroKeyInfo& entry);
// Fills entry only when the frame is valid: KeyIndex from byte 4, code 0xBE,
// option, the three names (trailing blanks removed), at most 500 events over
// a zeroed event area. Other fields stay as they were.
std::optional<MacroAddress> ParseMacroReport(ReportView report, MacroKeyInfo& entry);

// ---- FirmwareReport: byte 2 the firmware version, byte 3 the version of
// the update mode (FirmwareUpdate.h reads it) ----

ReportBytes BuildFirmwareReport(std::uint8_t version, std::uint8_t loaderVersion = 0);
std::optional<std::uint8_t> ParseFirmwareReport(ReportView report);

// ---- LightReport ----

struct LightData {
    std::uint8_t profile;
    std::uint8_t brightness;
    std::uint8_t dimmer;
    std::uint8_t timeout;
};
ReportBytes BuildLightReport(const LightData& data);
std::optional<LightData> ParseLightReport(ReportView report);
LightData LightFromProfile(std::uint8_t profileNumber, const ProfileRecord& profile);
void ApplyLight(const LightData& data, ProfileRecord& profile);

// ---- ResetReport ----

ReportBytes BuildResetReport();
bool IsResetReport(ReportView report);

// ---- SyncStampReport ----

ReportBytes BuildSyncStampReport(const SyncStamp& stamp);
std::optional<SyncStamp> ParseSyncStampReport(ReportView report);

// ---- HostStateReport: 1 once the host has read the keyboard, 0 when it leaves ----

ReportBytes BuildHostStateReport(std::uint8_t value);
std::optional<std::uint8_t> ParseHostStateReport(ReportView report);

// ---- PactRelayReport: the layer state of the maker's other devices ----

struct PactRelayData {
    std::uint8_t duoLayerState;
    std::uint8_t duoLayerLock;
};
ReportBytes BuildPactRelayReport(const PactRelayData& data);
std::optional<PactRelayData> ParsePactRelayReport(ReportView report);

}  // namespace kelm
