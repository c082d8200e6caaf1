// Where the files live: the program folder (the programs and their
// read-only data), the settings folder (config.ini and the config/ folder;
// the program folder itself unless the suite is installed, see
// InstallLayout.h), the per-user file that stands in for the registry's
// keyboard values, and the folder shared with the maker's other devices.
#pragma once

#include <string>

namespace kelm {

struct StoreLocation {
    std::string programFolder;   // with a trailing '/'; empty when unknown
    std::string settingsFolder;  // with a trailing '/'
    std::string registryFile;    // $XDG_CONFIG_HOME/VELDAN/registry.ini
    std::string sharedFolder;    // $XDG_DATA_HOME/VELDAN/Pact/, trailing '/'

    // From KELM_HOME or the running executable's folder, and the XDG
    // variables (with their documented fallbacks under HOME). In an
    // installed program folder the settings are the user's, seeded from the
    // factory files the first time.
    static StoreLocation FromEnvironment();
    // Everything below one program folder, settings included; the registry
    // stand-in and shared folder are taken from the environment.
    static StoreLocation ForProgramFolder(std::string folder);

    std::string ConfigPath() const { return settingsFolder + "config.ini"; }
    std::string ConfigFolder() const { return settingsFolder + "config/"; }
    std::string ProfilePath(int slot) const;
    std::string TimerPath() const { return ConfigFolder() + "Timer.ini"; }
    std::string MacroLibraryPath() const { return ConfigFolder() + "Preset_sequence.dat"; }
    // Creates the shared folder when it is missing, as the Windows special
    // folder lookup does.
    std::string SharedSettingsFolder() const;
};

// The folder of the running executable with a trailing '/', or "" when it
// cannot be had.
std::string ExecutableFolder();
// Appends '/' unless text already ends with one.
std::string WithTrailingSlash(std::string text);
// Creates folder and its parents (0700 for new ones when privateMode).
bool MakeFolders(const std::string& folder, bool privateMode = false);

}  // namespace kelm
