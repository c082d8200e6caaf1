// The file side of the keyboard sequences for a program that only looks at
// the keyboard: what a sequence would store in the settings files is kept
// in memory for the caller, and no settings file is ever written.
#pragma once

#include <optional>

#include "keyboard/ProtocolHost.h"

namespace kelm::ctl {

class MemorySettingsFiles final : public ISettingsFiles {
public:
    void StoreFirmwareVersion(int version) override { firmware_ = version; }
    bool LoadSyncStamp(SyncStamp& stamp) override {
        if (stamp_) stamp = *stamp_;
        return stamp_.has_value();
    }
    void StoreSyncStamp(const SyncStamp& stamp) override { stamp_ = stamp; }
    // The caller holds the record itself.
    bool SaveRecord(const SettingsRecord&) override { return true; }

    // What the sequences stored; nothing before they got that far.
    std::optional<int> FirmwareVersion() const { return firmware_; }
    std::optional<SyncStamp> Stamp() const { return stamp_; }

private:
    std::optional<int> firmware_;
    std::optional<SyncStamp> stamp_;
};

}  // namespace kelm::ctl
