// kelmctl status / apply: what the running KelmWatch shows and holds, and
// the configuration program's Apply from the command line.
#pragma once

#include "tools/kelmctl/CommandLine.h"

namespace kelm::ctl {

int RunStatus(const CommandArgs& args, CommandIo& io);
int RunApply(const CommandArgs& args, CommandIo& io);

}  // namespace kelm::ctl
