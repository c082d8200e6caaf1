// The software keyboard's socket protocol, spoken by KelmEmu (server),
// libdevbridge's emu backend and `KelmEmu ctl` (clients).
//
// KelmEmu listens on a Unix stream socket, by default <runtime>/KelmEmu.sock
// (mode 0600). A connection from another user (SO_PEERCRED) is closed at
// once. Both directions carry frames; all numbers are little-endian:
//
//   offset  size  field
//   0       4     magic 0x314D454B ("KEM1")
//   4       4     kind (below)
//   8       4     payload length n, at most 16 MiB
//   12      n     payload
//
// The first frame a client sends fixes the connection's role:
//
//   kind 1 OpenFeature  payload empty. Reply [result]: 1 when the keyboard is
//                       plugged in; the connection is then a feature channel.
//                       The keyboard closes every feature channel when it is
//                       unplugged (after the reply in flight), so a transfer
//                       to a vanished keyboard fails at once.
//   kind 2 SetFeature   feature channel only. Payload: the whole report.
//                       Reply [result]: 1 when the keyboard took the transfer.
//   kind 3 GetFeature   feature channel only. Payload: [report id][u32 buffer
//                       length]. Reply [result][the report's bytes, at most
//                       the buffer length].
//   kind 4 Subscribe    payload empty, no reply; the client sends nothing
//                       more. The keyboard sends kind 0x81 Presence [1 plugged
//                       | 0 unplugged] at once and at every change, and kind
//                       0x82 Event [u16 type][u16 data] for every keyboard
//                       event while it is plugged in.
//   kind 5 Control      payload: the command's words separated by NUL bytes.
//                       Reply [result][text]: result 1 when the command was
//                       carried out, the text is its output or its error.
//                       Further Control frames may follow on the connection.
//
//   kind 0x80 Reply     the answer to kinds 1, 2, 3 and 5, in request order.
//
// A frame with a wrong magic, an unknown kind, a payload too long, or a kind
// the connection's role does not allow closes that connection only.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/UniqueFd.h"

namespace kelm::emu {

inline constexpr std::uint32_t kWireMagic = 0x314D454B;
inline constexpr std::size_t kFrameHeaderSize = 12;
// Large enough for the JSON dump of five profiles full of macros.
inline constexpr std::uint32_t kMaxPayload = 16u << 20;

enum class FrameKind : std::uint32_t {
    OpenFeature = 1,
    SetFeature = 2,
    GetFeature = 3,
    Subscribe = 4,
    Control = 5,
    Reply = 0x80,
    Presence = 0x81,
    Event = 0x82,
};

struct Frame {
    FrameKind kind = FrameKind::Reply;
    std::string payload;
};

std::string EncodeFrame(FrameKind kind, std::string_view payload);

// Cuts a byte stream into frames.
class FrameDecoder {
public:
    enum class Result { NeedMore, Complete, Malformed };
    void Feed(std::string_view bytes) { buffer_.append(bytes); }
    // Takes the next whole frame out of what was fed. Once Malformed, the
    // stream has lost its framing and stays Malformed.
    Result Next(Frame& out);
    // Bytes fed but not yet taken; a peer that stalls mid-frame holds at
    // most one frame here.
    std::size_t Pending() const { return buffer_.size(); }

private:
    std::string buffer_;
    bool malformed_ = false;
};

// Payload helpers.
std::string EncodeGetRequest(std::uint8_t reportId, std::uint32_t bufferLength);
bool DecodeGetRequest(std::string_view payload, std::uint8_t& reportId, std::uint32_t& bufferLength);
std::string EncodeEvent(std::uint16_t type, std::uint16_t data);
bool DecodeEvent(std::string_view payload, std::uint16_t& type, std::uint16_t& data);
std::string JoinWords(const std::vector<std::string>& words);
std::vector<std::string> SplitWords(std::string_view payload);

// A blocking client connection whose every wait has a bound.
class WireConnection {
public:
    enum class Status { Ok, Timeout, Closed, Woken, Failed };

    WireConnection() = default;
    explicit WireConnection(UniqueFd fd) : fd_(std::move(fd)) {}

    // Connects to the socket at path; false with a reason in *error.
    static std::optional<WireConnection> Connect(const std::string& path, std::string* error = nullptr);

    bool IsOpen() const { return static_cast<bool>(fd_); }
    int Fd() const { return fd_.Get(); }
    void Close() { fd_.Reset(); }

    // Sends one frame within timeoutMs; a peer that has gone is Closed.
    Status Send(FrameKind kind, std::string_view payload, int timeoutMs);
    // Waits up to timeoutMs for the next frame; Woken when wakeFd (if not
    // -1) becomes readable first. A malformed stream counts as Failed.
    Status Receive(Frame& out, int timeoutMs, int wakeFd = -1);
    // Send then wait for the Reply; the reply's payload in *reply.
    Status Call(FrameKind kind, std::string_view payload, std::string& reply, int timeoutMs);

private:
    UniqueFd fd_;
    FrameDecoder decoder_;
};

// <runtime>/KelmEmu.sock, or empty with a reason in *error.
std::string DefaultEmuSocket(std::string* error = nullptr);
// The socket that a KELM_DEVICE value names: "emu" the default one,
// "emu:<path>" that path; nothing for any other value.
std::optional<std::string> EmuSocketFromDeviceSetting(std::string_view setting, std::string* error = nullptr);

}  // namespace kelm::emu
