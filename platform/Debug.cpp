#include "platform/Debug.h"

#include <unistd.h>

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace kelm {

bool DebugEnabled() {
    const char* value = std::getenv("KELM_DEBUG");
    return value != nullptr && *value != '\0';
}

void DebugOutput(const char* format, ...) {
    if (!DebugEnabled()) return;
    va_list args;
    va_start(args, format);
    va_list again;
    va_copy(again, args);
    const int length = std::vsnprintf(nullptr, 0, format, args);
    va_end(args);
    if (length > 0) {
        std::string line(static_cast<std::size_t>(length) + 1, '\0');
        std::vsnprintf(line.data(), line.size(), format, again);
        line.pop_back();
        // One write per line, so lines of several threads never interleave.
        const ssize_t ignored = ::write(STDERR_FILENO, line.data(), line.size());
        static_cast<void>(ignored);
    }
    va_end(again);
}

}  // namespace kelm
