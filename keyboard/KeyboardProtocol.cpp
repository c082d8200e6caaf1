#include "keyboard/KeyboardProtocol.h"

#include "keyboard/SettingsReports.h"
#include "settings/Defaults.h"

namespace kelm {

namespace {

constexpr int kReadPauseMs = 100;
constexpr int kProfilePauseMs = 200;
constexpr int kMacroAttempts = 3;

std::uint8_t ProfileByte(int profile) { return static_cast<std::uint8_t>(profile); }

}  // namespace

// ---- reading everything back ----

bool KeyboardProtocol::ReadAllFromKeyboard() {
    auto lock = Lock();
    StoreFirmwareVersion();
    if (!channel_.AbortableWait(kReadPauseMs)) return false;
    bool ok = ReadActiveProfile();
    if (!channel_.AbortableWait(kReadPauseMs)) return false;
    const bool fullRead = !stampMatches_;
    bool complete = true;
    if (fullRead) {
        const Outcome settings = ReadSettingsReports();
        if (settings == Outcome::Aborted) return false;
        ok = ReadAllMacros() == Outcome::Done;
        complete = settings == Outcome::Done;
    }
    ClearChangeFlags(record_);
    if (!ok) return false;
    // A report that could not be read left its old values in the record.
    // What was read is still taken over, but under a stamp the keyboard does
    // not hold, so the next connect reads everything back again.
    if (fullRead) {
        if (complete)
            RenewSyncStamp();
        else
            ForgetSyncStamp();
    }
    const bool saved = SaveRecord();
    Announce();
    return saved && complete;
}

void KeyboardProtocol::StoreFirmwareVersion() {
    ReportBytes answer;
    const auto version = channel_.Read(ReportId::FirmwareReport, answer) ? ParseFirmwareReport(answer) : std::nullopt;
    host_.files.StoreFirmwareVersion(version.value_or(0));
}

bool KeyboardProtocol::ReadActiveProfile() {
    ReportBytes answer;
    if (!channel_.Read(ReportId::ProfileReport, answer)) return false;
    const auto profile = ParseProfileReport(answer);
    if (profile && IsValidSlot(*profile)) record_.CurrentProfile = *profile;
    return profile.has_value();
}

KeyboardProtocol::Outcome KeyboardProtocol::ReadSettingsReports() {
    Outcome outcome = Outcome::Done;
    for (const SettingsReportStep& step : kSettingsReports) {
        const auto selectCode = static_cast<std::uint8_t>(InfoOf(step.id).selectCode);
        for (int p = 0; p < kProfileCount; ++p) {
            ReportBytes answer;
            const bool stored = channel_.SelectAndRead(ProfileByte(p), selectCode, step.id, answer) &&
                                ApplySettingsReport(step.id, answer, record_.Profiles[p]);
            if (!stored) outcome = Outcome::Failed;
            if (!channel_.AbortableWait(kReadPauseMs)) return Outcome::Aborted;
        }
    }
    return outcome;
}

KeyboardProtocol::Outcome KeyboardProtocol::ReadAllMacros() {
    for (int p = 0; p < kProfileCount; ++p) {
        for (int key = 0; key < kMacroCapableKeys; ++key) {
            if (record_.Profiles[p].Keys[key].FunctionCode != kFnMacro) continue;
            const Outcome outcome = ReadMacroWithRetries(p, key);
            if (outcome != Outcome::Done) return outcome;
        }
        if (!channel_.AbortableWait(kReadPauseMs)) return Outcome::Aborted;
    }
    return Outcome::Done;
}

KeyboardProtocol::Outcome KeyboardProtocol::ReadMacroWithRetries(int profile, int key) {
    for (int attempt = 0; attempt < kMacroAttempts; ++attempt) {
        const bool read = ReadMacro(profile, key);
        if (!channel_.AbortableWait(kReadPauseMs)) return Outcome::Aborted;
        if (read) return Outcome::Done;
    }
    return Outcome::Failed;
}

bool KeyboardProtocol::ReadMacro(int profile, int key) {
    ReportBytes answer;
    if (!channel_.SelectAndRead(ProfileByte(profile), static_cast<std::uint8_t>(key), ReportId::MacroReport, answer))
        return false;
    MacroKeyInfo& target = record_.Profiles[profile].Keys[key];
    MacroKeyInfo entry = target;
    const auto address = ParseMacroReport(answer, entry);
    // An answer for another key would put its macro under this one.
    if (!address || address->keyIndex != key) return false;
    target = entry;
    return true;
}

// ---- writing what changed ----

bool KeyboardProtocol::WriteChangedSettings() {
    auto lock = Lock();
    const ChangeFlags& flags = record_.Flags;
    bool reportsSent = true;
    if (IsFlagSet(flags.CurrentProfileChanged)) {
        reportsSent = WriteCurrentProfile() && reportsSent;
        if (!channel_.AbortableWait(kProfilePauseMs)) return GiveUpWriting();
    }
    for (const SettingsReportStep& step : kSettingsReports) {
        for (int p = 0; p < kProfileCount; ++p) {
            if (!SettingsReportChanged(step.id, flags, p)) continue;
            reportsSent =
                channel_.Write(BuildSettingsReport(step.id, ProfileByte(p), record_.Profiles[p])) && reportsSent;
            if (!channel_.AbortableWait(step.pauseAfterWriteMs)) return GiveUpWriting();
        }
    }
    bool macrosSent = true;
    for (int p = 0; p < kProfileCount && macrosSent; ++p) {
        const Outcome outcome = WriteProfileMacros(p);
        if (outcome == Outcome::Aborted) return GiveUpWriting();
        macrosSent = outcome == Outcome::Done;
    }
    if (!reportsSent || !macrosSent) return GiveUpWriting();
    RenewSyncStamp();
    return true;
}

bool KeyboardProtocol::GiveUpWriting() {
    ForgetSyncStamp();
    return false;
}

KeyboardProtocol::Outcome KeyboardProtocol::WriteProfileMacros(int profile) {
    const ProfileRecord& settings = record_.Profiles[profile];
    for (int key = 0; key < kMacroCapableKeys; ++key) {
        if (settings.Keys[key].FunctionCode != kFnMacro) continue;
        if (IsFlagSet(record_.Flags.KeyChanged[profile][key]) &&
            !channel_.Write(
                BuildMacroReport({ProfileByte(profile), static_cast<std::uint8_t>(key)}, settings.Keys[key])))
            return channel_.Aborted() ? Outcome::Aborted : Outcome::Failed;
        if (channel_.Aborted()) return Outcome::Aborted;
    }
    return Outcome::Done;
}

bool KeyboardProtocol::WriteCurrentProfile() {
    // A record without a current profile has nothing the keyboard could take.
    if (!IsValidSlot(record_.CurrentProfile)) return false;
    return channel_.Write(BuildProfileReport(ProfileByte(record_.CurrentProfile)));
}

bool KeyboardProtocol::ResetKeyboard() {
    auto lock = Lock();
    if (!channel_.Write(BuildResetReport())) return GiveUpWriting();
    RenewSyncStamp();
    return true;
}

// ---- synchronisation stamp ----

bool KeyboardProtocol::CheckSyncStamp() {
    auto lock = Lock();
    ReportBytes answer;
    const auto keyboard =
        channel_.Read(ReportId::SyncStampReport, answer) ? ParseSyncStampReport(answer) : std::nullopt;
    SyncStamp stored{};
    stampMatches_ = keyboard && host_.files.LoadSyncStamp(stored) && stored == *keyboard;
    return stampMatches_;
}

bool KeyboardProtocol::RenewSyncStamp() {
    auto lock = Lock();
    const SyncStamp stamp = MakeSyncStamp(clock_.Now());
    const bool sent = channel_.Write(BuildSyncStampReport(stamp));
    host_.files.StoreSyncStamp(stamp);
    return sent;
}

// The files may no longer hold what the keyboard holds: store a stamp the
// keyboard does not have, so the next connect reads everything back.
void KeyboardProtocol::ForgetSyncStamp() {
    SyncStamp stored{};
    const bool hadStamp = host_.files.LoadSyncStamp(stored);
    SyncStamp stamp = MakeSyncStamp(clock_.Now());
    if (hadStamp && stamp == stored) stamp = MakeSyncStamp(clock_.Now() + 1);
    host_.files.StoreSyncStamp(stamp);
    stampMatches_ = false;
}

// ---- macro recorded on the keyboard ----

MacroRecordFeedback KeyboardProtocol::HandleMacroRecordStage(std::uint16_t eventData) {
    switch (eventData >> 8) {
        case 1:
            return MacroRecordFeedback::MacroSelect;
        case 2:
            return MacroRecordFeedback::MacroEnter;
        case 3:
            return ReadRecordedMacro(eventData & 0xFF) ? MacroRecordFeedback::MacroRecorded : MacroRecordFeedback::None;
        case 4:
            return MacroRecordFeedback::MacroAborted;
        case 5:
            return MacroRecordFeedback::KeyNotAvailable;
        default:
            return MacroRecordFeedback::None;
    }
}

bool KeyboardProtocol::ReadRecordedMacro(int keyNumber) {
    auto lock = Lock();
    const int profile = record_.CurrentProfile;
    const int key = keyNumber - 1;
    // Only entries 0..35 carry macros to and from the keyboard.
    if (!IsValidSlot(profile) || key < 0 || key >= kMacroCapableKeys) return false;
    bool read = false;
    for (int attempt = 0; attempt < kMacroAttempts && !read; ++attempt) {
        if (!channel_.AbortableWait(kReadPauseMs)) break;
        read = ReadMacro(profile, key);
    }
    if (!read) {
        ForgetSyncStamp();
        return false;
    }
    Announce();
    RenewSyncStamp();
    SaveRecord();
    return true;
}

// ---- single writes ----

bool KeyboardProtocol::SendCurrentProfile() {
    auto lock = Lock();
    return WriteCurrentProfile();
}

bool KeyboardProtocol::SendHostState(std::uint8_t value) {
    auto lock = Lock();
    return channel_.Write(BuildHostStateReport(value));
}

bool KeyboardProtocol::SendPactRelay(const PactRelayData& data) {
    auto lock = Lock();
    return channel_.Write(BuildPactRelayReport(data));
}

// ---- files, block and configuration program ----

bool KeyboardProtocol::SaveRecord() {
    if (host_.files.SaveRecord(record_)) return true;
    ForgetSyncStamp();
    return false;
}

void KeyboardProtocol::Announce() {
    if (host_.publisher != nullptr) host_.publisher->PublishRecord(record_);
    if (host_.setup != nullptr) host_.setup->PostSetupReload();
}

}  // namespace kelm
