// Programs as the desktop knows them: desktop entries (".desktop" files) in
// the XDG data folders, the user's default application for a MIME type, and
// programs in PATH. Everything here reads files only; nothing is run.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kelm {

// $XDG_DATA_HOME/applications, then the applications folder of each of
// $XDG_DATA_DIRS: the first holding a desktop id decides.
std::vector<std::string> ApplicationFolders();

// The file of a desktop id ("vlc.desktop"); nullopt when no folder has it.
std::optional<std::string> FindDesktopFile(std::string_view desktopId);

// An Exec value as an argument vector: the desktop entry's quoting undone,
// field codes (%f, %U, ...) dropped, "%%" made "%". nullopt for a quote
// left open.
std::optional<std::vector<std::string>> SplitExec(std::string_view exec);

// How the desktop starts the application of a desktop file without a file
// to open: Exec's arguments with the program made an absolute path. nullopt
// when the file is no application, is hidden, or its program (TryExec, else
// Exec's first word) is not installed.
std::optional<std::vector<std::string>> DesktopLaunchCommand(const std::string& desktopFile);

// The installed desktop id that the user's mimeapps.list files (desktop-
// specific ones first) name as default for mimeType, else the first the
// applications' mimeinfo.cache lists.
std::optional<std::string> DefaultApplication(std::string_view mimeType);

// The absolute path of an executable regular file: name itself when it
// holds a '/' and is absolute, else the first match in PATH's absolute
// folders (an empty or relative PATH entry would make the result depend on
// the working folder).
std::optional<std::string> FindProgram(std::string_view name);

}  // namespace kelm
