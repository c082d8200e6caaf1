// The software keyboard: the five on-board profiles and everything a host
// reaches through feature reports, the events the keyboard raises, plug and
// unplug, and the faults it injects on command. Pure logic: the transport
// (EmuServer) and the state file (EmuStateFile) live elsewhere, and time
// comes from an EmuClock.
//
// Status of the ControlReport read, after each write:
//
//   Ready ──accepted write──► Busy ──polls used up and busy time over──► Ready
//   any state ──refused write──► Refused (status 2) ──accepted write──► Busy
//
// Busy lasts for the configured number of status polls and the configured
// time after the write, whichever ends later (both 0 by default: Ready at
// once). A "fault busy" answers busy on top of this. A write is refused
// when its frame is wrong (length, checksum) or it names a profile, key or
// select code the keyboard does not have; the transfer itself succeeds, as
// on the real keyboard, and only the status tells the host.
//
// Select-then-read: a ControlReport write names a profile and a select code
// (a report's select code, or a key entry 0..35 for the MacroReport); reads
// of that report then answer for that profile (and key) until the next
// select of it. A report never selected answers for the active profile
// (the MacroReport for its key entry 0).
//
// Transfers fail (the host's SetFeature or GetFeature returns 0) while the
// keyboard is unplugged, for report ids it does not know in that direction,
// and by the "readfail" fault.
//
// Update mode (EmuUpdateMode): the UpdateCommandReport 0x1B takes the same
// status as any write (busy for the configured polls and time, 2 when
// refused, 4 under the "repeat" fault) and the UpdateStatusReport 0x1C
// answers it. From an accepted start until an update succeeds the keyboard
// runs its boot loader, as a real one does once its firmware is being
// replaced: it takes only the update reports and answers only those and the
// FirmwareReport (firmware version 0, as no firmware is there, and the
// loader version); every other transfer fails, the user's keys, profile and
// brightness do nothing, and it stays so across unplugging and, with a
// state file, across runs.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "emulator/EmuFaults.h"
#include "emulator/EmuKeyTable.h"
#include "emulator/EmuLog.h"
#include "emulator/EmuUpdateMode.h"
#include "keyboard/FirmwareUpdate.h"
#include "keyboard/Reports.h"
#include "settings/ConfigFile.h"
#include "settings/SettingsRecord.h"

namespace kelm::emu {

inline constexpr int kDefaultFirmware = 115;
inline constexpr int kDefaultLoaderVersion = 103;
inline constexpr std::uint8_t kStatusRefused = 2;

class EmuClock {
public:
    virtual ~EmuClock() = default;
    virtual std::int64_t NowMs() const = 0;
};

// What the keyboard keeps while it has no power.
struct KeyboardMemory {
    std::array<ProfileRecord, kProfileCount> Profiles;
    std::int32_t CurrentProfile;
    std::int32_t FWVersion;
    SyncStamp Stamp;
    std::int32_t UpdateMode;  // 1: in the boot loader until an update succeeds
};

// The factory state: DefaultProfile in every slot, profile 0 active, no
// stamp, the given firmware.
std::unique_ptr<KeyboardMemory> FactoryMemory(int firmware);

// Something the keyboard tells its subscribers.
struct Notification {
    enum class Kind { Event, Presence } kind;
    std::uint16_t type = 0;  // Event
    std::uint16_t data = 0;  // Event
    bool plugged = false;    // Presence
};

// The outcome of a user's action: ok, and what happened or why it failed.
struct ActionResult {
    bool ok = true;
    std::string text;
};

struct BusyTiming {
    int polls = 0;
    std::int64_t ms = 0;
};

class EmuKeyboard {
public:
    EmuKeyboard(const EmuClock& clock, std::unique_ptr<KeyboardMemory> memory);

    // ---- the host side ----
    // False when the transfer failed.
    bool SetFeature(ReportView report);
    // The answer, cut to bufferLength like a HID transfer into a short
    // buffer; nothing when the transfer failed.
    std::optional<ReportBytes> GetFeature(std::uint8_t id, std::size_t bufferLength);

    // ---- the user's side; each needs the keyboard plugged in ----
    // Key number 1..58 names key entry 0..57 of the active profile.
    ActionResult PressKey(int keyNumber);
    ActionResult ReleaseKey(int keyNumber);
    ActionResult ChangeProfile(int profileNumber);  // 1..5
    ActionResult ChangeBrightness(int level);       // 1..6, LtBrightness = level - 1
    // Stage 1..5 of on-keyboard macro recording on key number 0..255; stage
    // 3 stores events into key number 1..36 of the active profile first.
    ActionResult RecordMacro(int stage, int keyNumber, const std::vector<MacroEvent>& events);
    ActionResult RaiseEvent(std::uint16_t type, std::uint16_t data);
    void Plug();
    void Unplug();
    bool Plugged() const { return plugged_; }

    // ---- configuration and faults ----
    void SetBusyTiming(BusyTiming timing) { busyTiming_ = timing; }
    void SetFirmware(int version);
    void SetLoaderVersion(int version) { loaderVersion_ = version; }
    void SetUpdateSignatures(const UpdateSignatures& signatures) { signatures_ = signatures; }
    EmuFaults& Faults() { return faults_; }
    const EmuFaults& Faults() const { return faults_; }
    // Unplugs after this many more reports; 0 unplugs now.
    void UnplugAfter(int reports);

    // ---- observation ----
    const KeyboardMemory& Memory() const { return *memory_; }
    bool InUpdateMode() const { return update_.InLoader(); }
    int LoaderVersion() const { return loaderVersion_; }
    std::optional<std::uint8_t> HostState() const { return hostState_; }
    // The last PactRelayReport written, whole.
    std::optional<ReportBytes> LastRelayReport() const { return relay_; }
    EmuLog& Log() { return log_; }
    // Events and presence changes since the last call, in order.
    std::vector<Notification> TakeNotifications();
    // True once after anything the keyboard keeps has changed.
    bool TakeMemoryChanged();

private:
    struct Selection {
        std::uint8_t profile;
        std::uint8_t keyIndex;
    };
    enum class WriteResult { Accepted, Refused, Repeat, Failed };

    WriteResult ApplyWrite(ReportView report);
    WriteResult ApplyUpdateCommand(ReportView report);
    bool ApplySelect(ReportView report);
    std::optional<ReportBytes> BuildAnswer(std::uint8_t id);
    std::uint8_t NextStatus();
    void Accepted();
    ActionResult KeyAction(int keyNumber, bool release);
    ActionResult SwitchProfile(int slot);
    ActionResult Raise(std::uint16_t type, std::uint16_t data);
    void AfterReport();
    ProfileRecord& Profile(int slot) { return memory_->Profiles[static_cast<std::size_t>(slot)]; }

    const EmuClock& clock_;
    std::unique_ptr<KeyboardMemory> memory_;
    bool plugged_ = true;
    bool memoryChanged_ = false;

    enum class Status { Ready, Busy, Refused, Repeat } status_ = Status::Ready;
    BusyTiming busyTiming_;
    int busyPollsLeft_ = 0;
    std::int64_t busyUntilMs_ = 0;

    std::array<std::optional<Selection>, 256> selections_{};
    std::optional<std::uint8_t> hostState_;
    std::optional<ReportBytes> relay_;

    EmuUpdateMode update_;
    UpdateSignatures signatures_ = kDefaultUpdateSignatures;
    int loaderVersion_ = kDefaultLoaderVersion;
    bool unplugAfterThisReport_ = false;

    EmuFaults faults_;
    EmuLog log_;
    std::vector<Notification> notifications_;
};

}  // namespace kelm::emu
