// The software keyboard's update mode (its boot loader): what it makes of
// each UpdateCommandReport. The order of a whole update:
//
//   Application ──start──► Started ──image size──► Sized ──prepare──► Receiving(next 0)
//   Receiving(n) ──header n──► HeaderTaken(n) ──data, sum = header's──► Receiving(n + 1)
//   Receiving(all blocks) ──finish──► Application, with the image's firmware version
//   Started, Sized, Receiving, HeaderTaken ──start──► Started (a new update)
//   any other command, a wrong signature, size or checksum ──► Loader (refused)
//
// Every state but Application is the boot loader: the keyboard stays in it,
// across unplugging too, until an update succeeds; from Loader only a start
// leads on. A start with a wrong signature in Application is refused and
// leaves the keyboard as it was.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "keyboard/FirmwareUpdate.h"

namespace kelm::emu {

class EmuUpdateMode {
public:
    explicit EmuUpdateMode(bool inLoader) : phase_(inLoader ? Phase::Loader : Phase::Application) {}

    struct Outcome {
        bool accepted = false;
        // A finish that completed the update: the keyboard leaves its boot
        // loader, with this firmware version when the image carries one.
        bool completed = false;
        std::optional<std::uint8_t> version;
    };
    Outcome Take(const ParsedUpdateCommand& command);

    bool InLoader() const { return phase_ != Phase::Application; }
    // The block the next block data command is for, while receiving.
    std::optional<std::size_t> PendingBlock() const;
    // Ends an update that went wrong: back to waiting for a start.
    void Fail() { phase_ = phase_ == Phase::Application ? Phase::Application : Phase::Loader; }

private:
    enum class Phase { Application, Loader, Started, Sized, Receiving, HeaderTaken };

    static Outcome Accepted();
    Outcome Refuse();

    Phase phase_;
    std::uint32_t imageSize_ = 0;
    std::size_t nextBlock_ = 0;
    std::uint16_t headerChecksum_ = 0;
    std::vector<std::uint8_t> image_;
};

}  // namespace kelm::emu
