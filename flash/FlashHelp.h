// KelmFlash's command line as --help tells it.
#pragma once

#include <string>

#include "platform/StandardOptions.h"

namespace kelm {

inline ProgramHelp FlashHelp() {
    return {.program = "KelmFlash",
            .text = std::string("Usage: KelmFlash [ARGUMENT]\n"
                                "  or:  KelmFlash --no-gui\n"
                                "  or:  KelmFlash --help|--version\n"
                                "The Kelm keyboard's firmware updater, in the FlashPack folder of the\n"
                                "installation. It closes KelmWatch, writes the firmware image of its package to\n"
                                "the keyboard and, after a successful update, starts KelmWatch again. One runs at\n"
                                "a time: a second one ends at once.\n"
                                "\n"
                                "Arguments:\n"
                                "  ARGUMENT   the update window's flow, by its first character, as KelmWatch\n"
                                "             passes it: none, 1 or 2 ask before the update; 0 tells that no\n"
                                "             update is needed; any other opens the update window at once\n"
                                "\n"
                                "Options:\n"
                                "  --no-gui   one update at once without a window, its progress as lines on\n"
                                "             standard output, for scripts; exit status 0 only when the update\n"
                                "             succeeded\n") +
                    StandardOptionsHelp(13) +
                    "\n"
                    "Environment:\n"
                    "  KELM_HOME        the installation folder, KelmFlash's own being its FlashPack/;\n"
                    "                   default the folder of the executable\n"
                    "  KELM_DEVICE      the keyboard libdevbridge.so opens: unset or \"hid\" the USB\n"
                    "                   keyboard, \"emu\" or \"emu:SOCKET\" the software keyboard KelmEmu\n"
                    "  KELM_DEBUG       when set and not empty, diagnostics go to standard error\n"
                    "  DISPLAY, WAYLAND_DISPLAY, QT_QPA_PLATFORM  the display the window is shown on\n"
                    "  XDG_RUNTIME_DIR  holds VELDAN/, the suite's private folder for its windows and\n"
                    "                   mutexes (else /tmp/VELDAN-UID)\n"
                    "\n"
                    "Files:\n"
                    "  FlashPack/config.ini  the package: [Firmware] Name names the image beside it\n"
                    "  FlashPack/Skin/  the window's pictures\n"
                    "  libdevbridge.so  the device library, in the installation folder\n"
                    "  KelmWatch        started again after a successful update\n",
            .flags = {"--no-gui"}};
}

}  // namespace kelm
