// A throw-away program folder per test, with the per-user folders (the
// registry stand-in, the shared settings folder) pointed inside it so that
// no test reads or writes the real home.
#pragma once

#include <stdlib.h>

#include <climits>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <random>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

#include "settings/SettingsRecord.h"
#include "settings/StoreLocation.h"

namespace kelm::test {

// Sets an environment variable for its lifetime and puts the old value back.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const char* value) : name_(name) {
        if (const char* old = std::getenv(name)) old_ = old;
        if (value != nullptr)
            ::setenv(name, value, 1);
        else
            ::unsetenv(name);
    }
    ~ScopedEnv() {
        if (old_)
            ::setenv(name_.c_str(), old_->c_str(), 1);
        else
            ::unsetenv(name_.c_str());
    }
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

private:
    std::string name_;
    std::optional<std::string> old_;
};

inline std::string MakeTempRoot() {
    std::string tmpl = (std::filesystem::temp_directory_path() / "kelm-settings-XXXXXX").string();
    std::vector<char> buffer(tmpl.begin(), tmpl.end());
    buffer.push_back('\0');
    const char* made = ::mkdtemp(buffer.data());
    if (made == nullptr) throw std::runtime_error("mkdtemp failed");
    return made;
}

class TempProgramFolder {
public:
    TempProgramFolder()
        : root_(MakeTempRoot()),
          config_("XDG_CONFIG_HOME", (root_ + "/xdg-config").c_str()),
          data_("XDG_DATA_HOME", (root_ + "/xdg-data").c_str()) {
        std::filesystem::create_directories(root_ + "/program/config");
        where_ = StoreLocation::ForProgramFolder(root_ + "/program");
    }
    ~TempProgramFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(root_, ignored);
    }
    TempProgramFolder(const TempProgramFolder&) = delete;
    TempProgramFolder& operator=(const TempProgramFolder&) = delete;

    const StoreLocation& Where() const { return where_; }
    const std::string& Root() const { return root_; }
    std::string Program(const std::string& relative) const { return where_.programFolder + relative; }

private:
    std::string root_;
    ScopedEnv config_;
    ScopedEnv data_;
    StoreLocation where_;
};

inline std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline void WriteFile(const std::string& path, const std::string& bytes) {
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
}

inline bool Exists(const std::string& path) { return std::filesystem::exists(path); }

// Names in folder, to show that a failed save leaves no temporary file.
inline std::set<std::string> FolderEntries(const std::string& folder) {
    std::set<std::string> names;
    for (const auto& e : std::filesystem::directory_iterator(folder)) names.insert(e.path().filename().string());
    return names;
}

template <typename T>
bool SameBytes(const T& a, const T& b) {
    return std::memcmp(&a, &b, sizeof(T)) == 0;
}

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
