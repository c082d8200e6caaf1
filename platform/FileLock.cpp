#include "platform/FileLock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>

#include <cerrno>

namespace kelm {

namespace {
// A holder that removes the file between our open and our lock sends us
// round again; more rounds than this mean something keeps churning the
// name, and giving up beats spinning.
constexpr int kLockRounds = 16;
}  // namespace

bool IsSameFile(int fd, const std::string& path) {
    struct stat byFd {};
    struct stat byPath {};
    return ::fstat(fd, &byFd) == 0 && ::lstat(path.c_str(), &byPath) == 0 && byFd.st_dev == byPath.st_dev &&
           byFd.st_ino == byPath.st_ino;
}

UniqueFd LockFileExclusive(const std::string& path) {
    for (int round = 0; round < kLockRounds; ++round) {
        UniqueFd fd(Sys().Open(path.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW, 0600));
        if (!fd) return fd;
        int locked;
        do locked = ::flock(fd.Get(), LOCK_EX | LOCK_NB);
        while (locked != 0 && errno == EINTR);
        if (locked != 0) {
            const int why = errno;
            fd.Reset();
            errno = why;
            return fd;
        }
        if (IsSameFile(fd.Get(), path)) return fd;
    }
    errno = EAGAIN;
    return UniqueFd();
}

}  // namespace kelm
