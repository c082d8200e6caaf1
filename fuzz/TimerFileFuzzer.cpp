// A timer file of arbitrary bytes: whatever it holds, the list stays
// within its limit and every name is terminated inside its field.
#include <cstdint>
#include <string_view>

#include "fuzz/FuzzCheck.h"
#include "settings/IniFile.h"
#include "settings/MacroLibrary.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    kelm::TimerList timers;
    kelm::LoadTimers(timers, kelm::IniFile("Timer.ini", bytes));
    FUZZ_CHECK(timers.size() <= kelm::kMaxTimers);
    for (const kelm::TimerRecord& timer : timers) FUZZ_CHECK(kelm::fuzz::Terminated(timer.TimerName));
    return 0;
}
