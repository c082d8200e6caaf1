#include "tools/kelmctl/KeyboardBackup.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <memory>

#include "keyboard/KeyboardProtocol.h"
#include "settings/Defaults.h"
#include "settings/json/ProfileJson.h"

namespace kelm::ctl {

using namespace json;

namespace {

constexpr const char* kFormat = "Kelm keyboard backup";
constexpr int kVersion = 1;

const Json& Required(const Json& object, std::string_view name) {
    const Json* member = FindMember(object, name);
    if (member == nullptr) FailField(std::string(name), "missing");
    return *member;
}

void ReadBackup(const Json& json, KeyboardContents& backup) {
    ExpectObject(json, "");
    static constexpr std::array<std::string_view, 5> kMembers = {"Format", "Version", "FWVersion", "CurrentProfile",
                                                                 "Profiles"};
    CheckMembers(json, "", kMembers);
    const Json& format = Required(json, "Format");
    if (format != kFormat) FailField("Format", "not \"" + std::string(kFormat) + "\" but " + DescribeValue(format));
    ReadInteger(Required(json, "Version"), "Version", kVersion, kVersion, "version");
    backup.FWVersion = static_cast<int>(ReadInteger(Required(json, "FWVersion"), "FWVersion", 0, 65535));
    auto record = std::make_unique<SettingsRecord>();
    DefaultSettings(*record);
    ClearChangeFlags(*record);
    record->CurrentProfile =
        static_cast<int>(ReadInteger(Required(json, "CurrentProfile"), "CurrentProfile", -1, kProfileCount - 1));
    const Json& profiles = Required(json, "Profiles");
    ExpectArray(profiles, "Profiles");
    if (profiles.size() != kProfileCount)
        FailField("Profiles", "holds " + std::to_string(profiles.size()) + " profiles, not 5");
    for (int p = 0; p < kProfileCount; ++p) {
        const std::string path = ElementPath("Profiles", static_cast<std::size_t>(p));
        if (auto error = ProfileFromJson(profiles[static_cast<std::size_t>(p)], record->Profiles[p]))
            FailField(error->field.empty() ? path : path + "." + error->field, std::move(error->message));
    }
    backup.record = std::move(record);
}

}  // namespace

Json BackupToJson(const KeyboardContents& contents) {
    Json json = Json::object();
    json["Format"] = kFormat;
    json["Version"] = kVersion;
    const Json dump = KeyboardToJson(contents);
    for (const auto& [name, value] : dump.items()) json[name] = value;
    return json;
}

std::optional<JsonError> BackupFromJson(const Json& json, KeyboardContents& backup) {
    KeyboardContents read;
    try {
        ReadBackup(json, read);
    } catch (JsonError& error) {
        return std::move(error);
    }
    backup = std::move(read);
    return std::nullopt;
}

void TakeOverBackup(const SettingsRecord& backup, SettingsRecord& record) {
    std::copy(std::begin(backup.Profiles), std::end(backup.Profiles), std::begin(record.Profiles));
    const bool current = IsValidSlot(backup.CurrentProfile);
    if (current) record.CurrentProfile = backup.CurrentProfile;
    MarkAllChanged(record);
    record.Flags.CurrentProfileChanged = current ? 1 : 0;
}

bool RestoreToKeyboard(IFeatureDevice& keyboard, IClock& clock, ISettingsFiles& files, SettingsRecord& record,
                       std::string& error) {
    if (!files.SaveRecord(record)) {
        error = "could not write the settings files; the keyboard was not changed";
        return false;
    }
    const std::atomic<bool> neverAborted{false};
    KeyboardProtocol protocol(keyboard, clock, neverAborted, record, {files});
    if (!protocol.WriteChangedSettings()) {
        error =
            "the keyboard did not take every report (was it unplugged?); the settings files hold the backup, "
            "run the restore again";
        return false;
    }
    ClearChangeFlags(record);
    return true;
}

bool AnyChangePending(const ChangeFlags& flags) {
    const auto* first = reinterpret_cast<const std::int32_t*>(&flags);
    return std::any_of(first, first + sizeof flags / sizeof *first, IsFlagSet);
}

}  // namespace kelm::ctl
