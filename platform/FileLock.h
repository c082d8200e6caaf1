// Lock files that decide who owns a name. A holder that is done removes the
// file while still holding the lock, so whoever opened the old file in the
// meantime must notice that its lock is on a file no longer reachable by
// the name; both helpers here check exactly that.
#pragma once

#include <chrono>
#include <string>

#include "platform/UniqueFd.h"

namespace kelm {

// True when fd is the file that path names now (same device and inode).
bool IsSameFile(int fd, const std::string& path);

// Opens path (created 0600 when missing) and takes an exclusive flock on it,
// on the file that path still names once locked. While another holder keeps
// the lock it tries again every millisecond or two until patience has
// passed on the seam's clock; no patience means a single try. An empty
// descriptor when the lock stays taken (errno EWOULDBLOCK) or the file
// cannot be opened.
UniqueFd LockFileExclusive(const std::string& path, std::chrono::milliseconds patience = {});

}  // namespace kelm
