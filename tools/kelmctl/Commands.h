// The commands of kelmctl and their help texts.
#pragma once

#include <span>
#include <string>

#include "tools/kelmctl/CommandLine.h"

namespace kelm::ctl {

const CommandSet& KelmctlCommands();
// Runs the command line args (without the program name).
int RunKelmctl(std::span<const std::string> args, CommandIo& io);

}  // namespace kelm::ctl
