#include "settings/StoreLocation.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

#include "platform/Environment.h"
#include "settings/InstallLayout.h"

namespace kelm {

std::string WithTrailingSlash(std::string text) {
    if (!text.empty() && text.back() != '/') text += '/';
    return text;
}

std::string ExecutableFolder() {
    char buffer[4096];
    const ssize_t n = ::readlink("/proc/self/exe", buffer, sizeof buffer - 1);
    if (n <= 0) return {};
    std::string path(buffer, static_cast<std::size_t>(n));
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string{} : path.substr(0, slash + 1);
}

bool MakeFolders(const std::string& folder, bool privateMode) {
    const mode_t mode = privateMode ? 0700 : 0777;
    for (std::size_t pos = 1; pos <= folder.size(); ++pos) {
        if (pos != folder.size() && folder[pos] != '/') continue;
        const std::string prefix = folder.substr(0, pos);
        if (::mkdir(prefix.c_str(), mode) != 0 && errno != EEXIST) return false;
    }
    struct stat st {};
    return ::stat(folder.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

StoreLocation StoreLocation::ForProgramFolder(std::string folder) {
    StoreLocation location;
    location.programFolder = WithTrailingSlash(std::move(folder));
    location.settingsFolder = location.programFolder;
    location.registryFile = XdgConfigHome() + "/VELDAN/registry.ini";
    location.sharedFolder = XdgDataHome() + "/VELDAN/Pact/";
    return location;
}

StoreLocation StoreLocation::FromEnvironment() {
    const std::string home = EnvOr("KELM_HOME");
    if (!home.empty()) return ForProgramFolder(home);
    StoreLocation location = ForProgramFolder(ExecutableFolder());
    if (!IsInstalledProgramFolder(location.programFolder)) return location;
    location.settingsFolder = UserSettingsFolder();
    std::string error;
    if (!SeedUserSettings(location.programFolder + kFactoryFolderName, location.settingsFolder, &error))
        std::fprintf(stderr, "Kelm: %s; the missing settings start from their defaults\n", error.c_str());
    return location;
}

std::string StoreLocation::ProfilePath(int slot) const {
    char name[32];
    std::snprintf(name, sizeof name, "Default%d.vkp", slot);
    return ConfigFolder() + name;
}

std::string StoreLocation::SharedSettingsFolder() const {
    MakeFolders(sharedFolder);
    return sharedFolder;
}

}  // namespace kelm
