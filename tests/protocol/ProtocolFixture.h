// The collaborators of the protocol engine as the tests see them: a fake
// keyboard on a virtual clock, files kept in memory, and counters for the
// shared block and the configuration program.
#pragma once

#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <optional>

#include "FakeKeyboard.h"
#include "keyboard/KeyboardProtocol.h"
#include "settings/Defaults.h"

namespace kelm {

struct MemoryFiles final : ISettingsFiles {
    void StoreFirmwareVersion(int version) override { firmware = version; }
    bool LoadSyncStamp(SyncStamp& out) override {
        if (stamp) out = *stamp;
        return stamp.has_value();
    }
    void StoreSyncStamp(const SyncStamp& value) override {
        stamp = value;
        ++stampStores;
    }
    bool SaveRecord(const SettingsRecord& record) override {
        ++saves;
        if (failSave) return false;
        saved = std::make_unique<SettingsRecord>(record);
        return true;
    }

    std::optional<int> firmware;
    std::optional<SyncStamp> stamp;
    int stampStores = 0;
    int saves = 0;
    bool failSave = false;
    std::unique_ptr<SettingsRecord> saved;
};

struct CountingPublisher final : IRecordPublisher {
    void PublishRecord(const SettingsRecord& record) override {
        ++count;
        lastCurrentProfile = record.CurrentProfile;
    }
    int count = 0;
    int lastCurrentProfile = -2;
};

struct CountingSetup final : ISetupWindow {
    void PostSetupReload() override { ++count; }
    int count = 0;
};

inline std::unique_ptr<SettingsRecord> DefaultRecord() {
    auto record = std::make_unique<SettingsRecord>();
    DefaultSettings(*record);
    ClearChangeFlags(*record);
    return record;
}

class ProtocolTest : public ::testing::Test {
protected:
    // Raises the abort flag once virtual time reaches atMs.
    void AbortAt(std::int64_t atMs) {
        clock.SetSleepHook([this, atMs](std::int64_t total) {
            if (total >= atMs) abort = true;
        });
    }
    ProfileRecord& Profile(int p) { return record->Profiles[p]; }
    ChangeFlags& Flags() { return record->Flags; }

    VirtualClock clock;
    FakeKeyboard keyboard{clock};
    std::atomic<bool> abort{false};
    std::unique_ptr<SettingsRecord> record = DefaultRecord();
    MemoryFiles files;
    CountingPublisher publisher;
    CountingSetup setup;
    KeyboardProtocol protocol{keyboard, clock, abort, *record, {files, &publisher, &setup}};
};

}  // namespace kelm
