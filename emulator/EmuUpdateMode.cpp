#include "emulator/EmuUpdateMode.h"

#include <algorithm>

namespace kelm::emu {

EmuUpdateMode::Outcome EmuUpdateMode::Accepted() {
    Outcome outcome;
    outcome.accepted = true;
    return outcome;
}

EmuUpdateMode::Outcome EmuUpdateMode::Refuse() {
    Fail();
    return {};
}

std::optional<std::size_t> EmuUpdateMode::PendingBlock() const {
    if (phase_ != Phase::HeaderTaken) return std::nullopt;
    return nextBlock_;
}

EmuUpdateMode::Outcome EmuUpdateMode::Take(const ParsedUpdateCommand& command) {
    if (!command.signatureValid || !command.prepareCodeValid) return Refuse();
    const std::size_t blocks = BlockCount(imageSize_);
    switch (command.command) {
        case UpdateCommand::Start:
            phase_ = Phase::Started;
            image_.clear();
            return Accepted();
        case UpdateCommand::ImageSize:
            if (phase_ != Phase::Started || command.imageSize > kMaxImageSize) return Refuse();
            imageSize_ = command.imageSize;
            phase_ = Phase::Sized;
            return Accepted();
        case UpdateCommand::Prepare:
            if (phase_ != Phase::Sized) return Refuse();
            image_.assign(BlockCount(imageSize_) * kFirmwareBlockSize, 0);
            nextBlock_ = 0;
            phase_ = Phase::Receiving;
            return Accepted();
        case UpdateCommand::BlockHeader:
            if (phase_ != Phase::Receiving || command.block != nextBlock_ || nextBlock_ >= blocks) return Refuse();
            headerChecksum_ = command.checksum;
            phase_ = Phase::HeaderTaken;
            return Accepted();
        case UpdateCommand::BlockData:
            if (phase_ != Phase::HeaderTaken || BlockChecksum(command.data) != headerChecksum_) return Refuse();
            std::copy(command.data.begin(), command.data.end(),
                      image_.begin() + static_cast<std::ptrdiff_t>(nextBlock_ * kFirmwareBlockSize));
            ++nextBlock_;
            phase_ = Phase::Receiving;
            return Accepted();
        case UpdateCommand::Finish: {
            if (phase_ != Phase::Receiving || nextBlock_ != blocks) return Refuse();
            image_.resize(imageSize_);
            Outcome done = Accepted();
            done.completed = true;
            done.version = ImageFirmwareVersion(image_);
            phase_ = Phase::Application;
            image_.clear();
            return done;
        }
    }
    return Refuse();
}

}  // namespace kelm::emu
