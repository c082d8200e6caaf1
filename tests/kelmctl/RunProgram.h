// Runs the built kelmctl from the program folder, as a user would.
#pragma once

#include <string>
#include <vector>

namespace kelm::test {

struct ProgramResult {
    int status = -1;  // exit status, or -1 when the program did not exit normally
    std::string out;
    std::string err;
};

// $KELM_PROGRAM_FOLDER/kelmctl, set by the test registration; "" when unset.
std::string KelmctlPath();

// Runs kelmctl with args and standard input from stdinPath; its output is
// collected through files in scratchFolder. The environment is inherited.
ProgramResult RunKelmctl(const std::vector<std::string>& args, const std::string& scratchFolder,
                         const std::string& stdinPath = "/dev/null");

}  // namespace kelm::test
