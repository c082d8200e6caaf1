#include "platform/WindowClient.h"

#include <poll.h>
#include <sys/socket.h>
#include <sys/time.h>

#include <algorithm>
#include <cerrno>

#include "platform/MessageFrame.h"
#include "platform/ObjectPaths.h"
#include "platform/SocketAddress.h"

namespace kelm {

namespace {

timeval ToTimeval(std::chrono::milliseconds wait) {
    timeval tv{};
    tv.tv_sec = static_cast<time_t>(wait.count() / 1000);
    tv.tv_usec = static_cast<suseconds_t>((wait.count() % 1000) * 1000);
    return tv;
}

bool ReadReply(int fd, std::array<char, kReplySize>& reply, std::chrono::milliseconds wait) {
    const auto deadline = std::chrono::steady_clock::now() + wait;
    std::size_t done = 0;
    while (done < reply.size()) {
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) return false;
        pollfd p{fd, POLLIN, 0};
        const int ready =
            ::poll(&p, 1, static_cast<int>(std::min<std::chrono::milliseconds::rep>(left.count(), INT32_MAX)));
        if (ready < 0 && errno == EINTR) continue;
        if (ready <= 0) return false;
        const ssize_t n = ::recv(fd, reply.data() + done, reply.size() - done, 0);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        done += static_cast<std::size_t>(n);
    }
    return true;
}

}  // namespace

WindowConnection WindowConnection::Connect(std::string_view title) {
    SocketAddress address;
    if (!MakeSocketAddress(EndpointPath(title), address)) return {};
    UniqueFd fd(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0));
    if (!fd) return {};
    // Bounds both the connect (a listener whose backlog is full) and every
    // write (a receiver that stopped reading).
    const timeval tv = ToTimeval(kDeliveryWait);
    if (::setsockopt(fd.Get(), SOL_SOCKET, SO_SNDTIMEO, &tv, sizeof tv) != 0) return {};
    if (::connect(fd.Get(), address.Get(), address.length) != 0) return {};
    return WindowConnection(std::move(fd));
}

bool WindowConnection::Write(const WindowMessage& message) {
    const std::string frame = EncodeFrame(message);
    if (!fd_ || frame.empty()) return false;
    std::size_t done = 0;
    while (done < frame.size()) {
        const ssize_t n = ::send(fd_.Get(), frame.data() + done, frame.size() - done, MSG_NOSIGNAL);
        if (n > 0) {
            done += static_cast<std::size_t>(n);
        } else if (n < 0 && errno == EINTR) {
            continue;
        } else {
            fd_.Reset();
            return false;
        }
    }
    return true;
}

std::optional<std::int64_t> WindowConnection::Exchange(const WindowMessage& message, std::chrono::milliseconds wait) {
    if (!Write(message)) return std::nullopt;
    std::array<char, kReplySize> reply{};
    if (!ReadReply(fd_.Get(), reply, wait)) {
        // A late reply would be taken for the next message's; start afresh.
        fd_.Reset();
        return std::nullopt;
    }
    return DecodeReply(reply);
}

bool WindowConnection::Post(std::uint32_t msg, std::uint64_t wParam, std::int64_t lParam) {
    WindowMessage message;
    message.kind = MessageKind::Post;
    message.msg = msg;
    message.wParam = wParam;
    message.lParam = lParam;
    return Write(message);
}

std::optional<std::int64_t> WindowConnection::Send(std::uint32_t msg, std::uint64_t wParam, std::int64_t lParam,
                                                   std::chrono::milliseconds wait) {
    WindowMessage message;
    message.kind = MessageKind::Send;
    message.msg = msg;
    message.wParam = wParam;
    message.lParam = lParam;
    return Exchange(message, wait);
}

std::optional<std::int64_t> WindowConnection::SendCopyData(std::uint32_t dwData, std::string_view data,
                                                           std::chrono::milliseconds wait) {
    WindowMessage message;
    message.kind = MessageKind::CopyData;
    message.msg = WM_COPYDATA;
    message.dwData = dwData;
    message.data = std::string(data);
    return Exchange(message, wait);
}

bool FindWindow(std::string_view title) { return static_cast<bool>(WindowConnection::Connect(title)); }

bool PostMessage(std::string_view title, std::uint32_t msg, std::uint64_t wParam, std::int64_t lParam) {
    return WindowConnection::Connect(title).Post(msg, wParam, lParam);
}

std::optional<std::int64_t> SendMessage(std::string_view title, std::uint32_t msg, std::uint64_t wParam,
                                        std::int64_t lParam, std::chrono::milliseconds wait) {
    return WindowConnection::Connect(title).Send(msg, wParam, lParam, wait);
}

std::optional<std::int64_t> SendCopyData(std::string_view title, std::uint32_t dwData, std::string_view data,
                                         std::chrono::milliseconds wait) {
    return WindowConnection::Connect(title).SendCopyData(dwData, data, wait);
}

}  // namespace kelm
