#include "FakeKeyboard.h"

#include <algorithm>

namespace kelm {

namespace {

FakeProfile FactoryProfile() {
    FakeProfile profile;
    for (std::size_t key = 0; key < profile.keys.size(); ++key) profile.keys[key].code = StandardCodeTable[key];
    return profile;
}

}  // namespace

FakeKeyboard::FakeKeyboard(const VirtualClock& clock) : profiles(kProfileCount, FactoryProfile()), clock_(clock) {}

bool FakeKeyboard::Plugged() {
    if (unplugAfter < 0) return true;
    return static_cast<int>(calls_.size()) <= unplugAfter;
}

void FakeKeyboard::Record(bool set, std::span<const std::uint8_t> bytes) {
    calls_.push_back({set, ReportBytes(bytes.begin(), bytes.end()), clock_.SleptMs(), std::this_thread::get_id()});
}

void FakeKeyboard::Notify() {
    if (!onCall) return;
    std::size_t count;
    {
        std::lock_guard lock(mutex_);
        count = calls_.size();
    }
    onCall(count);
}

bool FakeKeyboard::SetFeature(std::span<const std::uint8_t> report) {
    bool stored = false;
    {
        std::lock_guard lock(mutex_);
        Record(true, report);
        if (Plugged() && !report.empty() && failWrites.count(report[0]) == 0) {
            busyLeft_ = busyPolls;
            stored = Store(report);
        }
    }
    Notify();
    return stored;
}

bool FakeKeyboard::Store(std::span<const std::uint8_t> report) {
    const auto id = static_cast<ReportId>(report[0]);
    if (id == ReportId::ControlReport) {
        selected_ = ParseControlSelect(report);
        return selected_.has_value();
    }
    if (id == ReportId::ProfileReport) {
        const auto profile = ParseProfileReport(report);
        if (profile) activeProfile = *profile;
        return profile.has_value();
    }
    if (id == ReportId::ModifyKeyReport) {
        const auto data = ParseModifyKeyReport(report);
        if (!data || data->profile >= kProfileCount) return false;
        profiles[data->profile].modifyMask = data->mask;
        return true;
    }
    if (const KeyGroup* group = FindKeyGroup(id)) {
        const auto data = ParseKeyGroupReport(*group, report);
        if (!data || data->profile >= kProfileCount) return false;
        for (int i = 0; i < group->count; ++i)
            profiles[data->profile].keys[static_cast<std::size_t>(group->firstKey + i)] =
                data->keys[static_cast<std::size_t>(i)];
        return true;
    }
    if (id == ReportId::LightReport) {
        const auto data = ParseLightReport(report);
        if (!data || data->profile >= kProfileCount) return false;
        profiles[data->profile].light = *data;
        return true;
    }
    if (id == ReportId::MacroReport) {
        MacroKeyInfo entry{};
        const auto address = ParseMacroReport(report, entry);
        if (!address || address->profile >= kProfileCount || address->keyIndex >= kMacroCapableKeys) return false;
        profiles[address->profile].macros[address->keyIndex] = entry;
        return true;
    }
    if (id == ReportId::ResetReport) {
        if (!IsResetReport(report)) return false;
        profiles.assign(kProfileCount, FactoryProfile());
        ++resets;
        return true;
    }
    if (id == ReportId::SyncStampReport) {
        const auto received = ParseSyncStampReport(report);
        if (received) stamp = *received;
        return received.has_value();
    }
    if (id == ReportId::HostStateReport) {
        hostState = ParseHostStateReport(report);
        return hostState.has_value();
    }
    if (id == ReportId::PactRelayReport) {
        relay = ParsePactRelayReport(report);
        return relay.has_value();
    }
    return false;
}

bool FakeKeyboard::GetFeature(std::span<std::uint8_t> buffer) {
    bool answered;
    {
        std::lock_guard lock(mutex_);
        Record(false, buffer);
        answered = Get(buffer);
    }
    Notify();
    return answered;
}

bool FakeKeyboard::Get(std::span<std::uint8_t> buffer) {
    if (!Plugged() || buffer.empty()) return false;
    const std::uint8_t id = buffer[0];
    auto fail = failReads.find(id);
    if (fail != failReads.end() && fail->second != 0) {
        if (fail->second > 0) --fail->second;
        return false;
    }
    std::optional<ReportBytes> answer =
        id == static_cast<std::uint8_t>(ReportId::ControlReport) ? StatusAnswer() : Answer(id);
    if (!answer || answer->size() != buffer.size()) return false;
    if (badChecksum.count(id) != 0) answer->back() ^= 0x5A;
    std::copy(answer->begin(), answer->end(), buffer.begin());
    return true;
}

std::optional<ReportBytes> FakeKeyboard::StatusAnswer() {
    if (failStatusReads > 0) {
        --failStatusReads;
        return std::nullopt;
    }
    if (busyForever || busyLeft_ > 0) {
        if (busyLeft_ > 0) --busyLeft_;
        return BuildControlStatus(kStatusBusy);
    }
    return BuildControlStatus(finalStatus);
}

std::optional<ReportBytes> FakeKeyboard::Answer(std::uint8_t id) {
    const auto report = static_cast<ReportId>(id);
    if (report == ReportId::ProfileReport) return BuildProfileReport(profileAnswer.value_or(activeProfile));
    if (report == ReportId::FirmwareReport) return BuildFirmwareReport(firmware);
    if (report == ReportId::SyncStampReport) return BuildSyncStampReport(stamp);
    // Everything else answers what the last select named, and only that.
    if (!selected_ || selected_->profile >= kProfileCount) return std::nullopt;
    const FakeProfile& profile = profiles[selected_->profile];
    const std::uint8_t p = selected_->profile;
    const std::uint8_t code = selected_->selectCode;
    if (report == ReportId::MacroReport) {
        if (code >= kMacroCapableKeys) return std::nullopt;
        return BuildMacroReport({p, macroKeyAnswer.value_or(code)}, profile.macros[code]);
    }
    const ReportInfo* info = FindReportInfo(id);
    if (info == nullptr || info->selectCode != code) return std::nullopt;
    if (report == ReportId::ModifyKeyReport) return BuildModifyKeyReport({p, profile.modifyMask});
    if (report == ReportId::LightReport) {
        LightData light = profile.light;
        light.profile = p;
        return BuildLightReport(light);
    }
    const KeyGroup* group = FindKeyGroup(report);
    if (group == nullptr) return std::nullopt;
    KeyGroupData data;
    data.profile = p;
    for (int i = 0; i < group->count; ++i)
        data.keys[static_cast<std::size_t>(i)] = profile.keys[static_cast<std::size_t>(group->firstKey + i)];
    return BuildKeyGroupReport(*group, data);
}

void FakeKeyboard::BusyFor(int polls) {
    std::lock_guard lock(mutex_);
    busyLeft_ = polls;
}

std::vector<FakeCall> FakeKeyboard::Calls() const {
    std::lock_guard lock(mutex_);
    return calls_;
}

std::vector<std::uint8_t> FakeKeyboard::WrittenIds() const {
    std::vector<std::uint8_t> ids;
    for (const FakeCall& call : Calls())
        if (call.set && call.bytes[0] != static_cast<std::uint8_t>(ReportId::ControlReport))
            ids.push_back(call.bytes[0]);
    return ids;
}

std::vector<std::uint8_t> FakeKeyboard::ReadIds() const {
    std::vector<std::uint8_t> ids;
    for (const FakeCall& call : Calls())
        if (!call.set && call.bytes[0] != static_cast<std::uint8_t>(ReportId::ControlReport))
            ids.push_back(call.bytes[0]);
    return ids;
}

int FakeKeyboard::StatusReads() const { return static_cast<int>(StatusReadTimes().size()); }

std::vector<std::int64_t> FakeKeyboard::StatusReadTimes() const {
    std::vector<std::int64_t> times;
    for (const FakeCall& call : Calls())
        if (!call.set && call.bytes[0] == static_cast<std::uint8_t>(ReportId::ControlReport))
            times.push_back(call.atMs);
    return times;
}

void FakeKeyboard::ClearCalls() {
    std::lock_guard lock(mutex_);
    calls_.clear();
}

}  // namespace kelm
