// What the keyboard sequences need from the monitor around them: the
// settings files, the shared settings block and the configuration
// program's window. Block and window are optional: a monitor without them
// passes nullptr and the sequences skip those steps.
#pragma once

#include "settings/ConfigFile.h"
#include "settings/SettingsRecord.h"

namespace kelm {

class ISettingsFiles {
public:
    virtual ~ISettingsFiles() = default;
    virtual void StoreFirmwareVersion(int version) = 0;
    // False when the stamp is missing or damaged.
    virtual bool LoadSyncStamp(SyncStamp& stamp) = 0;
    virtual void StoreSyncStamp(const SyncStamp& stamp) = 0;
    // The configuration and profile files; false when any could not be written.
    virtual bool SaveRecord(const SettingsRecord& record) = 0;
};

// Whole-record copy into the shared settings block.
class IRecordPublisher {
public:
    virtual ~IRecordPublisher() = default;
    virtual void PublishRecord(const SettingsRecord& record) = 0;
};

// The configuration program, told to reload everything from the block
// (MSG_SETUP_RELOAD) when its window exists.
class ISetupWindow {
public:
    virtual ~ISetupWindow() = default;
    virtual void PostSetupReload() = 0;
};

}  // namespace kelm
