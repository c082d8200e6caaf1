// A scripted keyboard for the protocol tests: it keeps five profiles in wire
// form, answers the select-then-read scheme and the ready poll, records every
// call with its virtual time, and injects faults on request.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <set>
#include <thread>
#include <vector>

#include "keyboard/Clock.h"
#include "keyboard/FeatureDevice.h"
#include "keyboard/Reports.h"

namespace kelm {

struct FakeProfile {
    std::uint8_t modifyMask = 0x3F;
    std::array<KeyWire, 57> keys{};  // wire codes by key entry; standard codes at first
    LightData light{0, 3, 1, 15};
    std::array<MacroKeyInfo, kMacroCapableKeys> macros{};
};

struct FakeCall {
    bool set;  // SetFeature, else GetFeature
    ReportBytes bytes;
    std::int64_t atMs;
    std::thread::id thread;
};

class FakeKeyboard final : public IFeatureDevice {
public:
    explicit FakeKeyboard(const VirtualClock& clock);

    bool SetFeature(std::span<const std::uint8_t> report) override;
    bool GetFeature(std::span<std::uint8_t> buffer) override;

    // ---- state ----
    std::vector<FakeProfile> profiles;
    std::uint8_t firmware = 115;
    std::uint8_t activeProfile = 0;
    std::optional<std::uint8_t> profileAnswer;  // answered instead of activeProfile
    SyncStamp stamp{};
    std::optional<std::uint8_t> hostState;
    std::optional<PactRelayData> relay;
    int resets = 0;

    // ---- faults ----
    int busyPolls = 0;  // status reads answered busy after each SetFeature
    bool busyForever = false;
    std::uint8_t finalStatus = kStatusReady;     // answered once no longer busy
    int failStatusReads = 0;                     // the next status reads that fail
    std::map<std::uint8_t, int> failReads;       // report id -> reads that fail (-1 all)
    std::set<std::uint8_t> failWrites;           // report ids whose SetFeature fails
    std::set<std::uint8_t> badChecksum;          // report ids answered with a wrong checksum
    std::optional<std::uint8_t> macroKeyAnswer;  // key index put into every MacroReport answer
    int unplugAfter = -1;                        // calls that still work; -1 never unplugs

    // Called after each call was recorded, outside the keyboard's lock, with
    // the number of calls so far. Set it before the keyboard is shared.
    std::function<void(std::size_t calls)> onCall;

    // The next status reads answer busy.
    void BusyFor(int polls);

    // ---- what happened ----
    std::vector<FakeCall> Calls() const;
    // Ids of every SetFeature but the selects, in order.
    std::vector<std::uint8_t> WrittenIds() const;
    // Ids of every GetFeature but the status reads, in order.
    std::vector<std::uint8_t> ReadIds() const;
    int StatusReads() const;
    std::vector<std::int64_t> StatusReadTimes() const;
    void ClearCalls();

private:
    bool Plugged();
    void Record(bool set, std::span<const std::uint8_t> bytes);
    bool Store(std::span<const std::uint8_t> report);
    bool Get(std::span<std::uint8_t> buffer);
    void Notify();
    std::optional<ReportBytes> Answer(std::uint8_t id);
    std::optional<ReportBytes> StatusAnswer();

    const VirtualClock& clock_;
    mutable std::mutex mutex_;
    std::vector<FakeCall> calls_;
    int busyLeft_ = 0;
    std::optional<ControlSelect> selected_;
};

}  // namespace kelm
