// The program folder a command works on: --home DIR, else $KELM_HOME, else
// the folder of the kelmctl executable.
#pragma once

#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>

#include "settings/IniFile.h"
#include "settings/StoreLocation.h"
#include "tools/kelmctl/CommandLine.h"

namespace kelm::ctl {

// A folder that is not there is an error (reported on io.err): showing its
// defaults would hide a typing error.
std::optional<StoreLocation> ProgramFolder(const CommandArgs& args, CommandIo& io);

// The settings library reads a file it cannot open as missing; a command
// must not pass defaults off as the content of a file that is there. False
// (reported on io.err) when one of paths exists but cannot be read.
bool AllReadable(CommandIo& io, std::initializer_list<std::string> paths);

// A number of config.ini's [Setting] section, such as "Device"; nothing
// when the key is missing.
std::optional<int> ReadSetting(const IniFile& config, std::string_view key);

}  // namespace kelm::ctl
