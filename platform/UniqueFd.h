// Move-only owner of a file descriptor.
#pragma once

#include <utility>

#include "platform/SysCalls.h"

namespace kelm {

class UniqueFd {
public:
    UniqueFd() = default;
    explicit UniqueFd(int fd) : fd_(fd) {}
    ~UniqueFd() { Reset(); }
    UniqueFd(UniqueFd&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}
    UniqueFd& operator=(UniqueFd&& other) noexcept {
        if (this != &other) {
            Reset();
            fd_ = std::exchange(other.fd_, -1);
        }
        return *this;
    }
    UniqueFd(const UniqueFd&) = delete;
    UniqueFd& operator=(const UniqueFd&) = delete;

    int Get() const { return fd_; }
    explicit operator bool() const { return fd_ >= 0; }
    int Release() { return std::exchange(fd_, -1); }
    // Closes now and reports whether the close itself succeeded, which for a
    // file just written is the last chance to learn of a failed write.
    bool Close() {
        if (fd_ < 0) return true;
        return Sys().Close(std::exchange(fd_, -1)) == 0;
    }
    void Reset(int fd = -1) {
        if (fd_ >= 0) Sys().Close(fd_);
        fd_ = fd;
    }

private:
    int fd_ = -1;
};

}  // namespace kelm
