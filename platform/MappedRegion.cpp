#include "platform/MappedRegion.h"

#include <sys/mman.h>

namespace kelm {

MappedRegion MappedRegion::Map(int fd, std::size_t size) {
    void* data = ::mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
    if (data == MAP_FAILED) return {};
    return MappedRegion(data, size);
}

void MappedRegion::Reset() {
    if (data_ != nullptr) ::munmap(data_, size_);
    data_ = nullptr;
    size_ = 0;
}

}  // namespace kelm
