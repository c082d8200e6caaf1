// The reports the software keyboard has received, oldest first, so that
// tests can check what a host sent and in which order. One line each:
//
//   set|get  ID  LENGTH  RESULT  HEAD
//
// ID is the report id in two hex digits, LENGTH the bytes written or the
// buffer length asked for, RESULT one of "accepted", "refused" (a write
// the keyboard turned down: its next status is 2), "answered" or "failed"
// (the transfer failed), and HEAD the first up to 8 bytes as written or as
// answered, in hex ("-" when there are none).
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <span>
#include <string>

namespace kelm::emu {

class EmuLog {
public:
    static constexpr std::size_t kMaxEntries = 10000;

    void Add(bool write, std::uint8_t id, std::size_t length, const char* result, std::span<const std::uint8_t> bytes);
    std::string Format() const;
    void Clear() { lines_.clear(); }
    std::size_t Size() const { return lines_.size(); }

private:
    std::deque<std::string> lines_;
};

}  // namespace kelm::emu
