#include "tests/support/Programs.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <thread>

#include "emulator/EmuWire.h"
#include "tests/support/TempFolder.h"

extern char** environ;

namespace kelm::test {

std::string ProgramFolder() {
    const char* folder = std::getenv("KELM_PROGRAM_FOLDER");
    return folder != nullptr ? folder : "";
}

std::string ProgramPath(const std::string& name) {
    const std::string folder = ProgramFolder();
    return folder.empty() ? std::string() : folder + "/" + name;
}

pid_t Spawn(const std::vector<std::string>& args, const std::string& outPath, const std::string& errPath,
            const std::string& inPath) {
    if (args.empty() || args[0].empty()) return -1;
    std::vector<char*> argv;
    for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    if (!inPath.empty()) posix_spawn_file_actions_addopen(&actions, 0, inPath.c_str(), O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    if (errPath.empty())
        posix_spawn_file_actions_adddup2(&actions, 1, 2);
    else
        posix_spawn_file_actions_addopen(&actions, 2, errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    pid_t pid = -1;
    if (posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ) != 0) pid = -1;
    posix_spawn_file_actions_destroy(&actions);
    return pid;
}

int WaitExit(pid_t pid, int timeoutMs) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        int status = 0;
        const pid_t done = ::waitpid(pid, &status, WNOHANG);
        if (done == pid) return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
        if (done < 0 || std::chrono::steady_clock::now() >= deadline) return -1;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
}

bool WaitForSocket(const std::string& socket, int timeoutMs) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (std::chrono::steady_clock::now() < deadline) {
        if (emu::WireConnection::Connect(socket)) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return false;
}

std::string KelmctlPath() { return ProgramPath("kelmctl"); }

ProgramResult RunKelmctl(const std::vector<std::string>& args, const std::string& scratchFolder,
                         const std::string& stdinPath) {
    ProgramResult result;
    std::vector<std::string> argv{KelmctlPath()};
    argv.insert(argv.end(), args.begin(), args.end());
    const std::string outPath = scratchFolder + "/kelmctl.out";
    const std::string errPath = scratchFolder + "/kelmctl.err";
    const pid_t pid = Spawn(argv, outPath, errPath, stdinPath);
    if (pid < 0) return result;
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0)
        if (errno != EINTR) return result;
    result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    result.out = ReadFile(outPath);
    result.err = ReadFile(errPath);
    return result;
}

}  // namespace kelm::test
