#include "setup/AdvancedSettings.h"

#include <algorithm>

namespace kelm {

int SliderPosition(const AdvancedSlider& slider, const ProfileRecord& profile) {
    const int value = std::clamp(profile.*slider.field, 0, slider.maximum);
    return slider.reversed ? slider.maximum - value : value;
}

bool OnAdvancedSlider(ProfileRecord& profile, int controlId, int position) {
    const auto slider = std::find_if(kAdvancedSliders.begin(), kAdvancedSliders.end(),
                                     [controlId](const AdvancedSlider& s) { return s.controlId == controlId; });
    if (slider == kAdvancedSliders.end()) return false;
    const int value = std::clamp(position, 0, slider->maximum);
    profile.*slider->field = slider->reversed ? slider->maximum - value : value;
    return true;
}

bool OnAdvancedMenuCommand(ProfileRecord& profile, int command) {
    const int dimmer = command - kFirstDimmerCommand;
    if (dimmer >= 0 && dimmer < kDimmerCount) {
        profile.DimmerOption = dimmer;
        return true;
    }
    const int minutes = command - kFirstTimeOutCommand + 1;
    if (minutes >= 1 && minutes <= kTimeOutCount) {
        profile.LtTimeout = minutes;
        return true;
    }
    return false;
}

std::optional<TextId> DimmerTextId(std::int32_t dimmerOption) {
    if (dimmerOption < 0 || dimmerOption >= kDimmerCount) return std::nullopt;
    return static_cast<TextId>(static_cast<int>(TextId::kDimmerOff) + dimmerOption);
}

bool SwitchOn(const AdvancedSwitch& control, ProfileRecord& profile) { return *control.field(profile) == 1; }

void ToggleSwitch(const AdvancedSwitch& control, ProfileRecord& profile) {
    std::int32_t& field = *control.field(profile);
    field = field == 1 ? 0 : 1;
}

}  // namespace kelm
