#include "platform/SysCalls.h"

#include <dirent.h>
#include <fcntl.h>
#include <stdlib.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <string_view>

namespace kelm {

int SysCalls::Open(const char* path, int flags, mode_t mode) { return ::open(path, flags | O_CLOEXEC, mode); }
ssize_t SysCalls::Read(int fd, void* buffer, std::size_t size) { return ::read(fd, buffer, size); }
ssize_t SysCalls::Write(int fd, const void* buffer, std::size_t size) { return ::write(fd, buffer, size); }
int SysCalls::Fsync(int fd) { return ::fsync(fd); }
int SysCalls::Fchmod(int fd, mode_t mode) { return ::fchmod(fd, mode); }
int SysCalls::Close(int fd) { return ::close(fd); }
int SysCalls::Rename(const char* from, const char* to) { return std::rename(from, to); }
int SysCalls::Unlink(const char* path) { return ::unlink(path); }
int SysCalls::MkTemp(char* pathTemplate) { return ::mkostemp(pathTemplate, O_CLOEXEC); }
int SysCalls::Flock(int fd, int operation) { return ::flock(fd, operation); }

int SysCalls::ListFolder(const char* folder, std::vector<std::string>& names) {
    DIR* dir = ::opendir(folder);
    if (dir == nullptr) return -1;
    errno = 0;
    while (const dirent* entry = ::readdir(dir)) {
        const std::string_view name = entry->d_name;
        if (name != "." && name != "..") names.emplace_back(name);
    }
    const int why = errno;
    ::closedir(dir);
    errno = why;
    return why == 0 ? 0 : -1;
}

std::chrono::steady_clock::time_point SysCalls::Now() { return std::chrono::steady_clock::now(); }

void SysCalls::Pause(std::chrono::microseconds span) {
    const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(span);
    const timespec wait{static_cast<time_t>(seconds.count()),
                        static_cast<long>(std::chrono::nanoseconds(span - seconds).count())};
    ::nanosleep(&wait, nullptr);
}

namespace {
SysCalls g_realCalls;
std::atomic<SysCalls*> g_calls{&g_realCalls};
}  // namespace

SysCalls& Sys() { return *g_calls.load(std::memory_order_acquire); }

ScopedSysCalls::ScopedSysCalls(SysCalls& replacement)
    : previous_(g_calls.exchange(&replacement, std::memory_order_acq_rel)) {}

ScopedSysCalls::~ScopedSysCalls() { g_calls.store(previous_, std::memory_order_release); }

}  // namespace kelm
