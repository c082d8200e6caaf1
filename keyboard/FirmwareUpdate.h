// The keyboard's update mode as both ends of the wire see it: the command
// report 0x1B and the status report 0x1C, the image's blocks and checksums,
// the two signatures the update mode checks, and the header by which a test
// image names the firmware version it carries. KelmFlash builds the commands
// and reads the status; KelmEmu parses the commands and answers the status.
//
// UpdateCommandReport, always 1026 bytes, byte 0 = 0x1B, byte 1 = command,
// every byte not named zero:
//
//   0x00 start        bytes 4..11  the 8-byte start signature
//   0x01 image size   bytes 4..7   ImageSize, little-endian
//                     bytes 8..11  the 4-byte command signature
//   0x02 prepare      byte 4       0xEC
//   0x03 block header bytes 4..5   block number, little-endian
//                     bytes 6..7   the block's checksum, little-endian
//                     bytes 8..11  the command signature
//   0x04 block data   bytes 2..1025 the block's 1024 bytes
//   0x0F finish
//
// UpdateStatusReport, 3 bytes: byte 1 = 1 done, 3 busy (ask again),
// 4 repeat the last command; anything else is a failure.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "keyboard/Reports.h"
#include "settings/IniFile.h"

namespace kelm {

inline constexpr std::uint8_t kUpdateCommandReportId = 0x1B;
inline constexpr std::uint8_t kUpdateStatusReportId = 0x1C;
inline constexpr std::size_t kUpdateCommandLength = 1026;
inline constexpr std::size_t kUpdateStatusLength = 3;

inline constexpr std::size_t kFirmwareBlockSize = 1024;
inline constexpr std::size_t kMaxFirmwareBlocks = 200;
inline constexpr std::size_t kMaxImageSize = kFirmwareBlockSize * kMaxFirmwareBlocks;  // 204800

enum class UpdateCommand : std::uint8_t {
    Start = 0x00,
    ImageSize = 0x01,
    Prepare = 0x02,
    BlockHeader = 0x03,
    BlockData = 0x04,
    Finish = 0x0F,
};

inline constexpr std::uint8_t kPrepareCode = 0xEC;

inline constexpr std::uint8_t kUpdateDone = 1;
inline constexpr std::uint8_t kUpdateBusy = 3;
inline constexpr std::uint8_t kUpdateRepeat = 4;
// What our software keyboard answers to a command it refuses.
inline constexpr std::uint8_t kUpdateFailed = 2;

// ---- signatures ----

using StartSignature = std::array<std::uint8_t, 8>;
using CommandSignature = std::array<std::uint8_t, 4>;

struct UpdateSignatures {
    StartSignature start;
    CommandSignature command;
    friend bool operator==(const UpdateSignatures&, const UpdateSignatures&) = default;
};

// Ours: "KELM-DFU" and "VLDN". A keyboard whose update mode expects others
// gets them from FlashPack/config.ini (ReadUpdateSignatures).
inline constexpr UpdateSignatures kDefaultUpdateSignatures{{'K', 'E', 'L', 'M', '-', 'D', 'F', 'U'},
                                                           {'V', 'L', 'D', 'N'}};

inline constexpr const char* kFirmwareSection = "Firmware";
inline constexpr const char* kStartSignatureKey = "StartSignature";      // 16 hex digits
inline constexpr const char* kCommandSignatureKey = "CommandSignature";  // 8 hex digits

// The signatures a FlashPack/config.ini gives: [Firmware] StartSignature
// and CommandSignature as hex digits, each taking our own when it is
// missing. A value that is present but is not exactly the right number of
// hex digits makes the whole read fail, with the reason in *error: a
// keyboard is never sent signatures nobody meant.
std::optional<UpdateSignatures> ReadUpdateSignatures(const IniFile& file, std::string* error);

// ---- blocks ----

constexpr std::size_t BlockCount(std::uint32_t imageSize) {
    return (imageSize >> 10) + ((imageSize & (kFirmwareBlockSize - 1)) != 0 ? 1 : 0);
}
// The 16-bit sum of a block's 1024 bytes.
inline std::uint16_t BlockChecksum(std::span<const std::uint8_t> block) { return ByteSum(block); }

// ---- the command report ----

ReportBytes BuildStartCommand(const UpdateSignatures& signatures);
ReportBytes BuildImageSizeCommand(std::uint32_t imageSize, const UpdateSignatures& signatures);
ReportBytes BuildPrepareCommand();
ReportBytes BuildBlockHeaderCommand(std::uint16_t block, std::uint16_t checksum, const UpdateSignatures& signatures);
// block: exactly 1024 bytes.
ReportBytes BuildBlockDataCommand(std::span<const std::uint8_t> block);
ReportBytes BuildFinishCommand();

// A command as the keyboard reads it. Fields a command does not carry are
// zero; signatureValid says whether the signature it must carry matches
// (true for commands that carry none).
struct ParsedUpdateCommand {
    UpdateCommand command;
    std::uint32_t imageSize = 0;
    std::uint16_t block = 0;
    std::uint16_t checksum = 0;
    bool signatureValid = true;
    bool prepareCodeValid = true;
    std::span<const std::uint8_t> data;  // block data: the 1024 bytes, inside the report
};
// Nothing when the report is not 1026 bytes of id 0x1B with a known command.
std::optional<ParsedUpdateCommand> ParseUpdateCommand(ReportView report, const UpdateSignatures& signatures);

// ---- the status report and the loader version ----

ReportBytes BuildUpdateStatus(std::uint8_t status);
// The status byte, or nothing when the report is not 3 bytes of id 0x1C (a
// transfer cut short counts as no answer at all).
std::optional<std::uint8_t> ParseUpdateStatus(ReportView report);
// Byte 3 of the FirmwareReport: the version of the keyboard's update mode.
std::optional<std::uint8_t> ParseLoaderVersion(ReportView firmwareReport);

// ---- the version header of our test images ----

// A test image begins with "KLFW" and the firmware version byte it
// installs; a keyboard of ours reports that version after the update. An
// image without the header leaves the version as it was.
inline constexpr std::array<std::uint8_t, 4> kImageMagic{'K', 'L', 'F', 'W'};
inline constexpr std::size_t kImageHeaderSize = kImageMagic.size() + 1;
std::optional<std::uint8_t> ImageFirmwareVersion(std::span<const std::uint8_t> image);
// A test image of size bytes: the header with version when given (size must
// then be at least kImageHeaderSize), the rest a fixed pseudo-random filler,
// so that every block has a checksum of its own. Without a version the image
// never begins with the magic.
std::vector<std::uint8_t> MakeTestImage(std::size_t size, std::optional<std::uint8_t> version);

}  // namespace kelm
