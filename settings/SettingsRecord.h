// The one data model of the keyboard's settings. Both programs copy these
// records byte for byte through shared memory and store key entries as raw
// bytes in profile files, so every offset below is a binary format.
#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <type_traits>

namespace kelm {

static_assert(std::endian::native == std::endian::little,
              "records are exchanged as little-endian bytes");

inline constexpr int kProfileCount = 5;
inline constexpr int kKeyCount = 58;
inline constexpr int kMaxEvents = 500;
// Key entries 0..35 are the only ones whose macro travels to the keyboard.
inline constexpr int kMacroCapableKeys = 36;

inline constexpr std::uint8_t kFnShortcut = 0xB8;
inline constexpr std::uint8_t kFnQuickLaunch = 0xB9;
inline constexpr std::uint8_t kFnTimer = 0xBC;
inline constexpr std::uint8_t kFnMacro = 0xBE;
inline constexpr std::uint8_t kFnStandard = 0xEF;

enum MacroAction : std::uint8_t { kActionPress = 1, kActionRelease = 2 };

struct MacroEvent {
    std::uint8_t KeyCode;  // HID usage, or 0xF0..0xF4 for mouse buttons
    std::uint8_t Action;   // MacroAction
    std::uint16_t Delay;   // milliseconds after this event
};

struct MacroKeyInfo {
    std::uint8_t KeyIndex;
    std::uint8_t FunctionCode;
    std::uint8_t Pad0[2];
    std::int32_t TargetDevice;
    char KeyLabel[50];
    char MacroSetName[50];
    char MacroName[50];
    std::uint8_t Pad1[2];
    std::int32_t MacroOption;
    std::uint16_t EventCount;
    MacroEvent Events[kMaxEvents];
    std::uint8_t Pad2[2];
    std::int32_t TimerSeconds;
    char TimerName[100];
    char QuickLaunchPath[260];
};

struct ProfileRecord {
    char ProFileName[250];
    char GameFile0[500];
    char GameFile1[500];
    char GameFile2[500];
    std::uint8_t Pad0[2];
    std::int32_t KBDelay;
    std::int32_t KBSpeed;
    std::int32_t MediaOption;
    std::int32_t HDDKeyboard;
    std::int32_t LtBrightness;
    std::int32_t DimmerOption;
    std::int32_t LtTimeout;
    std::int32_t ModifyKey[6];
    std::int32_t SoundProfile;
    std::int32_t SoundLRecord;
    std::int32_t SoundSens;
    std::int32_t VolumeUpDown;
    std::int32_t SoundVolume;
    MacroKeyInfo Keys[kKeyCount];
};

// A flag counts as set only when it holds exactly 1.
struct ChangeFlags {
    std::int32_t KeyChanged[kProfileCount][kKeyCount];
    std::int32_t HDDKeyboardChanged[kProfileCount];
    std::int32_t ModifyKeyChanged[kProfileCount];
    std::int32_t LightChanged[kProfileCount];
    std::int32_t CurrentProfileChanged;
};

struct SettingsRecord {
    std::int32_t CurrentProfile;  // 0..4; anything else means none
    std::int32_t WindowsProfile;  // fallback slot, anything outside 0..4 means none
    std::int32_t QuickHelpLan;    // language index 0..16, -1 not chosen
    std::int32_t MouseType;
    ProfileRecord Profiles[kProfileCount];
    ChangeFlags Flags;
};

inline constexpr bool IsFlagSet(std::int32_t flag) { return flag == 1; }
inline constexpr bool IsValidSlot(std::int32_t slot) { return slot >= 0 && slot < kProfileCount; }

static_assert(sizeof(MacroEvent) == 4);
static_assert(sizeof(MacroKeyInfo) == 2532);
static_assert(offsetof(MacroKeyInfo, TargetDevice) == 4);
static_assert(offsetof(MacroKeyInfo, KeyLabel) == 8);
static_assert(offsetof(MacroKeyInfo, MacroSetName) == 58);
static_assert(offsetof(MacroKeyInfo, MacroName) == 108);
static_assert(offsetof(MacroKeyInfo, MacroOption) == 160);
static_assert(offsetof(MacroKeyInfo, EventCount) == 164);
static_assert(offsetof(MacroKeyInfo, Events) == 166);
static_assert(offsetof(MacroKeyInfo, TimerSeconds) == 2168);
static_assert(offsetof(MacroKeyInfo, TimerName) == 2172);
static_assert(offsetof(MacroKeyInfo, QuickLaunchPath) == 2272);

static_assert(sizeof(ProfileRecord) == 148680);
static_assert(offsetof(ProfileRecord, GameFile0) == 250);
static_assert(offsetof(ProfileRecord, GameFile1) == 750);
static_assert(offsetof(ProfileRecord, GameFile2) == 1250);
static_assert(offsetof(ProfileRecord, KBDelay) == 1752);
static_assert(offsetof(ProfileRecord, KBSpeed) == 1756);
static_assert(offsetof(ProfileRecord, MediaOption) == 1760);
static_assert(offsetof(ProfileRecord, HDDKeyboard) == 1764);
static_assert(offsetof(ProfileRecord, LtBrightness) == 1768);
static_assert(offsetof(ProfileRecord, DimmerOption) == 1772);
static_assert(offsetof(ProfileRecord, LtTimeout) == 1776);
static_assert(offsetof(ProfileRecord, ModifyKey) == 1780);
static_assert(offsetof(ProfileRecord, SoundProfile) == 1804);
static_assert(offsetof(ProfileRecord, SoundLRecord) == 1808);
static_assert(offsetof(ProfileRecord, SoundSens) == 1812);
static_assert(offsetof(ProfileRecord, VolumeUpDown) == 1816);
static_assert(offsetof(ProfileRecord, SoundVolume) == 1820);
static_assert(offsetof(ProfileRecord, Keys) == 1824);

static_assert(sizeof(ChangeFlags) == 1224);
static_assert(offsetof(ChangeFlags, HDDKeyboardChanged) == 744576 - 743416);
static_assert(offsetof(ChangeFlags, ModifyKeyChanged) == 744596 - 743416);
static_assert(offsetof(ChangeFlags, LightChanged) == 744616 - 743416);
static_assert(offsetof(ChangeFlags, CurrentProfileChanged) == 744636 - 743416);

static_assert(sizeof(SettingsRecord) == 744640);
static_assert(offsetof(SettingsRecord, Profiles) == 16);
static_assert(offsetof(SettingsRecord, Flags) == 743416);

// Every record is exchanged by plain byte copies.
static_assert(std::is_trivially_copyable_v<SettingsRecord>);

}  // namespace kelm
