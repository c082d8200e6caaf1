// The eight per-profile settings reports taken as one kind of thing: which
// change flag sends each, how it is built from a profile and how an answer
// is stored back, in the order the sequences go through them.
#pragma once

#include <array>
#include <cstdint>

#include "keyboard/Reports.h"
#include "settings/SettingsRecord.h"

namespace kelm {

struct SettingsReportStep {
    ReportId id;
    int pauseAfterWriteMs;
};

inline constexpr std::array<SettingsReportStep, 8> kSettingsReports{{
    {ReportId::ModifyKeyReport, 200},
    {ReportId::FKeyGroupReport, 200},
    {ReportId::HotGridGroupReport, 200},
    {ReportId::MediaKeyGroupReport, 200},
    {ReportId::ThumbKeyGroupReport, 200},
    {ReportId::MacroKeyGroupReport, 200},
    {ReportId::LightReport, 100},
    {ReportId::CapsLockReport, 100},
}};

// True when a flag of exactly 1 asks for this report of this profile.
bool SettingsReportChanged(ReportId id, const ChangeFlags& flags, int profile);
ReportBytes BuildSettingsReport(ReportId id, std::uint8_t profileNumber, const ProfileRecord& profile);
// Stores a received report into profile; false, with nothing stored, when
// the report is damaged.
bool ApplySettingsReport(ReportId id, ReportView report, ProfileRecord& profile);

// Takes what the keyboard holds (active profile, the settings reports,
// stored macros) from keyboard into record, except where record's change
// flags ask for it: those stay as record has them. For settings handed over
// while the keyboard's own state was read back or changed, so that neither
// the handed-over changes nor what the keyboard reported is lost.
void KeepUnflaggedKeyboardState(const SettingsRecord& keyboard, SettingsRecord& record);

}  // namespace kelm
