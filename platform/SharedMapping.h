// Named shared memory blocks, as file mappings backed by the paging file
// are: the file <runtime>/shm/<name>, exactly the block's size, 0600,
// mapped whole with MAP_SHARED; lifetime as SharedObjectFile describes.
#pragma once

#include <cstddef>
#include <string_view>

#include "platform/SharedObjectFile.h"

namespace kelm {

class SharedMapping {
public:
    SharedMapping() = default;
    // Creates the block zero-filled, or opens it when it exists already
    // (AlreadyExisted() then tells, as ERROR_ALREADY_EXISTS does). Empty on
    // failure, or when an existing block is smaller than size.
    static SharedMapping Create(std::string_view name, std::size_t size);
    // Opens an existing block of at least size bytes; empty when nobody
    // holds one by that name.
    static SharedMapping Open(std::string_view name, std::size_t size);

    explicit operator bool() const { return static_cast<bool>(object_); }
    bool AlreadyExisted() const { return object_ && !object_.Created(); }
    void* Data() const { return object_.Data(); }
    std::size_t Size() const { return object_.Size(); }

private:
    explicit SharedMapping(SharedObjectFile object) : object_(std::move(object)) {}
    static SharedMapping Acquire(std::string_view name, std::size_t size, SharedObjectFile::Mode mode);
    SharedObjectFile object_;
};

}  // namespace kelm
