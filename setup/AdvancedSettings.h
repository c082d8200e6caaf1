// The settings page's controls as data, and what each does to the selected
// profile: the sliders (the repeat delay runs opposite to the stored value),
// the dimmer and time-out menus, and the two-state switches. The widgets
// are made from these tables; a rectangle of 0,0,0,0 keeps a control
// invisible while it still holds and saves its field.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>

#include "settings/SettingsRecord.h"
#include "setup/texts/TextIds.h"

namespace kelm {

struct AdvancedSlider {
    std::string_view layout;
    int controlId;
    int maximum;  // the range is 0..maximum
    std::int32_t ProfileRecord::*field;
    bool reversed;  // stored = maximum - position
};

inline constexpr std::array<AdvancedSlider, 4> kAdvancedSliders{{
    {"Repeat Delay,112,57,202,25,", 300, 3, &ProfileRecord::KBDelay, true},
    {"Repeat Rate,112,106,202,25,", 301, 31, &ProfileRecord::KBSpeed, false},
    {"Brightness,426,35,190,20,", 302, 5, &ProfileRecord::LtBrightness, false},
    {"Sound Volume,628,226,102,20,", 200, 4, &ProfileRecord::SoundVolume, false},
}};

struct AdvancedSwitch {
    std::string_view layout;
    std::int32_t* (*field)(ProfileRecord&);
};

inline constexpr std::array<AdvancedSwitch, 10> kAdvancedSwitches{{
    {"Tab,172,242,100,16,", [](ProfileRecord& p) { return &p.ModifyKey[0]; }},
    {"CapsLk,0,0,0,0,", [](ProfileRecord& p) { return &p.ModifyKey[1]; }},
    {"Left Window,14,242,130,16,", [](ProfileRecord& p) { return &p.ModifyKey[2]; }},
    {"Right Window,14,260,130,16,", [](ProfileRecord& p) { return &p.ModifyKey[3]; }},
    {"App Key,14,278,130,16,", [](ProfileRecord& p) { return &p.ModifyKey[4]; }},
    {"Left Shift,172,260,100,16,", [](ProfileRecord& p) { return &p.ModifyKey[5]; }},
    {"Sound FeedBack Profile Switch,405,225,105,20,", [](ProfileRecord& p) { return &p.SoundProfile; }},
    {"Sound FeedBack Live Recording,405,208,190,20,", [](ProfileRecord& p) { return &p.SoundLRecord; }},
    {"Sound FeedBack Sensitivity Switch,0,0,0,0,", [](ProfileRecord& p) { return &p.SoundSens; }},
    {"Sound Volume Up/Down,0,0,0,0,", [](ProfileRecord& p) { return &p.VolumeUpDown; }},
}};

inline constexpr std::string_view kDimmerLayout = "Dimmer,408,130,170,19,";
inline constexpr std::string_view kTimeOutLayout = "Time Out,611,130,51,19,";
inline constexpr std::string_view kResetLayout = "BUTTON_Reset,660,277,100,22,Reset";
inline constexpr std::string_view kTestRepeatLayout = "EDIT_Test_Repeat,18,158,300,16,";
inline constexpr int kTestRepeatId = 4010;
inline constexpr int kTestRepeatMaxLength = 300;

inline constexpr int kFirstDimmerCommand = 100;
inline constexpr int kDimmerCount = 6;  // "No illumination" .. "Illumination 100%"
inline constexpr int kFirstTimeOutCommand = 200;
inline constexpr int kTimeOutCount = 30;  // 1..30 minutes

// The slider's position for the profile's value, clamped to its range, so
// a hand-edited file never puts the thumb off the track.
int SliderPosition(const AdvancedSlider& slider, const ProfileRecord& profile);
// The slider with controlId moved to position: its field written; false for
// an unknown control.
bool OnAdvancedSlider(ProfileRecord& profile, int controlId, int position);
// A menu command of the dimmer (100..105) or time-out (200..229) menu;
// false for any other command.
bool OnAdvancedMenuCommand(ProfileRecord& profile, int command);
// The text of the dimmer step, "No illumination" .. "Illumination 100%";
// nothing outside 0..5.
std::optional<TextId> DimmerTextId(std::int32_t dimmerOption);
bool SwitchOn(const AdvancedSwitch& control, ProfileRecord& profile);
void ToggleSwitch(const AdvancedSwitch& control, ProfileRecord& profile);

}  // namespace kelm
