#include "emulator/EmuKeyboard.h"

#include <cstdio>
#include <cstring>
#include <utility>

#include "settings/Defaults.h"

namespace kelm::emu {

namespace {

std::string Hex(unsigned value, int digits) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%0*X", digits, value);
    return text;
}

ActionResult Error(std::string text) { return {false, std::move(text)}; }

constexpr const char* kInLoader = "the keyboard is in its update mode until an update succeeds";

// The report that a select code names.
std::optional<ReportId> SelectedReport(std::uint8_t selectCode) {
    if (selectCode < kMacroCapableKeys) return ReportId::MacroReport;
    for (const ReportInfo& info : kReportTable)
        if (info.selectCode == selectCode) return info.id;
    return std::nullopt;
}

}  // namespace

std::unique_ptr<KeyboardMemory> FactoryMemory(int firmware) {
    auto memory = std::make_unique<KeyboardMemory>();
    for (int slot = 0; slot < kProfileCount; ++slot)
        DefaultProfile(memory->Profiles[static_cast<std::size_t>(slot)], slot);
    memory->CurrentProfile = 0;
    memory->FWVersion = firmware;
    memory->Stamp = {};
    memory->UpdateMode = 0;
    return memory;
}

EmuKeyboard::EmuKeyboard(const EmuClock& clock, std::unique_ptr<KeyboardMemory> memory)
    : clock_(clock), memory_(std::move(memory)), update_(memory_->UpdateMode != 0) {}

// ---- host side ----

bool EmuKeyboard::SetFeature(ReportView report) {
    if (!plugged_) return false;
    const std::uint8_t id = report.empty() ? 0 : report[0];
    WriteResult result = WriteResult::Failed;
    if (id == kUpdateCommandReportId) {
        result = ApplyUpdateCommand(report);
    } else if (!report.empty() && !update_.InLoader()) {
        result = ApplyWrite(report);
    }
    switch (result) {
        case WriteResult::Accepted:
            log_.Add(true, id, report.size(), "accepted", report);
            Accepted();
            break;
        case WriteResult::Refused:
            log_.Add(true, id, report.size(), "refused", report);
            status_ = Status::Refused;
            break;
        case WriteResult::Repeat:
            log_.Add(true, id, report.size(), "repeat", report);
            status_ = Status::Repeat;
            break;
        case WriteResult::Failed:
            log_.Add(true, id, report.size(), "failed", report);
            break;
    }
    AfterReport();
    return result != WriteResult::Failed;
}

EmuKeyboard::WriteResult EmuKeyboard::ApplyWrite(ReportView report) {
    const ReportInfo* info = FindReportInfo(report[0]);
    // The firmware report is only answered: its write is stalled.
    if (info == nullptr || info->id == ReportId::FirmwareReport) return WriteResult::Failed;
    // The select's byte 1 is the profile; every other write declares its length.
    if (info->id != ReportId::ControlReport && DeclaredLength(report) != info->length) return WriteResult::Refused;
    const auto kept = [this] {
        memoryChanged_ = true;
        return WriteResult::Accepted;
    };
    if (const KeyGroup* group = FindKeyGroup(info->id)) {
        const auto data = ParseKeyGroupReport(*group, report);
        if (!data || !IsValidSlot(data->profile)) return WriteResult::Refused;
        ApplyKeyGroup(*group, *data, Profile(data->profile));
        return kept();
    }
    switch (info->id) {
        case ReportId::ControlReport:
            return ApplySelect(report) ? WriteResult::Accepted : WriteResult::Refused;
        case ReportId::ProfileReport: {
            const auto profile = ParseProfileReport(report);
            if (!profile || !IsValidSlot(*profile)) return WriteResult::Refused;
            memory_->CurrentProfile = *profile;
            return kept();
        }
        case ReportId::ModifyKeyReport: {
            const auto data = ParseModifyKeyReport(report);
            if (!data || !IsValidSlot(data->profile)) return WriteResult::Refused;
            ApplyModifyKeyMask(data->mask, Profile(data->profile));
            return kept();
        }
        case ReportId::MacroReport: {
            // Parsed once to learn where it goes, then into its key entry,
            // so that a refused report leaves every entry as it was.
            MacroKeyInfo scratch{};
            const auto address = ParseMacroReport(report, scratch);
            if (!address || !IsValidSlot(address->profile) || address->keyIndex >= kMacroCapableKeys)
                return WriteResult::Refused;
            ParseMacroReport(report, Profile(address->profile).Keys[address->keyIndex]);
            return kept();
        }
        case ReportId::LightReport: {
            const auto data = ParseLightReport(report);
            if (!data || !IsValidSlot(data->profile)) return WriteResult::Refused;
            ApplyLight(*data, Profile(data->profile));
            return kept();
        }
        case ReportId::ResetReport: {
            if (!IsResetReport(report)) return WriteResult::Refused;
            auto factory = FactoryMemory(memory_->FWVersion);
            memory_ = std::move(factory);
            selections_ = {};
            return kept();
        }
        case ReportId::SyncStampReport: {
            const auto stamp = ParseSyncStampReport(report);
            if (!stamp) return WriteResult::Refused;
            memory_->Stamp = *stamp;
            return kept();
        }
        case ReportId::HostStateReport: {
            const auto value = ParseHostStateReport(report);
            if (!value) return WriteResult::Refused;
            hostState_ = *value;
            return WriteResult::Accepted;
        }
        case ReportId::PactRelayReport: {
            if (!ParsePactRelayReport(report)) return WriteResult::Refused;
            relay_ = ReportBytes(report.begin(), report.end());
            return WriteResult::Accepted;
        }
        default:
            return WriteResult::Failed;
    }
}

EmuKeyboard::WriteResult EmuKeyboard::ApplyUpdateCommand(ReportView report) {
    const auto command = ParseUpdateCommand(report, signatures_);
    if (!command) {
        update_.Fail();
        return WriteResult::Refused;
    }
    if (faults_.TakeRepeat()) return WriteResult::Repeat;
    const auto pending = update_.PendingBlock();
    if (command->command == UpdateCommand::BlockData && pending && faults_.TakeBlockFailure(*pending)) {
        update_.Fail();
        return WriteResult::Refused;
    }
    const EmuUpdateMode::Outcome outcome = update_.Take(*command);
    if (outcome.completed && outcome.version) memory_->FWVersion = *outcome.version;
    const std::int32_t inLoader = update_.InLoader() ? 1 : 0;
    if (outcome.completed || inLoader != memory_->UpdateMode) memoryChanged_ = true;
    memory_->UpdateMode = inLoader;
    if (!outcome.accepted) return WriteResult::Refused;
    if (command->command == UpdateCommand::BlockData && faults_.CountBlock()) unplugAfterThisReport_ = true;
    return WriteResult::Accepted;
}

bool EmuKeyboard::ApplySelect(ReportView report) {
    const auto select = ParseControlSelect(report);
    if (!select || !IsValidSlot(select->profile)) return false;
    const auto target = SelectedReport(select->selectCode);
    if (!target) return false;
    const std::uint8_t keyIndex = *target == ReportId::MacroReport ? select->selectCode : 0;
    selections_[static_cast<std::size_t>(*target)] = Selection{select->profile, keyIndex};
    return true;
}

void EmuKeyboard::Accepted() {
    status_ = Status::Busy;
    busyPollsLeft_ = busyTiming_.polls;
    busyUntilMs_ = clock_.NowMs() + busyTiming_.ms;
}

std::uint8_t EmuKeyboard::NextStatus() {
    if (faults_.TakeBusyPoll()) return kStatusBusy;
    switch (status_) {
        case Status::Refused:
            return kStatusRefused;
        case Status::Repeat:
            return kUpdateRepeat;
        case Status::Busy:
            if (busyPollsLeft_ > 0) {
                --busyPollsLeft_;
                return kStatusBusy;
            }
            if (clock_.NowMs() < busyUntilMs_) return kStatusBusy;
            status_ = Status::Ready;
            return kStatusReady;
        case Status::Ready:
            break;
    }
    return kStatusReady;
}

std::optional<ReportBytes> EmuKeyboard::GetFeature(std::uint8_t id, std::size_t bufferLength) {
    if (!plugged_) return std::nullopt;
    std::optional<ReportBytes> answer;
    if (bufferLength > 0 && !faults_.TakeReadFailure()) answer = BuildAnswer(id);
    if (answer) {
        const ReportInfo* info = FindReportInfo(id);
        if (info != nullptr && info->checksum && faults_.TakeChecksumFault()) answer->back() ^= 0x5A;
        if (answer->size() > bufferLength) answer->resize(bufferLength);
        log_.Add(false, id, bufferLength, "answered", *answer);
    } else {
        log_.Add(false, id, bufferLength, "failed", {});
    }
    AfterReport();
    return answer;
}

std::optional<ReportBytes> EmuKeyboard::BuildAnswer(std::uint8_t id) {
    const auto loader = static_cast<std::uint8_t>(loaderVersion_);
    if (id == kUpdateStatusReportId) return BuildUpdateStatus(NextStatus());
    if (update_.InLoader())
        return id == static_cast<std::uint8_t>(ReportId::FirmwareReport) ? std::optional(BuildFirmwareReport(0, loader))
                                                                         : std::nullopt;
    const ReportInfo* info = FindReportInfo(id);
    if (info == nullptr) return std::nullopt;
    const Selection selected =
        selections_[id].value_or(Selection{static_cast<std::uint8_t>(memory_->CurrentProfile), 0});
    ProfileRecord& profile = Profile(selected.profile);
    if (const KeyGroup* group = FindKeyGroup(info->id))
        return BuildKeyGroupReport(*group, KeyGroupFromProfile(*group, selected.profile, profile));
    switch (info->id) {
        case ReportId::ControlReport:
            return BuildControlStatus(NextStatus());
        case ReportId::ProfileReport:
            return BuildProfileReport(static_cast<std::uint8_t>(memory_->CurrentProfile));
        case ReportId::ModifyKeyReport:
            return BuildModifyKeyReport({selected.profile, ModifyKeyMask(profile)});
        case ReportId::MacroReport:
            return BuildMacroReport({selected.profile, selected.keyIndex}, profile.Keys[selected.keyIndex]);
        case ReportId::FirmwareReport:
            return BuildFirmwareReport(static_cast<std::uint8_t>(memory_->FWVersion), loader);
        case ReportId::LightReport:
            return BuildLightReport(LightFromProfile(selected.profile, profile));
        case ReportId::SyncStampReport:
            return BuildSyncStampReport(memory_->Stamp);
        default:
            // Reports the keyboard only takes: the transfer is stalled.
            return std::nullopt;
    }
}

void EmuKeyboard::AfterReport() {
    const bool blocksUsedUp = std::exchange(unplugAfterThisReport_, false);
    if (faults_.CountReport() || blocksUsedUp) Unplug();
}

// ---- user side ----

ActionResult EmuKeyboard::PressKey(int keyNumber) { return KeyAction(keyNumber, false); }
ActionResult EmuKeyboard::ReleaseKey(int keyNumber) { return KeyAction(keyNumber, true); }

ActionResult EmuKeyboard::KeyAction(int keyNumber, bool release) {
    if (!plugged_) return Error("the keyboard is unplugged");
    if (update_.InLoader()) return Error(kInLoader);
    if (keyNumber < 1 || keyNumber > kKeyCount) return Error("key number must be 1..58");
    const int keyIndex = keyNumber - 1;
    const MacroKeyInfo& entry = Profile(memory_->CurrentProfile).Keys[keyIndex];
    if (!release) {
        if (const auto slot = ProfileAfterKey(entry.FunctionCode, memory_->CurrentProfile)) return SwitchProfile(*slot);
    }
    if (const auto event = KeyEventFor(entry, keyIndex, release)) return Raise(event->type, event->data);
    return {true, "key " + std::to_string(keyNumber) + " has function " + Hex(entry.FunctionCode, 2) +
                      ", which the keyboard handles itself: nothing raised"};
}

ActionResult EmuKeyboard::ChangeProfile(int profileNumber) {
    if (!plugged_) return Error("the keyboard is unplugged");
    if (update_.InLoader()) return Error(kInLoader);
    if (profileNumber < 1 || profileNumber > kProfileCount) return Error("profile must be 1..5");
    return SwitchProfile(profileNumber - 1);
}

ActionResult EmuKeyboard::SwitchProfile(int slot) {
    memory_->CurrentProfile = slot;
    memoryChanged_ = true;
    return Raise(EVT_PROFILE, static_cast<std::uint16_t>(slot + 1));
}

ActionResult EmuKeyboard::ChangeBrightness(int level) {
    if (!plugged_) return Error("the keyboard is unplugged");
    if (update_.InLoader()) return Error(kInLoader);
    if (level < 1 || level > 6) return Error("brightness level must be 1..6");
    Profile(memory_->CurrentProfile).LtBrightness = level - 1;
    memoryChanged_ = true;
    return Raise(EVT_BRIGHTNESS, static_cast<std::uint16_t>(level));
}

ActionResult EmuKeyboard::RecordMacro(int stage, int keyNumber, const std::vector<MacroEvent>& events) {
    if (!plugged_) return Error("the keyboard is unplugged");
    if (update_.InLoader()) return Error(kInLoader);
    if (stage < 1 || stage > 5) return Error("recording stage must be 1..5");
    if (keyNumber < 0 || keyNumber > 255) return Error("key number must be 0..255");
    if (stage == 3) {
        if (keyNumber < 1 || keyNumber > kMacroCapableKeys) return Error("a macro can be recorded on keys 1..36 only");
        if (events.size() > static_cast<std::size_t>(kMaxEvents)) return Error("a macro holds at most 500 events");
        MacroKeyInfo& entry = Profile(memory_->CurrentProfile).Keys[keyNumber - 1];
        entry.FunctionCode = kFnMacro;
        entry.MacroOption = 0;
        std::memset(entry.KeyLabel, 0, sizeof entry.KeyLabel);
        std::memset(entry.MacroSetName, 0, sizeof entry.MacroSetName);
        std::memset(entry.MacroName, 0, sizeof entry.MacroName);
        std::memset(entry.Events, 0, sizeof entry.Events);
        if (!events.empty()) std::memcpy(entry.Events, events.data(), events.size() * sizeof(MacroEvent));
        entry.EventCount = static_cast<std::uint16_t>(events.size());
        memoryChanged_ = true;
    }
    return Raise(EVT_MACRO_RECORD, static_cast<std::uint16_t>((stage << 8) | keyNumber));
}

ActionResult EmuKeyboard::RaiseEvent(std::uint16_t type, std::uint16_t data) {
    if (!plugged_) return Error("the keyboard is unplugged");
    if (update_.InLoader()) return Error(kInLoader);
    return Raise(type, data);
}

ActionResult EmuKeyboard::Raise(std::uint16_t type, std::uint16_t data) {
    notifications_.push_back({Notification::Kind::Event, type, data, true});
    return {true, "raised event " + Hex(type, 4) + " data " + Hex(data, 4)};
}

void EmuKeyboard::Plug() {
    if (plugged_) return;
    plugged_ = true;
    notifications_.push_back({Notification::Kind::Presence, 0, 0, true});
}

void EmuKeyboard::Unplug() {
    if (!plugged_) return;
    plugged_ = false;
    // What the keyboard holds only while powered is gone.
    status_ = Status::Ready;
    selections_ = {};
    // An update cut short starts over: the boot loader waits for a new start.
    update_.Fail();
    hostState_.reset();
    relay_.reset();
    notifications_.push_back({Notification::Kind::Presence, 0, 0, false});
}

void EmuKeyboard::UnplugAfter(int reports) {
    if (reports <= 0) {
        Unplug();
    } else {
        faults_.UnplugAfter(reports);
    }
}

void EmuKeyboard::SetFirmware(int version) {
    memory_->FWVersion = version;
    memoryChanged_ = true;
}

std::vector<Notification> EmuKeyboard::TakeNotifications() { return std::exchange(notifications_, {}); }

bool EmuKeyboard::TakeMemoryChanged() { return std::exchange(memoryChanged_, false); }

}  // namespace kelm::emu
