#include "monitor/SettingsBlock.h"

#include <cstring>

#include "monitor/MonitorIds.h"

namespace kelm {

MutexCreation SettingsBlock::CreateMutex() {
    mutex_ = NamedMutex::Create(kSettingsBlockMutexName);
    if (!mutex_) return MutexCreation::Failed;
    return mutex_.AlreadyExisted() ? MutexCreation::AlreadyExisted : MutexCreation::Created;
}

bool SettingsBlock::CreateBlock() {
    // Without its mutex no copy could be guarded, so there is no block.
    if (!mutex_) return false;
    block_ = SharedMapping::Create(kSettingsBlockName, sizeof(SettingsRecord));
    return static_cast<bool>(block_);
}

void SettingsBlock::PublishRecord(const SettingsRecord& record) {
    if (!block_) return;
    const NamedMutexLock lock(mutex_);
    if (lock.Held()) std::memcpy(block_.Data(), &record, sizeof record);
}

bool SettingsBlock::CopyToRecord(SettingsRecord& record) {
    if (!block_) return false;
    const NamedMutexLock lock(mutex_);
    switch (lock.Result()) {
        case LockResult::Acquired:
            std::memcpy(&record, block_.Data(), sizeof record);
            return true;
        case LockResult::OwnerDied:
            std::memcpy(block_.Data(), &record, sizeof record);
            return false;
        case LockResult::Failed:
            return false;
    }
    return false;
}

void SettingsBlock::CloseBlock() { block_ = SharedMapping(); }

void SettingsBlock::CloseMutex() { mutex_ = NamedMutex(); }

}  // namespace kelm
