// What a message endpoint receives from other programs: a byte stream cut
// into frames, and the display texts that arrive as WM_COPYDATA blocks.
// Byte 0 of the input picks what the rest is: a received stream, or one
// WM_COPYDATA block of any size as a sender hands it over.
//
// The decoder must judge a header by the rules of the wire format alone
// (malformed as soon as its 40 bytes are there, whatever follows), wait for
// exactly the payload the header announces, and give back a message that
// encodes into the very bytes it came from; a display text is taken only
// from a block of exactly 151 bytes and never holds more than its 150.
#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>

#include "fuzz/FuzzCheck.h"
#include "fuzz/InputReader.h"
#include "platform/MessageFrame.h"
#include "suite/CopyDataText.h"

namespace {

using namespace kelm;
using kelm::fuzz::InputReader;

std::uint64_t Little(std::string_view bytes, std::size_t at, std::size_t size) {
    std::uint64_t value = 0;
    for (std::size_t i = 0; i < size; ++i) value |= std::uint64_t{static_cast<unsigned char>(bytes[at + i])} << (8 * i);
    return value;
}

// The header rules as the wire format states them.
bool HeaderValid(std::string_view header) {
    const auto kind = Little(header, 4, 4);
    const auto msg = Little(header, 8, 4);
    const auto dwData = Little(header, 32, 4);
    const auto cbData = Little(header, 36, 4);
    if (Little(header, 0, 4) != 0x314D574B || kind < 1 || kind > 3 || Little(header, 12, 4) != 0) return false;
    if (cbData > 65536) return false;
    const bool copyData = kind == 3;
    if (!copyData && (dwData != 0 || cbData != 0)) return false;
    return copyData == (msg == WM_COPYDATA);
}

void CheckDisplayText(const WindowMessage& message) {
    const auto text = DisplayTextFromCopyData(message);
    const bool block = message.kind == MessageKind::CopyData && message.data.size() == 151;
    FUZZ_CHECK(text.has_value() == block);
    if (!text) return;
    FUZZ_CHECK(text->size() <= 150 && text->find('\0') == std::string::npos);
    FUZZ_CHECK(message.data.compare(1, text->size(), *text) == 0);
    FUZZ_CHECK(text->size() == 150 || message.data[1 + text->size()] == '\0');
}

// Decodes the frame at the start of bytes; the bytes it took, or nothing
// once the stream cannot go on.
std::optional<std::size_t> CheckNextFrame(std::string_view bytes) {
    const DecodedFrame frame = DecodeFrame(bytes);
    if (bytes.size() < kFrameHeaderSize) {
        FUZZ_CHECK(frame.status == FrameStatus::NeedMore);
        return std::nullopt;
    }
    const std::string_view header = bytes.substr(0, kFrameHeaderSize);
    if (!HeaderValid(header)) {
        FUZZ_CHECK(frame.status == FrameStatus::Malformed);
        // Judged on the header alone, before any payload.
        FUZZ_CHECK(DecodeFrame(header).status == FrameStatus::Malformed);
        return std::nullopt;
    }
    const std::size_t size = kFrameHeaderSize + Little(header, 36, 4);
    if (bytes.size() < size) {
        FUZZ_CHECK(frame.status == FrameStatus::NeedMore);
        return std::nullopt;
    }
    FUZZ_CHECK(frame.status == FrameStatus::Complete && frame.size == size);
    if (size > kFrameHeaderSize) FUZZ_CHECK(DecodeFrame(bytes.substr(0, size - 1)).status == FrameStatus::NeedMore);
    const WindowMessage& m = frame.message;
    FUZZ_CHECK(static_cast<std::uint64_t>(m.kind) == Little(header, 4, 4) && m.msg == Little(header, 8, 4));
    FUZZ_CHECK(m.wParam == Little(header, 16, 8) && static_cast<std::uint64_t>(m.lParam) == Little(header, 24, 8));
    FUZZ_CHECK(m.dwData == Little(header, 32, 4) && m.data == bytes.substr(kFrameHeaderSize, size - kFrameHeaderSize));
    FUZZ_CHECK(EncodeFrame(m) == bytes.substr(0, size));
    CheckDisplayText(m);
    return size;
}

void CheckStream(std::string_view stream) {
    while (const auto taken = CheckNextFrame(stream)) stream.remove_prefix(*taken);
}

// A block as a sender hands it to WM_COPYDATA: it travels as one frame and
// arrives whole, or cannot travel at all.
void CheckCopyData(InputReader& input) {
    WindowMessage m;
    m.kind = MessageKind::CopyData;
    m.msg = WM_COPYDATA;
    m.wParam = input.Le16();
    m.dwData = input.Le16();
    m.data = input.Rest();
    const std::string frame = EncodeFrame(m);
    FUZZ_CHECK(frame.empty() == (m.data.size() > kMaxCopyData));
    CheckDisplayText(m);
    if (frame.empty()) return;
    const DecodedFrame decoded = DecodeFrame(frame);
    FUZZ_CHECK(decoded.status == FrameStatus::Complete && decoded.size == frame.size());
    FUZZ_CHECK(decoded.message.data == m.data && decoded.message.dwData == m.dwData &&
               decoded.message.wParam == m.wParam && decoded.message.lParam == 0);
    // The reply the sender reads back.
    std::array<char, kReplySize> reply{};
    std::memcpy(reply.data(), m.data.data(), std::min(m.data.size(), reply.size()));
    FUZZ_CHECK(EncodeReply(DecodeReply(reply)) == reply);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    InputReader input(data, size);
    if (input.Byte() % fuzz::messages::kModes == fuzz::messages::kStream) {
        CheckStream(input.Rest());
    } else {
        CheckCopyData(input);
    }
    return 0;
}
