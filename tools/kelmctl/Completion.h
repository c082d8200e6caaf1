// The bash completion of a command table, generated from the table itself
// so that it always offers the commands and options the program takes.
#pragma once

#include <string>

#include "tools/kelmctl/CommandLine.h"

namespace kelm::ctl {

// A script to source: completes the command words, each command's options
// and its positional arguments (argumentWords, else file names); --home
// takes a folder. Hidden commands are left out.
std::string BashCompletion(const CommandSet& set, const std::string& program);

}  // namespace kelm::ctl
