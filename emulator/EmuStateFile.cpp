#include "emulator/EmuStateFile.h"

#include <charconv>
#include <cstring>

#include "platform/FileIo.h"
#include "settings/Defaults.h"
#include "settings/IniDocument.h"
#include "settings/StructCodec.h"
#include "settings/Text.h"

namespace kelm::emu {

namespace {

constexpr const char* kKeyboardSection = "Keyboard";
// The part of a key entry the keyboard's reports can reach, up to the events.
constexpr std::size_t kEntryHead = offsetof(MacroKeyInfo, Events);
// Entry 57 never travels to the keyboard, so it always holds its default.
constexpr int kStoredKeys = kKeyCount - 1;

std::string SectionOf(int slot) { return "Profile" + std::to_string(slot); }
std::string KeyName(int key) { return "Key" + std::to_string(key); }

class StateReader {
public:
    explicit StateReader(const IniDocument& file) : file_(file) {}

    // Leaves value as it is when the key is missing.
    bool Int(const std::string& section, const char* key, int low, int high, std::int32_t& value) {
        const auto text = file_.Get(section, key);
        if (!text) return true;
        const std::string_view trimmed = Trim(*text);
        int parsed = 0;
        const auto [end, ec] = std::from_chars(trimmed.data(), trimmed.data() + trimmed.size(), parsed);
        if (ec != std::errc{} || end != trimmed.data() + trimmed.size() || parsed < low || parsed > high)
            return Fail(section, key, "must be a number from " + std::to_string(low) + " to " + std::to_string(high));
        value = parsed;
        return true;
    }

    bool Stamp(SyncStamp& stamp) {
        const auto text = file_.Get(kKeyboardSection, "SyncStamp");
        if (!text) return true;
        if (!DecodeStruct(Trim(*text), stamp.data(), stamp.size()))
            return Fail(kKeyboardSection, "SyncStamp", "is damaged");
        return true;
    }

    bool Entry(int slot, int key, MacroKeyInfo& entry) {
        const std::string section = SectionOf(slot);
        const std::string name = KeyName(key);
        const auto text = file_.Get(section, name);
        if (!text) return true;
        const std::string_view trimmed = Trim(*text);
        MacroKeyInfo loaded;
        DefaultKeyEntry(loaded, key);
        const std::size_t size = trimmed.size() >= 2 ? (trimmed.size() - 2) / 2 : 0;
        if (size < kEntryHead || size > kEntryHead + sizeof loaded.Events ||
            (size - kEntryHead) % sizeof(MacroEvent) != 0 || !DecodeStruct(trimmed, &loaded, size))
            return Fail(section, name.c_str(), "is damaged");
        if (loaded.KeyIndex != key || kEntryHead + loaded.EventCount * sizeof(MacroEvent) != size)
            return Fail(section, name.c_str(), "does not match its key or its event count");
        RepairKeyEntry(loaded);
        entry = loaded;
        return true;
    }

    const std::string& Error() const { return error_; }

private:
    bool Fail(const std::string& section, const char* key, const std::string& why) {
        error_ = "[" + section + "] " + key + " " + why;
        return false;
    }

    const IniDocument& file_;
    std::string error_;
};

bool ReadProfile(StateReader& reader, int slot, ProfileRecord& profile) {
    const std::string section = SectionOf(slot);
    std::int32_t mask = ModifyKeyMask(profile);
    if (!reader.Int(section, "ModifyKeyMask", 0, 255, mask)) return false;
    ApplyModifyKeyMask(static_cast<std::uint8_t>(mask), profile);
    if (!reader.Int(section, "LtBrightness", 0, 255, profile.LtBrightness) ||
        !reader.Int(section, "DimmerOption", 0, 255, profile.DimmerOption) ||
        !reader.Int(section, "LtTimeout", 0, 255, profile.LtTimeout))
        return false;
    for (int key = 0; key < kStoredKeys; ++key)
        if (!reader.Entry(slot, key, profile.Keys[key])) return false;
    return true;
}

}  // namespace

StateLoad LoadKeyboardState(const std::string& path, int firmware) {
    StateLoad result;
    const FileContents contents = ReadWholeFile(path);
    if (contents.status == ReadStatus::Failed) {
        result.error = path + ": cannot be read";
        return result;
    }
    auto memory = FactoryMemory(firmware);
    if (contents.status == ReadStatus::Ok) {
        const IniDocument file = IniDocument::Parse(contents.bytes);
        StateReader reader(file);
        bool ok = reader.Int(kKeyboardSection, "FWVersion", 0, 255, memory->FWVersion) &&
                  reader.Int(kKeyboardSection, "CurrentProfile", 0, kProfileCount - 1, memory->CurrentProfile) &&
                  reader.Int(kKeyboardSection, "UpdateMode", 0, 1, memory->UpdateMode) && reader.Stamp(memory->Stamp);
        for (int slot = 0; ok && slot < kProfileCount; ++slot)
            ok = ReadProfile(reader, slot, memory->Profiles[static_cast<std::size_t>(slot)]);
        if (!ok) {
            result.error = path + ": " + reader.Error();
            return result;
        }
    }
    result.memory = std::move(memory);
    return result;
}

std::string FormatKeyboardState(const KeyboardMemory& memory) {
    IniDocument file;
    const auto writeInt = [&file](const std::string& section, const char* key, std::int32_t value) {
        file.Set(section, key, std::to_string(value));
    };
    writeInt(kKeyboardSection, "FWVersion", memory.FWVersion);
    writeInt(kKeyboardSection, "CurrentProfile", memory.CurrentProfile);
    writeInt(kKeyboardSection, "UpdateMode", memory.UpdateMode);
    file.Set(kKeyboardSection, "SyncStamp", EncodeStruct(memory.Stamp.data(), memory.Stamp.size()));
    for (int slot = 0; slot < kProfileCount; ++slot) {
        const ProfileRecord& profile = memory.Profiles[static_cast<std::size_t>(slot)];
        const std::string section = SectionOf(slot);
        writeInt(section, "ModifyKeyMask", ModifyKeyMask(profile));
        writeInt(section, "LtBrightness", profile.LtBrightness);
        writeInt(section, "DimmerOption", profile.DimmerOption);
        writeInt(section, "LtTimeout", profile.LtTimeout);
        for (int key = 0; key < kStoredKeys; ++key) {
            const MacroKeyInfo& entry = profile.Keys[key];
            const std::size_t events = entry.EventCount <= kMaxEvents ? entry.EventCount : kMaxEvents;
            file.Set(section, KeyName(key), EncodeStruct(&entry, kEntryHead + events * sizeof(MacroEvent)));
        }
    }
    return file.Serialize();
}

bool SaveKeyboardState(const std::string& path, const KeyboardMemory& memory) {
    return ReplaceFileAtomically(path, FormatKeyboardState(memory));
}

}  // namespace kelm::emu
