#include "platform/SharedObjectFile.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "platform/Debug.h"
#include "platform/FileLock.h"

namespace kelm {

namespace {

// Rounds lost to holders removing the file under us before giving up.
constexpr int kAcquireRounds = 16;

bool SetGuard(int fd, short type) {
    struct flock guard {};
    guard.l_type = type;
    guard.l_whence = SEEK_SET;
    int result;
    do result = ::fcntl(fd, type == F_UNLCK ? F_OFD_SETLK : F_OFD_SETLKW, &guard);
    while (result != 0 && errno == EINTR);
    return result == 0;
}

bool TryFlock(int fd, int operation) {
    int result;
    do result = ::flock(fd, operation | LOCK_NB);
    while (result != 0 && errno == EINTR);
    return result == 0;
}

bool MakeFresh(int fd, std::size_t size) {
    return ::ftruncate(fd, 0) == 0 && ::ftruncate(fd, static_cast<off_t>(size)) == 0 && Sys().Fchmod(fd, 0600) == 0;
}

}  // namespace

SharedObjectFile SharedObjectFile::Acquire(const std::string& path, std::size_t size, Mode mode,
                                           const Initializer& initialize) {
    const int flags = O_RDWR | O_NOFOLLOW | (mode == Mode::Create ? O_CREAT : 0);
    for (int round = 0; round < kAcquireRounds; ++round) {
        // path_ is set only on success, so a failed attempt never removes
        // the file when it lets go.
        SharedObjectFile object;
        object.fd_.Reset(Sys().Open(path.c_str(), flags, 0600));
        const int fd = object.fd_.Get();
        if (fd < 0 || !SetGuard(fd, F_WRLCK)) return {};
        if (!IsSameFile(fd, path)) continue;  // the last holder removed it meanwhile
        struct stat st {};
        if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || st.st_uid != ::geteuid()) {
            DebugOutput("SharedObject: %s is not this user's file\n", path.c_str());
            return {};
        }
        if (TryFlock(fd, LOCK_EX)) {  // nobody holds it
            if (mode == Mode::OpenExisting || !MakeFresh(fd, size)) {
                ::unlink(path.c_str());
                return {};
            }
            object.created_ = true;
            st.st_size = static_cast<off_t>(size);
        } else if (errno != EWOULDBLOCK) {
            return {};
        }
        if (static_cast<std::size_t>(st.st_size) < size) {
            DebugOutput("SharedObject: %s is smaller than %zu bytes\n", path.c_str(), size);
            return {};
        }
        object.view_ = MappedRegion::Map(fd, size);
        if (!object.view_ || (object.created_ && initialize && !initialize(object.view_.Data())) ||
            !TryFlock(fd, LOCK_SH)) {
            if (object.created_) ::unlink(path.c_str());
            return {};
        }
        SetGuard(fd, F_UNLCK);
        object.path_ = path;
        return object;
    }
    return {};
}

SharedObjectFile::SharedObjectFile(SharedObjectFile&& other) noexcept
    : path_(std::move(other.path_)),
      fd_(std::move(other.fd_)),
      view_(std::move(other.view_)),
      created_(std::exchange(other.created_, false)) {}

SharedObjectFile& SharedObjectFile::operator=(SharedObjectFile&& other) noexcept {
    if (this != &other) {
        Release();
        path_ = std::move(other.path_);
        fd_ = std::move(other.fd_);
        view_ = std::move(other.view_);
        created_ = std::exchange(other.created_, false);
    }
    return *this;
}

void SharedObjectFile::Release() {
    view_.Reset();
    if (!fd_) return;
    // Our shared lock still keeps the file ours, so the path cannot name
    // another file unless someone removed it by hand.
    if (SetGuard(fd_.Get(), F_WRLCK) && TryFlock(fd_.Get(), LOCK_EX) && IsSameFile(fd_.Get(), path_))
        ::unlink(path_.c_str());
    fd_.Reset();
    created_ = false;
}

}  // namespace kelm
