#include "tools/kelmctl/SharedSettings.h"

#include <cstring>

#include "monitor/MonitorIds.h"

namespace kelm::ctl {

bool SharedSettings::Open() {
    mutex_ = NamedMutex::Open(kSettingsBlockMutexName);
    block_ = SharedMapping::Open(kSettingsBlockName, sizeof(SettingsRecord));
    return mutex_ && block_;
}

bool SharedSettings::Read(SettingsRecord& record) {
    const NamedMutexLock lock(mutex_);
    if (lock.Result() != LockResult::Acquired) return false;
    std::memcpy(&record, block_.Data(), sizeof record);
    return true;
}

bool SharedSettings::Write(const SettingsRecord& record) {
    const NamedMutexLock lock(mutex_);
    if (!lock.Held()) return false;
    std::memcpy(block_.Data(), &record, sizeof record);
    return true;
}

}  // namespace kelm::ctl
