// What opening a stored path means, as ShellExecute "open" decides it: a
// program is started, anything else goes to the desktop's handler. The
// result is always safe to hand on as one argument: a path is absolute, an
// address begins with its scheme, so no program can take it for an option,
// and nothing ever passes through a shell.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace kelm {

struct LaunchTarget {
    enum class Kind { Program, Document };
    Kind kind;
    std::string target;  // an absolute path, or an address
};

// text: a path absolute or relative to workingFolder (which must be
// absolute), a program's bare name found in PATH, or an address
// ("https://...", "mailto:..."). nullopt for empty text and for a path that
// does not exist, which opening would only report as an error.
std::optional<LaunchTarget> ResolveLaunchTarget(std::string_view text, const std::string& workingFolder);

// The process's working folder; "/" when it cannot be had.
std::string WorkingFolder();

}  // namespace kelm
