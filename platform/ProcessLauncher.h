// Starting other programs, as ShellExecute "open" and WinExec do: programs
// run detached in a session of their own, so they outlive the starter and
// take none of its signals; documents, folders and addresses go to the
// desktop's handler through xdg-open.
#pragma once

#include <string>
#include <vector>

namespace kelm {

class ProcessLauncher {
public:
    virtual ~ProcessLauncher() = default;
    // True when executable (a path, or a name looked up in PATH) started.
    virtual bool StartProgram(const std::string& executable, const std::vector<std::string>& arguments) = 0;
    // True when xdg-open started for target; whether a handler exists for
    // it is xdg-open's business, as the desktop's is on the window system.
    // A target beginning with '-' is refused: xdg-open would read it as an
    // option (pass an absolute path or an address).
    virtual bool OpenDocument(const std::string& target) = 0;
};

// The real launcher: posix_spawn with POSIX_SPAWN_SETSID, default signal
// handling and an empty signal mask; the starter reaps the child on a
// thread of its own, so no finished program lingers as a zombie.
class SystemLauncher final : public ProcessLauncher {
public:
    bool StartProgram(const std::string& executable, const std::vector<std::string>& arguments) override;
    bool OpenDocument(const std::string& target) override;
};

// ShellExecute "open" on target: an executable file is started with the
// arguments, anything else is opened as a document.
bool ShellOpen(ProcessLauncher& launcher, const std::string& target, const std::vector<std::string>& arguments);

}  // namespace kelm
