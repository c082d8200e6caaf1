#include "suite/SharedSettings.h"

#include <cstring>

#include "settings/Text.h"
#include "suite/SuiteIds.h"

namespace kelm {

bool SharedSettings::Open() {
    mutex_ = NamedMutex::Open(kSettingsBlockMutexName);
    block_ = SharedMapping::Open(kSettingsBlockName, kSettingsBlockSize);
    return mutex_ && block_;
}

bool SharedSettings::Read(SettingsRecord& record) {
    const NamedMutexLock lock(mutex_);
    if (lock.Result() != LockResult::Acquired) return false;
    std::memcpy(&record, block_.Data(), sizeof record);
    return true;
}

bool SharedSettings::ReadCurrentProfile(int& slot, std::string& name) {
    const NamedMutexLock lock(mutex_);
    if (lock.Result() != LockResult::Acquired) return false;
    const auto* record = static_cast<const SettingsRecord*>(block_.Data());
    if (!IsValidSlot(record->CurrentProfile)) return false;
    slot = record->CurrentProfile;
    name = std::string(FieldText(record->Profiles[slot].ProFileName));
    return true;
}

bool SharedSettings::Write(const SettingsRecord& record) {
    const NamedMutexLock lock(mutex_);
    if (!lock.Held()) return false;
    std::memcpy(block_.Data(), &record, sizeof record);
    return true;
}

}  // namespace kelm
