#include "platform/WindowEndpoint.h"

#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <string>
#include <unordered_map>

#include "platform/Debug.h"
#include "platform/FileLock.h"
#include "platform/MessageFrame.h"
#include "platform/ObjectPaths.h"
#include "platform/SocketAddress.h"
#include "platform/UniqueFd.h"

namespace kelm {

namespace {

// Far more than the suite's programs ever open at once; it only keeps a
// runaway client from using up the owner's descriptors.
constexpr std::size_t kMaxConnections = 64;

// A connection lives as long as the endpoint watches it or a message it
// brought waits to be handled, so a reply always finds its socket.
struct Connection {
    UniqueFd fd;
    MessageLoop::WatchId watch = 0;
    std::string received;  // bytes of frames not yet complete
};

bool PeerIsOwner(int fd) {
    ucred peer{};
    socklen_t length = sizeof peer;
    return ::getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &peer, &length) == 0 && peer.uid == ::geteuid();
}

}  // namespace

struct WindowEndpoint::State : std::enable_shared_from_this<WindowEndpoint::State> {
    State(MessageLoop& l, std::string t, Handler h) : loop(l), title(std::move(t)), handler(std::move(h)) {}

    bool Listen();
    void Accept();
    void Receive(const std::shared_ptr<Connection>& connection);
    void Handle(const std::shared_ptr<Connection>& connection, const WindowMessage& message);
    void Reply(Connection& connection, std::int64_t result);
    void Drop(Connection& connection);
    void Shutdown();

    MessageLoop& loop;
    const std::string title;
    const Handler handler;
    std::string socketPath;
    std::string lockPath;
    UniqueFd lock;
    UniqueFd listener;
    bool bound = false;
    MessageLoop::WatchId listenWatch = 0;
    std::unordered_map<Connection*, std::shared_ptr<Connection>> connections;
    // The sent message whose handler runs now, and whether it deferred.
    std::shared_ptr<Connection> handling;
    bool deferred = false;
};

bool WindowEndpoint::State::Listen() {
    socketPath = EndpointPath(title);
    SocketAddress address;
    if (socketPath.empty() || !MakeSocketAddress(socketPath, address)) {
        DebugOutput("WindowEndpoint: no socket path for \"%s\"\n", title.c_str());
        return false;
    }
    lockPath = socketPath + ".lock";
    lock = LockFileExclusive(lockPath);
    if (!lock) {
        DebugOutput("WindowEndpoint: \"%s\" is owned by a running program (%s)\n", title.c_str(), std::strerror(errno));
        return false;
    }
    // Holding the lock makes any socket found here a dead owner's.
    ::unlink(socketPath.c_str());
    listener.Reset(::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0));
    if (!listener) return false;
    if (::bind(listener.Get(), address.Get(), address.length) != 0) {
        DebugOutput("WindowEndpoint: bind %s: %s\n", socketPath.c_str(), std::strerror(errno));
        return false;
    }
    bound = true;
    if (::chmod(socketPath.c_str(), 0600) != 0 || ::listen(listener.Get(), SOMAXCONN) != 0) return false;
    listenWatch = loop.Watch(listener.Get(), [this] { Accept(); });
    return listenWatch != 0;
}

void WindowEndpoint::State::Accept() {
    for (;;) {
        UniqueFd fd(::accept4(listener.Get(), nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC));
        if (!fd) {
            if (errno == EINTR || errno == ECONNABORTED) continue;
            return;
        }
        if (!PeerIsOwner(fd.Get())) {
            DebugOutput("WindowEndpoint: refused a connection from another user to \"%s\"\n", title.c_str());
            continue;
        }
        if (connections.size() >= kMaxConnections) {
            DebugOutput("WindowEndpoint: too many connections to \"%s\"\n", title.c_str());
            continue;
        }
        auto connection = std::make_shared<Connection>();
        connection->fd = std::move(fd);
        connection->watch = loop.Watch(connection->fd.Get(), [this, connection] { Receive(connection); });
        if (connection->watch != 0) connections.emplace(connection.get(), connection);
    }
}

void WindowEndpoint::State::Receive(const std::shared_ptr<Connection>& connection) {
    char chunk[kMaxFrameSize];
    const ssize_t n = ::recv(connection->fd.Get(), chunk, sizeof chunk, 0);
    if (n < 0 && (errno == EAGAIN || errno == EINTR)) return;
    if (n <= 0) {  // closed, possibly in the middle of a frame, which is dropped
        Drop(*connection);
        return;
    }
    connection->received.append(chunk, static_cast<std::size_t>(n));
    for (;;) {
        DecodedFrame frame = DecodeFrame(connection->received);
        if (frame.status == FrameStatus::NeedMore) return;
        if (frame.status == FrameStatus::Malformed) {
            DebugOutput("WindowEndpoint: malformed frame to \"%s\", connection closed\n", title.c_str());
            Drop(*connection);
            return;
        }
        connection->received.erase(0, frame.size);
        loop.Post([weak = weak_from_this(), connection, message = std::move(frame.message)] {
            if (const auto self = weak.lock()) self->Handle(connection, message);
        });
    }
}

void WindowEndpoint::State::Handle(const std::shared_ptr<Connection>& connection, const WindowMessage& message) {
    const bool sent = message.kind != MessageKind::Post;
    if (sent) {
        handling = connection;
        deferred = false;
    }
    const std::int64_t result = handler(message);
    if (!sent) return;
    handling.reset();
    if (!deferred) Reply(*connection, result);
}

void WindowEndpoint::State::Reply(Connection& connection, std::int64_t result) {
    const auto reply = EncodeReply(result);
    if (!connection.fd) return;
    if (::send(connection.fd.Get(), reply.data(), reply.size(), MSG_NOSIGNAL | MSG_DONTWAIT) !=
        static_cast<ssize_t>(reply.size()))
        Drop(connection);  // a sender that does not read its replies gets no more
}

void WindowEndpoint::State::Drop(Connection& connection) {
    if (connection.watch != 0) loop.Unwatch(std::exchange(connection.watch, 0));
    connections.erase(&connection);
}

void WindowEndpoint::State::Shutdown() {
    while (!connections.empty()) Drop(*connections.begin()->first);
    if (listenWatch != 0) loop.Unwatch(std::exchange(listenWatch, 0));
    if (bound) ::unlink(socketPath.c_str());
    listener.Reset();
    if (lock) ::unlink(lockPath.c_str());  // still ours while we hold it
    lock.Reset();
}

std::unique_ptr<WindowEndpoint> WindowEndpoint::Create(MessageLoop& loop, std::string_view title, Handler handler) {
    auto state = std::make_shared<State>(loop, std::string(title), std::move(handler));
    if (!state->Listen()) {
        state->Shutdown();
        return nullptr;
    }
    return std::unique_ptr<WindowEndpoint>(new WindowEndpoint(std::move(state)));
}

WindowEndpoint::WindowEndpoint(std::shared_ptr<State> state) : state_(std::move(state)) {}

DeferredReply WindowEndpoint::DeferReply() {
    if (!state_->handling) return {};
    state_->deferred = true;
    // The reply is given on the loop's thread, like every other reply, so it
    // never races the endpoint's own use of the connection.
    return DeferredReply([weak = state_->weak_from_this(), connection = state_->handling](std::int64_t result) {
        const auto self = weak.lock();
        if (!self) return;
        self->loop.Post([weak, connection, result] {
            if (const auto state = weak.lock()) state->Reply(*connection, result);
        });
    });
}

WindowEndpoint::~WindowEndpoint() { state_->Shutdown(); }

}  // namespace kelm
