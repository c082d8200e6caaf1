// The sending side of window messages: find a window by title, post to it,
// send to it and wait for its result, send it a block of bytes as
// WM_COPYDATA.
//
// Waits are bounded, so a hung or stopped receiver cannot hang the caller
// for ever: connecting and writing a frame may take kDeliveryWait, and a
// sent message's reply may take the wait given (kSendWait unless told
// otherwise; generous, because the monitor writes to the keyboard inside
// some sent messages). A send that fails (no such window, the connection
// lost, no reply in time) gives no result (std::nullopt), where the window
// system would give 0; after a missed reply the message may still be handled
// later, but its result is lost, as with a timed-out SendMessageTimeout.
#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <string_view>

#include "platform/UniqueFd.h"
#include "platform/WindowMessage.h"

namespace kelm {

inline constexpr std::chrono::milliseconds kDeliveryWait{2000};
inline constexpr std::chrono::milliseconds kSendWait{30000};

// A connection to one window for a caller with several messages for it.
// Any failure closes it; every later call then fails.
class WindowConnection {
public:
    WindowConnection() = default;
    // Empty (false) when no window has that title.
    static WindowConnection Connect(std::string_view title);

    explicit operator bool() const { return static_cast<bool>(fd_); }

    bool Post(std::uint32_t msg, std::uint64_t wParam, std::int64_t lParam);
    std::optional<std::int64_t> Send(std::uint32_t msg, std::uint64_t wParam, std::int64_t lParam,
                                     std::chrono::milliseconds wait = kSendWait);
    // WM_COPYDATA with dwData and data (at most kMaxCopyData bytes).
    std::optional<std::int64_t> SendCopyData(std::uint32_t dwData, std::string_view data,
                                             std::chrono::milliseconds wait = kSendWait);

private:
    explicit WindowConnection(UniqueFd fd) : fd_(std::move(fd)) {}
    bool Write(const WindowMessage& message);
    std::optional<std::int64_t> Exchange(const WindowMessage& message, std::chrono::milliseconds wait);

    UniqueFd fd_;
};

// A window with this title exists when its endpoint accepts a connection.
bool FindWindow(std::string_view title);

// One message each, over a connection of its own.
bool PostMessage(std::string_view title, std::uint32_t msg, std::uint64_t wParam, std::int64_t lParam);
std::optional<std::int64_t> SendMessage(std::string_view title, std::uint32_t msg, std::uint64_t wParam,
                                        std::int64_t lParam, std::chrono::milliseconds wait = kSendWait);
std::optional<std::int64_t> SendCopyData(std::string_view title, std::uint32_t dwData, std::string_view data,
                                         std::chrono::milliseconds wait = kSendWait);

}  // namespace kelm
