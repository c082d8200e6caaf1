// Every system call the suite makes on files and descriptors goes through
// this seam, so tests can inject EINTR, short transfers and failures without
// touching the real file system's behaviour.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <cstddef>
#include <string>
#include <vector>

namespace kelm {

class SysCalls {
public:
    virtual ~SysCalls() = default;
    virtual int Open(const char* path, int flags, mode_t mode);
    virtual ssize_t Read(int fd, void* buffer, std::size_t size);
    virtual ssize_t Write(int fd, const void* buffer, std::size_t size);
    virtual int Fsync(int fd);
    virtual int Fchmod(int fd, mode_t mode);
    virtual int Close(int fd);
    virtual int Rename(const char* from, const char* to);
    virtual int Unlink(const char* path);
    virtual int MkTemp(char* pathTemplate);  // mkstemp: opens 0600, O_RDWR
    virtual int Flock(int fd, int operation);
    // The names in folder, without "." and ".."; 0, or -1 with errno.
    virtual int ListFolder(const char* folder, std::vector<std::string>& names);
    // Waiting for a lock reads the monotonic clock and pauses through here,
    // so that a test moves a virtual clock rather than sleeping.
    virtual std::chrono::steady_clock::time_point Now();
    virtual void Pause(std::chrono::microseconds span);
};

// The calls in force for this process.
SysCalls& Sys();

// Puts a test double in force for its lifetime.
class ScopedSysCalls {
public:
    explicit ScopedSysCalls(SysCalls& replacement);
    ~ScopedSysCalls();
    ScopedSysCalls(const ScopedSysCalls&) = delete;
    ScopedSysCalls& operator=(const ScopedSysCalls&) = delete;

private:
    SysCalls* previous_;
};

}  // namespace kelm
