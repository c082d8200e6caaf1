// How the fuzz targets of the device and message boundaries cut one input
// into several values, and how the seed writer puts values together so
// that the targets read them back. Values are taken from the front in
// order, so a seed reads as the sequence of things it does.
//
// A text is taken byte by byte up to a backslash followed by anything but
// a backslash, or up to its longest; "\\" stands for one backslash.
// Inserting bytes into a text thus makes the text longer instead of
// shifting every later value (the rule of FuzzedDataProvider's
// ConsumeRandomLengthString, except that a text of the longest length
// takes the end that follows it too, as the seeds write it).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace kelm::fuzz {

class InputReader {
public:
    InputReader(const std::uint8_t* data, std::size_t size) : rest_(reinterpret_cast<const char*>(data), size) {}

    bool Empty() const { return rest_.empty(); }
    std::size_t Remaining() const { return rest_.size(); }

    // 0 once the input is used up.
    std::uint8_t Byte() {
        if (rest_.empty()) return 0;
        const auto byte = static_cast<std::uint8_t>(rest_.front());
        rest_.remove_prefix(1);
        return byte;
    }

    std::uint16_t Le16() {
        const std::uint8_t low = Byte();
        return static_cast<std::uint16_t>(low | (Byte() << 8));
    }

    // A text of at most maxLength bytes.
    std::string Text(std::size_t maxLength) {
        std::string text;
        while (text.size() < maxLength && !rest_.empty()) {
            char c = rest_.front();
            rest_.remove_prefix(1);
            if (c == '\\' && !rest_.empty()) {
                c = rest_.front();
                rest_.remove_prefix(1);
                if (c != '\\') break;
            }
            text.push_back(c);
        }
        // A text of exactly maxLength still has its end behind it.
        if (text.size() == maxLength && rest_.size() >= 2 && rest_[0] == '\\' && rest_[1] != '\\') rest_.remove_prefix(2);
        return text;
    }

    std::string_view Rest() {
        const std::string_view all = rest_;
        rest_ = {};
        return all;
    }

private:
    std::string_view rest_;
};

// The seed side: a text as InputReader::Text reads it back, ended so that
// the next value starts after it.
inline void AppendText(std::string& out, std::string_view text) {
    for (char c : text) {
        out.push_back(c);
        if (c == '\\') out.push_back('\\');
    }
    out += "\\|";
}

// What byte 0 of each target's input picks, and the codes inside its
// inputs; the targets read and the seed writer writes them.
namespace reports {
inline constexpr std::uint8_t kOneReport = 0;     // the rest is one report, as it came
inline constexpr std::uint8_t kFramedReport = 1;  // the same, length and checksum put right
inline constexpr std::uint8_t kSequences = 2;     // the keyboard's answers to the monitor's sequences
inline constexpr std::uint8_t kModes = 3;
// How the keyboard answers one read in kSequences: the read fails; the
// text is the whole answer; the text follows the report id (and the length
// the report declares), with the checksum made right.
inline constexpr std::uint8_t kAnswerFails = 0;
inline constexpr std::uint8_t kAnswerRaw = 1;
inline constexpr std::uint8_t kAnswerAfterId = 2;
inline constexpr std::uint8_t kAnswerAfterLength = 3;
inline constexpr std::uint8_t kAnswerKinds = 4;
}  // namespace reports

// The hid target: [event report id][flags: 1 usage page, 2 interface]
// [usage page, le16][interface][device count][devices: path text, vendor,
// product, usage page (le16 each), interface] then steps, each a kind and
// what it needs: an input report (text), a failed or timed-out read, a
// hotplug change, a feature read ([buffer length, le16][answer text]).
namespace hid {
inline constexpr std::uint16_t kVendorId = 0x1A2C;
inline constexpr std::uint16_t kProductId = 0x0E24;
inline constexpr std::uint8_t kUsagePageGiven = 1;
inline constexpr std::uint8_t kInterfaceGiven = 2;
inline constexpr std::uint8_t kMaxDevices = 4;
inline constexpr std::uint8_t kStepReport = 0;
inline constexpr std::uint8_t kStepReadFails = 1;
inline constexpr std::uint8_t kStepReadTimesOut = 2;
inline constexpr std::uint8_t kStepHotplug = 3;
inline constexpr std::uint8_t kStepFeatureRead = 4;
inline constexpr std::uint8_t kStepKinds = 5;
}  // namespace hid

// The messages target: a received stream of frames, or one WM_COPYDATA
// block ([wParam, le16][dwData, le16][the block]).
namespace messages {
inline constexpr std::uint8_t kStream = 0;
inline constexpr std::uint8_t kCopyDataBlock = 1;
inline constexpr std::uint8_t kModes = 2;
}  // namespace messages

// The emuwire target: a client's byte stream to KelmEmu, or requests one
// after the other, each [kind, its high nibble the tenths of a second that
// pass before it] and what it needs: a report to write (text; the framed
// kind gets its declared length and checksum put right), a read ([report
// id][buffer length, le16]), a ctl command (text, words separated by NUL).
namespace emuwire {
inline constexpr std::uint8_t kStream = 0;
inline constexpr std::uint8_t kRequests = 1;
inline constexpr std::uint8_t kModes = 2;
inline constexpr std::uint8_t kWrite = 0;
inline constexpr std::uint8_t kWriteFramed = 1;
inline constexpr std::uint8_t kRead = 2;
inline constexpr std::uint8_t kControl = 3;
inline constexpr std::uint8_t kRequestKinds = 4;
inline constexpr std::uint8_t Request(std::uint8_t kind, std::uint8_t tenths) {
    return static_cast<std::uint8_t>(kind | (tenths << 4));
}
}  // namespace emuwire

}  // namespace kelm::fuzz
