// The wire format of message endpoints. A client writes frames, and for a
// sent message reads the 8-byte reply before its next frame. All numbers
// are little-endian:
//
//   offset  size    field
//   0       4       magic 0x314D574B ("KWM1")
//   4       4       kind: 1 post, 2 send, 3 copydata (sent)
//   8       4       message number
//   12      4       zero
//   16      8       wParam (unsigned)
//   24      8       lParam (signed)
//   32      4       dwData (copydata only, else zero)
//   36      4       cbData: payload length (copydata only, else zero), at most 65536
//   40      cbData  payload
//
// Reply to kinds 2 and 3: the handler's result as a signed 64-bit number.
//
// A frame is malformed, and its connection is closed, when the magic or the
// kind is wrong, the zero field is not zero, cbData exceeds 65536, a field
// the kind does not use is not zero, or the message number and the kind
// disagree about WM_COPYDATA (which travels only as kind 3, and kind 3 only
// carries WM_COPYDATA, as the window system allows WM_COPYDATA only as a
// sent message).
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/WindowMessage.h"

namespace kelm {

inline constexpr std::uint32_t kFrameMagic = 0x314D574B;
inline constexpr std::size_t kFrameHeaderSize = 40;
inline constexpr std::size_t kReplySize = 8;
inline constexpr std::size_t kMaxFrameSize = kFrameHeaderSize + kMaxCopyData;

// The frame for message; empty when the message cannot travel (payload too
// long, or a kind and number that disagree about WM_COPYDATA).
std::string EncodeFrame(const WindowMessage& message);

enum class FrameStatus { NeedMore, Complete, Malformed };

struct DecodedFrame {
    FrameStatus status = FrameStatus::NeedMore;
    std::size_t size = 0;  // bytes of the complete frame
    WindowMessage message;
};

// Decodes the frame at the start of bytes. A bad header is Malformed as soon
// as its 40 bytes are there, before any payload is waited for.
DecodedFrame DecodeFrame(std::string_view bytes);

std::array<char, kReplySize> EncodeReply(std::int64_t result);
std::int64_t DecodeReply(const std::array<char, kReplySize>& reply);

}  // namespace kelm
