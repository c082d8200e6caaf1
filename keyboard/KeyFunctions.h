// The key function catalogue: the programmable keys of a profile by index,
// the function codes KelmSetup offers with their labels and menu commands,
// and the one routine that stores a menu choice in a key entry, so that
// every assignment page labels and stores alike. The monitor carries the
// same codes out; the numbers here are the ones both programs use.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "settings/MacroLibrary.h"
#include "settings/SettingsRecord.h"
#include "settings/StoreLocation.h"

namespace kelm {

// ---- Key indexes ---------------------------------------------------------

enum class KeyLayer : std::uint8_t { Standard, DuoLayer };

struct KeyIndexRow {
    const char* slotName;  // the slot's field name on its page
    KeyLayer layer;
    bool hotGrid;      // the DuoLayer layer of the left key block
    std::int8_t twin;  // the same physical key's other layer; -1 none
};

// Indexed by key index 0..57. CapsLk and ECapsLk are twins but not a
// DuoLayer pair: only kDuoLayerPairs take part in the pair rule.
// clang-format off
inline constexpr std::array<KeyIndexRow, kKeyCount> kKeyIndexTable{{
    {"M1", KeyLayer::Standard, false, 5}, {"M2", KeyLayer::Standard, false, 6},
    {"M3", KeyLayer::Standard, false, 7}, {"M4", KeyLayer::Standard, false, 8},
    {"M5", KeyLayer::Standard, false, 9},
    {"EM1", KeyLayer::DuoLayer, false, 0}, {"EM2", KeyLayer::DuoLayer, false, 1},
    {"EM3", KeyLayer::DuoLayer, false, 2}, {"EM4", KeyLayer::DuoLayer, false, 3},
    {"EM5", KeyLayer::DuoLayer, false, 4},
    {"1", KeyLayer::DuoLayer, true, -1}, {"2", KeyLayer::DuoLayer, true, -1}, {"3", KeyLayer::DuoLayer, true, -1},
    {"4", KeyLayer::DuoLayer, true, -1}, {"5", KeyLayer::DuoLayer, true, -1},
    {"Q", KeyLayer::DuoLayer, true, -1}, {"W", KeyLayer::DuoLayer, true, -1}, {"E", KeyLayer::DuoLayer, true, -1},
    {"R", KeyLayer::DuoLayer, true, -1}, {"T", KeyLayer::DuoLayer, true, -1},
    {"A", KeyLayer::DuoLayer, true, -1}, {"S", KeyLayer::DuoLayer, true, -1}, {"D", KeyLayer::DuoLayer, true, -1},
    {"F", KeyLayer::DuoLayer, true, -1}, {"G", KeyLayer::DuoLayer, true, -1},
    {"Z", KeyLayer::DuoLayer, true, -1}, {"X", KeyLayer::DuoLayer, true, -1}, {"C", KeyLayer::DuoLayer, true, -1},
    {"V", KeyLayer::DuoLayer, true, -1}, {"B", KeyLayer::DuoLayer, true, -1},
    {"T1", KeyLayer::Standard, false, 33}, {"T2", KeyLayer::Standard, false, 34},
    {"T3", KeyLayer::Standard, false, 35},
    {"ET1", KeyLayer::DuoLayer, false, 30}, {"ET2", KeyLayer::DuoLayer, false, 31},
    {"ET3", KeyLayer::DuoLayer, false, 32},
    {"F1", KeyLayer::Standard, false, -1}, {"F2", KeyLayer::Standard, false, -1},
    {"F3", KeyLayer::Standard, false, -1}, {"F4", KeyLayer::Standard, false, -1},
    {"F5", KeyLayer::Standard, false, -1}, {"F6", KeyLayer::Standard, false, -1},
    {"F7", KeyLayer::Standard, false, -1}, {"F8", KeyLayer::Standard, false, -1},
    {"F9", KeyLayer::Standard, false, -1}, {"F10", KeyLayer::Standard, false, -1},
    {"F11", KeyLayer::Standard, false, -1}, {"F12", KeyLayer::Standard, false, -1},
    {"MM1", KeyLayer::Standard, false, -1}, {"MM2", KeyLayer::Standard, false, -1},
    {"MM3", KeyLayer::Standard, false, -1}, {"MM4", KeyLayer::Standard, false, -1},
    {"MM5", KeyLayer::Standard, false, -1}, {"MM6", KeyLayer::Standard, false, -1},
    {"MM7", KeyLayer::Standard, false, -1}, {"MM8", KeyLayer::Standard, false, -1},
    {"CapsLk", KeyLayer::Standard, false, 57}, {"ECapsLk", KeyLayer::DuoLayer, false, 56},
}};
// clang-format on

struct DuoLayerPair {
    std::uint8_t standardKey;
    std::uint8_t duoLayerKey;
};

// In the order the pair rule checks them: pair 1 first.
inline constexpr std::array<DuoLayerPair, 8> kDuoLayerPairs{
    {{30, 33}, {31, 34}, {32, 35}, {0, 5}, {1, 6}, {2, 7}, {3, 8}, {4, 9}}};

// The label of code 0xEF on keyIndex; "" outside 0..57.
std::string StandardLabel(int keyIndex);

// ---- Function codes and menu commands -------------------------------------

inline constexpr std::uint8_t kFnDisabled = 0x00;
inline constexpr std::uint8_t kFnDuoLayerAllDevices = 0x8C;
inline constexpr std::uint8_t kFnDuoLayerVask = 0xF5;
inline constexpr std::uint8_t kFnDuoLayerVaskLock = 0xF6;
inline constexpr std::uint8_t kFnDuoLayerKelm = 0xFF;
// What the pair rule gives a twin while its standard key acts as DuoLayer.
inline constexpr std::uint8_t kFnDisabledByPair = 0xDF;

// TargetDevice values; any other value means none.
inline constexpr std::int32_t kTargetVask = 257;
inline constexpr std::int32_t kTargetAllDevices = 65535;

// The commands that do not map one to one onto a catalogue row.
inline constexpr int kCmdCreateTimer = 500;
inline constexpr int kCmdEditTimers = 501;
inline constexpr int kCmdFirstTimer = 505;  // + timer index, up to kMaxTimers
inline constexpr int kCmdCreateMacro = 1099;
inline constexpr int kCmdFirstMacro = 1100;          // + 100 × set + macro
inline constexpr int kCmdFirstEditMacroSet = 11100;  // + set index
inline constexpr int kCmdFirstPact = 11200;          // + 10 × group + item
inline constexpr int kCmdLastPact = 11299;

constexpr int TimerCommand(int timerIndex) { return kCmdFirstTimer + timerIndex; }
constexpr int MacroCommand(int setIndex, int macroIndex) { return kCmdFirstMacro + 100 * setIndex + macroIndex; }
constexpr int EditMacroSetCommand(int setIndex) { return kCmdFirstEditMacroSet + setIndex; }

enum class LabelRule : std::uint8_t {
    Text,         // label
    Standard,     // StandardLabel of the entry's KeyIndex
    Shortcut,     // modifier prefix and usage name; "" when EventCount is 0
    QuickLaunch,  // file name and extension of QuickLaunchPath
    Timer,        // TimerName
    Macro,        // MacroName
    Vask,         // label when TargetDevice is kTargetVask, else otherLabel
    Steadix,      // label when TargetDevice is kTargetVask, then Steadix slot label code − 0xF7
};

// What a command storing the code writes besides FunctionCode. TargetDevice
// belongs to the command, not the code: only the Pact commands write it.
enum class Stores : std::uint8_t {
    Cleared,      // the macro fields cleared
    Shortcut,     // EventCount 1, Events bytes 0-1, both names zeroed
    QuickLaunch,  // QuickLaunchPath; cleared
    Timer,        // TimerSeconds, TimerName; cleared
    Macro,        // the library macro: names, MacroOption, EventCount, Events
};

struct FunctionRow {
    std::uint8_t code;
    LabelRule rule;
    const char* label;
    const char* otherLabel;  // LabelRule::Vask only
    const char* menuText;    // nullptr when made at run time or when no menu offers the code
    int firstCommand;        // 0: no menu command stores the code
    int lastCommand;
    Stores stores;
};

// Ordered by code, one row per code KelmSetup names.
// clang-format off
inline constexpr FunctionRow kFunctionCatalogue[] = {
    {0x00, LabelRule::Text, "Disabled", nullptr, "Disabled", 1011, 1011, Stores::Cleared},
    {0x39, LabelRule::Text, "Caps Lock", nullptr, nullptr, 0, 0, Stores::Cleared},
    {0x81, LabelRule::Text, "Shut Down", nullptr, "Shut Down", 1047, 1047, Stores::Cleared},
    {0x82, LabelRule::Text, "Sleep", nullptr, "Sleep", 1048, 1048, Stores::Cleared},
    {0x83, LabelRule::Text, "Wake", nullptr, "Wake", 1049, 1049, Stores::Cleared},
    {0x8C, LabelRule::Text, "DuoLayer[+] all devices", nullptr, "DuoLayer[+] all devices", 11200, 11200, Stores::Cleared},
    {0x8D, LabelRule::Text, "DuoLayer[+] all Lock", nullptr, nullptr, 0, 0, Stores::Cleared},
    {0xB0, LabelRule::Text, "Profile Up", nullptr, "Profile Up", 1021, 1021, Stores::Cleared},
    {0xB1, LabelRule::Text, "Profile Down", nullptr, "Profile Down", 1022, 1022, Stores::Cleared},
    {0xB2, LabelRule::Text, "Profile Cycle", nullptr, "Profile Cycle", 1020, 1020, Stores::Cleared},
    {0xB3, LabelRule::Text, "Profile 1", nullptr, "Profile 1", 1023, 1023, Stores::Cleared},
    {0xB4, LabelRule::Text, "Profile 2", nullptr, "Profile 2", 1024, 1024, Stores::Cleared},
    {0xB5, LabelRule::Text, "Profile 3", nullptr, "Profile 3", 1025, 1025, Stores::Cleared},
    {0xB6, LabelRule::Text, "Profile 4", nullptr, "Profile 4", 1026, 1026, Stores::Cleared},
    {0xB7, LabelRule::Text, "Profile 5", nullptr, "Profile 5", 1027, 1027, Stores::Cleared},
    {0xB8, LabelRule::Shortcut, nullptr, nullptr, "Assign a Shortcut", 1005, 1005, Stores::Shortcut},
    {0xB9, LabelRule::QuickLaunch, nullptr, nullptr, "Quicklaunch", 1010, 1010, Stores::QuickLaunch},
    {0xBA, LabelRule::Text, "Macro-Play/Pause", nullptr, "Macro-Play/Pause", 1003, 1003, Stores::Cleared},
    {0xBB, LabelRule::Text, "Macro-Stop", nullptr, nullptr, 0, 0, Stores::Cleared},
    {0xBC, LabelRule::Timer, nullptr, nullptr, nullptr, kCmdFirstTimer, kCmdFirstTimer + kMaxTimers - 1,
     Stores::Timer},
    {0xBD, LabelRule::Text, "Stop Timer", nullptr, "Stop Timer", 502, 502, Stores::Cleared},
    {0xBE, LabelRule::Macro, nullptr, nullptr, nullptr, kCmdFirstMacro,
     MacroCommand(kMaxMacroSets - 1, kMaxMacrosPerSet - 1), Stores::Macro},
    {0xC0, LabelRule::Text, "EMail", nullptr, "EMail", 1006, 1006, Stores::Cleared},
    {0xC1, LabelRule::Text, "Calculator", nullptr, "Calculator", 1007, 1007, Stores::Cleared},
    {0xC2, LabelRule::Text, "My Computer", nullptr, "My Computer", 1008, 1008, Stores::Cleared},
    {0xC3, LabelRule::Text, "IE Browser", nullptr, "IE Browser", 1009, 1009, Stores::Cleared},
    {0xC4, LabelRule::Text, "WWW Search", nullptr, "WWW Search", 1040, 1040, Stores::Cleared},
    {0xC5, LabelRule::Text, "WWW Home", nullptr, "WWW Home", 1041, 1041, Stores::Cleared},
    {0xC6, LabelRule::Text, "WWW Back", nullptr, "WWW Back", 1042, 1042, Stores::Cleared},
    {0xC7, LabelRule::Text, "WWW Forward", nullptr, "WWW Forward", 1043, 1043, Stores::Cleared},
    {0xC8, LabelRule::Text, "WWW Stop", nullptr, "WWW Stop", 1044, 1044, Stores::Cleared},
    {0xC9, LabelRule::Text, "WWW Refresh", nullptr, "WWW Refresh", 1045, 1045, Stores::Cleared},
    {0xCA, LabelRule::Text, "WWW Favorites", nullptr, "WWW Favorites", 1046, 1046, Stores::Cleared},
    {0xCB, LabelRule::Text, "Open Player", nullptr, "Open Player", 1033, 1033, Stores::Cleared},
    {0xCC, LabelRule::Text, "Play/Pause", nullptr, "Play/Pause", 1036, 1036, Stores::Cleared},
    {0xCD, LabelRule::Text, "Next Track", nullptr, "Next Track", 1035, 1035, Stores::Cleared},
    {0xCE, LabelRule::Text, "Previous Track", nullptr, "Previous Track", 1034, 1034, Stores::Cleared},
    {0xCF, LabelRule::Text, "Stop", nullptr, "Stop", 1037, 1037, Stores::Cleared},
    {0xD0, LabelRule::Text, "Windows Volume Up", nullptr, "Windows Volume Up", 1031, 1031, Stores::Cleared},
    {0xD1, LabelRule::Text, "Windows Volume Down", nullptr, "Windows Volume Down", 1032, 1032, Stores::Cleared},
    {0xD2, LabelRule::Text, "Windows Mute", nullptr, "Windows Mute", 1030, 1030, Stores::Cleared},
    {0xD3, LabelRule::Text, "Shift+1", nullptr, nullptr, 0, 0, Stores::Cleared},
    {0xD4, LabelRule::Text, "Shift+2", nullptr, nullptr, 0, 0, Stores::Cleared},
    {0xD5, LabelRule::Text, "Shift+3", nullptr, nullptr, 0, 0, Stores::Cleared},
    {0xD6, LabelRule::Text, "Shift+4", nullptr, nullptr, 0, 0, Stores::Cleared},
    {0xD7, LabelRule::Text, "Shift+5", nullptr, nullptr, 0, 0, Stores::Cleared},
    {0xD8, LabelRule::Text, "Ctrl+1", nullptr, nullptr, 0, 0, Stores::Cleared},
    {0xD9, LabelRule::Text, "Ctrl+2", nullptr, nullptr, 0, 0, Stores::Cleared},
    {0xDA, LabelRule::Text, "Ctrl+3", nullptr, nullptr, 0, 0, Stores::Cleared},
    {0xDB, LabelRule::Text, "Ctrl+4", nullptr, nullptr, 0, 0, Stores::Cleared},
    {0xDC, LabelRule::Text, "Ctrl+5", nullptr, nullptr, 0, 0, Stores::Cleared},
    {0xDD, LabelRule::Text, "Open Driver", nullptr, "Open Driver", 1060, 1060, Stores::Cleared},
    {0xDF, LabelRule::Text, "Disabled", nullptr, nullptr, 0, 0, Stores::Cleared},
    {0xEF, LabelRule::Standard, nullptr, nullptr, "Standard", 1001, 1001, Stores::Cleared},
    {0xF5, LabelRule::Vask, "DuoLayer[+] Vask[+]", "DuoLayer Standard", "DuoLayer[+] Vask[+]",
     11210, 11210, Stores::Cleared},
    {0xF6, LabelRule::Vask, "DuoLayer[+] Vask[+] Lock", "DuoLayer Lock/Unlock", "DuoLayer[+] Vask[+] Lock/Unlock",
     11211, 11211, Stores::Cleared},
    {0xF7, LabelRule::Steadix, "Vask[+] ", nullptr, nullptr, 11212, 11212, Stores::Cleared},
    {0xF8, LabelRule::Steadix, "Vask[+] ", nullptr, nullptr, 11213, 11213, Stores::Cleared},
    {0xF9, LabelRule::Steadix, "Vask[+] ", nullptr, nullptr, 11214, 11214, Stores::Cleared},
    {0xFA, LabelRule::Steadix, "Vask[+] ", nullptr, nullptr, 11215, 11215, Stores::Cleared},
    {0xFB, LabelRule::Steadix, "Vask[+] ", nullptr, nullptr, 11216, 11216, Stores::Cleared},
    {0xFF, LabelRule::Text, "DuoLayer[+] Kelm", nullptr, "DuoLayer[+] Kelm", 1002, 1002, Stores::Cleared},
};
// clang-format on

// The catalogue row of code, or nullptr for a code KelmSetup does not name.
const FunctionRow* FindFunction(std::uint8_t code);

// The code a menu command stores; nullopt for the commands that store none
// (create or edit a macro or timer) and for unknown numbers.
std::optional<std::uint8_t> FunctionCodeForCommand(int command);
// The TargetDevice a Pact command writes; nullopt for every other command.
std::optional<std::int32_t> TargetDeviceForCommand(int command);

// Codes by which a standard key acts as a DuoLayer key, which disable its
// twin under the pair rule.
constexpr bool IsDuoLayerFunction(std::uint8_t code) {
    return code == kFnDuoLayerAllDevices || code == kFnDuoLayerVask || code == kFnDuoLayerVaskLock ||
           code == kFnDuoLayerKelm;
}

// ---- Steadix labels -------------------------------------------------------

// The companion mouse's DPI steps 1..5 as its own software stores them.
using SteadixDpi = std::array<std::int32_t, 5>;

enum class SteadixForm : std::uint8_t { Menu, Slot };

// From "Steadix.ini" in the shared folder; a missing file or key reads 0.
SteadixDpi ReadSteadixDpi(const StoreLocation& where);

// "Steadix %d DPI" (menu) or "Steadix %d" (slot) with the DPI of step
// 0..4, or "Steadix #n" (n = step + 1) when that DPI is 0; "" for any other
// step.
std::string SteadixLabel(int step, SteadixForm form, const SteadixDpi& dpi);
// The same with the DPI values as the shared folder holds them now, since
// the mouse's software may change them at any time.
std::string SteadixLabel(int step, SteadixForm form);

// ---- Labels ---------------------------------------------------------------

// The text a slot shows for entry; "" for codes outside the catalogue.
// Text fields without a terminator are read to their end and no further.
std::string FunctionLabel(const MacroKeyInfo& entry, const SteadixDpi& dpi);
// The same, reading the DPI values only for a Steadix code.
std::string FunctionLabel(const MacroKeyInfo& entry);

// ---- Storing a menu choice ------------------------------------------------

// Modifier bits of a shortcut, Events byte 1.
inline constexpr std::uint8_t kShortcutNone = 0x01;
inline constexpr std::uint8_t kShortcutShift = 0x02;
inline constexpr std::uint8_t kShortcutCtrl = 0x04;
inline constexpr std::uint8_t kShortcutAlt = 0x08;
inline constexpr std::uint8_t kShortcutWin = 0x10;

struct ShortcutChoice {
    std::uint8_t usage = 0;      // a key code with a row in the key-code table
    std::uint8_t modifiers = 0;  // kShortcut* bits
};

// What the dialogs and lists behind a command give it. Each command reads
// only its own member: 1005 shortcut, 1010 quickLaunchPath, 505..554 the
// timer of index command − 505, 1100..11099 the macro of set
// (command − 1100) / 100, index (command − 1100) % 100.
struct FunctionCommandData {
    ShortcutChoice shortcut;
    std::string_view quickLaunchPath;
    const TimerList* timers = nullptr;
    const MacroLibrary* library = nullptr;
};

// Stores the choice of command in entry as the catalogue says: FunctionCode,
// the fields of the row's Stores, and TargetDevice for Pact commands only;
// every other byte stays as it was. KeyChanged and the pair rule are the
// caller's, who knows the record and the key index.
//
// False, with entry untouched, for a command that stores no code or is
// unknown, and when the command's data is missing: the timer or macro is not
// in the list, the shortcut key has no row in the key-code table, or the
// path does not fit QuickLaunchPath with its terminator (a cut path would
// start another program). A shortcut with kShortcutNone keeps that bit
// alone; bits above kShortcutWin are dropped.
bool ApplyFunctionCommand(MacroKeyInfo& entry, int command, const FunctionCommandData& data = {});

}  // namespace kelm
