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

// The input named by path as JSON. On failure the error is reported,
// nothing is returned and failureStatus holds the exit status: 1 when the
// input cannot be read, 2 when it is no JSON ("NAME: invalid JSON: ...").
std::optional<json::Json> ReadJsonInput(CommandIo& io, const std::string& path, int& failureStatus);

}  // namespace kelm::ctl
