// Runs the built programs of the program folder ($KELM_PROGRAM_FOLDER, set
// by the test registration) as a user would: KelmEmu in the background,
// `KelmEmu ctl` and kelmctl to their end.
#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

namespace kelm::test {

// "" when KELM_PROGRAM_FOLDER is unset.
std::string ProgramFolder();
// The program of that name in the program folder; "" when the folder is unset.
std::string ProgramPath(const std::string& name);

// Runs args (args[0] the program) with standard output into outPath and
// standard error into errPath, or into outPath too when errPath is "";
// standard input from inPath, or inherited when inPath is "". The child's
// pid, or -1 when it could not be started.
pid_t Spawn(const std::vector<std::string>& args, const std::string& outPath, const std::string& errPath = "",
            const std::string& inPath = "");

// The exit status (128 + the signal for a killed child), or -1 when the
// child is still running after timeoutMs.
int WaitExit(pid_t pid, int timeoutMs);

// True once KelmEmu accepts connections on socket, within timeoutMs.
bool WaitForSocket(const std::string& socket, int timeoutMs = 5000);

struct ProgramResult {
    int status = -1;  // exit status, or -1 when the program did not exit normally
    std::string out;
    std::string err;
};

std::string KelmctlPath();

// Runs kelmctl with args and standard input from stdinPath, waiting as long
// as it takes; its output is collected through files in scratchFolder. The
// environment is inherited.
ProgramResult RunKelmctl(const std::vector<std::string>& args, const std::string& scratchFolder,
                         const std::string& stdinPath = "/dev/null");

}  // namespace kelm::test
