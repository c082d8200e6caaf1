#include "platform/SocketAddress.h"

#include <cstddef>
#include <cstring>

namespace kelm {

bool MakeSocketAddress(const std::string& path, SocketAddress& out) {
    out = SocketAddress{};
    if (path.empty() || path.size() >= sizeof out.address.sun_path) return false;
    out.address.sun_family = AF_UNIX;
    std::memcpy(out.address.sun_path, path.c_str(), path.size() + 1);
    out.length = static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + path.size() + 1);
    return true;
}

}  // namespace kelm
