#include "keyboard/SettingsReports.h"

#include <algorithm>

namespace kelm {

bool SettingsReportChanged(ReportId id, const ChangeFlags& flags, int profile) {
    if (id == ReportId::ModifyKeyReport) return IsFlagSet(flags.ModifyKeyChanged[profile]);
    if (id == ReportId::LightReport) return IsFlagSet(flags.LightChanged[profile]);
    const KeyGroup* group = FindKeyGroup(id);
    if (group == nullptr) return false;
    const auto* first = flags.KeyChanged[profile] + group->firstKey;
    return std::any_of(first, first + group->count, IsFlagSet);
}

ReportBytes BuildSettingsReport(ReportId id, std::uint8_t profileNumber, const ProfileRecord& profile) {
    if (id == ReportId::ModifyKeyReport) return BuildModifyKeyReport({profileNumber, ModifyKeyMask(profile)});
    if (id == ReportId::LightReport) return BuildLightReport(LightFromProfile(profileNumber, profile));
    const KeyGroup* group = FindKeyGroup(id);
    if (group == nullptr) return {};
    return BuildKeyGroupReport(*group, KeyGroupFromProfile(*group, profileNumber, profile));
}

bool ApplySettingsReport(ReportId id, ReportView report, ProfileRecord& profile) {
    if (id == ReportId::ModifyKeyReport) {
        const auto data = ParseModifyKeyReport(report);
        if (data) ApplyModifyKeyMask(data->mask, profile);
        return data.has_value();
    }
    if (id == ReportId::LightReport) {
        const auto data = ParseLightReport(report);
        if (data) ApplyLight(*data, profile);
        return data.has_value();
    }
    const KeyGroup* group = FindKeyGroup(id);
    if (group == nullptr) return false;
    const auto data = ParseKeyGroupReport(*group, report);
    if (data) ApplyKeyGroup(*group, *data, profile);
    return data.has_value();
}

void KeepUnflaggedKeyboardState(const SettingsRecord& keyboard, SettingsRecord& record) {
    const ChangeFlags& flags = record.Flags;
    if (!IsFlagSet(flags.CurrentProfileChanged)) record.CurrentProfile = keyboard.CurrentProfile;
    // The reports themselves say which fields the keyboard holds: a round
    // trip through them moves exactly those.
    for (int p = 0; p < kProfileCount; ++p) {
        const auto number = static_cast<std::uint8_t>(p);
        for (const SettingsReportStep& step : kSettingsReports) {
            if (SettingsReportChanged(step.id, flags, p)) continue;
            ApplySettingsReport(step.id, BuildSettingsReport(step.id, number, keyboard.Profiles[p]),
                                record.Profiles[p]);
        }
        for (int key = 0; key < kMacroCapableKeys; ++key) {
            const MacroKeyInfo& held = keyboard.Profiles[p].Keys[key];
            if (IsFlagSet(flags.KeyChanged[p][key]) || held.FunctionCode != kFnMacro) continue;
            ParseMacroReport(BuildMacroReport({number, static_cast<std::uint8_t>(key)}, held),
                             record.Profiles[p].Keys[key]);
        }
    }
}

}  // namespace kelm
