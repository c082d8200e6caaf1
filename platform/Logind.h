// systemd-logind's names on the system bus, shared by the watchers that
// follow it.
#pragma once

#include <chrono>

namespace kelm::logind {

inline constexpr const char* kService = "org.freedesktop.login1";
inline constexpr const char* kManagerPath = "/org/freedesktop/login1";
inline constexpr const char* kManager = "org.freedesktop.login1.Manager";

// logind answers at once; a bus that does not answer in this time is
// treated as absent rather than stalling the program.
inline constexpr std::chrono::microseconds kCallTimeout = std::chrono::seconds(5);

}  // namespace kelm::logind
