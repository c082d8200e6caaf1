#include "platform/SysCalls.h"

#include <fcntl.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>

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

namespace {
SysCalls g_realCalls;
std::atomic<SysCalls*> g_calls{&g_realCalls};
}  // namespace

SysCalls& Sys() { return *g_calls.load(std::memory_order_acquire); }

ScopedSysCalls::ScopedSysCalls(SysCalls& replacement)
    : previous_(g_calls.exchange(&replacement, std::memory_order_acq_rel)) {}

ScopedSysCalls::~ScopedSysCalls() { g_calls.store(previous_, std::memory_order_release); }

}  // namespace kelm
