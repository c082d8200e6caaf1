#include "keyboard/KeyNames.h"

#include <algorithm>
#include <array>
#include <utility>

namespace kelm {

namespace {

struct NameRow {
    std::uint8_t key;
    const char* name;
};

// Usages 4..57 are named through their virtual key, so they have no row.
// clang-format off
constexpr NameRow kUsageNames[] = {
    {58, "F1"}, {59, "F2"}, {60, "F3"}, {61, "F4"}, {62, "F5"}, {63, "F6"},
    {64, "F7"}, {65, "F8"}, {66, "F9"}, {67, "F10"}, {68, "F11"}, {69, "F12"},
    {70, "Print Screen"}, {71, "Scroll Lock"}, {72, "Break"}, {73, "Insert"}, {74, "Home"},
    {75, "Page Up"}, {76, "Delete"}, {77, "End"}, {78, "Page Down"}, {79, "Right Arrow"},
    {80, "Left Arrow"}, {81, "Down Arrow"}, {82, "Up Arrow"}, {83, "Num Lock"},
    {84, "Num_/"}, {85, "Num_*"}, {86, "Num_-"}, {87, "Num_+"}, {88, "Num_Enter"},
    {89, "Num_1"}, {90, "Num_2"}, {91, "Num_3"}, {92, "Num_4"}, {93, "Num_5"},
    {94, "Num_6"}, {95, "Num_7"}, {96, "Num_8"}, {97, "Num_9"}, {98, "Num_0"}, {99, "Num_."},
    {100, "Europe 2"}, {101, "APP"}, {130, "Sleep"},
    {224, "Left Control"}, {225, "Left Shift"}, {226, "Left Alt"}, {227, "Left GUI"},
    {228, "Right Control"}, {229, "Right Shift"}, {230, "Right Alt"}, {231, "Right GUI"},
    {240, "Left Button"}, {241, "Right Button"}, {242, "Wheel"}, {243, "Side Button 1"},
    {244, "Side Button 2"},
};

constexpr NameRow kVirtualKeyNames[] = {
    {8, "BackSpace"}, {9, "Tab"}, {12, "Clr"}, {13, "Enter"}, {16, "Shift"}, {17, "Ctrl"},
    {18, "Alt"}, {19, "Pause"}, {20, "Caps Lock"}, {27, "Esc"}, {32, "Space"}, {33, "Page Up"},
    {34, "Page Down"}, {35, "End"}, {36, "Home"}, {37, "Left Arrow"}, {38, "Up Arrow"},
    {39, "Right Arrow"}, {40, "Down Arrow"}, {41, "Select"}, {42, "Print Screen"}, {43, "Exe"},
    {44, "Snapshot"}, {45, "Insert"}, {46, "Delete"}, {47, "Help"},
    {91, "Left Windows Button"}, {92, "Right Windows Button"}, {93, "APP"},
    {96, "Num0"}, {97, "Num1"}, {98, "Num2"}, {99, "Num3"}, {100, "Num4"},
    {101, "Num5"}, {102, "Num6"}, {103, "Num7"}, {104, "Num8"}, {105, "Num9"},
    {106, "Num*"}, {107, "Num+"}, {108, "NumRet"}, {109, "Num-"}, {110, "Num."}, {111, "Num/"},
    {112, "F1"}, {113, "F2"}, {114, "F3"}, {115, "F4"}, {116, "F5"}, {117, "F6"},
    {118, "F7"}, {119, "F8"}, {120, "F9"}, {121, "F10"}, {122, "F11"}, {123, "F12"},
    {144, "Num Lock"}, {145, "Scroll Lock"},
    {160, "Left Shift"}, {161, "Right Shift"}, {162, "Left Ctrl"}, {163, "Right Ctrl"},
    {164, "Left Alt"}, {165, "Right Alt"},
    {240, "Left Button"}, {241, "Right Button"}, {242, "Wheel"}, {243, "Side Button 1"},
    {244, "Side Button 2"},
};

// What the US layout types for the punctuation keys, the characters the
// Windows program showed for them there.
constexpr std::array<std::pair<std::uint8_t, char>, 12> kUsPunctuation{{
    {0xBA, ';'}, {0xBB, '='}, {0xBC, ','}, {0xBD, '-'}, {0xBE, '.'}, {0xBF, '/'},
    {0xC0, '`'}, {0xDB, '['}, {0xDC, '\\'}, {0xDD, ']'}, {0xDE, '\''}, {0xE2, '\\'},
}};
// clang-format on

// One name per key, so a lookup cannot depend on which of two rows it meets.
template <std::size_t N>
constexpr bool Ascends(const NameRow (&rows)[N]) {
    for (std::size_t i = 1; i < N; ++i)
        if (rows[i - 1].key >= rows[i].key) return false;
    return true;
}
static_assert(Ascends(kUsageNames));
static_assert(Ascends(kVirtualKeyNames));

template <std::size_t N>
const char* FindName(const NameRow (&rows)[N], std::uint8_t key) {
    for (const NameRow& row : rows)
        if (row.key == key) return row.name;
    return "";
}

// The character a key types with no modifier held, upper-cased for letters
// as the names show them; 0 when it types none.
char UsCharacter(std::uint8_t virtualKey) {
    if ((virtualKey >= '0' && virtualKey <= '9') || (virtualKey >= 'A' && virtualKey <= 'Z'))
        return static_cast<char>(virtualKey);
    for (const auto& [key, character] : kUsPunctuation)
        if (key == virtualKey) return character;
    return 0;
}

}  // namespace

std::string UsageName(std::uint8_t usage) {
    if (usage >= 4 && usage <= 57) {
        // 0x32 has no row; its virtual key 0 has no name either.
        return VirtualKeyName(UsageToVirtualKey(usage).value_or(0));
    }
    return FindName(kUsageNames, usage);
}

std::string VirtualKeyName(std::uint8_t virtualKey) {
    if (const char* name = FindName(kVirtualKeyNames, virtualKey); *name != '\0') return name;
    const char character = UsCharacter(virtualKey);
    return character != 0 ? std::string(1, character) : std::string();
}

std::optional<std::uint8_t> VirtualKeyToUsage(std::uint8_t virtualKey) {
    const auto at = std::find_if(kKeyCodeTable.begin(), kKeyCodeTable.end(),
                                 [virtualKey](const KeyCodeRow& row) { return row.virtualKey == virtualKey; });
    if (at == kKeyCodeTable.end()) return std::nullopt;
    return at->code;
}

}  // namespace kelm
