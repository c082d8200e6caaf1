#include "platform/Environment.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>

namespace kelm {

std::string EnvOr(const char* name, std::string_view fallback) {
    const char* value = std::getenv(name);
    return value != nullptr && *value != '\0' ? std::string(value) : std::string(fallback);
}

std::string HomeFolder() {
    if (const char* home = std::getenv("HOME"); home != nullptr && *home != '\0') return home;
    // A service started without HOME still belongs to a user.
    if (const passwd* entry = getpwuid(getuid()); entry != nullptr && entry->pw_dir != nullptr) return entry->pw_dir;
    return "/tmp";
}

std::string XdgConfigHome() { return EnvOr("XDG_CONFIG_HOME", HomeFolder() + "/.config"); }
std::string XdgDataHome() { return EnvOr("XDG_DATA_HOME", HomeFolder() + "/.local/share"); }

}  // namespace kelm
