// kelmctl settings show / settings reset / library show / timers show: the settings files
// of one program folder.
#pragma once

#include "tools/kelmctl/CommandLine.h"

namespace kelm::ctl {

int RunSettingsShow(const CommandArgs& args, CommandIo& io);
int RunSettingsReset(const CommandArgs& args, CommandIo& io);
int RunLibraryShow(const CommandArgs& args, CommandIo& io);
int RunTimersShow(const CommandArgs& args, CommandIo& io);

}  // namespace kelm::ctl
