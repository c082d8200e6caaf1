// Unix socket addresses for endpoint paths.
#pragma once

#include <sys/socket.h>
#include <sys/un.h>

#include <string>

namespace kelm {

struct SocketAddress {
    sockaddr_un address{};
    socklen_t length = 0;

    const sockaddr* Get() const { return reinterpret_cast<const sockaddr*>(&address); }
};

// False when path does not fit into a socket address (108 bytes).
bool MakeSocketAddress(const std::string& path, SocketAddress& out);

}  // namespace kelm
