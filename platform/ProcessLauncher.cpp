#include "platform/ProcessLauncher.h"

#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <system_error>
#include <thread>

#include "platform/Debug.h"

extern char** environ;

namespace kelm {

namespace {

class SpawnAttributes {
public:
    SpawnAttributes() {
        ok_ = posix_spawnattr_init(&attributes_) == 0;
        sigset_t none;
        sigset_t all;
        sigemptyset(&none);
        sigfillset(&all);
        ok_ = ok_ && posix_spawnattr_setsigmask(&attributes_, &none) == 0 &&
              posix_spawnattr_setsigdefault(&attributes_, &all) == 0 &&
              posix_spawnattr_setflags(&attributes_,
                                       POSIX_SPAWN_SETSID | POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF) == 0;
    }
    ~SpawnAttributes() { posix_spawnattr_destroy(&attributes_); }
    SpawnAttributes(const SpawnAttributes&) = delete;
    SpawnAttributes& operator=(const SpawnAttributes&) = delete;

    const posix_spawnattr_t* Get() const { return ok_ ? &attributes_ : nullptr; }

private:
    posix_spawnattr_t attributes_;
    bool ok_ = false;
};

void ReapLater(pid_t pid) {
    try {
        std::thread([pid] {
            while (::waitpid(pid, nullptr, 0) < 0 && errno == EINTR) {
            }
        }).detach();
    } catch (const std::system_error&) {
        // Without a thread the finished child stays a zombie until we end;
        // it has started, which is all the caller asked.
    }
}

bool Spawn(const std::string& executable, const std::vector<std::string>& arguments) {
    if (executable.empty()) return false;
    const SpawnAttributes attributes;
    if (attributes.Get() == nullptr) return false;
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(executable.c_str()));
    for (const std::string& a : arguments) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    pid_t pid = 0;
    const int result = ::posix_spawnp(&pid, executable.c_str(), nullptr, attributes.Get(), argv.data(), environ);
    if (result != 0) {
        DebugOutput("ProcessLauncher: cannot start %s: %s\n", executable.c_str(), std::strerror(result));
        return false;
    }
    ReapLater(pid);
    return true;
}

bool IsExecutableFile(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && ::access(path.c_str(), X_OK) == 0;
}

}  // namespace

bool SystemLauncher::StartProgram(const std::string& executable, const std::vector<std::string>& arguments) {
    return Spawn(executable, arguments);
}

// xdg-open takes every argument that begins with '-' for an option and has
// no "--" to end them, so such a target is refused, not handed on.
bool SystemLauncher::OpenDocument(const std::string& target) {
    return !target.empty() && target.front() != '-' && Spawn("xdg-open", {target});
}

bool ShellOpen(ProcessLauncher& launcher, const std::string& target, const std::vector<std::string>& arguments) {
    return IsExecutableFile(target) ? launcher.StartProgram(target, arguments) : launcher.OpenDocument(target);
}

}  // namespace kelm
