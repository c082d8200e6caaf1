// KelmSetup's command line as --help tells it.
#pragma once

#include <string>

#include "platform/StandardOptions.h"
#include "suite/SettingsFilesHelp.h"

namespace kelm {

inline ProgramHelp SetupHelp() {
    return {.program = "KelmSetup",
            .text = std::string("Usage: KelmSetup\n"
                                "  or:  KelmSetup --help|--version\n"
                                "The Kelm keyboard's configuration program: a window in which the five profiles'\n"
                                "keys, macros, timers, light and sound feedback are edited, profile files loaded\n"
                                "and saved, and the result applied. It saves the settings files itself and hands\n"
                                "the settings to KelmWatch, which writes them to the keyboard. One runs per\n"
                                "session: a second start brings the first to the front and ends. It needs a\n"
                                "display.\n"
                                "\n"
                                "Options:\n") +
                    StandardOptionsHelp(13) +
                    "Qt's own options (-platform NAME, -style NAME, ...) are handed to Qt.\n"
                    "\n"
                    "Environment:\n"
                    "  KELM_HOME        the program folder; default the folder of the executable\n"
                    "  KELM_DEBUG       when set and not empty, diagnostics go to standard error\n"
                    "  DISPLAY, WAYLAND_DISPLAY, QT_QPA_PLATFORM  the display the window is shown on\n"
                    "  LC_ALL, LC_MESSAGES, LANG  the language of settings that name none yet\n"
                    "  XDG_RUNTIME_DIR  holds VELDAN/, the suite's private folder for its windows,\n"
                    "                   mutexes and shared blocks (else /tmp/VELDAN-UID)\n"
                    "  XDG_CONFIG_HOME  holds VELDAN/registry.ini, the session's key repeat, and for an\n"
                    "                   installed suite VELDAN/Kelm/, the user's settings files\n"
                    "\n"
                    "Files:\n" +
                    kSettingsFilesHelp +
                    "  Skin/            the window's pictures\n"
                    "  help/LANGUAGE_help.ini  the quick help of each language\n"
                    "  *.vkp            profile files exported and imported by the user\n",
            .refuseUnknown = false};
}

}  // namespace kelm
