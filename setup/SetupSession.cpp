#include "setup/SetupSession.h"

#include "settings/Defaults.h"
#include "settings/ProfileFile.h"
#include "settings/SettingsStore.h"
#include "settings/Text.h"
#include "setup/texts/TextIds.h"

namespace kelm {

namespace {

// text cut to at most limit bytes without splitting a UTF-8 character, so
// a long name typed in the window never ends in half a letter.
std::string_view CutUtf8(std::string_view text, std::size_t limit) {
    if (text.size() <= limit) return text;
    std::size_t end = limit;
    while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80) --end;
    return text.substr(0, end);
}

template <std::size_t N>
void SetField(char (&field)[N], std::string_view text) {
    CopyField(field, CutUtf8(text, N - 1));
}

}  // namespace

SetupSession::SetupSession(IMonitorLink& monitor, StoreLocation where)
    : monitor_(monitor),
      where_(std::move(where)),
      working_(std::make_unique<SettingsRecord>()),
      applied_(std::make_unique<SettingsRecord>()),
      scratch_(std::make_unique<SettingsRecord>()) {}

SetupSession::StartResult SetupSession::Start() {
    ClearSettings(*applied_);
    ReadFirmwareText();
    const IMonitorLink::OpenResult opened = monitor_.Open();
    hasBlock_ = opened == IMonitorLink::OpenResult::Opened && monitor_.ReadShared(*applied_);
    if (hasBlock_) {
        ClearChangeFlags(*applied_);
    } else {
        ClearSettings(*applied_);
        LoadAll(*applied_, where_);
    }
    LoadMacroLibrary(library_, where_);
    DefaultOsdSetting(osd_);
    ReadOsdSetting(where_, osd_);
    LoadTimers(timers_, where_);
    *working_ = *applied_;
    SyncLibrary();
    // The session's key repeat may have been changed outside KelmSetup;
    // what the desktop uses now is what the page should show.
    if (hasBlock_ && IsValidSlot(working_->CurrentProfile))
        ReadRepeatFromRegistry(where_, working_->Profiles[working_->CurrentProfile]);
    if (hasBlock_) return StartResult::FromMonitor;
    return opened == IMonitorLink::OpenResult::Unmappable ? StartResult::BlockUnmappable : StartResult::FromFiles;
}

void SetupSession::ReadFirmwareText() { firmwareText_ = FormatFirmwareVersion(ReadFirmwareVersion(where_)); }

void SetupSession::SyncLibrary() {
    SyncLibraryFromProfiles(library_, *working_);
    SaveMacroLibrary(library_, where_);
}

void SetupSession::SelectSlot(int slot) {
    if (IsValidSlot(slot)) working_->CurrentProfile = slot;
}

bool SetupSession::ClearWindowsProfileIfMarked(int slot) {
    if (working_->WindowsProfile != slot) return false;
    working_->WindowsProfile = -1;
    return true;
}

void SetupSession::SetWindowsProfile(int slot) {
    if (IsValidSlot(slot)) working_->WindowsProfile = slot;
}

ProfileFields SetupSession::CurrentProfileFields() const {
    ProfileFields fields;
    if (!IsValidSlot(CurrentSlot())) return fields;
    const ProfileRecord& profile = working_->Profiles[CurrentSlot()];
    fields.name = FieldText(profile.ProFileName);
    fields.gameFiles[0] = FieldText(profile.GameFile0);
    fields.gameFiles[1] = FieldText(profile.GameFile1);
    fields.gameFiles[2] = FieldText(profile.GameFile2);
    return fields;
}

void SetupSession::SetCurrentProfileFields(const ProfileFields& fields) {
    if (!IsValidSlot(CurrentSlot())) return;
    ProfileRecord& profile = working_->Profiles[CurrentSlot()];
    SetField(profile.ProFileName, fields.name);
    SetField(profile.GameFile0, fields.gameFiles[0]);
    SetField(profile.GameFile1, fields.gameFiles[1]);
    SetField(profile.GameFile2, fields.gameFiles[2]);
}

bool SetupSession::ImportProfile(const std::string& path) { return kelm::ImportProfile(*working_, where_, path); }

bool SetupSession::ExportProfile(const std::string& path) const { return kelm::ExportProfile(*working_, where_, path); }

bool SetupSession::SetLanguage(int languageIndex) {
    if (languageIndex < 0 || languageIndex >= kLanguageCount) return false;
    working_->QuickHelpLan = languageIndex;
    return true;
}

bool SetupSession::BeginApply() {
    ComputeChangeFlags(*applied_, *working_);
    if (hasBlock_) monitor_.WriteShared(*working_);
    return SaveAll(*working_, where_) == 1;
}

SetupSession::ApplyOutcome SetupSession::FinishApply(std::optional<std::int64_t> answer) {
    ClearChangeFlags(*working_);
    *applied_ = *working_;
    if (!hasBlock_ || !answer) return ApplyOutcome::NoMonitor;
    return *answer == 1 ? ApplyOutcome::Sent : ApplyOutcome::KeyboardMissedIt;
}

void SetupSession::Reset() {
    DefaultSettings(*working_);
    DefaultOsdSetting(osd_);
    MarkAllChanged(*working_);
}

bool SetupSession::Reload() {
    ReadFirmwareText();
    if (!monitor_.ReadShared(*scratch_)) return false;
    std::swap(applied_, scratch_);
    ClearChangeFlags(*applied_);
    *working_ = *applied_;
    SyncLibrary();
    return true;
}

bool SetupSession::TakeProfileChange() {
    if (!monitor_.ReadShared(*scratch_)) return false;
    std::swap(applied_, scratch_);
    // The block keeps the flags of the monitor's last apply; as edits they
    // would send those key groups again with the next Apply.
    ClearChangeFlags(*applied_);
    *working_ = *applied_;
    return true;
}

bool SetupSession::TakeBrightnessChange() {
    if (!monitor_.ReadShared(*scratch_)) return false;
    std::swap(applied_, scratch_);
    const int slot = applied_->CurrentProfile;
    if (IsValidSlot(slot)) working_->Profiles[slot].LtBrightness = applied_->Profiles[slot].LtBrightness;
    return true;
}

}  // namespace kelm
