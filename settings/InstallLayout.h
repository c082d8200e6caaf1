// Which of the two layouts a program folder has, and the first start of a
// user in the installed one.
//
// A program folder of a build (build/bin/), or any folder KELM_HOME names,
// holds everything side by side: the programs, their read-only data and the
// settings the user changes, as the suite has always kept them.
// An installed program folder (lib/kelm/ under the prefix) is read-only and
// shared by every user of the machine: it carries "layout.ini", which sends
// the settings to the user's own folder, and "factory/", the settings that
// folder starts from.
#pragma once

#include <string>

namespace kelm {

// The marker of an installed program folder and the value that sends the
// settings to the user's folder:
//   [Layout]
//   Settings=user
inline constexpr const char* kLayoutFileName = "layout.ini";
inline constexpr const char* kFactoryFolderName = "factory/";

// True when programFolder (with a trailing '/') is an installed one.
bool IsInstalledProgramFolder(const std::string& programFolder);

// $XDG_CONFIG_HOME/VELDAN/Kelm/, with a trailing '/'.
std::string UserSettingsFolder();

// Gives settingsFolder every factory file it lacks: config.ini and the
// config/ folder's files. Files already there are never touched, whoever
// wrote them, and each copy is made under the file's save lock, so two
// programs starting at once cannot overwrite what the first has changed.
// A config.ini it makes takes the session's language rather than the one of
// the machine that built the factory files. False, with error naming the
// file, when a copy cannot be made; the copies made stay.
bool SeedUserSettings(const std::string& factoryFolder, const std::string& settingsFolder, std::string* error);

}  // namespace kelm
