// <runtime>: the per-user folder that holds the suite's endpoints, shared
// blocks and sockets. It is $XDG_RUNTIME_DIR/VELDAN, or /tmp/VELDAN-<uid>
// when XDG_RUNTIME_DIR is unset. Only its owner may enter it, so that no
// other user can reach or replace what lives there.
#pragma once

#include <string>

namespace kelm {

// Creates folder (the last component only) with mode 0700 when it is
// missing. An existing folder must be a real folder, not a symbolic link,
// owned by this process's user; group and other permission bits are taken
// away. False with a reason in *error (when given) otherwise.
bool EnsurePrivateFolder(const std::string& folder, std::string* error = nullptr);

// The runtime folder without a trailing '/', created and checked as
// EnsurePrivateFolder does; empty with a reason in *error on failure.
std::string RuntimeFolder(std::string* error = nullptr);

}  // namespace kelm
