// Automatic profile switching: every tick of TIMER_FOREGROUND the program in
// front selects the first profile (slots 0..4, GameFile0..2 each) that names
// it; with none, the WindowsProfile fall-back is taken, unless the
// configuration program is open (its user is choosing a profile).
#pragma once

#include <functional>
#include <optional>
#include <string_view>

#include "monitor/HostActions.h"
#include "platform/ForegroundProgram.h"
#include "settings/SettingsRecord.h"

namespace kelm {

// What the rule needs of the monitor's window.
class IProfileSwitching {
public:
    virtual ~IProfileSwitching() = default;
    // read sees the monitor's current settings, and must not keep them.
    virtual void ReadSettings(const std::function<void(const SettingsRecord&)>& read) = 0;
    virtual bool SetupWindowOpen() = 0;
    // Makes slot the current profile from the host's side.
    virtual void SwitchProfile(int slot) = 0;
    // Starts this one-shot sound timer, unless the countdown's last seconds
    // keep every such sound quiet.
    virtual void AnnounceProfileChange(unsigned soundTimer) = 0;
};

// The file name and extension of a stored program path, trimmed; the
// folders may be written with '/' or, in a profile made on Windows, '\'.
std::string_view GameFileName(std::string_view storedPath);

// The lowest slot naming the program (its executable's file name, compared
// ignoring case).
std::optional<int> GameProfileFor(const SettingsRecord& settings, std::string_view program);

class ForegroundProfileRule final : public IForegroundRule {
public:
    explicit ForegroundProfileRule(IForegroundProgram& program) : program_(program) {}
    // Before the first tick; the window outlives the rule's use.
    void Attach(IProfileSwitching& monitor) { monitor_ = &monitor; }

    void FollowForegroundProgram() override;

private:
    IForegroundProgram& program_;
    IProfileSwitching* monitor_ = nullptr;
    bool toldUnavailable_ = false;
};

}  // namespace kelm
