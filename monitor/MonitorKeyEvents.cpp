// CMonitorWnd: the keyboard's events and the one-shot sound timers they
// start.
#include "keyboard/DeviceEvents.h"
#include "monitor/CMonitorWnd.h"

namespace kelm {

namespace {

constexpr std::uint8_t kFnStopTimer = 0xBD;

// The sound each one-shot timer plays; the profile sound is the profile
// current when the timer fires.
constexpr int kSoundProfileOne = 40;
int SoundOfTimer(unsigned id, int currentProfile) {
    switch (id) {
        case TIMER_SOUND_PROFILE:
            return kSoundProfileOne + currentProfile;
        case TIMER_SOUND_WINDOWS_PROFILE:
            return 45;
        case TIMER_SOUND_MACRO_SELECT:
            return 50;
        case TIMER_SOUND_MACRO_ENTER:
            return 51;
        case TIMER_SOUND_MACRO_RECORDED:
            return 52;
        case TIMER_SOUND_MACRO_ABORTED:
            return 53;
        case TIMER_SOUND_KEY_NOT_AVAILABLE:
            return 54;
        default:
            return -1;
    }
}

unsigned TimerOfFeedback(MacroRecordFeedback feedback) {
    switch (feedback) {
        case MacroRecordFeedback::MacroSelect:
            return TIMER_SOUND_MACRO_SELECT;
        case MacroRecordFeedback::MacroEnter:
            return TIMER_SOUND_MACRO_ENTER;
        case MacroRecordFeedback::MacroRecorded:
            return TIMER_SOUND_MACRO_RECORDED;
        case MacroRecordFeedback::MacroAborted:
            return TIMER_SOUND_MACRO_ABORTED;
        case MacroRecordFeedback::KeyNotAvailable:
            return TIMER_SOUND_KEY_NOT_AVAILABLE;
        case MacroRecordFeedback::None:
            break;
    }
    return 0;
}

std::uint16_t ShortcutWord(const MacroKeyInfo& entry) {
    return static_cast<std::uint16_t>(entry.Events[0].KeyCode | (entry.Events[0].Action << 8));
}

}  // namespace

void CMonitorWnd::DispatchDeviceEvent(std::uint32_t id) {
    const DecodedEvent event = DecodeDeviceEvent(id);
    switch (event.action) {
        case DeviceAction::Profile:
            OnKeyboardProfile(event.argument);
            break;
        case DeviceAction::Brightness:
            OnKeyboardBrightness(event.argument);
            break;
        case DeviceAction::MacroRecord:
            PostJob(JOB_MACRO_RECORD_STAGE, event.argument);
            break;
        case DeviceAction::QuickLaunch:
            OnQuickLaunch(event.argument);
            break;
        case DeviceAction::Media:
            OnMedia(event.argument, event.phase);
            break;
        case DeviceAction::KeyFunction:
            OnKeyFunction(event.argument, event.phase);
            break;
        case DeviceAction::OpenSetup:
            PostToWindow([this] { OnCommand(ID_CONFIGURATION); });
            break;
        case DeviceAction::Arrival:
            BeginArrival();
            break;
        case DeviceAction::Removal:
            Removal();
            break;
        case DeviceAction::PactKey:
            OnPactKey(static_cast<std::uint16_t>(event.argument));
            break;
        case DeviceAction::None:
            break;
    }
}

// The keyboard has switched profiles itself: nothing goes back to it.
// Every step runs at once from the view, so keys, sound, key repeat, files,
// block and KelmSetup follow the keyboard even while the worker holds the
// record for a read-back; the record follows on the worker.
void CMonitorWnd::OnKeyboardProfile(int number) {
    const int slot = number - 1;
    const bool announce = ReadView([](const SettingsRecord& view) {
        return IsValidSlot(view.CurrentProfile) && view.Profiles[view.CurrentProfile].SoundProfile == 1;
    });
    TakeKeyboardChange([slot](SettingsRecord& record) { record.CurrentProfile = slot; });
    ports_.files.WriteCurrentProfile(slot);
    if (announce && !IsFinalPhase()) StartSoundTimer(TIMER_SOUND_PROFILE);
    ReadView([this, slot](const SettingsRecord& view) {
        ports_.settingsBlock.PublishRecord(view);
        ports_.files.WriteRepeatToRegistry(view.Profiles[slot]);
        return 0;
    });
    ApplyKeyboardRate();
    ports_.windows.PostMessage(kSetupTitle, MSG_SETUP_PROFILE_CHANGED, 0, 0);
    ResetPactStatus();
}

void CMonitorWnd::OnKeyboardBrightness(int level) {
    if (!ReadView([](const SettingsRecord& view) { return IsValidSlot(view.CurrentProfile); })) return;
    TakeKeyboardChange([level](SettingsRecord& record) {
        if (IsValidSlot(record.CurrentProfile)) record.Profiles[record.CurrentProfile].LtBrightness = level - 1;
    });
    ReadView([this](const SettingsRecord& view) {
        ports_.settingsBlock.PublishRecord(view);
        return 0;
    });
    ports_.windows.PostMessage(kSetupTitle, MSG_SETUP_BRIGHTNESS_CHANGED, 0, 0);
}

// A change the keyboard made: the view has it at once, the record behind it
// when the worker comes to it. Until then every refresh of the view from the
// record applies it again, so the view never goes back to an older state.
void CMonitorWnd::TakeKeyboardChange(std::function<void(SettingsRecord&)> change) {
    {
        const std::lock_guard lock(viewMutex_);
        change(*view_);
        pendingChanges_.push_back(change);
    }
    PostRecordTask([this, change = std::move(change)] {
        const auto lock = protocol_.Lock();
        change(*record_);
        KeyboardStateChanged();
        {
            const std::lock_guard viewLock(viewMutex_);
            pendingChanges_.pop_front();
        }
        RefreshView();
        ports_.settingsBlock.PublishRecord(*record_);
    });
}

std::optional<MacroKeyInfo> CMonitorWnd::CurrentKeyEntry(int keyNumber) {
    return ReadView([keyNumber](const SettingsRecord& r) -> std::optional<MacroKeyInfo> {
        if (!IsValidSlot(r.CurrentProfile) || keyNumber < 1 || keyNumber > kKeyCount) return std::nullopt;
        return r.Profiles[r.CurrentProfile].Keys[keyNumber - 1];
    });
}

void CMonitorWnd::OnKeyFunction(int keyNumber, int phase) {
    const HostActions& actions = ports_.actions;
    // A release ends what its own press started, even when the profile
    // changed in between: looking the key up again would release another
    // shortcut, or none, and leave the held keys down and repeating.
    if (phase != 0) {
        if (const auto held = heldShortcuts_.find(keyNumber); held != heldShortcuts_.end()) {
            const std::uint16_t word = held->second;
            heldShortcuts_.erase(held);
            KillTimer(TIMER_SHORTCUT_REPEAT);
            if (actions.shortcut != nullptr) actions.shortcut->ReleaseShortcut(word);
            return;
        }
    }
    const auto entry = CurrentKeyEntry(keyNumber);
    if (!entry) return;
    switch (entry->FunctionCode) {
        case kFnShortcut:
            lastShortcut_ = ShortcutWord(*entry);
            if (phase != 0) {
                KillTimer(TIMER_SHORTCUT_REPEAT);
                if (actions.shortcut != nullptr) actions.shortcut->ReleaseShortcut(lastShortcut_);
            } else {
                if (actions.shortcut != nullptr) actions.shortcut->PressShortcut(lastShortcut_);
                heldShortcuts_[keyNumber] = lastShortcut_;
                firstRepeatPending_ = true;
                SetTimer(TIMER_SHORTCUT_REPEAT, kShortcutFirstRepeat);
            }
            break;
        case kFnTimer:
        case kFnStopTimer:
            if (actions.countdown != nullptr)
                actions.countdown->CountdownKey(keyNumber, phase, *entry, CurrentSoundVolume());
            break;
        case kFnMacro:
            if (phase == 0 && actions.macro != nullptr && actions.macro->StartOrAbortMacro(*entry))
                macroThread_.PostPlay();
            break;
        default:
            break;
    }
}

void CMonitorWnd::OnQuickLaunch(int keyNumber) {
    const auto entry = CurrentKeyEntry(keyNumber);
    if (entry && entry->FunctionCode == kFnQuickLaunch && ports_.actions.media != nullptr)
        ports_.actions.media->QuickLaunch(*entry);
}

void CMonitorWnd::OnMedia(int code, int releaseFlag) {
    if (ports_.actions.media == nullptr) return;
    const int mediaOption = ReadView([](const SettingsRecord& r) {
        return IsValidSlot(r.CurrentProfile) ? r.Profiles[r.CurrentProfile].MediaOption : -1;
    });
    ports_.actions.media->MediaFunction(static_cast<std::uint8_t>(code), static_cast<std::uint8_t>(releaseFlag),
                                        mediaOption);
}

// ---- one-shot sounds ----

void CMonitorWnd::StartMacroRecordSound(MacroRecordFeedback feedback) {
    const unsigned timer = TimerOfFeedback(feedback);
    if (timer == 0) return;
    const bool wanted = ReadView([](const SettingsRecord& r) {
        return IsValidSlot(r.CurrentProfile) && r.Profiles[r.CurrentProfile].SoundLRecord == 1;
    });
    if (wanted && !IsFinalPhase()) StartSoundTimer(timer);
}

bool CMonitorWnd::IsFinalPhase() const {
    return ports_.actions.countdown != nullptr && ports_.actions.countdown->IsFinalPhase();
}

// Of several quick events only the last one's sound plays.
void CMonitorWnd::StartSoundTimer(unsigned id) {
    StopSoundTimers();
    SetTimer(id, kSoundDelay);
}

void CMonitorWnd::StopSoundTimers() {
    for (unsigned id = kFirstSoundTimer; id <= kLastSoundTimer; ++id) KillTimer(id);
}

void CMonitorWnd::PlaySoundOfTimer(unsigned id) {
    KillTimer(id);
    if (ports_.actions.sounds == nullptr) return;
    const auto sound = ReadView([id](const SettingsRecord& r) -> std::optional<std::pair<int, int>> {
        if (!IsValidSlot(r.CurrentProfile)) return std::nullopt;
        return std::pair{SoundOfTimer(id, r.CurrentProfile), r.Profiles[r.CurrentProfile].SoundVolume};
    });
    if (sound && sound->first >= 0) ports_.actions.sounds->PlayFeedbackSound(sound->first, sound->second);
}

int CMonitorWnd::CurrentSoundVolume() {
    return ReadView([](const SettingsRecord& r) {
        return IsValidSlot(r.CurrentProfile) ? r.Profiles[r.CurrentProfile].SoundVolume : -1;
    });
}

}  // namespace kelm
