// The input files of kelmctl's commands: a path or "-" for standard input,
// read whole and, for JSON input, parsed, each failure told on io.err.
#pragma once

#include <optional>
#include <string>

#include "settings/json/Json.h"
#include "tools/kelmctl/CommandLine.h"

namespace kelm::ctl {

// The whole input named by path, "-" being standard input. On failure the
// error is reported (exit status 1) and nothing is returned.
std::optional<std::string> ReadInput(CommandIo& io, const std::string& path);

// "standard input" for "-", else path: how messages name the input.
std::string InputName(const std::string& path);

// text as JSON; on a syntax error "NAME: invalid JSON: ..." is reported
// (exit status 2) and nothing is returned.
std::optional<json::Json> ParseJsonInput(CommandIo& io, const std::string& text, const std::string& inName);

}  // namespace kelm::ctl
