// KelmWatch's side of KelmSetup's link, for tests: the monitor's block as a
// record of its own, with every copy and apply request counted.
#pragma once

#include <memory>
#include <optional>
#include <vector>

#include "settings/Defaults.h"
#include "setup/MonitorLink.h"

namespace kelm::test {

class FakeMonitorLink final : public IMonitorLink {
public:
    FakeMonitorLink() : block(std::make_unique<SettingsRecord>()) { DefaultSettings(*block); }
    OpenResult Open() override { return openResult; }
    bool ReadShared(SettingsRecord& record) override {
        if (readFails) return false;
        record = *block;
        return true;
    }
    bool WriteShared(const SettingsRecord& record) override {
        ++writes;
        *block = record;
        return true;
    }
    std::optional<std::int64_t> RequestApply(int mode) override {
        modes.push_back(mode);
        return answer;
    }

    OpenResult openResult = OpenResult::Opened;
    bool readFails = false;
    std::optional<std::int64_t> answer = 1;
    std::unique_ptr<SettingsRecord> block;
    int writes = 0;
    std::vector<int> modes;
};

}  // namespace kelm::test
