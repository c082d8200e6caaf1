// A macro library file of arbitrary bytes: whatever it holds, the loaded
// library stays within its limits and every macro is safe to play.
#include <cstdint>
#include <string_view>

#include "fuzz/FuzzCheck.h"
#include "settings/IniFile.h"
#include "settings/MacroLibrary.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    kelm::MacroLibrary library;
    kelm::LoadMacroLibrary(library, kelm::IniFile("Preset_sequence.dat", bytes));
    FUZZ_CHECK(library.Sets.size() <= kelm::kMaxMacroSets);
    for (const kelm::MacroSet& set : library.Sets) {
        FUZZ_CHECK(set.Name.size() <= kelm::kMaxSetNameLength);
        FUZZ_CHECK(set.Macros.size() <= kelm::kMaxMacrosPerSet);
        for (const kelm::MacroEntry& macro : set.Macros) {
            FUZZ_CHECK(macro.EventCount >= 0 && macro.EventCount <= kelm::kMaxEvents);
            FUZZ_CHECK(kelm::fuzz::Terminated(macro.Name));
        }
    }
    return 0;
}
