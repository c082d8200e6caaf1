#include "platform/MessageFrame.h"

namespace kelm {

namespace {

template <typename T>
void PutLittle(char* out, T value) {
    for (std::size_t i = 0; i < sizeof(T); ++i) out[i] = static_cast<char>((value >> (8 * i)) & 0xFF);
}

template <typename T>
T GetLittle(const char* in) {
    std::uint64_t value = 0;
    for (std::size_t i = 0; i < sizeof(T); ++i) value |= std::uint64_t{static_cast<unsigned char>(in[i])} << (8 * i);
    return static_cast<T>(value);
}

bool KindFitsMessage(MessageKind kind, std::uint32_t msg) {
    return (kind == MessageKind::CopyData) == (msg == WM_COPYDATA);
}

}  // namespace

std::string EncodeFrame(const WindowMessage& message) {
    const bool copyData = message.kind == MessageKind::CopyData;
    if (message.data.size() > kMaxCopyData || (!copyData && (!message.data.empty() || message.dwData != 0)) ||
        !KindFitsMessage(message.kind, message.msg))
        return {};
    std::string frame(kFrameHeaderSize + message.data.size(), '\0');
    char* p = frame.data();
    PutLittle<std::uint32_t>(p, kFrameMagic);
    PutLittle<std::uint32_t>(p + 4, static_cast<std::uint32_t>(message.kind));
    PutLittle<std::uint32_t>(p + 8, message.msg);
    PutLittle<std::uint64_t>(p + 16, message.wParam);
    PutLittle<std::uint64_t>(p + 24, static_cast<std::uint64_t>(message.lParam));
    PutLittle<std::uint32_t>(p + 32, message.dwData);
    PutLittle<std::uint32_t>(p + 36, static_cast<std::uint32_t>(message.data.size()));
    frame.replace(kFrameHeaderSize, message.data.size(), message.data);
    return frame;
}

DecodedFrame DecodeFrame(std::string_view bytes) {
    DecodedFrame out;
    if (bytes.size() < kFrameHeaderSize) return out;
    const char* p = bytes.data();
    const auto kind = GetLittle<std::uint32_t>(p + 4);
    const auto msg = GetLittle<std::uint32_t>(p + 8);
    const auto dwData = GetLittle<std::uint32_t>(p + 32);
    const auto cbData = GetLittle<std::uint32_t>(p + 36);
    const bool knownKind = kind >= 1 && kind <= 3;
    const bool copyData = kind == static_cast<std::uint32_t>(MessageKind::CopyData);
    if (GetLittle<std::uint32_t>(p) != kFrameMagic || !knownKind || GetLittle<std::uint32_t>(p + 12) != 0 ||
        cbData > kMaxCopyData || (!copyData && (dwData != 0 || cbData != 0)) ||
        !KindFitsMessage(static_cast<MessageKind>(kind), msg)) {
        out.status = FrameStatus::Malformed;
        return out;
    }
    if (bytes.size() < kFrameHeaderSize + cbData) return out;
    out.status = FrameStatus::Complete;
    out.size = kFrameHeaderSize + cbData;
    out.message.kind = static_cast<MessageKind>(kind);
    out.message.msg = msg;
    out.message.wParam = GetLittle<std::uint64_t>(p + 16);
    out.message.lParam = static_cast<std::int64_t>(GetLittle<std::uint64_t>(p + 24));
    out.message.dwData = dwData;
    out.message.data.assign(p + kFrameHeaderSize, cbData);
    return out;
}

std::array<char, kReplySize> EncodeReply(std::int64_t result) {
    std::array<char, kReplySize> reply{};
    PutLittle<std::uint64_t>(reply.data(), static_cast<std::uint64_t>(result));
    return reply;
}

std::int64_t DecodeReply(const std::array<char, kReplySize>& reply) {
    return static_cast<std::int64_t>(GetLittle<std::uint64_t>(reply.data()));
}

}  // namespace kelm
