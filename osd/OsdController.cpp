#include "osd/OsdController.h"

#include "suite/SuiteIds.h"

namespace kelm {

OsdPosition OsdPositionFromParam(std::int64_t lParam) {
    const auto bits = static_cast<std::uint64_t>(lParam);
    return {static_cast<std::int16_t>((bits >> 16) & 0xFFFF), static_cast<std::int16_t>(bits & 0xFFFF)};
}

std::string ProfileText(const ProfileGlance& profile) {
    std::string text = "Profile " + std::to_string(profile.slot + 1);
    if (!profile.name.empty()) text += ": " + profile.name;
    return text;
}

void OsdController::Start() {
    LookAtProfile();
    timers_.SetTimer(TIMER_LOOK_AT_PROFILE, kProfileLookInterval);
}

std::int64_t OsdController::WindowProc(const WindowMessage& message) {
    if (closed_) return 0;
    switch (message.msg) {
        case MSG_OSD_SHOW_TEXT:
            ShowStoredText();
            return 1;
        case MSG_OSD_POSITION: {
            const OsdPosition at = OsdPositionFromParam(message.lParam);
            view_.MoveTo(at.x, at.y);
            return 1;
        }
        case WM_CLOSE:
            closed_ = true;
            timers_.KillTimer(TIMER_HIDE_TEXT);
            timers_.KillTimer(TIMER_LOOK_AT_PROFILE);
            view_.HideText();
            quit_();
            return 0;
        default:
            return 0;
    }
}

void OsdController::ShowStoredText() {
    const std::string text = sources_.readText();
    if (text.empty()) {
        timers_.KillTimer(TIMER_HIDE_TEXT);
        view_.HideText();
        return;
    }
    Show(text);
}

void OsdController::Show(const std::string& text) {
    view_.ShowText(text);
    timers_.SetTimer(TIMER_HIDE_TEXT, kShowTime);
}

void OsdController::LookAtProfile() {
    const std::optional<ProfileGlance> profile = sources_.readProfile();
    if (!profile) {
        lastSlot_.reset();
        return;
    }
    const bool changed = lastSlot_ && *lastSlot_ != profile->slot;
    lastSlot_ = profile->slot;
    if (changed) Show(ProfileText(*profile));
}

void OsdController::OnTimer(unsigned id) {
    if (closed_) return;
    if (id == TIMER_LOOK_AT_PROFILE) {
        LookAtProfile();
        return;
    }
    if (id != TIMER_HIDE_TEXT) return;
    timers_.KillTimer(TIMER_HIDE_TEXT);
    view_.HideText();
}

}  // namespace kelm
