// The window and the apply runner of SetupController, for tests: a view
// that records what the controller asks of it, and a runner that holds the
// apply until the test answers for the monitor.
#pragma once

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "setup/SetupController.h"

namespace kelm::test {

class RecordingView final : public ISetupView {
public:
    void RefreshAll() override { calls.push_back("refresh"); }
    void RefreshFirmwareText() override { calls.push_back("firmware"); }
    void Relabel() override { calls.push_back("relabel"); }
    void SetBusy(bool busy) override { calls.push_back(busy ? "busy" : "idle"); }
    void ShowNotice(Notice notice) override { notices.push_back(notice); }
    bool ConfirmWindowsProfile(int slot) override {
        asked.push_back(slot);
        return confirm;
    }
    void Raise() override { calls.push_back("raise"); }
    void Close() override { calls.push_back("close"); }

    bool Saw(const std::string& call) const { return std::find(calls.begin(), calls.end(), call) != calls.end(); }

    std::vector<std::string> calls;
    std::vector<Notice> notices;
    std::vector<int> asked;
    bool confirm = true;
};

class HeldRunner final : public IApplyRunner {
public:
    void Run(int mode, Done done) override {
        modes.push_back(mode);
        pending = std::move(done);
    }
    void Answer(std::optional<std::int64_t> answer) {
        Done done = std::move(pending);
        pending = nullptr;
        done(answer);
    }
    std::vector<int> modes;
    Done pending;
};

}  // namespace kelm::test
