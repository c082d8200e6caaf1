// A profile file of arbitrary bytes, loaded the way LoadAll loads a slot
// file: from bytes already read. The loaded record must stay within its
// limits, and saving it and loading it again must give the same record.
#include <cstdint>
#include <cstring>
#include <memory>
#include <string_view>

#include "fuzz/FuzzCheck.h"
#include "settings/IniFile.h"
#include "settings/ProfileFile.h"
#include "settings/Text.h"

namespace {

using kelm::fuzz::Terminated;

void CheckLimits(const kelm::ProfileRecord& profile) {
    FUZZ_CHECK(Terminated(profile.ProFileName));
    FUZZ_CHECK(Terminated(profile.GameFile0));
    FUZZ_CHECK(Terminated(profile.GameFile1));
    FUZZ_CHECK(Terminated(profile.GameFile2));
    for (const kelm::MacroKeyInfo& key : profile.Keys) {
        FUZZ_CHECK(key.EventCount <= kelm::kMaxEvents);
        FUZZ_CHECK(Terminated(key.KeyLabel));
        FUZZ_CHECK(Terminated(key.MacroSetName));
        FUZZ_CHECK(Terminated(key.MacroName));
        FUZZ_CHECK(Terminated(key.TimerName));
        FUZZ_CHECK(Terminated(key.QuickLaunchPath));
    }
}

template <std::size_t N>
void CheckTextSurvived(const char (&before)[N], const char (&after)[N]) {
    FUZZ_CHECK(kelm::FieldText(after) == kelm::fuzz::AsWritten(kelm::FieldText(before)));
}

// Numbers and key entries come back exactly; texts as a write leaves them.
void CheckSameRecord(const kelm::ProfileRecord& before, const kelm::ProfileRecord& after) {
    CheckTextSurvived(before.ProFileName, after.ProFileName);
    CheckTextSurvived(before.GameFile0, after.GameFile0);
    CheckTextSurvived(before.GameFile1, after.GameFile1);
    CheckTextSurvived(before.GameFile2, after.GameFile2);
    const auto numbers = offsetof(kelm::ProfileRecord, KBDelay);
    FUZZ_CHECK(std::memcmp(reinterpret_cast<const char*>(&before) + numbers,
                           reinterpret_cast<const char*>(&after) + numbers, sizeof before - numbers) == 0);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    // Filled with a pattern rather than zeros, so that a field the loader
    // forgets keeps no terminator and fails the checks.
    auto loaded = std::make_unique<kelm::ProfileRecord>();
    std::memset(loaded.get(), 0xA5, sizeof *loaded);
    kelm::LoadProfile(*loaded, kelm::IniFile("fuzz.vkp", bytes));
    CheckLimits(*loaded);

    kelm::IniFile saved("fuzz.vkp", bytes);
    kelm::SaveProfile(*loaded, saved);
    auto reloaded = std::make_unique<kelm::ProfileRecord>();
    std::memset(reloaded.get(), 0xA5, sizeof *reloaded);
    kelm::LoadProfile(*reloaded, saved);
    CheckSameRecord(*loaded, *reloaded);
    return 0;
}
