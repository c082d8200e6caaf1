#include "tools/kelmctl/BackupCommands.h"

#include <atomic>
#include <charconv>
#include <memory>
#include <ostream>

#include "keyboard/KeyboardProtocol.h"
#include "keyboard/StoreSettingsFiles.h"
#include "platform/FileIo.h"
#include "platform/KeyboardRate.h"
#include "settings/ConfigFile.h"
#include "settings/Defaults.h"
#include "settings/SettingsStore.h"
#include "settings/Text.h"
#include "settings/json/JsonFormat.h"
#include "tools/kelmctl/Input.h"
#include "tools/kelmctl/KeyboardAccess.h"
#include "tools/kelmctl/KeyboardBackup.h"
#include "tools/kelmctl/ProgramFolder.h"

namespace kelm::ctl {

using namespace json;

namespace {

// The settings files as the settings programs load them; nothing (reported)
// when one of them is there but cannot be read.
std::unique_ptr<SettingsRecord> LoadFiles(CommandIo& io, const StoreLocation& where) {
    if (!AllReadable(io, {where.ConfigPath(), where.ProfilePath(0), where.ProfilePath(1), where.ProfilePath(2),
                          where.ProfilePath(3), where.ProfilePath(4)}))
        return nullptr;
    auto record = std::make_unique<SettingsRecord>();
    ClearSettings(*record);
    LoadAll(*record, where);
    return record;
}

// KelmWatch's record is the keyboard's only when it sees the keyboard and
// has sent it everything.
std::optional<std::string> MonitorOutOfStep(const StoreLocation& where, const SettingsRecord& held) {
    if (ReadSetting(IniFile(where.ConfigPath()), "Device") != 1)
        return "KelmWatch does not see the keyboard (is it connected?)";
    if (AnyChangePending(held.Flags))
        return "KelmWatch holds changes the keyboard has not taken yet; connect the keyboard and let KelmWatch "
               "send them";
    return std::nullopt;
}

std::string ProfileText(const SettingsRecord& record) {
    if (!IsValidSlot(record.CurrentProfile)) return "none";
    return "Profile " + std::to_string(record.CurrentProfile + 1) + " \"" +
           std::string(FieldText(record.Profiles[record.CurrentProfile].ProFileName)) + '"';
}

}  // namespace

int RunKeyboardBackup(const CommandArgs& args, CommandIo& io) {
    const std::string& path = args.positional[0];
    const auto where = ProgramFolder(args, io);
    if (!where) return kExitFailure;
    KeyboardContents contents;
    std::string error;
    const char* source = "the keyboard";
    if (MonitorRunning()) {
        contents.record = ReadMonitorRecord(error);
        if (!contents.record) return ReportError(io, kExitFailure, error + "; nothing was written");
        if (const auto step = MonitorOutOfStep(*where, *contents.record))
            return ReportError(io, kExitFailure, *step + "; nothing was written");
        contents.FWVersion = ReadFirmwareVersion(*where);
        source = "KelmWatch";
    } else {
        // The fields the keyboard does not keep (names, game files, sounds)
        // come from the settings files, as in KelmWatch's own record.
        contents.record = LoadFiles(io, *where);
        if (!contents.record) return kExitFailure;
        const auto keyboard = OpenKeyboard::Open(where->programFolder, error);
        if (!keyboard) return ReportError(io, kExitFailure, error);
        SystemClock clock;
        if (!ReadKeyboard(keyboard->Device(), clock, nullptr, contents, error))
            return ReportError(io, kExitFailure, error);
        if (MonitorRunning())
            return ReportError(io, kExitFailure,
                               "KelmWatch started during the backup and may have mixed in its reports; nothing "
                               "was written");
    }
    const std::string text = FormatJson(BackupToJson(contents)) + '\n';
    if (path == "-")
        io.out << text;
    else if (!ReplaceFileAtomically(path, text))
        return ReportError(io, kExitFailure, path + ": cannot write the file");
    // Standard output may be the backup itself.
    (path == "-" ? io.err : io.out) << "backed up 5 profiles from " << source << " to "
                                    << (path == "-" ? "standard output" : path)
                                    << "; current profile: " << ProfileText(*contents.record) << '\n';
    return kExitOk;
}

int RunKeyboardRestore(const CommandArgs& args, CommandIo& io) {
    const std::string& path = args.positional[0];
    int failureStatus = kExitOk;
    const std::optional<Json> json = ReadJsonInput(io, path, failureStatus);
    if (!json) return failureStatus;
    const std::string inName = InputName(path);
    KeyboardContents backup;
    if (const auto error = BackupFromJson(*json, backup))
        return ReportError(io, kExitUsage, inName + ": " + error->Describe() + "; nothing was written");
    const auto where = ProgramFolder(args, io);
    if (!where) return kExitFailure;

    std::string error;
    std::unique_ptr<SettingsRecord> record;
    if (MonitorRunning()) {
        // As the configuration program applies: files, block, then the message.
        record = ReadMonitorRecord(error);
        if (!record) return ReportError(io, kExitFailure, error + "; nothing was written");
        TakeOverBackup(*backup.record, *record);
        if (SaveAll(*record, *where) != 1)
            return ReportError(io, kExitFailure, where->settingsFolder + ": could not write the settings files");
        if (const auto failed = ApplyThroughMonitor(*record, false)) return ReportError(io, kExitFailure, *failed);
    } else {
        record = LoadFiles(io, *where);
        if (!record) return kExitFailure;
        const auto keyboard = OpenKeyboard::Open(where->programFolder, error);
        if (!keyboard) return ReportError(io, kExitFailure, error + "; nothing was written");
        TakeOverBackup(*backup.record, *record);
        SystemClock clock;
        StoreSettingsFiles files(*where);
        if (!RestoreToKeyboard(keyboard->Device(), clock, files, *record, error))
            return ReportError(io, kExitFailure, error);
    }
    io.out << "restored 5 profiles from " << inName << "; current profile: " << ProfileText(*record) << '\n';
    return kExitOk;
}

int RunProfileSwitch(const CommandArgs& args, CommandIo& io) {
    const std::string& number = args.positional[0];
    int profile = 0;
    const auto [end, parsed] = std::from_chars(number.data(), number.data() + number.size(), profile);
    if (parsed != std::errc{} || end != number.data() + number.size() || profile < 1 || profile > kProfileCount)
        return ReportError(io, kExitUsage, "profile switch: '" + number + "' is not a profile number 1..5");
    const int slot = profile - 1;
    const auto where = ProgramFolder(args, io);
    if (!where) return kExitFailure;

    // KelmWatch keeps config.ini's current profile and the key-repeat values
    // of the current profile in step with the keyboard.
    const auto saveFiles = [&](const SettingsRecord& record) {
        return WriteCurrentProfile(*where, slot) && WriteRepeatToRegistry(*where, record.Profiles[slot]) == 1;
    };
    const char* const kNotSaved = ": could not write config.ini or the key-repeat values";
    std::string error;
    std::unique_ptr<SettingsRecord> record;
    if (MonitorRunning()) {
        // The configuration program's way: files, then its record with the
        // new current profile flagged. Changes still pending stay flagged.
        record = ReadMonitorRecord(error);
        if (!record) return ReportError(io, kExitFailure, error + "; nothing was sent");
        record->CurrentProfile = slot;
        record->Flags.CurrentProfileChanged = 1;
        if (!saveFiles(*record)) return ReportError(io, kExitFailure, where->settingsFolder + kNotSaved);
        if (const auto failed = ApplyThroughMonitor(*record, false)) return ReportError(io, kExitFailure, *failed);
    } else {
        record = LoadFiles(io, *where);
        if (!record) return kExitFailure;
        record->CurrentProfile = slot;
        const auto keyboard = OpenKeyboard::Open(where->programFolder, error);
        if (!keyboard) return ReportError(io, kExitFailure, error);
        SystemClock clock;
        StoreSettingsFiles files(*where);
        const std::atomic<bool> neverAborted{false};
        KeyboardProtocol protocol(keyboard->Device(), clock, neverAborted, *record, {files});
        if (!protocol.SendCurrentProfile())
            return ReportError(io, kExitFailure, "the keyboard did not take the profile switch (was it unplugged?)");
        if (!saveFiles(*record))
            return ReportError(io, kExitFailure, "the keyboard switched, but " + where->settingsFolder + kNotSaved);
        // As KelmWatch does on a switch; a session without X keeps its own repeat.
        ApplyKeyboardRate(record->Profiles[slot].KBDelay, record->Profiles[slot].KBSpeed);
    }
    io.out << "current profile: " << ProfileText(*record) << '\n';
    return kExitOk;
}

}  // namespace kelm::ctl
