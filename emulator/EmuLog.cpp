#include "emulator/EmuLog.h"

#include <cstdio>

namespace kelm::emu {

void EmuLog::Add(bool write, std::uint8_t id, std::size_t length, const char* result,
                 std::span<const std::uint8_t> bytes) {
    char line[96];
    int n = std::snprintf(line, sizeof line, "%s %02X %zu %s ", write ? "set" : "get", id, length, result);
    const std::size_t shown = bytes.size() < 8 ? bytes.size() : 8;
    if (shown == 0) n += std::snprintf(line + n, sizeof line - static_cast<std::size_t>(n), "-");
    for (std::size_t i = 0; i < shown; ++i)
        n += std::snprintf(line + n, sizeof line - static_cast<std::size_t>(n), "%02X", bytes[i]);
    // A long session keeps only its latest reports instead of growing without end.
    if (lines_.size() == kMaxEntries) lines_.pop_front();
    lines_.emplace_back(line);
}

std::string EmuLog::Format() const {
    std::string out;
    for (const std::string& line : lines_) {
        out += line;
        out += '\n';
    }
    return out;
}

}  // namespace kelm::emu
