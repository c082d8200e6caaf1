#include "settings/InstallLayout.h"

#include <vector>

#include "platform/Environment.h"
#include "platform/FileIo.h"
#include "settings/IniFile.h"
#include "settings/Language.h"
#include "settings/SettingsRecord.h"
#include "settings/StoreLocation.h"

namespace kelm {
namespace {

// Everything a user's settings folder holds, relative to it.
std::vector<std::string> SettingsFiles() {
    StoreLocation relative;
    std::vector<std::string> files = {relative.ConfigPath(), relative.MacroLibraryPath(), relative.TimerPath()};
    for (int slot = 0; slot < kProfileCount; ++slot) files.push_back(relative.ProfilePath(slot));
    return files;
}

enum class Copy { Made, AlreadyThere, NoFactoryFile, Failed };

Copy CopyIfMissing(const std::string& from, const std::string& to) {
    const FileContents factory = ReadWholeFile(from);
    if (factory.status == ReadStatus::Missing) return Copy::NoFactoryFile;
    if (factory.status != ReadStatus::Ok) return Copy::Failed;
    FileUpdate update(to);
    if (!update.Locked()) return Copy::Failed;
    const FileContents present = update.Read();
    if (present.status == ReadStatus::Ok) return Copy::AlreadyThere;
    // An unreadable file is someone's settings all the same: never replaced.
    if (present.status == ReadStatus::Failed) return Copy::Failed;
    return update.Replace(factory.bytes) ? Copy::Made : Copy::Failed;
}

}  // namespace

bool IsInstalledProgramFolder(const std::string& programFolder) {
    if (programFolder.empty()) return false;
    const std::string path = programFolder + kLayoutFileName;
    return FileExists(path) && IniFile(path).ReadString("Layout", "Settings", "") == "user";
}

std::string UserSettingsFolder() { return XdgConfigHome() + "/VELDAN/Kelm/"; }

bool SeedUserSettings(const std::string& factoryFolder, const std::string& settingsFolder, std::string* error) {
    // Private: profiles and macros are the user's own.
    if (!MakeFolders(settingsFolder + "config/", true)) {
        if (error != nullptr) *error = settingsFolder + "config/: cannot make the folder";
        return false;
    }
    for (const std::string& file : SettingsFiles()) {
        const std::string target = settingsFolder + file;
        const Copy copy = CopyIfMissing(factoryFolder + file, target);
        if (copy == Copy::Failed) {
            if (error != nullptr) *error = target + ": cannot copy the factory settings";
            return false;
        }
        if (copy == Copy::Made && file == StoreLocation{}.ConfigPath()) {
            IniFile config(target);
            config.WriteInt("Setting", "QuickHelpLan", DefaultLanguageIndex());
            if (!config.Save()) {
                if (error != nullptr) *error = target + ": cannot write the language";
                return false;
            }
        }
    }
    return true;
}

}  // namespace kelm
