// The monitor's keyboard sequences: reading everything back, writing what
// changed, reset, the synchronisation stamp, the read-back of a macro
// recorded on the keyboard, and the single writes.
//
// The window thread and the device worker both run sequences on the same
// keyboard and the same working record; one lock, held for a whole sequence,
// keeps them apart. Other monitor code that touches the working record takes
// the same lock through Lock() (it may hold it across a sequence: the lock
// is recursive). A thread that must stop a running sequence raises the
// abort flag first; the sequence then lets go within 100 ms.
#pragma once

#include <atomic>
#include <cstdint>
#include <mutex>

#include "keyboard/ProtocolHost.h"
#include "keyboard/ReportChannel.h"

namespace kelm {

// What a macro-recording stage asks of the monitor's sound feedback.
enum class MacroRecordFeedback {
    None,
    MacroSelect,      // stage 1
    MacroEnter,       // stage 2
    MacroRecorded,    // stage 3, once the macro was read back
    MacroAborted,     // stage 4
    KeyNotAvailable,  // stage 5
};

class KeyboardProtocol {
public:
    struct Host {
        ISettingsFiles& files;
        IRecordPublisher* publisher = nullptr;
        ISetupWindow* setup = nullptr;
    };

    KeyboardProtocol(IFeatureDevice& device, IClock& clock, const std::atomic<bool>& abortRequested,
                     SettingsRecord& record, Host host)
        : channel_(device, clock, abortRequested), clock_(clock), record_(record), host_(host) {}

    std::unique_lock<std::recursive_mutex> Lock() { return std::unique_lock(mutex_); }

    // Firmware version and active profile always; every settings report and
    // macro unless the stamp matched. On success the files are saved, the
    // block copied and the configuration program told; on failure, abort or
    // any report that could not be read, nothing is saved.
    bool ReadAllFromKeyboard();
    // Sends what the change flags name. The stamp is renewed only when every
    // report went through; otherwise the stored stamp is made unequal, so the
    // next connect reads the keyboard back instead of trusting the files.
    bool WriteChangedSettings();
    bool ResetKeyboard();

    // Compares the keyboard's stamp with the stored one and remembers it.
    bool CheckSyncStamp();
    bool StampMatches() const { return stampMatches_.load(); }
    // A new stamp for keyboard and files; the files get it even when the
    // keyboard did not take it, which then shows as a mismatch next time.
    bool RenewSyncStamp();

    // eventData: stage in the high byte, key number in the low byte.
    MacroRecordFeedback HandleMacroRecordStage(std::uint16_t eventData);

    bool SendCurrentProfile();
    bool SendHostState(std::uint8_t value);
    bool SendPactRelay(const PactRelayData& data);

private:
    enum class Outcome { Done, Failed, Aborted };

    void StoreFirmwareVersion();
    bool ReadActiveProfile();
    Outcome ReadSettingsReports();
    Outcome ReadAllMacros();
    Outcome ReadMacroWithRetries(int profile, int key);
    bool ReadMacro(int profile, int key);
    bool ReadRecordedMacro(int keyNumber);
    Outcome WriteProfileMacros(int profile);
    bool WriteCurrentProfile();
    bool GiveUpWriting();
    void ForgetSyncStamp();
    // False, with the stamp forgotten, when the files could not be written.
    bool SaveRecord();
    void Announce();

    ReportChannel channel_;
    IClock& clock_;
    SettingsRecord& record_;
    Host host_;
    std::recursive_mutex mutex_;
    std::atomic<bool> stampMatches_{false};
};

}  // namespace kelm
