#include "devbridge/EmuBackend.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>

namespace kelm::bridge {

using emu::FrameKind;
using emu::WireConnection;

EmuBackend::EmuBackend(std::string socketPath) : socket_(std::move(socketPath)) {}

EmuBackend::~EmuBackend() { CloseMonitor(); }

void EmuBackend::OpenMonitor(const MessageTarget& target) {
    CloseMonitor();
    wake_.Reset(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK));
    if (!wake_) return;
    monitor_ = std::thread([this, target] { RunMonitor(target); });
}

void EmuBackend::CloseMonitor() {
    if (!monitor_.joinable()) return;
    const std::uint64_t one = 1;
    [[maybe_unused]] const ssize_t written = ::write(wake_.Get(), &one, sizeof one);
    monitor_.join();
    wake_.Reset();
}

bool EmuBackend::Pause(int ms) {
    pollfd p{wake_.Get(), POLLIN, 0};
    int rc;
    do {
        rc = ::poll(&p, 1, ms);
    } while (rc < 0 && errno == EINTR);
    return rc == 0;
}

void EmuBackend::RunMonitor(MessageTarget target) {
    bool posted = false;
    for (;;) {
        auto connection = WireConnection::Connect(socket_);
        if (connection && connection->Send(FrameKind::Subscribe, {}, kCallTimeoutMs) == WireConnection::Status::Ok) {
            const bool goOn = Follow(*connection, target, posted);
            if (!goOn) return;
        }
        if (posted) {
            target.Presence(false);
            posted = false;
        }
        if (!Pause(kRetryMs)) return;
    }
}

bool EmuBackend::Follow(WireConnection& connection, const MessageTarget& target, bool& posted) {
    emu::Frame frame;
    for (;;) {
        switch (connection.Receive(frame, 60000, wake_.Get())) {
            case WireConnection::Status::Woken:
                return false;
            case WireConnection::Status::Timeout:
                continue;
            case WireConnection::Status::Ok:
                break;
            default:
                return true;
        }
        std::uint16_t type = 0;
        std::uint16_t data = 0;
        if (frame.kind == FrameKind::Presence && frame.payload.size() == 1) {
            const bool plugged = frame.payload[0] == '\1';
            if (plugged != posted) target.Presence(plugged);
            posted = plugged;
        } else if (frame.kind == FrameKind::Event && emu::DecodeEvent(frame.payload, type, data)) {
            target.Event(type, data);
        } else {
            // Not the stream this connection asked for: start again.
            return true;
        }
    }
}

bool EmuBackend::OpenFeature() {
    std::lock_guard lock(featureMutex_);
    feature_.Close();
    auto connection = WireConnection::Connect(socket_);
    if (!connection) return false;
    feature_ = std::move(*connection);
    std::string reply;
    if (feature_.Call(FrameKind::OpenFeature, {}, reply, kCallTimeoutMs) != WireConnection::Status::Ok ||
        reply != std::string(1, '\1')) {
        feature_.Close();
        return false;
    }
    return true;
}

void EmuBackend::CloseFeature() {
    std::lock_guard lock(featureMutex_);
    feature_.Close();
}

bool EmuBackend::Call(FrameKind kind, std::string_view payload, std::string& reply) {
    if (!feature_.IsOpen()) return false;
    if (feature_.Call(kind, payload, reply, kCallTimeoutMs) != WireConnection::Status::Ok) {
        // The keyboard is gone or stuck: later calls fail at once.
        feature_.Close();
        return false;
    }
    return !reply.empty() && reply[0] == '\1';
}

bool EmuBackend::SetFeature(const std::uint8_t* report, std::size_t length) {
    if (report == nullptr || length == 0 || length > emu::kMaxPayload) return false;
    std::lock_guard lock(featureMutex_);
    std::string reply;
    return Call(FrameKind::SetFeature, std::string_view(reinterpret_cast<const char*>(report), length), reply);
}

bool EmuBackend::GetFeature(std::uint8_t* report, std::size_t length) {
    if (report == nullptr || length == 0 || length > emu::kMaxPayload) return false;
    std::lock_guard lock(featureMutex_);
    std::string reply;
    if (!Call(FrameKind::GetFeature, emu::EncodeGetRequest(report[0], static_cast<std::uint32_t>(length)), reply))
        return false;
    const std::size_t size = std::min(length, reply.size() - 1);
    std::memcpy(report, reply.data() + 1, size);
    std::memset(report + size, 0, length - size);
    return size > 0;
}

}  // namespace kelm::bridge
