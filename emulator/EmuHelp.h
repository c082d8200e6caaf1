// KelmEmu's command line as --help tells it, its remote control's commands
// included.
#pragma once

#include <sstream>
#include <string>

#include "emulator/EmuControl.h"
#include "emulator/EmuKeyboard.h"
#include "platform/StandardOptions.h"

namespace kelm::emu {

inline ProgramHelp EmuHelp() {
    std::string text =
        "Usage: KelmEmu [--state FILE] [--socket PATH] [--firmware N] [--loader N]\n"
        "               [--flashpack CONFIG] [--busy-polls N] [--busy-ms MS] [--unplugged]\n"
        "  or:  KelmEmu ctl [--socket PATH] COMMAND [ARGS...]\n"
        "  or:  KelmEmu --help|--version\n"
        "The Kelm software keyboard: it answers the suite's programs through libdevbridge.so\n"
        "exactly as the real keyboard does, for demos and tests. The first form runs the\n"
        "keyboard in the foreground until SIGTERM or SIGINT; 'KelmEmu ctl' presses its\n"
        "keys, changes it, injects faults and shows its state, as the running KelmEmu\n"
        "answers: exit status 0, or 1 with the reason on standard error.\n"
        "\n"
        "Options:\n"
        "  --state FILE        keep the keyboard's memory in FILE across runs; a damaged\n"
        "                      file is refused, never replaced\n"
        "  --socket PATH       the socket to listen on (ctl: to reach KelmEmu on)\n"
        "  --firmware N        the firmware version, 0..255 (default " +
        std::to_string(kDefaultFirmware) +
        ")\n"
        "  --loader N          the update mode's loader version, 0..255 (default " +
        std::to_string(kDefaultLoaderVersion) +
        ")\n"
        "  --flashpack CONFIG  take the update mode's signatures from a FlashPack/config.ini,\n"
        "                      as KelmFlash does\n"
        "  --busy-polls N      status reads that answer busy after each command, 0..1000000\n"
        "  --busy-ms MS        milliseconds each command stays busy, 0..3600000\n"
        "  --unplugged         start with the keyboard unplugged\n";
    text += StandardOptionsHelp(22);
    text += "\nCommands of KelmEmu ctl (numbers decimal or 0x hex):\n";
    // The list a wrong ctl command answers with, its "commands: " lead left out.
    std::istringstream commands(ControlUsage());
    for (std::string line; std::getline(commands, line);) {
        const std::size_t words = line.find_first_not_of(' ', line.starts_with("commands:") ? 9 : 0);
        text += (text.ends_with(":\n") ? "  " : "    ") + line.substr(words) + "\n";
    }
    text +=
        "\n"
        "Environment:\n"
        "  KELM_DEVICE      \"emu:SOCKET\" names the socket when --socket is not given\n"
        "  XDG_RUNTIME_DIR  holds VELDAN/KelmEmu.sock, the default socket\n"
        "                   (else /tmp/VELDAN-UID/KelmEmu.sock)\n"
        "\n"
        "Files:\n"
        "  --state FILE     an INI file of the keyboard's memory, written whole after every\n"
        "                   change\n";
    return {
        .program = "KelmEmu",
        .text = std::move(text),
        .flags = {"--unplugged"},
        .valueOptions = {"--state", "--socket", "--firmware", "--loader", "--flashpack", "--busy-polls", "--busy-ms"}};
}

}  // namespace kelm::emu
