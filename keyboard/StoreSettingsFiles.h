// The sequences' file side over the settings store of one program folder.
#pragma once

#include <utility>

#include "keyboard/ProtocolHost.h"
#include "settings/StoreLocation.h"

namespace kelm {

class StoreSettingsFiles final : public ISettingsFiles {
public:
    explicit StoreSettingsFiles(StoreLocation where) : where_(std::move(where)) {}

    void StoreFirmwareVersion(int version) override;
    bool LoadSyncStamp(SyncStamp& stamp) override;
    void StoreSyncStamp(const SyncStamp& stamp) override;
    bool SaveRecord(const SettingsRecord& record) override;

private:
    StoreLocation where_;
};

}  // namespace kelm
