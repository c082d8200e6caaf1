// The key function catalogue: key indexes, labels of every code, the menu
// command map over every command number, and what each command stores,
// checked on whole 2532-byte entries so that a stray byte shows.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "keyboard/KeyFunctions.h"
#include "settings/Text.h"
#include "tests/support/ScopedEnv.h"
#include "tests/support/TempFolder.h"

namespace kelm {
namespace {

// Every byte set, none zero, and no text field terminated.
MacroKeyInfo Patterned() {
    MacroKeyInfo entry;
    auto* bytes = reinterpret_cast<unsigned char*>(&entry);
    for (std::size_t i = 0; i < sizeof entry; ++i) bytes[i] = static_cast<unsigned char>(0x41 + i % 23);
    return entry;
}

// The offset of the first byte that differs, or -1.
long FirstDifference(const MacroKeyInfo& a, const MacroKeyInfo& b) {
    const auto* x = reinterpret_cast<const unsigned char*>(&a);
    const auto* y = reinterpret_cast<const unsigned char*>(&b);
    for (std::size_t i = 0; i < sizeof a; ++i)
        if (x[i] != y[i]) return static_cast<long>(i);
    return -1;
}

TEST(KeyFunctions, KeyIndexesNameTheirSlotsLayersAndTwins) {
    const char* const names[kKeyCount] = {
        "M1",  "M2",  "M3",  "M4",  "M5",  "EM1", "EM2", "EM3", "EM4", "EM5", "1",   "2",      "3",      "4",  "5",
        "Q",   "W",   "E",   "R",   "T",   "A",   "S",   "D",   "F",   "G",   "Z",   "X",      "C",      "V",  "B",
        "T1",  "T2",  "T3",  "ET1", "ET2", "ET3", "F1",  "F2",  "F3",  "F4",  "F5",  "F6",     "F7",     "F8", "F9",
        "F10", "F11", "F12", "MM1", "MM2", "MM3", "MM4", "MM5", "MM6", "MM7", "MM8", "CapsLk", "ECapsLk"};
    const std::map<int, int> twins = {{0, 5}, {1, 6}, {2, 7}, {3, 8}, {4, 9}, {30, 33}, {31, 34}, {32, 35}, {56, 57}};
    for (int i = 0; i < kKeyCount; ++i) {
        const KeyIndexRow& row = kKeyIndexTable[static_cast<std::size_t>(i)];
        EXPECT_STREQ(row.slotName, names[i]) << i;
        const bool duo = (i >= 5 && i <= 29) || (i >= 33 && i <= 35) || i == 57;
        EXPECT_EQ(row.layer, duo ? KeyLayer::DuoLayer : KeyLayer::Standard) << i;
        EXPECT_EQ(row.hotGrid, i >= 10 && i <= 29) << i;
        int twin = -1;
        for (const auto& [a, b] : twins) twin = a == i ? b : b == i ? a : twin;
        EXPECT_EQ(row.twin, twin) << i;
    }
    const std::pair<int, int> pairs[] = {{30, 33}, {31, 34}, {32, 35}, {0, 5}, {1, 6}, {2, 7}, {3, 8}, {4, 9}};
    ASSERT_EQ(kDuoLayerPairs.size(), std::size(pairs));
    for (std::size_t p = 0; p < std::size(pairs); ++p) {
        EXPECT_EQ(kDuoLayerPairs[p].standardKey, pairs[p].first) << p;
        EXPECT_EQ(kDuoLayerPairs[p].duoLayerKey, pairs[p].second) << p;
    }
}

TEST(KeyFunctions, StandardLabelOfEveryKeyIndex) {
    // clang-format off
    const char* const want[kKeyCount] = {
        "Shift+1", "Shift+2", "Shift+3", "Shift+4", "Shift+5", "Ctrl+1", "Ctrl+2", "Ctrl+3", "Ctrl+4", "Ctrl+5",
        "1", "2", "3", "4", "5", "Q", "W", "E", "R", "T",
        "A", "S", "D", "F", "G", "Z", "X", "C", "V", "B",
        "Profile Down", "Open Driver", "Profile Up", "Caps Lock", "Open Player", "EMail", "F1", "F2", "F3", "F4",
        "F5", "F6", "F7", "F8", "F9", "F10", "F11", "F12", "Windows Mute", "Windows Volume Down",
        "Windows Volume Up", "Play/Pause", "Previous Track", "Next Track", "IE Browser", "My Computer", "Caps Lock", "",
    };
    // clang-format on
    for (int i = 0; i < kKeyCount; ++i) EXPECT_EQ(StandardLabel(i), want[i]) << i;
    for (const int outside : {-1, 58, 255, 100000}) EXPECT_EQ(StandardLabel(outside), "") << outside;
}

struct LabelCase {
    int code;
    std::int32_t target;
    const char* label;
};

TEST(KeyFunctions, LabelOfEveryCodeAndNoneForCodesOutsideTheCatalogue) {
    // clang-format off
    const LabelCase cases[] = {
        {0x00, 0, "Disabled"}, {0x39, 0, "Caps Lock"}, {0x81, 0, "Shut Down"}, {0x82, 0, "Sleep"},
        {0x83, 0, "Wake"}, {0x8C, 0, "DuoLayer[+] all devices"}, {0x8D, 0, "DuoLayer[+] all Lock"},
        {0xB0, 0, "Profile Up"},
        {0xB1, 0, "Profile Down"}, {0xB2, 0, "Profile Cycle"}, {0xB3, 0, "Profile 1"}, {0xB4, 0, "Profile 2"},
        {0xB5, 0, "Profile 3"}, {0xB6, 0, "Profile 4"}, {0xB7, 0, "Profile 5"}, {0xB8, 0, "Ctrl+Alt+Q"},
        {0xB9, 0, "run.exe"}, {0xBA, 0, "Macro-Play/Pause"}, {0xBB, 0, "Macro-Stop"}, {0xBC, 0, "Tea"},
        {0xBD, 0, "Stop Timer"}, {0xBE, 0, "Combo"}, {0xC0, 0, "EMail"}, {0xC1, 0, "Calculator"},
        {0xC2, 0, "My Computer"}, {0xC3, 0, "IE Browser"}, {0xC4, 0, "WWW Search"}, {0xC5, 0, "WWW Home"},
        {0xC6, 0, "WWW Back"}, {0xC7, 0, "WWW Forward"}, {0xC8, 0, "WWW Stop"}, {0xC9, 0, "WWW Refresh"},
        {0xCA, 0, "WWW Favorites"}, {0xCB, 0, "Open Player"}, {0xCC, 0, "Play/Pause"}, {0xCD, 0, "Next Track"},
        {0xCE, 0, "Previous Track"}, {0xCF, 0, "Stop"}, {0xD0, 0, "Windows Volume Up"},
        {0xD1, 0, "Windows Volume Down"},
        {0xD2, 0, "Windows Mute"}, {0xD3, 0, "Shift+1"}, {0xD4, 0, "Shift+2"}, {0xD5, 0, "Shift+3"},
        {0xD6, 0, "Shift+4"}, {0xD7, 0, "Shift+5"}, {0xD8, 0, "Ctrl+1"}, {0xD9, 0, "Ctrl+2"},
        {0xDA, 0, "Ctrl+3"}, {0xDB, 0, "Ctrl+4"}, {0xDC, 0, "Ctrl+5"}, {0xDD, 0, "Open Driver"},
        {0xDF, 0, "Disabled"}, {0xEF, 0, "F3"}, {0xFF, 0, "DuoLayer[+] Kelm"},
        {0xF5, 257, "DuoLayer[+] Vask[+]"}, {0xF5, 65535, "DuoLayer Standard"},
        {0xF6, 257, "DuoLayer[+] Vask[+] Lock"}, {0xF6, 0, "DuoLayer Lock/Unlock"},
        {0xF7, 257, "Vask[+] Steadix 400"}, {0xF8, 257, "Vask[+] Steadix #2"}, {0xF9, 65535, "Steadix 1600"},
        {0xFA, 0, "Steadix #4"}, {0xFB, 256, "Steadix -5"},
    };
    // clang-format on
    const SteadixDpi dpi = {400, 0, 1600, 0, -5};
    MacroKeyInfo entry{};
    entry.KeyIndex = 38;
    entry.EventCount = 1;
    entry.Events[0] = {0x14, kShortcutCtrl | kShortcutAlt, 0};
    CopyField(entry.QuickLaunchPath, "C:\\Games\\Big/run.exe");
    CopyField(entry.TimerName, "Tea");
    CopyField(entry.MacroName, "Combo");
    CopyField(entry.MacroSetName, "Set");
    std::map<int, int> seen;
    for (const LabelCase& c : cases) {
        entry.FunctionCode = static_cast<std::uint8_t>(c.code);
        entry.TargetDevice = c.target;
        EXPECT_EQ(FunctionLabel(entry, dpi), c.label) << std::hex << c.code << " " << c.target;
        ++seen[c.code];
        ASSERT_NE(FindFunction(entry.FunctionCode), nullptr) << c.code;
    }
    EXPECT_EQ(seen.size(), std::size(kFunctionCatalogue));
    for (int code = 0; code <= 0xFF; ++code) {
        if (seen.count(code) != 0) continue;
        entry.FunctionCode = static_cast<std::uint8_t>(code);
        EXPECT_EQ(FunctionLabel(entry, dpi), "") << code;
        EXPECT_EQ(FindFunction(entry.FunctionCode), nullptr) << code;
    }
}

struct ShortcutCase {
    std::uint16_t count;
    std::uint8_t usage;
    std::uint8_t bits;
    const char* label;
};

TEST(KeyFunctions, ShortcutQuickLaunchAndTextFieldLabelsAtTheirEdges) {
    const ShortcutCase shortcuts[] = {
        {1, 0x14, 0x01, "Q"},
        {1, 0x14, 0x1F, "Q"},  // None outweighs every other bit
        {1, 0x14, 0x1E, "Ctrl+Shift+Alt+Win+Q"},
        {1, 0x14, 0x12, "Shift+Win+Q"},
        {1, 0x3A, 0x00, "F1"},
        {3, 0x28, 0x04, "Ctrl+Enter"},
        {0, 0x14, 0x04, ""},
        {1, 0x32, 0x04, "Ctrl+"},  // a key without a row has no name
    };
    MacroKeyInfo entry = Patterned();
    entry.FunctionCode = kFnShortcut;
    for (const ShortcutCase& c : shortcuts) {
        entry.EventCount = c.count;
        entry.Events[0].KeyCode = c.usage;
        entry.Events[0].Action = c.bits;
        EXPECT_EQ(FunctionLabel(entry, {}), c.label) << int{c.usage} << " " << int{c.bits};
    }
    // clang-format off
    const std::pair<const char*, const char*> paths[] = {
        {"/opt/games/Quake 3.x86_64", "Quake 3.x86_64"}, {"C:\\Program Files\\Game.EXE", "Game.EXE"},
        {"plain.exe", "plain.exe"}, {"/opt/games/", ""}, {"", ""}};
    // clang-format on
    entry.FunctionCode = kFnQuickLaunch;
    for (const auto& [path, label] : paths) {
        CopyField(entry.QuickLaunchPath, path);
        EXPECT_EQ(FunctionLabel(entry, {}), label) << path;
    }
    // Unterminated names are read to the end of their field only.
    const MacroKeyInfo damaged = Patterned();
    entry = damaged;
    entry.FunctionCode = kFnMacro;
    EXPECT_EQ(FunctionLabel(entry, {}), std::string(damaged.MacroName, sizeof damaged.MacroName));
    entry.FunctionCode = kFnTimer;
    EXPECT_EQ(FunctionLabel(entry, {}), std::string(damaged.TimerName, sizeof damaged.TimerName));
    entry.FunctionCode = kFnStandard;
    EXPECT_EQ(FunctionLabel(entry, {}), "");  // KeyIndex 0x41 is no key
}

TEST(KeyFunctions, SteadixLabelsInBothFormsAndFromTheSharedFolder) {
    const SteadixDpi dpi = {800, 0, 1200, 0, 3200};
    const char* const menu[] = {"Steadix 800 DPI", "Steadix #2", "Steadix 1200 DPI", "Steadix #4", "Steadix 3200 DPI"};
    const char* const slot[] = {"Steadix 800", "Steadix #2", "Steadix 1200", "Steadix #4", "Steadix 3200"};
    for (int step = 0; step < 5; ++step) {
        EXPECT_EQ(SteadixLabel(step, SteadixForm::Menu, dpi), menu[step]);
        EXPECT_EQ(SteadixLabel(step, SteadixForm::Slot, dpi), slot[step]);
    }
    for (const int outside : {-1, 5, 1000}) EXPECT_EQ(SteadixLabel(outside, SteadixForm::Menu, dpi), "") << outside;

    test::TempFolder folder;
    const test::ScopedEnv data("XDG_DATA_HOME", folder.Path().c_str());
    const StoreLocation where = StoreLocation::FromEnvironment();
    EXPECT_EQ(ReadSteadixDpi(where), (SteadixDpi{}));
    EXPECT_EQ(SteadixLabel(2, SteadixForm::Slot), "Steadix #3");
    test::WriteFile(folder / "VELDAN/Pact/Steadix.ini", "[Vask+CPISetting]\r\nCPI 0=400\r\nCPI 2=1600\r\nCPI 4=x\r\n");
    EXPECT_EQ(ReadSteadixDpi(where), (SteadixDpi{400, 0, 1600, 0, 0}));
    EXPECT_EQ(SteadixLabel(2, SteadixForm::Menu), "Steadix 1600 DPI");
    MacroKeyInfo entry{};
    entry.FunctionCode = 0xF7;
    entry.TargetDevice = kTargetVask;
    EXPECT_EQ(FunctionLabel(entry), "Vask[+] Steadix 400");
    entry.FunctionCode = 0xFA;
    EXPECT_EQ(FunctionLabel(entry), "Vask[+] Steadix #4");
}

// The command map as the catalogue lists it, each range onto a first code
// that steps with the command or stays.
struct CommandRange {
    int first, last, code;
    bool steps;
};
constexpr CommandRange kCommandMap[] = {
    {502, 502, 0xBD, false},    {505, 554, 0xBC, false},   {1001, 1001, 0xEF, false}, {1002, 1002, 0xFF, false},
    {1003, 1003, 0xBA, false},  {1005, 1005, 0xB8, false}, {1006, 1009, 0xC0, true},  {1010, 1010, 0xB9, false},
    {1011, 1011, 0x00, false},  {1020, 1020, 0xB2, false}, {1021, 1021, 0xB0, false}, {1022, 1022, 0xB1, false},
    {1023, 1027, 0xB3, true},   {1030, 1030, 0xD2, false}, {1031, 1031, 0xD0, false}, {1032, 1032, 0xD1, false},
    {1033, 1033, 0xCB, false},  {1034, 1034, 0xCE, false}, {1035, 1035, 0xCD, false}, {1036, 1036, 0xCC, false},
    {1037, 1037, 0xCF, false},  {1040, 1046, 0xC4, true},  {1047, 1049, 0x81, true},  {1060, 1060, 0xDD, false},
    {1100, 11099, 0xBE, false},
};

std::optional<int> ExpectedCode(int command) {
    if (command >= 11200 && command <= 11299) {
        const int group = (command - 11200) / 10, item = (command - 11200) % 10;
        if (item <= 1) return group == 1 ? 0xF5 + item : 0x8C + item;
        return item <= 6 ? 0xF7 + item - 2 : 0x00;
    }
    for (const CommandRange& r : kCommandMap)
        if (command >= r.first && command <= r.last) return r.steps ? r.code + command - r.first : r.code;
    return std::nullopt;
}

TEST(KeyFunctions, EveryCommandNumberMapsAsTheCatalogueSays) {
    for (int command = -2; command <= 12000; ++command) {
        EXPECT_EQ(FunctionCodeForCommand(command), ExpectedCode(command)) << command;
        const bool pact = command >= 11200 && command <= 11299;
        const std::optional<std::int32_t> target =
            pact ? std::optional<std::int32_t>((command - 11200) / 10 == 1 ? 257 : 65535) : std::nullopt;
        EXPECT_EQ(TargetDeviceForCommand(command), target) << command;
    }
    for (const int command : {-1000000, 1000000, 2147483647}) EXPECT_EQ(FunctionCodeForCommand(command), std::nullopt);
    // The rows' own commands agree with the map, and a fixed menu entry
    // reads as the slot's label except where the catalogue says otherwise.
    const std::map<int, std::string> ownMenuText = {{0xB8, "Assign a Shortcut"},
                                                    {0xB9, "Quicklaunch"},
                                                    {0xEF, "Standard"},
                                                    {0xF6, "DuoLayer[+] Vask[+] Lock/Unlock"}};
    for (const FunctionRow& row : kFunctionCatalogue) {
        const bool fixed = row.rule == LabelRule::Text || row.rule == LabelRule::Vask || ownMenuText.count(row.code);
        const std::string menu = row.firstCommand == 0 || !fixed ? ""
                                 : ownMenuText.count(row.code)   ? ownMenuText.at(row.code)
                                                                 : row.label;
        EXPECT_EQ(row.menuText != nullptr ? row.menuText : "", menu) << row.code;
        if (row.firstCommand == 0) continue;
        EXPECT_EQ(FunctionCodeForCommand(row.firstCommand), row.code) << row.firstCommand;
        EXPECT_EQ(FunctionCodeForCommand(row.lastCommand), row.code) << row.lastCommand;
    }
    EXPECT_EQ(MacroCommand(3, 7), 1407);
    EXPECT_EQ(TimerCommand(49), 554);
    EXPECT_EQ(EditMacroSetCommand(2), 11102);
}

// Cleared, by the entry's byte layout: both names (58..157), then
// MacroOption, EventCount and Events (160..2165); the padding between stays.
void ClearMacro(MacroKeyInfo& e) {
    auto* bytes = reinterpret_cast<unsigned char*>(&e);
    std::memset(bytes + 58, 0, 100);
    std::memset(bytes + 160, 0, 2006);
}

template <std::size_t N>
void SetText(char (&field)[N], const std::string& text) {
    std::memset(field, 0, N);
    std::memcpy(field, text.data(), text.size());
}

struct Library {
    TimerList timers;
    MacroLibrary macros;
    Library() {
        for (const char* name : {"Tea", "Egg", "Pizza"}) {
            TimerRecord t{};
            t.TimerSeconds = static_cast<std::int32_t>(std::strlen(name)) * 60;
            CopyField(t.TimerName, name);
            timers.push_back(t);
        }
        MacroEntry a{};
        CopyField(a.Name, "Combo");
        a.MacroOption = 3;
        a.EventCount = 2;
        for (int i = 0; i < kMaxEvents; ++i) a.Events[i] = {static_cast<std::uint8_t>(i), 1, 7};
        MacroEntry longName = a;
        std::memset(longName.Name, 'n', sizeof longName.Name);  // unterminated, 52 bytes
        longName.EventCount = 600;
        MacroEntry negative = a;
        negative.EventCount = -4;
        macros.Sets.push_back({"Shooter", {a, longName}});
        macros.Sets.push_back({std::string(70, 's'), {negative}});
    }
};

// What the catalogue says command stores in before, built field by field.
MacroKeyInfo Expected(const MacroKeyInfo& before, int command, const Library& lib, const std::string& path) {
    MacroKeyInfo e = before;
    const int code = *ExpectedCode(command);
    e.FunctionCode = static_cast<std::uint8_t>(code);
    if (command >= 11200 && command <= 11299) e.TargetDevice = (command - 11200) / 10 == 1 ? 257 : 65535;
    if (code == 0xB8) {
        e.EventCount = 1;
        e.Events[0].KeyCode = 0x14;
        e.Events[0].Action = 0x0C;
        std::memset(e.MacroSetName, 0, sizeof e.MacroSetName);
        std::memset(e.MacroName, 0, sizeof e.MacroName);
    } else if (code == 0xBE) {
        const int set = (command - 1100) / 100, macro = (command - 1100) % 100;
        const MacroEntry& m = lib.macros.Sets[static_cast<std::size_t>(set)].Macros[static_cast<std::size_t>(macro)];
        SetText(e.MacroSetName, lib.macros.Sets[static_cast<std::size_t>(set)].Name.substr(0, 49));
        SetText(e.MacroName, std::string(m.Name, strnlen(m.Name, 49)));
        e.MacroOption = m.MacroOption;
        e.EventCount = static_cast<std::uint16_t>(m.EventCount < 0 ? 0 : m.EventCount > 500 ? 500 : m.EventCount);
        std::memcpy(e.Events, m.Events, sizeof e.Events);
    } else {
        ClearMacro(e);
        if (code == 0xB9) SetText(e.QuickLaunchPath, path);
        if (code == 0xBC) {
            const TimerRecord& t = lib.timers[static_cast<std::size_t>(command - 505)];
            e.TimerSeconds = t.TimerSeconds;
            SetText(e.TimerName, t.TimerName);
        }
    }
    return e;
}

TEST(KeyFunctions, EveryCommandStoresExactlyItsFieldsAndNothingElse) {
    const Library lib;
    const std::string path = "/home/me/Games/launch.sh";
    const std::vector<int> stored = [] {
        std::vector<int> v;
        for (int c = 0; c <= 12000; ++c)
            if (ExpectedCode(c)) v.push_back(c);
        return v;
    }();
    const std::vector<int> available = {505, 506, 507, 1100, 1101, 1200};
    FunctionCommandData data;
    data.shortcut = {0x14, kShortcutCtrl | kShortcutAlt | 0xE0};  // bits above Win are dropped
    data.quickLaunchPath = path;
    data.timers = &lib.timers;
    data.library = &lib.macros;
    int applied = 0;
    for (int command = -2; command <= 12000; ++command) {
        const MacroKeyInfo before = Patterned();
        MacroKeyInfo entry = before;
        const bool needsListItem = (command >= 505 && command <= 554) || (command >= 1100 && command <= 11099);
        const bool stores = ExpectedCode(command) && (!needsListItem || std::find(available.begin(), available.end(),
                                                                                  command) != available.end());
        ASSERT_EQ(ApplyFunctionCommand(entry, command, data), stores) << command;
        const MacroKeyInfo want = stores ? Expected(before, command, lib, path) : before;
        ASSERT_EQ(FirstDifference(entry, want), -1) << "command " << command;
        applied += stores;
    }
    // 38 fixed commands, the six list items the data holds, 100 Pact commands.
    EXPECT_EQ(applied, 38 + 6 + 100);
}

TEST(KeyFunctions, CommandsWhoseDataIsMissingOrUnfitStoreNothing) {
    const MacroKeyInfo before = Patterned();
    const auto refused = [&](int command, const FunctionCommandData& data) {
        MacroKeyInfo entry = before;
        return !ApplyFunctionCommand(entry, command, data) && FirstDifference(entry, before) == -1;
    };
    FunctionCommandData data;
    EXPECT_TRUE(refused(505, data));   // no timer list
    EXPECT_TRUE(refused(1100, data));  // no library
    data.shortcut = {0x32, kShortcutCtrl};
    EXPECT_TRUE(refused(1005, data));  // no row, so no key to send
    data.shortcut = {0x00, kShortcutNone};
    EXPECT_TRUE(refused(1005, data));
    const std::string tooLong(260, 'p');
    data.quickLaunchPath = tooLong;
    EXPECT_TRUE(refused(1010, data));
    for (const int command : {1099, 500, 501, 11100, 11199, 0, 1004, 1012, 555, 11300})
        EXPECT_TRUE(refused(command, data)) << command;

    // The longest path that fits, and None standing alone.
    MacroKeyInfo entry = before;
    const std::string fits(259, 'p');
    data.quickLaunchPath = fits;
    ASSERT_TRUE(ApplyFunctionCommand(entry, 1010, data));
    EXPECT_EQ(FieldText(entry.QuickLaunchPath), fits);
    data.shortcut = {0xE1, kShortcutNone | kShortcutShift | kShortcutWin};
    ASSERT_TRUE(ApplyFunctionCommand(entry, 1005, data));
    EXPECT_EQ(entry.Events[0].Action, kShortcutNone);
    EXPECT_EQ(FunctionLabel(entry, {}), "Left Shift");
}

TEST(KeyFunctions, PactTargetOutlivesLaterChoices) {
    MacroKeyInfo entry{};
    ASSERT_TRUE(ApplyFunctionCommand(entry, 11213));
    EXPECT_EQ(entry.FunctionCode, 0xF8);
    EXPECT_EQ(entry.TargetDevice, kTargetVask);
    ASSERT_TRUE(ApplyFunctionCommand(entry, 1021));
    EXPECT_EQ(entry.FunctionCode, 0xB0);
    EXPECT_EQ(entry.TargetDevice, kTargetVask);
    ASSERT_TRUE(ApplyFunctionCommand(entry, 11200));
    EXPECT_EQ(entry.TargetDevice, kTargetAllDevices);
    for (const int code : {0x8C, 0xF5, 0xF6, 0xFF}) EXPECT_TRUE(IsDuoLayerFunction(static_cast<std::uint8_t>(code)));
    for (const int code : {0x00, 0x8D, 0xDF, 0xEF, 0xF7})
        EXPECT_FALSE(IsDuoLayerFunction(static_cast<std::uint8_t>(code)));
}

}  // namespace
}  // namespace kelm
