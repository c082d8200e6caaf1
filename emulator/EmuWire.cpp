#include "emulator/EmuWire.h"

#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>

#include <cerrno>
#include <chrono>
#include <cstring>

#include "platform/RuntimeFolder.h"

namespace kelm::emu {

namespace {

void PutU32(std::string& out, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
}

std::uint32_t GetU32(std::string_view bytes, std::size_t at) {
    std::uint32_t value = 0;
    for (int i = 3; i >= 0; --i)
        value = (value << 8) | static_cast<std::uint8_t>(bytes[at + static_cast<std::size_t>(i)]);
    return value;
}

std::uint16_t GetU16(std::string_view bytes, std::size_t at) {
    return static_cast<std::uint16_t>(static_cast<std::uint8_t>(bytes[at]) |
                                      (static_cast<std::uint8_t>(bytes[at + 1]) << 8));
}

bool KnownKind(std::uint32_t kind) {
    switch (static_cast<FrameKind>(kind)) {
        case FrameKind::OpenFeature:
        case FrameKind::SetFeature:
        case FrameKind::GetFeature:
        case FrameKind::Subscribe:
        case FrameKind::Control:
        case FrameKind::Reply:
        case FrameKind::Presence:
        case FrameKind::Event:
            return true;
    }
    return false;
}

using SteadyClock = std::chrono::steady_clock;

int RemainingMs(SteadyClock::time_point deadline) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - SteadyClock::now()).count();
    return left <= 0 ? 0 : static_cast<int>(left);
}

}  // namespace

std::string EncodeFrame(FrameKind kind, std::string_view payload) {
    std::string out;
    out.reserve(kFrameHeaderSize + payload.size());
    PutU32(out, kWireMagic);
    PutU32(out, static_cast<std::uint32_t>(kind));
    PutU32(out, static_cast<std::uint32_t>(payload.size()));
    out.append(payload);
    return out;
}

FrameDecoder::Result FrameDecoder::Next(Frame& out) {
    if (malformed_) return Result::Malformed;
    if (buffer_.size() < kFrameHeaderSize) return Result::NeedMore;
    const std::uint32_t kind = GetU32(buffer_, 4);
    const std::uint32_t length = GetU32(buffer_, 8);
    if (GetU32(buffer_, 0) != kWireMagic || !KnownKind(kind) || length > kMaxPayload) {
        malformed_ = true;
        buffer_.clear();
        return Result::Malformed;
    }
    if (buffer_.size() - kFrameHeaderSize < length) return Result::NeedMore;
    out.kind = static_cast<FrameKind>(kind);
    out.payload.assign(buffer_, kFrameHeaderSize, length);
    buffer_.erase(0, kFrameHeaderSize + length);
    return Result::Complete;
}

std::string EncodeGetRequest(std::uint8_t reportId, std::uint32_t bufferLength) {
    std::string out(1, static_cast<char>(reportId));
    PutU32(out, bufferLength);
    return out;
}

bool DecodeGetRequest(std::string_view payload, std::uint8_t& reportId, std::uint32_t& bufferLength) {
    if (payload.size() != 5) return false;
    reportId = static_cast<std::uint8_t>(payload[0]);
    bufferLength = GetU32(payload, 1);
    return true;
}

std::string EncodeEvent(std::uint16_t type, std::uint16_t data) {
    const char bytes[4] = {static_cast<char>(type & 0xFF), static_cast<char>(type >> 8), static_cast<char>(data & 0xFF),
                           static_cast<char>(data >> 8)};
    return std::string(bytes, 4);
}

bool DecodeEvent(std::string_view payload, std::uint16_t& type, std::uint16_t& data) {
    if (payload.size() != 4) return false;
    type = GetU16(payload, 0);
    data = GetU16(payload, 2);
    return true;
}

std::string JoinWords(const std::vector<std::string>& words) {
    std::string out;
    for (std::size_t i = 0; i < words.size(); ++i) {
        if (i > 0) out.push_back('\0');
        out += words[i];
    }
    return out;
}

std::vector<std::string> SplitWords(std::string_view payload) {
    std::vector<std::string> words;
    if (payload.empty()) return words;
    std::size_t start = 0;
    for (;;) {
        const std::size_t end = payload.find('\0', start);
        words.emplace_back(payload.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start));
        if (end == std::string_view::npos) break;
        start = end + 1;
    }
    return words;
}

std::optional<WireConnection> WireConnection::Connect(const std::string& path, std::string* error) {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (path.empty() || path.size() >= sizeof address.sun_path) {
        if (error != nullptr) *error = "socket path is empty or too long: " + path;
        return std::nullopt;
    }
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
    UniqueFd fd(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0));
    if (!fd) {
        if (error != nullptr) *error = std::string("socket: ") + std::strerror(errno);
        return std::nullopt;
    }
    // A local connect either succeeds or fails at once; it never waits on a
    // peer beyond the kernel's backlog check.
    int rc;
    do {
        rc = ::connect(fd.Get(), reinterpret_cast<const sockaddr*>(&address), sizeof address);
    } while (rc != 0 && errno == EINTR);
    if (rc != 0) {
        if (error != nullptr) *error = path + ": " + std::strerror(errno);
        return std::nullopt;
    }
    return WireConnection(std::move(fd));
}

WireConnection::Status WireConnection::Send(FrameKind kind, std::string_view payload, int timeoutMs) {
    if (!fd_) return Status::Closed;
    const std::string frame = EncodeFrame(kind, payload);
    std::string_view rest = frame;
    const auto deadline = SteadyClock::now() + std::chrono::milliseconds(timeoutMs);
    while (!rest.empty()) {
        const ssize_t n = ::send(fd_.Get(), rest.data(), rest.size(), MSG_NOSIGNAL | MSG_DONTWAIT);
        if (n > 0) {
            rest.remove_prefix(static_cast<std::size_t>(n));
            continue;
        }
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            pollfd p{fd_.Get(), POLLOUT, 0};
            const int left = RemainingMs(deadline);
            if (left == 0) return Status::Timeout;
            if (::poll(&p, 1, left) < 0 && errno != EINTR) return Status::Failed;
            continue;
        }
        return (errno == EPIPE || errno == ECONNRESET) ? Status::Closed : Status::Failed;
    }
    return Status::Ok;
}

WireConnection::Status WireConnection::Receive(Frame& out, int timeoutMs, int wakeFd) {
    if (!fd_) return Status::Closed;
    const auto deadline = SteadyClock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        switch (decoder_.Next(out)) {
            case FrameDecoder::Result::Complete:
                return Status::Ok;
            case FrameDecoder::Result::Malformed:
                return Status::Failed;
            case FrameDecoder::Result::NeedMore:
                break;
        }
        pollfd p[2] = {{fd_.Get(), POLLIN, 0}, {wakeFd, POLLIN, 0}};
        const int rc = ::poll(p, wakeFd >= 0 ? 2 : 1, RemainingMs(deadline));
        if (rc < 0) {
            if (errno == EINTR) continue;
            return Status::Failed;
        }
        if (wakeFd >= 0 && (p[1].revents & POLLIN) != 0) return Status::Woken;
        if (rc == 0) return Status::Timeout;
        char chunk[8192];
        const ssize_t n = ::recv(fd_.Get(), chunk, sizeof chunk, MSG_DONTWAIT);
        if (n > 0) {
            decoder_.Feed(std::string_view(chunk, static_cast<std::size_t>(n)));
        } else if (n == 0) {
            return Status::Closed;
        } else if (errno != EINTR && errno != EAGAIN && errno != EWOULDBLOCK) {
            return errno == ECONNRESET ? Status::Closed : Status::Failed;
        }
    }
}

WireConnection::Status WireConnection::Call(FrameKind kind, std::string_view payload, std::string& reply,
                                            int timeoutMs) {
    const auto deadline = SteadyClock::now() + std::chrono::milliseconds(timeoutMs);
    Status status = Send(kind, payload, timeoutMs);
    if (status != Status::Ok) return status;
    Frame frame;
    status = Receive(frame, RemainingMs(deadline));
    if (status != Status::Ok) return status;
    if (frame.kind != FrameKind::Reply) return Status::Failed;
    reply = std::move(frame.payload);
    return Status::Ok;
}

std::string DefaultEmuSocket(std::string* error) {
    const std::string runtime = RuntimeFolder(error);
    return runtime.empty() ? std::string{} : runtime + "/KelmEmu.sock";
}

std::optional<std::string> EmuSocketFromDeviceSetting(std::string_view setting, std::string* error) {
    if (setting == "emu") return DefaultEmuSocket(error);
    if (setting.substr(0, 4) == "emu:") return std::string(setting.substr(4));
    return std::nullopt;
}

}  // namespace kelm::emu
