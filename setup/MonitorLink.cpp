#include "setup/MonitorLink.h"

#include <chrono>

#include "platform/WindowClient.h"
#include "suite/SharedSettings.h"
#include "suite/SuiteIds.h"

namespace kelm {

namespace {

// A full write of five profiles with their macros takes the keyboard about
// a minute; the wait only bounds a monitor that hangs.
constexpr std::chrono::minutes kApplyWait{3};

class SharedBlockLink final : public IMonitorLink {
public:
    OpenResult Open() override {
        if (block_.Open()) return OpenResult::Opened;
        return FindWindow(kMonitorTitle) ? OpenResult::Unmappable : OpenResult::Absent;
    }
    bool ReadShared(SettingsRecord& record) override { return block_.Read(record); }
    bool WriteShared(const SettingsRecord& record) override { return block_.Write(record); }
    std::optional<std::int64_t> RequestApply(int mode) override {
        return SendMessage(kMonitorTitle, MSG_APPLY_SETTINGS, static_cast<std::uint64_t>(mode), 0, kApplyWait);
    }

private:
    SharedSettings block_;
};

}  // namespace

std::unique_ptr<IMonitorLink> CreateMonitorLink() { return std::make_unique<SharedBlockLink>(); }

}  // namespace kelm
