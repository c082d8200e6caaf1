// kelmctl firmware make-image: a firmware image for KelmEmu's update mode,
// so that demos and tests need no image from anywhere.
#pragma once

#include "tools/kelmctl/CommandLine.h"

namespace kelm::ctl {

int RunFirmwareMakeImage(const CommandArgs& args, CommandIo& io);

}  // namespace kelm::ctl
