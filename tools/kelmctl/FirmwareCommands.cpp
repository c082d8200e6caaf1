#include "tools/kelmctl/FirmwareCommands.h"

#include <charconv>
#include <optional>
#include <ostream>
#include <string>

#include "keyboard/FirmwareUpdate.h"
#include "platform/FileIo.h"

namespace kelm::ctl {

namespace {

// Larger than any image the keyboard takes, so that a test can make one
// KelmFlash must refuse.
constexpr unsigned long kMaxMadeImage = 16ul << 20;

std::optional<unsigned long> Number(const std::string& text, unsigned long high) {
    unsigned long value = 0;
    const char* end = text.data() + text.size();
    const auto [at, error] = std::from_chars(text.data(), end, value);
    if (text.empty() || error != std::errc{} || at != end || value > high) return std::nullopt;
    return value;
}

}  // namespace

int RunFirmwareMakeImage(const CommandArgs& args, CommandIo& io) {
    const std::string* sizeText = args.Option("--size");
    const std::string* versionText = args.Option("--version");
    if (sizeText == nullptr) return ReportError(io, kExitUsage, "--size is required");
    const auto size = Number(*sizeText, kMaxMadeImage);
    if (!size) return ReportError(io, kExitUsage, "--size must be a number of bytes from 0 to 16777216");
    std::optional<std::uint8_t> version;
    if (versionText != nullptr) {
        const auto number = Number(*versionText, 255);
        if (!number || *number == 0) return ReportError(io, kExitUsage, "--version must be a number from 1 to 255");
        if (*size < kImageHeaderSize)
            return ReportError(io, kExitUsage,
                               "an image of fewer than " + std::to_string(kImageHeaderSize) +
                                   " bytes has no room for the version header; leave out --version");
        version = static_cast<std::uint8_t>(*number);
    }
    const std::vector<std::uint8_t> image = MakeTestImage(*size, version);
    const std::string& path = args.positional[0];
    if (!ReplaceFileAtomically(path, std::string_view(reinterpret_cast<const char*>(image.data()), image.size())))
        return ReportError(io, kExitFailure, "cannot write " + path);
    io.out << path << ": " << image.size() << " bytes, " << BlockCount(static_cast<std::uint32_t>(image.size()))
           << " blocks, " << (version ? "firmware version " + std::to_string(*version) : std::string("no version"))
           << (image.size() > kMaxImageSize ? " (larger than the 204800 bytes a keyboard takes)" : "") << '\n';
    return kExitOk;
}

}  // namespace kelm::ctl
