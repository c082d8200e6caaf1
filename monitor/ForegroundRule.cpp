#include "monitor/ForegroundRule.h"

#include "monitor/MonitorIds.h"
#include "platform/Debug.h"
#include "settings/Text.h"

namespace kelm {

std::string_view GameFileName(std::string_view storedPath) {
    const std::string_view path = Trim(storedPath);
    const std::size_t slash = path.find_last_of("/\\");
    return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

std::optional<int> GameProfileFor(const SettingsRecord& settings, std::string_view program) {
    for (int slot = 0; slot < kProfileCount; ++slot) {
        const ProfileRecord& profile = settings.Profiles[slot];
        for (const std::string_view stored :
             {FieldText(profile.GameFile0), FieldText(profile.GameFile1), FieldText(profile.GameFile2)}) {
            const std::string_view name = GameFileName(stored);
            if (!name.empty() && EqualsNoCase(name, program)) return slot;
        }
    }
    return std::nullopt;
}

void ForegroundProfileRule::FollowForegroundProgram() {
    if (monitor_ == nullptr) return;
    const ForegroundLookup front = program_.Find();
    if (front.result == ForegroundLookup::Result::Unavailable) {
        // Said once: the rule asks again every two seconds.
        if (!toldUnavailable_) DebugOutput("FollowForegroundProgram: off, %s\n", front.detail.c_str());
        toldUnavailable_ = true;
        return;
    }
    toldUnavailable_ = false;

    struct Seen {
        std::optional<int> game;
        int current = -1;
        int fallback = -1;
        bool announce = false;
    } seen;
    monitor_->ReadSettings([&](const SettingsRecord& settings) {
        if (front.result == ForegroundLookup::Result::Program) seen.game = GameProfileFor(settings, front.detail);
        seen.current = settings.CurrentProfile;
        seen.fallback = settings.WindowsProfile;
        // Whether a change is announced is the profile being left's choice.
        seen.announce =
            IsValidSlot(settings.CurrentProfile) && settings.Profiles[settings.CurrentProfile].SoundProfile == 1;
    });

    int target = 0;
    unsigned sound = 0;
    if (seen.game) {
        if (*seen.game == seen.current) return;
        target = *seen.game;
        sound = TIMER_SOUND_PROFILE;
    } else {
        if (!IsValidSlot(seen.fallback) || seen.fallback == seen.current || monitor_->SetupWindowOpen()) return;
        target = seen.fallback;
        sound = TIMER_SOUND_WINDOWS_PROFILE;
    }
    monitor_->SwitchProfile(target);
    if (seen.announce) monitor_->AnnounceProfileChange(sound);
}

}  // namespace kelm
