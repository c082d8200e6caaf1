// KelmWatch running against KelmEmu as a user runs them, for the benchmarks
// that look at the monitor from outside: a temporary program folder and
// runtime folder, KelmEmu answering ready at once, the keyboard and the
// settings files agreeing on their synchronisation stamp (so the start-up
// read-back is short), and no display. Start returns once that read-back is
// over; the destructor stops KelmWatch first (it tells the keyboard that the
// host is gone), then KelmEmu, and removes the folder. Given a display,
// KelmWatch types its host actions into it.
#pragma once

#include <sys/types.h>

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "tests/support/TempFolder.h"

namespace kelm::bench {

class MonitorRun {
public:
    // nullptr, with the reason in error, when either program does not come up.
    static std::unique_ptr<MonitorRun> Start(const std::string& programFolder, std::string& error,
                                             const std::string& display = "");
    ~MonitorRun();
    MonitorRun(const MonitorRun&) = delete;
    MonitorRun& operator=(const MonitorRun&) = delete;

    pid_t Monitor() const { return monitor_; }
    std::string EmuSocket() const { return folder_ / "emu.sock"; }
    // `KelmEmu ctl words...`: its output, "" when it failed.
    std::string Ctl(const std::vector<std::string>& words);
    // Another program started the way KelmWatch was (same environment, its
    // output into the folder); -1 when it cannot be started.
    pid_t SpawnAlike(const std::vector<std::string>& args, const std::string& outputName);
    // Links name (a file or folder of the build's program folder) into the
    // temporary one, for a program that needs more of it than KelmWatch does
    // (KelmSetup: Skin/, help/); false when it cannot.
    bool Share(const std::string& name);

private:
    explicit MonitorRun(std::string programFolder) : programFolder_(std::move(programFolder)) {}
    bool StartPrograms(std::string& error, const std::string& display);
    // The temporary program folder (KELM_HOME).
    std::string Home() const { return folder_ / "program"; }

    std::string programFolder_;
    test::TempFolder folder_;
    pid_t emu_ = -1;
    pid_t monitor_ = -1;
};

}  // namespace kelm::bench
