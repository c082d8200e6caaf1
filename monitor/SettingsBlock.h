// The shared settings block "VELDAN_Kelm_Keyboard_Share_Data" and its mutex
// "Veldan_Kelm_Keyboard_Mutex_Object", as the monitor creates them.
//
// Both are private to the user (the runtime folder is 0700, the files
// 0600). The block is not opened to every user as a null security
// descriptor would open it: the monitor types what the block holds as
// macros, so whoever could write the block could type into the user's
// session.
//
// A program that ended while holding the mutex may have left half a record
// in the block. The monitor owns the block, so it rewrites it whole from its
// own record; a copy out of the block made under such a mutex counts as
// failed and leaves the record as it was.
#pragma once

#include "monitor/MonitorPorts.h"
#include "platform/NamedMutex.h"
#include "platform/SharedMapping.h"

namespace kelm {

class SettingsBlock final : public ISettingsBlock {
public:
    MutexCreation CreateMutex() override;
    bool CreateBlock() override;
    void PublishRecord(const SettingsRecord& record) override;
    bool CopyToRecord(SettingsRecord& record) override;
    void CloseBlock() override;
    void CloseMutex() override;

private:
    NamedMutex mutex_;
    SharedMapping block_;
};

}  // namespace kelm
