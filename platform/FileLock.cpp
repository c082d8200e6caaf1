#include "platform/FileLock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>

namespace kelm {

namespace {
// A holder that removes the file between our open and our lock sends us
// round again; more rounds than this past the deadline mean something keeps
// churning the name, and giving up beats spinning.
constexpr int kLockRounds = 16;

// Locks guard saves, which take milliseconds, so the first pauses are short;
// the longest stays short too, since flock queues no one: a waiter that
// looks too seldom may never meet the moment between a busy writer's saves.
constexpr std::chrono::microseconds kFirstPause{100};
constexpr std::chrono::microseconds kLongestPause{2000};

UniqueFd Failed(int why) {
    errno = why;
    return UniqueFd();
}
}  // namespace

bool IsSameFile(int fd, const std::string& path) {
    struct stat byFd {};
    struct stat byPath {};
    return ::fstat(fd, &byFd) == 0 && ::lstat(path.c_str(), &byPath) == 0 && byFd.st_dev == byPath.st_dev &&
           byFd.st_ino == byPath.st_ino;
}

UniqueFd LockFileExclusive(const std::string& path, std::chrono::milliseconds patience) {
    const auto deadline = Sys().Now() + patience;
    std::chrono::microseconds pause = kFirstPause;
    for (int round = 0;; ++round) {
        UniqueFd fd;
        do fd.Reset(Sys().Open(path.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW, 0600));
        while (!fd && errno == EINTR);
        if (!fd) return fd;
        int locked;
        do locked = Sys().Flock(fd.Get(), LOCK_EX | LOCK_NB);
        while (locked != 0 && errno == EINTR);
        const int why = errno;
        if (locked == 0 && IsSameFile(fd.Get(), path)) return fd;
        fd.Reset();
        if (locked != 0 && why != EWOULDBLOCK) return Failed(why);
        const bool late = Sys().Now() >= deadline;
        if (locked == 0) {
            if (late && round >= kLockRounds) return Failed(EAGAIN);
            continue;  // the holder let go and removed the file: at once again
        }
        if (late) return Failed(EWOULDBLOCK);
        Sys().Pause(pause);
        pause = std::min(pause * 2, kLongestPause);
    }
}

}  // namespace kelm
