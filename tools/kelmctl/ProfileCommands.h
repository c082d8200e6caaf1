// kelmctl profile show / profile write.
#pragma once

#include "tools/kelmctl/CommandLine.h"

namespace kelm::ctl {

int RunProfileShow(const CommandArgs& args, CommandIo& io);
int RunProfileWrite(const CommandArgs& args, CommandIo& io);

}  // namespace kelm::ctl
