// Window messages as the programs exchange them: the standard numbers they
// share, a message as a window procedure receives it, and message numbers
// registered by name.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace kelm {

inline constexpr std::uint32_t WM_CLOSE = 0x0010;
inline constexpr std::uint32_t WM_QUIT = 0x0012;
inline constexpr std::uint32_t WM_COPYDATA = 0x004A;
inline constexpr std::uint32_t WM_USER = 0x0400;

// How a message reached the window: posted (nobody waits), sent (the sender
// waits for the result), or sent as WM_COPYDATA with a block of bytes.
enum class MessageKind : std::uint32_t { Post = 1, Send = 2, CopyData = 3 };

struct WindowMessage {
    MessageKind kind = MessageKind::Post;
    std::uint32_t msg = 0;
    std::uint64_t wParam = 0;
    std::int64_t lParam = 0;
    std::uint32_t dwData = 0;  // WM_COPYDATA only
    std::string data;          // WM_COPYDATA only, at most kMaxCopyData bytes
};

inline constexpr std::size_t kMaxCopyData = 65536;

// The number of the message registered under name: 0xC000 + (FNV-1a-32 of
// the name's bytes) mod 0x4000, so every process that registers the same
// name gets the same number without asking anyone. An empty name is refused
// with 0, as the window system refuses it.
std::uint32_t RegisterWindowMessage(std::string_view name);

}  // namespace kelm
