#include "emulator/EmuServer.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "emulator/EmuControl.h"

namespace kelm::emu {

namespace {

bool Fail(std::string* error, const std::string& text) {
    if (error != nullptr) *error = text;
    return false;
}

bool SameUser(int fd) {
    ucred peer{};
    socklen_t size = sizeof peer;
    return ::getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &peer, &size) == 0 && peer.uid == ::geteuid();
}

}  // namespace

EmuServer::EmuServer(EmuKeyboard& keyboard, Saver saver) : keyboard_(keyboard), saver_(std::move(saver)) {}

EmuServer::~EmuServer() {
    // Only the holder of the lock may remove the socket it made.
    if (listener_) ::unlink(path_.c_str());
}

bool EmuServer::Listen(const std::string& path, std::string* error) {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (path.empty() || path.size() >= sizeof address.sun_path)
        return Fail(error, "socket path is empty or too long: " + path);
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);

    const std::string lockPath = path + ".lock";
    UniqueFd lock(Sys().Open(lockPath.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW, 0600));
    if (!lock) return Fail(error, lockPath + ": " + std::strerror(errno));
    if (::flock(lock.Get(), LOCK_EX | LOCK_NB) != 0)
        return Fail(error, errno == EWOULDBLOCK ? "another KelmEmu is serving " + path
                                                : lockPath + ": " + std::strerror(errno));

    UniqueFd listener(::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0));
    if (!listener) return Fail(error, std::string("socket: ") + std::strerror(errno));
    if (::unlink(path.c_str()) != 0 && errno != ENOENT) return Fail(error, path + ": " + std::strerror(errno));
    if (::bind(listener.Get(), reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0)
        return Fail(error, path + ": " + std::strerror(errno));
    if (::chmod(path.c_str(), 0600) != 0 || ::listen(listener.Get(), 16) != 0) {
        const std::string why = path + ": " + std::strerror(errno);
        ::unlink(path.c_str());
        return Fail(error, why);
    }
    path_ = path;
    lock_ = std::move(lock);
    listener_ = std::move(listener);
    return true;
}

void EmuServer::Run(int stopFd) {
    std::vector<pollfd> fds;
    for (;;) {
        fds.clear();
        fds.push_back({stopFd, POLLIN, 0});
        fds.push_back({listener_.Get(), POLLIN, 0});
        for (const auto& client : clients_) {
            short events = client->closing ? 0 : POLLIN;
            if (!client->out.empty()) events = static_cast<short>(events | POLLOUT);
            fds.push_back({client->fd.Get(), events, 0});
        }
        if (::poll(fds.data(), fds.size(), -1) < 0) {
            if (errno == EINTR) continue;
            return;
        }
        if ((fds[0].revents & POLLIN) != 0) return;
        // Clients accepted below are polled from the next round on.
        const std::size_t polled = fds.size() - 2;
        for (std::size_t i = 0; i < polled; ++i) {
            Client& client = *clients_[i];
            const short revents = fds[i + 2].revents;
            if ((revents & POLLIN) != 0 && !client.dead && !client.closing) ReadFrom(client);
            if ((revents & (POLLERR | POLLHUP | POLLNVAL)) != 0 && (revents & POLLIN) == 0) client.dead = true;
            if (!client.dead && !client.out.empty()) Flush(client);
        }
        if ((fds[1].revents & POLLIN) != 0) Accept();
        std::erase_if(clients_, [](const auto& c) { return c->dead || (c->closing && c->out.empty()); });
    }
}

void EmuServer::Accept() {
    for (;;) {
        UniqueFd fd(::accept4(listener_.Get(), nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC));
        if (!fd) return;
        if (!SameUser(fd.Get()) || clients_.size() >= kMaxClients) continue;
        auto client = std::make_unique<Client>();
        client->fd = std::move(fd);
        clients_.push_back(std::move(client));
    }
}

void EmuServer::ReadFrom(Client& client) {
    char chunk[65536];
    const ssize_t n = ::recv(client.fd.Get(), chunk, sizeof chunk, 0);
    if (n == 0 || (n < 0 && errno != EINTR && errno != EAGAIN && errno != EWOULDBLOCK)) {
        client.dead = true;
        return;
    }
    if (n < 0) return;
    client.decoder.Feed(std::string_view(chunk, static_cast<std::size_t>(n)));
    Frame frame;
    for (;;) {
        const auto result = client.decoder.Next(frame);
        if (result == FrameDecoder::Result::NeedMore) return;
        if (result == FrameDecoder::Result::Malformed) {
            client.dead = true;
            return;
        }
        Handle(client, frame);
        AfterRequest();
        // Replies leave only now, once what the request changed is saved.
        for (const auto& other : clients_)
            if (!other->dead && !other->out.empty()) Flush(*other);
        if (client.dead || client.closing) return;
    }
}

void EmuServer::Handle(Client& client, const Frame& frame) {
    switch (client.role) {
        case Role::None:
            if (frame.kind == FrameKind::OpenFeature && frame.payload.empty()) {
                const bool plugged = keyboard_.Plugged();
                Reply(client, plugged);
                client.role = Role::Feature;
                client.closing = !plugged;
                return;
            }
            if (frame.kind == FrameKind::Subscribe && frame.payload.empty()) {
                client.role = Role::Subscriber;
                Queue(client, FrameKind::Presence, std::string(1, keyboard_.Plugged() ? '\1' : '\0'));
                return;
            }
            if (frame.kind == FrameKind::Control) {
                client.role = Role::Control;
                Handle(client, frame);
                return;
            }
            break;
        case Role::Feature:
            HandleFeature(client, frame);
            return;
        case Role::Control:
            if (frame.kind == FrameKind::Control) {
                const ActionResult result = RunControl(keyboard_, SplitWords(frame.payload));
                Reply(client, result.ok, result.text);
                return;
            }
            break;
        case Role::Subscriber:
            break;
    }
    client.dead = true;
}

void EmuServer::HandleFeature(Client& client, const Frame& frame) {
    if (frame.kind == FrameKind::SetFeature) {
        const auto* bytes = reinterpret_cast<const std::uint8_t*>(frame.payload.data());
        Reply(client, keyboard_.SetFeature(ReportView(bytes, frame.payload.size())));
        return;
    }
    std::uint8_t id = 0;
    std::uint32_t length = 0;
    if (frame.kind == FrameKind::GetFeature && DecodeGetRequest(frame.payload, id, length)) {
        const auto answer = keyboard_.GetFeature(id, length);
        if (!answer) {
            Reply(client, false);
            return;
        }
        Reply(client, true, std::string_view(reinterpret_cast<const char*>(answer->data()), answer->size()));
        return;
    }
    client.dead = true;
}

void EmuServer::Reply(Client& client, bool ok, std::string_view data) {
    std::string payload(1, ok ? '\1' : '\0');
    payload.append(data);
    Queue(client, FrameKind::Reply, payload);
}

void EmuServer::Queue(Client& client, FrameKind kind, std::string_view payload) {
    client.out += EncodeFrame(kind, payload);
    if (client.out.size() > kMaxQueued) client.dead = true;
}

void EmuServer::Flush(Client& client) {
    while (!client.out.empty()) {
        const ssize_t n = ::send(client.fd.Get(), client.out.data(), client.out.size(), MSG_NOSIGNAL);
        if (n > 0) {
            client.out.erase(0, static_cast<std::size_t>(n));
        } else if (n < 0 && errno == EINTR) {
            continue;
        } else if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            return;
        } else {
            client.dead = true;
            return;
        }
    }
}

void EmuServer::AfterRequest() {
    for (const Notification& note : keyboard_.TakeNotifications()) {
        const bool presence = note.kind == Notification::Kind::Presence;
        const std::string payload =
            presence ? std::string(1, note.plugged ? '\1' : '\0') : EncodeEvent(note.type, note.data);
        for (const auto& client : clients_) {
            if (client->dead) continue;
            if (client->role == Role::Subscriber)
                Queue(*client, presence ? FrameKind::Presence : FrameKind::Event, payload);
            // A vanished keyboard ends every feature channel, after the
            // reply that is on its way.
            if (presence && !note.plugged && client->role == Role::Feature) client->closing = true;
        }
    }
    if (keyboard_.TakeMemoryChanged() && saver_) saver_(keyboard_.Memory());
}

}  // namespace kelm::emu
