// Move-only owner of a shared, writable memory mapping of a file.
#pragma once

#include <cstddef>
#include <utility>

namespace kelm {

class MappedRegion {
public:
    MappedRegion() = default;
    // The first size bytes of fd, MAP_SHARED; empty on failure.
    static MappedRegion Map(int fd, std::size_t size);

    ~MappedRegion() { Reset(); }
    MappedRegion(MappedRegion&& other) noexcept
        : data_(std::exchange(other.data_, nullptr)), size_(std::exchange(other.size_, 0)) {}
    MappedRegion& operator=(MappedRegion&& other) noexcept {
        if (this != &other) {
            Reset();
            data_ = std::exchange(other.data_, nullptr);
            size_ = std::exchange(other.size_, 0);
        }
        return *this;
    }
    MappedRegion(const MappedRegion&) = delete;
    MappedRegion& operator=(const MappedRegion&) = delete;

    explicit operator bool() const { return data_ != nullptr; }
    void* Data() const { return data_; }
    std::size_t Size() const { return size_; }
    void Reset();

private:
    MappedRegion(void* data, std::size_t size) : data_(data), size_(size) {}
    void* data_ = nullptr;
    std::size_t size_ = 0;
};

}  // namespace kelm
