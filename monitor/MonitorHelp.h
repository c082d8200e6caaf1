// KelmWatch's command line as --help tells it.
#pragma once

#include <string>

#include "platform/StandardOptions.h"
#include "suite/SettingsFilesHelp.h"

namespace kelm {

inline ProgramHelp MonitorHelp() {
    return {.program = "KelmWatch",
            .text = std::string("Usage: KelmWatch [1]\n"
                                "  or:  KelmWatch --help|--version\n"
                                "The Kelm keyboard's monitor: it owns the keyboard for the session, keeps its five\n"
                                "profiles in step with the settings files and carries out what the keyboard's keys\n"
                                "ask of the host (macros, shortcuts, programs, media players, countdown timers,\n"
                                "profile changes). One runs per session; with a display it shows a tray icon,\n"
                                "without one it runs headless until SIGTERM or SIGINT.\n"
                                "\n"
                                "Arguments:\n"
                                "  1          an argument whose first character is 1 opens KelmSetup once the\n"
                                "             keyboard is found; a KelmWatch that already runs is asked to open\n"
                                "             it instead. Only the first character of the first argument counts.\n"
                                "\n"
                                "Options:\n") +
                    StandardOptionsHelp(13) +
                    "Qt's own options (-platform NAME, -style NAME, ...) are handed to Qt.\n"
                    "\n"
                    "Environment:\n"
                    "  KELM_HOME        the program folder; default the folder of the executable\n"
                    "  KELM_DEVICE      the keyboard libdevbridge.so opens: unset or \"hid\" the USB\n"
                    "                   keyboard, \"emu\" or \"emu:SOCKET\" the software keyboard KelmEmu\n"
                    "  KELM_INJECT      \"xtest\" or \"uinput\": how macros and shortcuts are typed;\n"
                    "                   default uinput on Wayland where /dev/uinput may be written,\n"
                    "                   else XTest on X11\n"
                    "  KELM_DEBUG       when set and not empty, diagnostics go to standard error\n"
                    "  DISPLAY, WAYLAND_DISPLAY  the display for the tray icon; without one, no icon\n"
                    "  XDG_RUNTIME_DIR  holds VELDAN/, the suite's private folder for its windows,\n"
                    "                   mutexes and shared blocks (else /tmp/VELDAN-UID)\n"
                    "  XDG_CONFIG_HOME  holds VELDAN/registry.ini, the session's key repeat, and for an\n"
                    "                   installed suite VELDAN/Kelm/, the user's settings files\n"
                    "  XDG_DATA_HOME    holds VELDAN/Pact/, the status shared with Pact devices\n"
                    "\n"
                    "Files:\n" +
                    kSettingsFilesHelp +
                    "  libdevbridge.so, devbridge.ini  the device library and its keyboard's identity\n"
                    "  Wave/Volume-N/   the feedback sounds, one folder per volume\n"
                    "  FlashPack/config.ini  the firmware version the keyboard should have\n"
                    "  FlashPack/KelmFlash  started when the keyboard's firmware differs\n",
            .refuseUnknown = false};
}

}  // namespace kelm
