// Profiles whose every stored field holds a value the factory never gives,
// so that a field lost or shifted by a save and a load shows.
#pragma once

#include <climits>
#include <cstdint>
#include <cstring>
#include <random>
#include <string>

#include "settings/SettingsRecord.h"

namespace kelm::test {

// Text that fills a field completely: 8-bit characters of every kind the
// INI format must carry (quotes, '=', ';', brackets, blanks at both ends),
// but no line breaks and no terminator.
inline std::string FullFieldText(std::mt19937& rng, std::size_t length) {
    std::string text(length, ' ');
    std::uniform_int_distribution<int> byte(1, 255);
    for (std::size_t i = 1; i + 1 < length; ++i) {
        char c;
        do c = static_cast<char>(byte(rng));
        while (c == '\r' || c == '\n');
        text[i] = c;
    }
    return text;  // first and last character are blanks
}

// A profile in which every field the file stores holds a non-default value,
// every text field is full and every key entry carries random bytes within
// the record's limits.
inline void FillProfile(ProfileRecord& p, std::uint32_t seed) {
    std::mt19937 rng(seed);
    std::memset(&p, 0, sizeof p);
    auto fill = [&](auto& field) {
        const std::string text = FullFieldText(rng, sizeof field - 1);
        std::memcpy(field, text.data(), text.size());
    };
    fill(p.ProFileName);
    fill(p.GameFile0);
    fill(p.GameFile1);
    fill(p.GameFile2);
    std::uniform_int_distribution<std::int32_t> any(INT32_MIN, INT32_MAX);
    for (std::int32_t* v :
         {&p.KBDelay, &p.KBSpeed, &p.MediaOption, &p.HDDKeyboard, &p.LtBrightness, &p.DimmerOption, &p.LtTimeout,
          &p.SoundProfile, &p.SoundLRecord, &p.SoundSens, &p.VolumeUpDown, &p.SoundVolume})
        *v = any(rng);
    for (auto& m : p.ModifyKey) m = any(rng);
    std::uniform_int_distribution<int> byte(0, 255);
    for (int k = 0; k < kKeyCount; ++k) {
        MacroKeyInfo& e = p.Keys[k];
        auto* raw = reinterpret_cast<unsigned char*>(&e);
        for (std::size_t i = 0; i < sizeof e; ++i) raw[i] = static_cast<unsigned char>(byte(rng));
        e.KeyIndex = static_cast<std::uint8_t>(k);
        e.EventCount = static_cast<std::uint16_t>(std::uniform_int_distribution<int>(0, kMaxEvents)(rng));
        e.KeyLabel[sizeof e.KeyLabel - 1] = '\0';
        e.MacroSetName[sizeof e.MacroSetName - 1] = '\0';
        e.MacroName[sizeof e.MacroName - 1] = '\0';
        e.TimerName[sizeof e.TimerName - 1] = '\0';
        e.QuickLaunchPath[sizeof e.QuickLaunchPath - 1] = '\0';
    }
}

}  // namespace kelm::test
