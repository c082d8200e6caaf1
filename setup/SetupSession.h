// What KelmSetup edits and how it hands it over, apart from any window: the
// working record every page edits, the record last applied, the macro
// library, the timers and the display settings, and the hand-off to
// KelmWatch.
//
//   Start ──► working == applied ──edit──► working != applied
//                 ▲                               │ BeginApply: flags, block, files
//                 │                               ▼
//                 └──── FinishApply ◄──── APPLYING (RequestApply off the window thread)
//
// KelmWatch's reload messages replace the working record with the monitor's
// at any time; edits not yet applied are lost then, as the user expects of
// a keyboard that changed under the window.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "settings/ConfigFile.h"
#include "settings/MacroLibrary.h"
#include "settings/SettingsRecord.h"
#include "settings/StoreLocation.h"
#include "setup/MonitorLink.h"

namespace kelm {

inline constexpr std::string_view kProgramVersionText = "1.15";

// The profile's own fields that the profile dialog edits.
struct ProfileFields {
    std::string name;
    std::string gameFiles[3];
};

class SetupSession {
public:
    enum class StartResult { FromMonitor, FromFiles, BlockUnmappable };
    enum class ApplyOutcome {
        Sent,              // the keyboard took every change
        KeyboardMissedIt,  // KelmWatch took the settings, the keyboard not all of them
        NoMonitor,         // saved to the files only
    };

    SetupSession(IMonitorLink& monitor, StoreLocation where);

    // Loads everything KelmSetup shows: from KelmWatch's block when the
    // monitor runs, else from the files.
    StartResult Start();

    SettingsRecord& Working() { return *working_; }
    const SettingsRecord& Working() const { return *working_; }
    const SettingsRecord& Applied() const { return *applied_; }
    bool HasMonitorBlock() const { return hasBlock_; }
    const std::string& FirmwareText() const { return firmwareText_; }
    const StoreLocation& Where() const { return where_; }
    MacroLibrary& Library() { return library_; }
    TimerList& Timers() { return timers_; }
    const OsdSetting& Osd() const { return osd_; }

    int CurrentSlot() const { return working_->CurrentProfile; }
    void SelectSlot(int slot);

    // The Windows-profile marker of slot: a second click on the marked slot
    // clears the mark at once (true); any other slot needs the user's
    // confirmation first (false), then SetWindowsProfile.
    bool ClearWindowsProfileIfMarked(int slot);
    void SetWindowsProfile(int slot);

    ProfileFields CurrentProfileFields() const;
    // Cut to what the record's fields hold, on a whole character.
    void SetCurrentProfileFields(const ProfileFields& fields);

    bool ImportProfile(const std::string& path);
    bool ExportProfile(const std::string& path) const;

    // 0..16; false (nothing changes) for any other value.
    bool SetLanguage(int languageIndex);
    int Language() const { return working_->QuickHelpLan; }

    // Apply's first half, on the window thread: the change flags, the block
    // and the files. The caller then runs RequestApply(mode) off the window
    // thread (when HasMonitorBlock) and hands its answer to FinishApply.
    // True when every file was saved.
    bool BeginApply();
    ApplyOutcome FinishApply(std::optional<std::int64_t> answer);

    // Every setting back to the factory's, marked changed, for an apply with
    // mode 1.
    void Reset();

    // KelmWatch's messages. Each returns false when the block could not be
    // read; the records then stay as they are.
    bool Reload();                // 1254
    bool TakeProfileChange();     // 1255
    bool TakeBrightnessChange();  // 1257

    // "1.15" for 115, "N/A" outside 100..500.
    void ReadFirmwareText();

private:
    void SyncLibrary();

    IMonitorLink& monitor_;
    StoreLocation where_;
    std::unique_ptr<SettingsRecord> working_;
    std::unique_ptr<SettingsRecord> applied_;
    std::unique_ptr<SettingsRecord> scratch_;
    bool hasBlock_ = false;
    std::string firmwareText_ = "N/A";
    MacroLibrary library_;
    TimerList timers_;
    OsdSetting osd_{};
};

}  // namespace kelm
