#include "tools/kelmctl/Commands.h"

#include "platform/StandardOptions.h"
#include "settings/json/ProfileJson.h"
#include "suite/SettingsFilesHelp.h"
#include "tools/kelmctl/BackupCommands.h"
#include "tools/kelmctl/Completion.h"
#include "tools/kelmctl/FirmwareCommands.h"
#include "tools/kelmctl/KeyboardCommands.h"
#include "tools/kelmctl/MonitorCommands.h"
#include "tools/kelmctl/ProfileCommands.h"
#include "tools/kelmctl/StoreCommands.h"
#include "tools/kelmctl/SystemProbes.h"

namespace kelm::ctl {

using namespace json;

namespace {

const char* const kIntro =
    "Usage: kelmctl COMMAND [ARGUMENTS] [--help]\n"
    "  or:  kelmctl --help|--version\n"
    "The Kelm keyboard suite on the command line: kelmctl shows the settings files\n"
    "and what the keyboard holds as JSON and writes profile files from JSON, for\n"
    "backups, diffs and scripts, and asks a running KelmWatch for its state or to\n"
    "send the saved settings to the keyboard.\n";

// The commands' list comes between the two.
const std::string kFooter = std::string(
                                "Run 'kelmctl COMMAND --help' for the details of one command.\n"
                                "\n"
                                "Options:\n") +
                            StandardOptionsHelp(13) +
                            "\n"
                            "Exit status:\n"
                            "  0  success\n"
                            "  1  a file or folder could not be read or written\n"
                            "  2  a usage error or invalid input\n"
                            "Errors go to standard error.\n"
                            "\n"
                            "Environment:\n"
                            "  KELM_HOME        the program folder of a command given no --home; default\n"
                            "                   the folder of the kelmctl executable\n"
                            "  KELM_DEVICE      the keyboard the keyboard commands open: unset or \"hid\" the\n"
                            "                   USB keyboard, \"emu\" or \"emu:SOCKET\" the software keyboard\n"
                            "                   KelmEmu\n"
                            "  KELM_DEBUG       when set and not empty, diagnostics go to standard error\n"
                            "  XDG_RUNTIME_DIR  holds VELDAN/, where KelmWatch's window and shared blocks\n"
                            "                   are found (else /tmp/VELDAN-UID)\n"
                            "\n"
                            "Files:\n" +
                            kSettingsFilesHelp + "  libdevbridge.so  the device library of the program folder\n";

const char* const kProgramFolderOption =
    "Options:\n"
    "  --home DIR  the program folder; default $KELM_HOME, else the folder of the\n"
    "              kelmctl executable. A folder that does not exist is an error.\n";

const char* const kTextRules =
    "Texts: the record's text fields hold 8-bit bytes. Text that is valid UTF-8 is\n"
    "shown as it is. Every other byte is shown as the escape \\uefXX, XX being the\n"
    "byte in hex (U+EF80..U+EFFF, a private-use range): the Windows-1252 byte E9 of\n"
    "\"Caf\\xe9\" shows as \"Caf\\uefe9\". 'profile write' turns each such escape back\n"
    "into its byte, so a profile shown and written back keeps its exact bytes.\n";

std::string ProfileShowHelp() {
    return std::string(
               "Prints the profile file FILE.vkp (\"-\" reads standard input) as JSON, as the\n"
               "settings programs load it: a value missing from the file shows the value a\n"
               "missing key loads (-1 for most numbers, 0 for LtBrightness, DimmerOption and\n"
               "LtTimeout, \"\" for texts), and a missing or damaged key entry shows that key's\n"
               "factory default.\n"
               "\n"
               "The JSON uses the record's field names:\n"
               "  {\"ProFileName\", \"GameFile0\", \"GameFile1\", \"GameFile2\", \"KBDelay\", \"KBSpeed\",\n"
               "   \"MediaOption\", \"HDDKeyboard\", \"LtBrightness\", \"DimmerOption\", \"LtTimeout\",\n"
               "   \"ModifyKey\": [6 numbers], \"SoundProfile\", \"SoundLRecord\", \"SoundSens\",\n"
               "   \"VolumeUpDown\", \"SoundVolume\",\n"
               "   \"Keys\": [58 x {\"KeyIndex\", \"FunctionCode\", \"TargetDevice\", \"KeyLabel\",\n"
               "                  \"MacroSetName\", \"MacroName\", \"MacroOption\",\n"
               "                  \"Events\": [[keyCode, action, delay], ...],\n"
               "                  \"TimerSeconds\", \"TimerName\", \"QuickLaunchPath\"}]}\n"
               "Numbers are JSON numbers (FunctionCode 190 is 0xBE), texts JSON strings; the\n"
               "length of Events is the entry's EventCount.\n"
               "\n") +
           kTextRules +
           "\n"
           "A note goes to standard error when 'profile write' would not give this very\n"
           "file back: a value outside the ranges it accepts, or bytes the JSON does not\n"
           "show (padding, bytes after a text's end, events past EventCount).\n";
}

std::string ProfileWriteHelp() {
    return std::string(
               "Writes the profile file OUT.vkp from the JSON profile in IN.json (\"-\" reads\n"
               "standard input), in the form 'profile show' prints. The whole input is checked\n"
               "first. On an error nothing is written, the message names the field, as in\n"
               "  Keys[3].Events[7][2]: delay 70000 out of range 0..65535\n"
               "and the exit status is 2. OUT.vkp is replaced as a whole, atomically, and holds\n"
               "exactly what the settings programs write for this profile.\n"
               "\n"
               "A field that is missing takes its default: that of profile slot 0\n"
               "(ProFileName \"Default1\", KBDelay 1, KBSpeed 31, LtTimeout 15, ...), and in a\n"
               "key entry the factory default of that key. A field name the profile does not\n"
               "have is an error, so that a misspelt name does not fall back to the default.\n"
               "Numbers must be JSON integers, texts JSON strings.\n"
               "\n"
               "Numbers of the profile. A profile file that lacks a value loads -1 (0 for\n"
               "LtBrightness, DimmerOption and LtTimeout), so that value is accepted too:\n") +
           DescribeProfileLimits() +
           "\n"
           "Keys: absent (every key takes its default); an array of all 58 entries in key\n"
           "order, where KeyIndex may be left out and otherwise must equal the position;\n"
           "or fewer entries that each give their KeyIndex 0..57, each key at most once,\n"
           "the keys not listed taking their defaults.\n"
           "A key entry: FunctionCode 0..255; TargetDevice, MacroOption and TimerSeconds\n"
           "any int32; Events at most 500 of [keyCode, action, delay] with keyCode 0..255\n"
           "and delay 0..65535 (milliseconds). The action is 1 (press) or 2 (release) for\n"
           "a macro key (FunctionCode 190, 0xBE); a shortcut key (184, 0xB8) keeps its\n"
           "modifier bits 0..255 there, and keys of other functions carry it as a byte\n"
           "0..255 that nothing uses.\n"
           "\n"
           "Text lengths in bytes, after the escapes below are turned into bytes:\n"
           "ProFileName at most 249, GameFile0..GameFile2 499, KeyLabel, MacroSetName and\n"
           "MacroName 49, TimerName 99, QuickLaunchPath 259. No text may hold \\u0000.\n"
           "ProFileName and GameFile0..GameFile2 are INI values in the file, which cannot\n"
           "hold a line break; such texts are refused.\n"
           "Bytes the JSON does not show (padding, bytes after a text's end, events past\n"
           "EventCount) are written as zero, as the settings programs leave them.\n"
           "\n" +
           kTextRules;
}

std::string SettingsShowHelp() {
    return std::string(
               "Prints the settings of a program folder as the settings programs load them:\n"
               "config.ini and the slot files config/Default0.vkp .. config/Default4.vkp (a\n"
               "missing slot file gives that slot's defaults, Default1 .. Default5), with\n"
               "KBDelay and KBSpeed of the current profile taken from the key-repeat values\n"
               "in $XDG_CONFIG_HOME/VELDAN/registry.ini when it holds them:\n"
               "  {\"CurrentProfile\", \"WindowsProfile\", \"QuickHelpLan\", \"MouseType\",\n"
               "   \"Profiles\": [5 profiles as 'profile show' prints them]}\n"
               "A value missing from config.ini shows -1.\n"
               "\n") +
           kProgramFolderOption;
}

std::string SettingsResetHelp() {
    return std::string(
               "Writes the factory settings to a program folder: config.ini and the five slot\n"
               "files config/Default0.vkp .. config/Default4.vkp (Default1 .. Default5, every\n"
               "key on its factory function), CurrentProfile 0, no fallback profile, the\n"
               "language of the session's locale, and the key-repeat values of profile 1 in\n"
               "$XDG_CONFIG_HOME/VELDAN/registry.ini. Keys of config.ini that are not settings\n"
               "(firmware version, synchronisation stamp, display settings) are kept. Each file\n"
               "is replaced atomically.\n"
               "\n") +
           kProgramFolderOption;
}

std::string LibraryShowHelp() {
    return std::string(
               "Prints the macro library config/Preset_sequence.dat of a program folder:\n"
               "  {\"Sets\": [{\"Name\", \"Macros\": [{\"Name\", \"MacroOption\",\n"
               "                                 \"Events\": [[keyCode, action, delay], ...]}]}]}\n"
               "A missing file shows an empty library. Texts as 'profile show --help' says.\n"
               "\n") +
           kProgramFolderOption;
}

std::string TimersShowHelp() {
    return std::string(
               "Prints the countdown timers config/Timer.ini of a program folder:\n"
               "  [{\"TimerSeconds\", \"TimerName\"}]\n"
               "A missing file shows an empty list. Texts as 'profile show --help' says.\n"
               "\n") +
           kProgramFolderOption;
}

std::string KeyboardDumpHelp() {
    return std::string(
               "Reads everything the keyboard holds, through the device library libdevbridge.so\n"
               "of the program folder, and prints it as JSON:\n"
               "  {\"FWVersion\", \"CurrentProfile\", \"Profiles\": [5 profiles as 'profile show'\n"
               "   prints them]}\n"
               "The keyboard keeps, per profile, each key's FunctionCode (a shortcut with its\n"
               "Events), the macros of the keys with FunctionCode 190 (KeyLabel, MacroSetName\n"
               "and MacroName cut to 24 bytes, MacroOption 0..255, Events), ModifyKey,\n"
               "LtBrightness, DimmerOption and LtTimeout. The other fields live only in the\n"
               "settings files (see 'settings show') and show the defaults of their slot.\n"
               "CurrentProfile is -1 when the keyboard names no profile 0..4.\n"
               "\n"
               "The keyboard is read as KelmWatch reads it back, with the pauses it needs\n"
               "between reports: this takes 10 seconds or more. Nothing is written to the\n"
               "keyboard or to any settings file. KELM_DEVICE chooses the keyboard: unset or\n"
               "\"hid\" for the USB keyboard, \"emu\" or \"emu:SOCKET\" for the software\n"
               "keyboard KelmEmu.\n"
               "\n"
               "Only one program can talk to the keyboard at a time: while KelmWatch runs,\n"
               "the dump refuses to start. The dump is whole or nothing: when a report cannot\n"
               "be read, nothing is printed.\n"
               "\n"
               "Exit status: 0 success; 1 KelmWatch runs, the library cannot be loaded, no\n"
               "keyboard is found, or a report could not be read; 2 a usage error.\n"
               "\n") +
           kProgramFolderOption + "  --verbose   report each report read, on standard error\n";
}

std::string StatusHelp() {
    return std::string(
               "Shows whether KelmWatch runs, the keyboard's state as KelmWatch last saved it\n"
               "([Setting] Device of config.ini), the current profile and the keyboard's\n"
               "firmware version ([Setting] FWVersion; \"N/A\" when unknown). The current\n"
               "profile comes from KelmWatch's shared settings block while it runs, else from\n"
               "config.ini and the slot files. Profiles are numbered 1..5.\n"
               "\n"
               "--json prints {\"KelmWatch\": true|false, \"Device\": 1|0|null,\n"
               "  \"CurrentProfile\": 0..4 or -1 for none, \"ProfileName\", \"ProfileSource\":\n"
               "  \"KelmWatch\"|\"config.ini\", \"FWVersion\": number|null, \"Firmware\": \"1.15\"}\n"
               "with CurrentProfile as the record holds it (0 is Profile 1).\n"
               "\n") +
           kProgramFolderOption + "  --json      print JSON\n";
}

std::string ApplyHelp() {
    return std::string(
               "Does what Apply does in the configuration program: the settings saved in the\n"
               "program folder (config.ini and the five slot files) go to KelmWatch, which\n"
               "writes to the keyboard what differs from what it holds (the current profile,\n"
               "key entries, switchable keys, light) before this command returns. Prints what\n"
               "was sent, as in\n"
               "  sent: current profile, Profile 2 keys F1 F5, Profile 2 light\n"
               "\n"
               "--reset has KelmWatch reset the keyboard and then write every setting, as the\n"
               "configuration program's Reset does once its settings are saved.\n"
               "\n"
               "Exit status 1 when KelmWatch is not running (nothing is sent), when its\n"
               "settings block cannot be read or written, or when it does not answer.\n"
               "\n") +
           kProgramFolderOption + "  --reset     reset the keyboard and send everything\n";
}

std::string FirmwareMakeImageHelp() {
    return "Writes a firmware image of --size bytes to FILE for the software keyboard KelmEmu\n"
           "and the tests of KelmFlash. With --version V (1..255) the image begins with a\n"
           "header of our own, the bytes \"KLFW\" followed by the byte V, and KelmEmu reports\n"
           "firmware version V once the image has been written to it successfully; an image\n"
           "without the header leaves the keyboard's version as it was. The rest of the image\n"
           "is a fixed pseudo-random filler, the same for every run. Sizes above 204800 bytes\n"
           "(the most a keyboard takes) are allowed, to test that KelmFlash refuses them.\n"
           "FILE is replaced atomically.\n"
           "\n"
           "Options:\n"
           "  --size N     the image's length in bytes, 0..16777216 (required)\n"
           "  --version V  the firmware version the header names; needs at least 5 bytes\n";
}

std::string ProfileSwitchHelp() {
    return std::string(
               "Makes profile N (1..5) the keyboard's current profile. While KelmWatch runs, it\n"
               "is asked as the configuration program asks it: KelmWatch sends the profile to\n"
               "the keyboard (with any changes it still holds for it) before this command\n"
               "returns. Otherwise the keyboard is told directly through the device library\n"
               "(KELM_DEVICE as 'keyboard dump --help' says). Either way config.ini's\n"
               "CurrentProfile and the key-repeat values in $XDG_CONFIG_HOME/VELDAN/registry.ini\n"
               "follow, as KelmWatch keeps them, and without KelmWatch the X session takes\n"
               "the key repeat of the new profile.\n"
               "\n"
               "Exit status: 0 success; 1 no keyboard, a file that cannot be written, or\n"
               "KelmWatch did not get the profile to the keyboard; 2 N is not 1..5.\n"
               "\n") +
           kProgramFolderOption;
}

std::string KeyboardBackupHelp() {
    return std::string(
               "Writes everything needed to restore the keyboard to FILE, as JSON:\n"
               "  {\"Format\": \"Kelm keyboard backup\", \"Version\": 1, \"FWVersion\",\n"
               "   \"CurrentProfile\", \"Profiles\": [5 profiles as 'profile show' prints them]}\n"
               "The profiles hold what the keyboard keeps (key functions, macros, modifier\n"
               "keys, light) and, from the settings files, what only the files keep (names,\n"
               "program files, key repeat, sounds). FILE is replaced atomically; \"-\" writes\n"
               "the backup to standard output.\n"
               "\n"
               "While KelmWatch runs, the backup is its record, which is the keyboard's as\n"
               "long as KelmWatch sees the keyboard and has sent it every change; otherwise\n"
               "the backup is refused. Without KelmWatch the keyboard is read as 'keyboard\n"
               "dump' reads it, which takes 10 seconds or more.\n"
               "\n"
               "Exit status: 0 success; 1 no keyboard, a report that could not be read,\n"
               "KelmWatch out of step with the keyboard, or FILE cannot be written.\n"
               "\n") +
           kProgramFolderOption;
}

std::string KeyboardRestoreHelp() {
    return std::string(
               "Puts a backup made by 'keyboard backup' (\"-\" reads standard input) back on\n"
               "the keyboard: all five profiles with their macros, and the current profile.\n"
               "The whole file is checked first; a damaged or truncated file is refused with\n"
               "what is wrong (exit status 2) and nothing is written anywhere.\n"
               "\n"
               "While KelmWatch runs, the settings files are written and KelmWatch sends the\n"
               "backup to the keyboard, as the configuration program's Apply does. Otherwise\n"
               "the settings files are written and then the keyboard directly; should the\n"
               "keyboard not take every report, KelmWatch reads it back at its next connect,\n"
               "so that files and keyboard agree again. The keyboard takes each report with\n"
               "the pauses it needs: this takes 20 seconds or more.\n"
               "\n"
               "Exit status: 0 success; 1 no keyboard, a file that cannot be read or written,\n"
               "or the keyboard did not take everything; 2 an invalid backup.\n"
               "\n") +
           kProgramFolderOption;
}

std::string DoctorHelp() {
    return std::string(
               "Checks what the suite needs and prints one line per finding:\n"
               "  ok: ...                     present\n"
               "  missing: ... \u2014 how to fix    the suite does not work without it\n"
               "  optional: ... \u2014 how to fix   only a part of the suite needs it\n"
               "It looks at the device library and the keyboard (read and write access to its\n"
               "hidraw nodes, found by devbridge.ini's ids as the library finds them; with\n"
               "KELM_DEVICE=emu... whether KelmEmu answers), /dev/uinput, the display, the\n"
               "tray, sound, the session bus and logind, the settings folder and KelmWatch.\n"
               "\n"
               "Exit status: 0 when nothing essential is missing, 1 otherwise.\n"
               "\n") +
           kProgramFolderOption;
}

std::string CompletionHelp() {
    return "Prints the bash completion script of kelmctl, made from its command table.\n"
           "Install it as /usr/share/bash-completion/completions/kelmctl, or source it:\n"
           "  source <(kelmctl completion bash)\n";
}

int RunCompletionBash(const CommandArgs&, CommandIo& io) {
    io.out << BashCompletion(KelmctlCommands(), std::string(io.program));
    return kExitOk;
}

CommandSet MakeCommands() {
    CommandSet set;
    set.intro = kIntro;
    set.footer = kFooter;
    set.commands = {
        {"profile show", "FILE.vkp", "print a profile file as JSON", ProfileShowHelp(), 1, {}, RunProfileShow},
        {"profile write",
         "IN.json OUT.vkp",
         "write a profile file from JSON",
         ProfileWriteHelp(),
         2,
         {},
         RunProfileWrite},
        {"profile switch",
         "N [--home DIR]",
         "make profile N (1..5) the keyboard's current one",
         ProfileSwitchHelp(),
         1,
         {"--home"},
         RunProfileSwitch,
         {},
         {"1", "2", "3", "4", "5"}},
        {"settings show",
         "[--home DIR]",
         "print config.ini and the five slot profiles",
         SettingsShowHelp(),
         0,
         {"--home"},
         RunSettingsShow},
        {"settings reset",
         "[--home DIR]",
         "write the factory settings",
         SettingsResetHelp(),
         0,
         {"--home"},
         RunSettingsReset},
        {"library show", "[--home DIR]", "print the macro library", LibraryShowHelp(), 0, {"--home"}, RunLibraryShow},
        {"timers show", "[--home DIR]", "print the countdown timers", TimersShowHelp(), 0, {"--home"}, RunTimersShow},
        {"keyboard dump",
         "[--home DIR] [--verbose]",
         "print what the keyboard holds",
         KeyboardDumpHelp(),
         0,
         {"--home"},
         RunKeyboardDump,
         {"--verbose"}},
        {"keyboard backup",
         "FILE [--home DIR]",
         "save the keyboard's profiles and macros to a file",
         KeyboardBackupHelp(),
         1,
         {"--home"},
         RunKeyboardBackup},
        {"keyboard restore",
         "FILE [--home DIR]",
         "put a backup back on the keyboard",
         KeyboardRestoreHelp(),
         1,
         {"--home"},
         RunKeyboardRestore},
        {"status",
         "[--home DIR] [--json]",
         "show KelmWatch, keyboard, profile and firmware",
         StatusHelp(),
         0,
         {"--home"},
         RunStatus,
         {"--json"}},
        {"apply",
         "[--home DIR] [--reset]",
         "send the saved settings through KelmWatch",
         ApplyHelp(),
         0,
         {"--home"},
         RunApply,
         {"--reset"}},
        {"firmware make-image",
         "FILE --size N [--version V]",
         "write a test firmware image for KelmEmu",
         FirmwareMakeImageHelp(),
         1,
         {"--size", "--version"},
         RunFirmwareMakeImage},
        {"doctor", "[--home DIR]", "check what the suite needs", DoctorHelp(), 0, {"--home"}, RunDoctor},
        {"completion bash",
         "",
         "print the bash completion script",
         CompletionHelp(),
         0,
         {},
         RunCompletionBash,
         {},
         {},
         true},
    };
    return set;
}

}  // namespace

const CommandSet& KelmctlCommands() {
    static const CommandSet commands = MakeCommands();
    return commands;
}

int RunKelmctl(std::span<const std::string> args, CommandIo& io) { return RunCommandLine(KelmctlCommands(), args, io); }

}  // namespace kelm::ctl
