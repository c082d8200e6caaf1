#include "setup/KeyboardPicture.h"

#include <array>
#include <vector>

namespace kelm {

namespace {

// One key unit and the gap between caps; the keyboard sits in the right
// half of a page, beside the slots.
constexpr int kUnit = 22;
constexpr int kGap = 2;
constexpr int kLeft = 378;
constexpr int kTop = 92;
constexpr int kRowPitch = kUnit + kGap;
constexpr int kMainLeft = kLeft + kUnit + 8;  // right of the macro column

struct RowKey {
    std::string_view name;
    double units;
};

// Caps along a row from x, each its width in units.
void Row(std::vector<KeyCap>& keys, int x, int y, std::initializer_list<RowKey> row) {
    for (const RowKey& key : row) {
        const int width = static_cast<int>(key.units * kUnit + (key.units - 1) * kGap);
        if (!key.name.empty()) keys.push_back({key.name, x, y, width, kUnit});
        x += width + kGap;
    }
}

std::vector<KeyCap> MakeKeys() {
    std::vector<KeyCap> keys;
    // The multimedia keys above the function row.
    for (int i = 0; i < 8; ++i) {
        static constexpr std::array<std::string_view, 8> kMedia{"MM1", "MM2", "MM3", "MM4", "MM5", "MM6", "MM7", "MM8"};
        keys.push_back({kMedia[static_cast<std::size_t>(i)], kMainLeft + 170 + i * 22, kTop - 46, 18, 14});
    }
    int y = kTop - 26;
    Row(keys, kMainLeft, y,
        {{"Esc", 1},
         {"", 0.5},
         {"F1", 1},
         {"F2", 1},
         {"F3", 1},
         {"F4", 1},
         {"", 0.25},
         {"F5", 1},
         {"F6", 1},
         {"F7", 1},
         {"F8", 1},
         {"", 0.25},
         {"F9", 1},
         {"F10", 1},
         {"F11", 1},
         {"F12", 1}});
    y = kTop;
    Row(keys, kMainLeft, y,
        {{"`", 1},
         {"1", 1},
         {"2", 1},
         {"3", 1},
         {"4", 1},
         {"5", 1},
         {"6", 1},
         {"7", 1},
         {"8", 1},
         {"9", 1},
         {"0", 1},
         {"-", 1},
         {"=", 1},
         {"Bksp", 2}});
    y += kRowPitch;
    Row(keys, kMainLeft, y,
        {{"Tab", 1.5},
         {"Q", 1},
         {"W", 1},
         {"E", 1},
         {"R", 1},
         {"T", 1},
         {"Y", 1},
         {"U", 1},
         {"I", 1},
         {"O", 1},
         {"P", 1},
         {"[", 1},
         {"]", 1},
         {"\\", 1.5}});
    y += kRowPitch;
    Row(keys, kMainLeft, y,
        {{"CapsLk", 1.75},
         {"A", 1},
         {"S", 1},
         {"D", 1},
         {"F", 1},
         {"G", 1},
         {"H", 1},
         {"J", 1},
         {"K", 1},
         {"L", 1},
         {";", 1},
         {"'", 1},
         {"Enter", 2.25}});
    y += kRowPitch;
    Row(keys, kMainLeft, y,
        {{"LShift", 2.25},
         {"Z", 1},
         {"X", 1},
         {"C", 1},
         {"V", 1},
         {"B", 1},
         {"N", 1},
         {"M", 1},
         {",", 1},
         {".", 1},
         {"/", 1},
         {"RShift", 2.75}});
    y += kRowPitch;
    Row(keys, kMainLeft, y,
        {{"LCtrl", 1.25},
         {"LWin", 1.25},
         {"LAlt", 1.25},
         {"Space", 6.25},
         {"RAlt", 1.25},
         {"RWin", 1.25},
         {"Menu", 1.25},
         {"RCtrl", 1.25}});
    // The macro keys down the left edge, the thumb keys under the space bar.
    static constexpr std::array<std::string_view, 5> kMacro{"M1", "M2", "M3", "M4", "M5"};
    for (int i = 0; i < 5; ++i)
        keys.push_back({kMacro[static_cast<std::size_t>(i)], kLeft, kTop + i * kRowPitch, kUnit, kUnit});
    static constexpr std::array<std::string_view, 3> kThumb{"T1", "T2", "T3"};
    const int spaceLeft = kMainLeft + 3 * static_cast<int>(1.25 * kUnit + 0.25 * kGap) + 3 * kGap;
    for (int i = 0; i < 3; ++i)
        keys.push_back({kThumb[static_cast<std::size_t>(i)], spaceLeft + 12 + i * (2 * kUnit), y + kRowPitch + 4,
                        2 * kUnit - kGap, 16});
    return keys;
}

constexpr std::array<std::string_view, 9> kMacroKeysPage{"CapsLk", "M1", "M2", "M3", "M4", "M5", "T1", "T2", "T3"};
constexpr std::array<std::string_view, 20> kHotGridPage{"1", "2", "3", "4", "5", "Q", "W", "E", "R", "T",
                                                        "A", "S", "D", "F", "G", "Z", "X", "C", "V", "B"};
constexpr std::array<std::string_view, 20> kMediaFPage{"F1",  "F2",  "F3",  "F4",  "F5",  "F6",  "F7",
                                                       "F8",  "F9",  "F10", "F11", "F12", "MM1", "MM2",
                                                       "MM3", "MM4", "MM5", "MM6", "MM7", "MM8"};

}  // namespace

std::span<const KeyCap> KeyboardKeys() {
    static const std::vector<KeyCap> keys = MakeKeys();
    return keys;
}

std::span<const std::string_view> MacroKeysPageKeys() { return kMacroKeysPage; }
std::span<const std::string_view> HotGridPageKeys() { return kHotGridPage; }
std::span<const std::string_view> MediaFPageKeys() { return kMediaFPage; }

}  // namespace kelm
