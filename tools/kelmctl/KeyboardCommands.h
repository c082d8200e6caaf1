// kelmctl keyboard dump: the keyboard's own settings, read through the
// program folder's device library.
#pragma once

#include "tools/kelmctl/CommandLine.h"

namespace kelm::ctl {

int RunKeyboardDump(const CommandArgs& args, CommandIo& io);

}  // namespace kelm::ctl
