#include "platform/SharedMapping.h"

#include "platform/ObjectPaths.h"

namespace kelm {

SharedMapping SharedMapping::Acquire(std::string_view name, std::size_t size, SharedObjectFile::Mode mode) {
    const std::string path = SharedObjectPath(name);
    if (path.empty() || size == 0) return {};
    return SharedMapping(SharedObjectFile::Acquire(path, size, mode));
}

SharedMapping SharedMapping::Create(std::string_view name, std::size_t size) {
    return Acquire(name, size, SharedObjectFile::Mode::Create);
}

SharedMapping SharedMapping::Open(std::string_view name, std::size_t size) {
    return Acquire(name, size, SharedObjectFile::Mode::OpenExisting);
}

}  // namespace kelm
