// The programs' diagnostic lines ("CMonitorApp: %s\n" and the like). They
// go to stderr, and only when KELM_DEBUG is set to a non-empty value, so a
// normal session prints nothing.
#pragma once

namespace kelm {

bool DebugEnabled();

// printf-style; the format carries its own line break, as the programs'
// fixed format strings do.
void DebugOutput(const char* format, ...) __attribute__((format(printf, 1, 2)));

}  // namespace kelm
