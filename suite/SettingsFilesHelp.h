// The settings files as the help of each program that reads or writes them
// lists them under "Files:".
#pragma once

namespace kelm {

inline constexpr const char* kSettingsFilesHelp =
    "  config.ini       the settings, in the program folder (for an installed suite,\n"
    "                   in $XDG_CONFIG_HOME/VELDAN/Kelm/)\n"
    "  config/Default0.vkp .. config/Default4.vkp  the five profile slots\n"
    "  config/Preset_sequence.dat  the macro library\n"
    "  config/Timer.ini  the countdown timers\n";

}  // namespace kelm
