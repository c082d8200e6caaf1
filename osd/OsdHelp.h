// KelmOSD's command line as --help tells it.
#pragma once

#include <string>

#include "platform/StandardOptions.h"

namespace kelm {

inline ProgramHelp OsdHelp() {
    return {.program = "KelmOSD",
            .text = std::string("Usage: KelmOSD\n"
                                "  or:  KelmOSD --help|--version\n"
                                "The Kelm keyboard's on-screen display: a small window above the others that\n"
                                "shows the texts KelmWatch is handed and the profile when the keyboard changes\n"
                                "it. KelmWatch starts it, tells it where to show and closes it when it ends; one\n"
                                "runs per session. It needs a display.\n"
                                "\n"
                                "Options:\n"
                                "  --notifications  show the texts as desktop notifications for this run,\n"
                                "                   whatever config.ini says\n") +
                    StandardOptionsHelp(19) +
                    "Qt's own options (-platform NAME, -style NAME, ...) are handed to Qt.\n"
                    "\n"
                    "Environment:\n"
                    "  KELM_HOME        the program folder; default the folder of the executable\n"
                    "  KELM_DEBUG       when set and not empty, diagnostics go to standard error\n"
                    "  DISPLAY, WAYLAND_DISPLAY, QT_QPA_PLATFORM  the display the texts are shown on\n"
                    "  XDG_RUNTIME_DIR  holds VELDAN/, the suite's private folder for its windows\n"
                    "                   and shared blocks (else /tmp/VELDAN-UID)\n"
                    "\n"
                    "Files:\n"
                    "  config.ini       where to show ([OSDSetting]), whether as desktop notifications\n"
                    "                   ([OSDSetting] Notifications=1), and the display text KelmWatch\n"
                    "                   leaves there\n",
            .flags = {"--notifications"},
            .refuseUnknown = false};
}

}  // namespace kelm
