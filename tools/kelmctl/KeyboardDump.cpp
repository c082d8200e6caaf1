#include "tools/kelmctl/KeyboardDump.h"

#include <atomic>
#include <ostream>

#include "keyboard/KeyboardProtocol.h"
#include "settings/Defaults.h"
#include "settings/json/ProfileJson.h"
#include "tools/kelmctl/MemorySettingsFiles.h"
#include "tools/kelmctl/ReadOnlyFeatureDevice.h"

namespace kelm::ctl {

using namespace json;

namespace {

struct ReadTally {
    int reports = 0;
    int failed = 0;   // transfers that failed
    int damaged = 0;  // reports received with a wrong length, id or checksum
    bool firmwareRead = false;
};

std::string DescribeRead(const ObservedRead& read) {
    const ReportInfo* info = FindReportInfo(read.reportId);
    std::string text = info != nullptr ? info->name : "report " + std::to_string(read.reportId);
    if (read.select) {
        text += " of slot " + std::to_string(read.select->profile);
        if (read.reportId == static_cast<std::uint8_t>(ReportId::MacroReport))
            text += ", key entry " + std::to_string(read.select->selectCode);
    }
    if (!read.received) return text + ": failed";
    return text + (read.intact ? ": read" : ": damaged");
}

std::string DescribeFailure(const ReadTally& tally) {
    std::string text = "could not read everything from the keyboard";
    if (tally.failed > 0) text += "; " + std::to_string(tally.failed) + " transfer(s) failed (was it unplugged?)";
    if (tally.damaged > 0) text += "; " + std::to_string(tally.damaged) + " report(s) arrived damaged";
    return text + "; nothing was printed";
}

}  // namespace

bool ReadKeyboard(IFeatureDevice& keyboard, IClock& clock, std::ostream* progress, KeyboardContents& contents,
                  std::string& error) {
    ReadTally tally;
    ReadOnlyFeatureDevice readOnly(keyboard, [&](const ObservedRead& read) {
        if (!read.received) ++tally.failed;
        if (read.received && !read.intact) ++tally.damaged;
        if (read.reportId == static_cast<std::uint8_t>(ReportId::ControlReport)) return;
        ++tally.reports;
        if (read.reportId == static_cast<std::uint8_t>(ReportId::FirmwareReport)) tally.firmwareRead = read.intact;
        if (progress != nullptr) *progress << DescribeRead(read) << '\n';
    });
    std::unique_ptr<SettingsRecord> record = std::move(contents.record);
    if (record == nullptr) {
        record = std::make_unique<SettingsRecord>();
        DefaultSettings(*record);
    }
    ClearChangeFlags(*record);
    // A keyboard that names no valid profile must not show the default one.
    record->CurrentProfile = -1;
    MemorySettingsFiles files;
    const std::atomic<bool> neverAborted{false};
    KeyboardProtocol protocol(readOnly, clock, neverAborted, *record, {files});
    // Without a stamp check the stamp never matches: every report is read.
    if (!protocol.ReadAllFromKeyboard()) {
        error = DescribeFailure(tally);
        return false;
    }
    if (!tally.firmwareRead) {
        error = "could not read the keyboard's firmware version; nothing was printed";
        return false;
    }
    if (progress != nullptr) *progress << "read " << tally.reports << " reports\n";
    contents.FWVersion = files.FirmwareVersion().value_or(0);
    contents.record = std::move(record);
    return true;
}

Json KeyboardToJson(const KeyboardContents& contents) {
    Json json = Json::object();
    json["FWVersion"] = contents.FWVersion;
    json["CurrentProfile"] = contents.record->CurrentProfile;
    Json profiles = Json::array();
    for (const ProfileRecord& profile : contents.record->Profiles) profiles.push_back(ProfileToJson(profile));
    json["Profiles"] = std::move(profiles);
    return json;
}

}  // namespace kelm::ctl
