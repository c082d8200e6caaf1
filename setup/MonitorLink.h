// KelmSetup's way to KelmWatch: the monitor's shared settings block, copied
// whole under its mutex, and the request that makes the monitor send what
// the block's change flags name to the keyboard. Tests pass a fake.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>

#include "settings/SettingsRecord.h"

namespace kelm {

class IMonitorLink {
public:
    enum class OpenResult {
        Opened,
        Absent,      // no monitor runs: the settings come from the files
        Unmappable,  // the monitor runs, but its block cannot be had
    };

    virtual ~IMonitorLink() = default;
    virtual OpenResult Open() = 0;
    virtual bool ReadShared(SettingsRecord& record) = 0;
    virtual bool WriteShared(const SettingsRecord& record) = 0;
    // MSG_APPLY_SETTINGS with mode (0 send the changes, 1 reset the keyboard
    // first), waiting until the monitor has written to the keyboard. The
    // monitor's answer: 1 when the keyboard took every change, 0 when not;
    // nothing when no monitor answered. Called off the window thread, so
    // the window stays painted while the keyboard is written.
    virtual std::optional<std::int64_t> RequestApply(int mode) = 0;
};

std::unique_ptr<IMonitorLink> CreateMonitorLink();

}  // namespace kelm
