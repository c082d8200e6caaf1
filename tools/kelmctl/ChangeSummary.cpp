#include "tools/kelmctl/ChangeSummary.h"

#include <array>
#include <cstring>

namespace kelm::ctl {

namespace {

constexpr std::array<std::string_view, kKeyCount> kKeyNames = {
    "M1",  "M2",  "M3",  "M4",  "M5",  "EM1", "EM2", "EM3", "EM4", "EM5", "1",   "2",      "3",      "4",  "5",
    "Q",   "W",   "E",   "R",   "T",   "A",   "S",   "D",   "F",   "G",   "Z",   "X",      "C",      "V",  "B",
    "T1",  "T2",  "T3",  "ET1", "ET2", "ET3", "F1",  "F2",  "F3",  "F4",  "F5",  "F6",     "F7",     "F8", "F9",
    "F10", "F11", "F12", "MM1", "MM2", "MM3", "MM4", "MM5", "MM6", "MM7", "MM8", "CapsLk", "ECapsLk"};

std::string KeysOf(const std::int32_t (&changed)[kKeyCount]) {
    std::string keys;
    int count = 0;
    for (int k = 0; k < kKeyCount; ++k)
        if (IsFlagSet(changed[k])) {
            keys += ' ';
            keys += KeyName(k);
            ++count;
        }
    if (count == kKeyCount) return "all keys";
    if (count == 0) return "";
    return (count == 1 ? "key" : "keys") + keys;
}

}  // namespace

std::string_view KeyName(int keyIndex) {
    if (keyIndex < 0 || keyIndex >= kKeyCount) return "?";
    return kKeyNames[static_cast<std::size_t>(keyIndex)];
}

void MarkChangedKeys(const SettingsRecord& applied, SettingsRecord& working) {
    for (int p = 0; p < kProfileCount; ++p)
        for (int k = 0; k < kKeyCount; ++k)
            working.Flags.KeyChanged[p][k] =
                std::memcmp(&applied.Profiles[p].Keys[k], &working.Profiles[p].Keys[k], sizeof(MacroKeyInfo)) != 0 ? 1
                                                                                                                   : 0;
}

std::string DescribeChangeFlags(const ChangeFlags& flags) {
    std::string text;
    auto add = [&text](const std::string& item) { text += (text.empty() ? "" : ", ") + item; };
    if (IsFlagSet(flags.CurrentProfileChanged)) add("current profile");
    for (int p = 0; p < kProfileCount; ++p) {
        const std::string profile = "Profile " + std::to_string(p + 1) + ' ';
        if (const std::string keys = KeysOf(flags.KeyChanged[p]); !keys.empty()) add(profile + keys);
        if (IsFlagSet(flags.ModifyKeyChanged[p])) add(profile + "switchable keys");
        if (IsFlagSet(flags.LightChanged[p])) add(profile + "light");
        if (IsFlagSet(flags.HDDKeyboardChanged[p])) add(profile + "HDDKeyboard");
    }
    return text.empty() ? "nothing" : text;
}

}  // namespace kelm::ctl
