// Where the main window's controls lie, as layout strings (name, x, y,
// width, height, tooltip). The window, and the program that draws its
// pictures, both place the controls from these tables.
#pragma once

#include <array>
#include <string_view>

namespace kelm {

inline constexpr int kMainWidth = 800;
inline constexpr int kMainHeight = 600;

inline constexpr std::array<std::string_view, 5> kTabLayouts{
    "Main,4,75,160,38,Main settings for the selected device",
    "Hot Grid,164,75,157,38,Assign a function to each mouse button",
    "Media F,321,75,157,38,Color Setting",
    "Advanced,478,75,157,38,Advanced settings for the selected device",
    "Update,635,75,157,38,Check for the lastest driver update",
};

inline constexpr std::string_view kCreateLayout =
    "Create,290,450,110,25,Create a new profile for the selected profile slot";
inline constexpr std::string_view kLoadLayout = "Load,430,450,110,25,Load a new profile for the selected profile slot";
inline constexpr std::string_view kSaveLayout =
    "Save,560,450,110,25,Save the current setting of the selected profile slot";
inline constexpr std::string_view kEditLayout =
    "Edit,685,450,110,25,Edit the profile settings of the selected profile slot";

inline constexpr std::array<std::string_view, 5> kSlotLayouts{
    "Profile 1,8, 485,155,25,Click here to activate profile slot #1",
    "Profile 2,165, 485,155,25,Click here to activate profile slot #2",
    "Profile 3,322, 485,155,25,Click here to activate profile slot #3",
    "Profile 4,479, 485,156,25,Click here to activate profile slot #4",
    "Profile 5,637, 485,155,25,Click here to activate profile slot #5",
};
inline constexpr std::array<std::string_view, 5> kMarkerLayouts{
    "windows profile,139, 514,22,22,", "windows profile,296, 514,22,22,", "windows profile,453, 514,22,22,",
    "windows profile,611, 514,22,22,", "windows profile,769, 514,22,22,",
};
inline constexpr std::array<std::string_view, 5> kSlotNameLayouts{
    "Profile 1 name,8,  514,124,21,Profile assigned to profile slot #1",
    "Profile 2 name,167, 514,124,21,Profile assigned to profile slot #2",
    "Profile 3 name,324, 514,124,21,Profile assigned to profile slot #3",
    "Profile 4 name,481, 514,124,21,Profile assigned to profile slot #4",
    "Profile 5 name,639, 514,124,21,Profile assigned to profile slot #5",
};

inline constexpr std::string_view kLanguageLayout = "button language,12, 570,32,17,Select language";
inline constexpr std::string_view kMinLayout = "Min,749, 4,22,22,Minimize the application";
inline constexpr std::string_view kExitLayout =
    "Exit,771, 4,22,22,Close the application without saving the changes to the device";
inline constexpr std::string_view kOkLayout =
    "OK,582,563,58,30,Save the setting on the device and close the application";
inline constexpr std::string_view kApplyLayout = "Apply,640,563,72,30,Apply the setting to the device";
inline constexpr std::string_view kCancelLayout =
    "Cancel,712,563,80,30,Close the application without saving the changes to the device";
inline constexpr std::string_view kPageLayout = "Page position,12,124,774,312,";
// The help line shows the tooltip of the control under the mouse; the
// mouse picture shows while MouseType is 1.
inline constexpr std::string_view kHelpLineLayout = "Help line,51,570,529,20,";
inline constexpr std::string_view kMousePictureLayout = "Mouse picture,7,34,171,45,";

// The update page's buttons, captioned from the language's texts.
inline constexpr std::array<std::string_view, 5> kUpdateButtonLayouts{
    "BUTTON_update,15,81,200,34,",         "BUTTON_help,405,81,200,34,",          "BUTTON_Email_Request,10,265,100,30,",
    "BUTTON_Support_Form,400,210,100,30,", "BUTTON_Support_Form,400,265,100,30,",
};

// The language chooser: 17 entries, shown 289 pixels above the button.
inline constexpr int kLanguageChooserRise = 289;
inline constexpr std::array<std::string_view, 17> kLanguageEntryLayouts{
    "L1,3,17,93,13,",   "L2,3,34,93,13,",   "L3,3,50,93,13,",   "L4,3,66,93,13,",   "L5,3,82,93,13,",
    "L6,3,98,93,13,",   "L7,3,114,93,13,",  "L8,3,130,93,13,",  "L9,3,146,93,13,",  "L10,3,162,93,13,",
    "L11,3,178,93,13,", "L12,3,194,93,13,", "L13,3,210,93,13,", "L14,3,226,93,13,", "L15,3,242,93,13,",
    "L16,3,258,93,13,", "L17,3,274,93,13,",
};

// The small dialogs.
inline constexpr std::array<std::string_view, 3> kWindowsProfileDialogLayouts{
    "BUTTON_OK,72,200,56,24,", "BUTTON_CANCEL,136,200,100,24,", "BUTTON_EXIT,274,3,26,22,"};
inline constexpr std::string_view kProfileNameLayout = "EDIT_PROFILE_NAME,120,78,182,15,";
inline constexpr std::array<std::string_view, 3> kGameFileLayouts{"EDIT_PATH_TOEXECUTEABLE,35,137,265,15,",
                                                                  "EDIT_PATH_TOEXECUTEABLE,35,157,265,15,",
                                                                  "EDIT_PATH_TOEXECUTEABLE,35,177,265,15,"};
inline constexpr std::array<std::string_view, 3> kBrowseLayouts{
    "BUTTON_BROWER,304,136,23,17,", "BUTTON_BROWER,304,156,23,17,", "BUTTON_BROWER,304,176,23,17,"};
inline constexpr std::array<std::string_view, 3> kProfileDialogButtonLayouts{
    "BUTTON_OK,14,310,60,26,", "BUTTON_CANCEL,78,310,100,26,", "BUTTON_Exit,494,3,22,22,"};

}  // namespace kelm
