// Where named things live below the runtime folder: message endpoints in
// <runtime>/windows, shared blocks and mutexes in <runtime>/shm. Both
// folders are private to the user, like the runtime folder itself.
#pragma once

#include <string>
#include <string_view>

namespace kelm {

// The file name for a window title or object name: '/' (and NUL, which no
// path can hold) becomes '_'. Empty for a name that cannot be a file name:
// "", "." and "..".
std::string ObjectFileName(std::string_view name);

// <runtime>/windows/<title>; empty when the title is unusable or the folder
// cannot be had.
std::string EndpointPath(std::string_view title);

// <runtime>/shm/<name>; empty when the name is unusable or the folder
// cannot be had.
std::string SharedObjectPath(std::string_view name);

}  // namespace kelm
