// kelmctl keyboard backup / keyboard restore / profile switch: commands
// that change or copy the keyboard, through KelmWatch while it runs and
// through the device library otherwise.
#pragma once

#include "tools/kelmctl/CommandLine.h"

namespace kelm::ctl {

int RunKeyboardBackup(const CommandArgs& args, CommandIo& io);
int RunKeyboardRestore(const CommandArgs& args, CommandIo& io);
int RunProfileSwitch(const CommandArgs& args, CommandIo& io);

}  // namespace kelm::ctl
