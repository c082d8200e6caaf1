#include "tools/kelmctl/MonitorCommands.h"

#include <memory>
#include <optional>
#include <ostream>
#include <string>

#include "platform/WindowClient.h"
#include "settings/ConfigFile.h"
#include "settings/Defaults.h"
#include "settings/IniFile.h"
#include "settings/SettingsStore.h"
#include "settings/Text.h"
#include "settings/json/JsonFormat.h"
#include "settings/json/TextCodec.h"
#include "suite/SharedSettings.h"
#include "suite/SuiteIds.h"
#include "tools/kelmctl/ChangeSummary.h"
#include "tools/kelmctl/KeyboardAccess.h"
#include "tools/kelmctl/ProgramFolder.h"

namespace kelm::ctl {

using namespace json;

namespace {

struct Status {
    bool monitorRunning = false;
    std::optional<int> device;     // [Setting] Device
    std::optional<int> fwVersion;  // [Setting] FWVersion
    int currentProfile = -1;
    std::string profileName;  // bytes of ProFileName
    const char* profileSource = "config.ini";
};

std::string DeviceText(const Status& s) {
    std::string text = !s.device ? "unknown" : *s.device == 1 ? "connected" : "not connected";
    // Only a running monitor keeps the value up to date.
    if (s.device && !s.monitorRunning) text += " (when KelmWatch last ran)";
    return text;
}

void PrintStatus(std::ostream& out, const Status& s) {
    out << "KelmWatch:        " << (s.monitorRunning ? "running" : "not running") << '\n';
    out << "Keyboard:         " << DeviceText(s) << '\n';
    out << "Current profile:  ";
    if (IsValidSlot(s.currentProfile))
        out << "Profile " << s.currentProfile + 1 << " \"" << s.profileName << '"';
    else
        out << "none";
    out << " (from " << s.profileSource << ")\n";
    out << "Firmware:         " << FormatFirmwareVersion(s.fwVersion.value_or(-1)) << '\n';
}

Json StatusToJson(const Status& s) {
    Json json;
    json["KelmWatch"] = s.monitorRunning;
    json["Device"] = s.device ? Json(*s.device) : Json(nullptr);
    json["CurrentProfile"] = s.currentProfile;
    json["ProfileName"] = IsValidSlot(s.currentProfile) ? Json(BytesToJsonText(s.profileName)) : Json(nullptr);
    json["ProfileSource"] = s.profileSource;
    json["FWVersion"] = s.fwVersion ? Json(*s.fwVersion) : Json(nullptr);
    json["Firmware"] = FormatFirmwareVersion(s.fwVersion.value_or(-1));
    return json;
}

}  // namespace

int RunStatus(const CommandArgs& args, CommandIo& io) {
    const auto where = ProgramFolder(args, io);
    if (!where) return kExitFailure;
    const IniFile config(where->ConfigPath());
    if (!config.Readable()) return ReportError(io, kExitFailure, where->ConfigPath() + ": cannot read the file");

    Status status;
    status.monitorRunning = FindWindow(kMonitorTitle);
    status.device = ReadSetting(config, "Device");
    status.fwVersion = ReadSetting(config, "FWVersion");

    const auto record = std::make_unique<SettingsRecord>();
    SharedSettings block;
    if (status.monitorRunning && block.Open() && block.Read(*record)) {
        status.profileSource = "KelmWatch";
    } else {
        if (!AllReadable(io, {where->ProfilePath(0), where->ProfilePath(1), where->ProfilePath(2),
                              where->ProfilePath(3), where->ProfilePath(4)}))
            return kExitFailure;
        ClearSettings(*record);
        LoadAll(*record, *where);
    }
    status.currentProfile = record->CurrentProfile;
    if (IsValidSlot(record->CurrentProfile))
        status.profileName = FieldText(record->Profiles[record->CurrentProfile].ProFileName);

    if (args.Flag("--json"))
        io.out << FormatJson(StatusToJson(status)) << '\n';
    else
        PrintStatus(io.out, status);
    return kExitOk;
}

int RunApply(const CommandArgs& args, CommandIo& io) {
    const auto where = ProgramFolder(args, io);
    if (!where) return kExitFailure;
    if (!FindWindow(kMonitorTitle)) return ReportError(io, kExitFailure, "KelmWatch is not running; nothing was sent");
    if (!AllReadable(io, {where->ConfigPath(), where->ProfilePath(0), where->ProfilePath(1), where->ProfilePath(2),
                          where->ProfilePath(3), where->ProfilePath(4)}))
        return kExitFailure;
    const auto working = std::make_unique<SettingsRecord>();
    ClearSettings(*working);
    LoadAll(*working, *where);

    const bool reset = args.Flag("--reset");
    if (reset) {
        MarkAllChanged(*working);
    } else {
        // What KelmWatch holds now is what was last applied.
        std::string error;
        const auto applied = ReadMonitorRecord(error);
        if (!applied) return ReportError(io, kExitFailure, error + "; nothing was sent");
        ComputeChangeFlags(*applied, *working);
        MarkChangedKeys(*applied, *working);
    }
    if (const auto error = ApplyThroughMonitor(*working, reset)) return ReportError(io, kExitFailure, *error);
    io.out << (reset ? "sent with reset: " : "sent: ") << DescribeChangeFlags(working->Flags) << '\n';
    return kExitOk;
}

}  // namespace kelm::ctl
