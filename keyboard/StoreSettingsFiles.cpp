#include "keyboard/StoreSettingsFiles.h"

#include "settings/SettingsStore.h"

namespace kelm {

void StoreSettingsFiles::StoreFirmwareVersion(int version) { WriteFirmwareVersion(where_, version); }

bool StoreSettingsFiles::LoadSyncStamp(SyncStamp& stamp) { return ReadSyncStamp(where_, stamp); }

void StoreSettingsFiles::StoreSyncStamp(const SyncStamp& stamp) { WriteSyncStamp(where_, stamp); }

bool StoreSettingsFiles::SaveRecord(const SettingsRecord& record) { return SaveAll(record, where_) != 0; }

}  // namespace kelm
