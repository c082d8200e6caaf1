#include "emulator/EmuControl.h"

#include <charconv>
#include <optional>
#include <string_view>

#include "emulator/EmuDump.h"

namespace kelm::emu {

// Decimal, or hex after 0x, and nothing else: strtol's own rules would take
// "010" as octal 8 and let signs and leading blanks through.
std::optional<long> ParseNumber(std::string_view word, long low, long high) {
    int base = 10;
    if (word.size() > 2 && word[0] == '0' && (word[1] == 'x' || word[1] == 'X')) {
        word.remove_prefix(2);
        base = 16;
    }
    // Unsigned, so that no sign is taken either.
    unsigned long value = 0;
    const char* last = word.data() + word.size();
    const auto [end, error] = std::from_chars(word.data(), last, value, base);
    if (word.empty() || error != std::errc{} || end != last || value > static_cast<unsigned long>(high))
        return std::nullopt;
    const auto number = static_cast<long>(value);
    if (number < low) return std::nullopt;
    return number;
}

namespace {

std::optional<MacroEvent> ParseEvent(const std::string& word) {
    const std::size_t first = word.find(':');
    const std::size_t second = first == std::string::npos ? first : word.find(':', first + 1);
    if (second == std::string::npos) return std::nullopt;
    const auto key = ParseNumber(word.substr(0, first), 0, 255);
    const auto action = ParseNumber(word.substr(first + 1, second - first - 1), 0, 255);
    const auto delay = ParseNumber(word.substr(second + 1), 0, 65535);
    if (!key || !action || !delay) return std::nullopt;
    return MacroEvent{static_cast<std::uint8_t>(*key), static_cast<std::uint8_t>(*action),
                      static_cast<std::uint16_t>(*delay)};
}

ActionResult Usage(const std::string& why) { return {false, why + "\n" + ControlUsage()}; }

ActionResult Fault(EmuKeyboard& keyboard, const std::vector<std::string>& words) {
    if (words.size() == 2 && words[1] == "clear") {
        keyboard.Faults().Clear();
        return {true, "faults cleared"};
    }
    if (words.size() != 3) return Usage("fault needs a kind and a count");
    const std::string& kind = words[1];
    if (kind == "busy" && words[2] == "forever") {
        keyboard.Faults().BusyFor(EmuFaults::kForever);
        return {true, "busy until the faults are cleared"};
    }
    if (kind == "repeat" && words[2] == "forever") {
        keyboard.Faults().RepeatCommands(EmuFaults::kForever);
        return {true, "every update command answered \"repeat\" until the faults are cleared"};
    }
    const auto count = ParseNumber(words[2], 0, 1000000);
    if (!count) return Usage("fault count must be a number from 0 to 1000000");
    const int n = static_cast<int>(*count);
    if (kind == "busy") {
        keyboard.Faults().BusyFor(n);
    } else if (kind == "readfail") {
        keyboard.Faults().FailReads(n);
    } else if (kind == "checksum") {
        keyboard.Faults().CorruptChecksums(n);
    } else if (kind == "unplug-after") {
        keyboard.UnplugAfter(n);
    } else if (kind == "repeat") {
        keyboard.Faults().RepeatCommands(n);
    } else if (kind == "block-fail") {
        if (n >= static_cast<int>(kMaxFirmwareBlocks)) return Usage("block-fail needs a block number 0..199");
        keyboard.Faults().FailBlock(n);
    } else if (kind == "unplug-after-blocks") {
        if (n == 0) return Usage("unplug-after-blocks needs a count of at least 1");
        keyboard.Faults().UnplugAfterBlocks(n);
    } else {
        return Usage("unknown fault: " + kind);
    }
    return {true, "fault " + kind + " " + words[2]};
}

ActionResult Record(EmuKeyboard& keyboard, const std::vector<std::string>& words) {
    if (words.size() < 2) return Usage("record needs a stage");
    const auto stage = ParseNumber(words[1], 1, 5);
    const auto key = words.size() > 2 ? ParseNumber(words[2], 0, 255) : std::optional<long>(0);
    if (!stage || !key) return Usage("record STAGE (1..5) [KEY (0..255)]");
    std::vector<MacroEvent> events;
    for (std::size_t i = 3; i < words.size(); ++i) {
        const auto event = ParseEvent(words[i]);
        if (!event) return Usage("macro event must be KEYCODE:ACTION:DELAY, not " + words[i]);
        events.push_back(*event);
    }
    if (*stage != 3 && !events.empty()) return Usage("only stage 3 stores events");
    return keyboard.RecordMacro(static_cast<int>(*stage), static_cast<int>(*key), events);
}

}  // namespace

std::string ControlUsage() {
    return "commands: press N | release N | profile N | brightness N | record STAGE [KEY [KEYCODE:ACTION:DELAY...]]\n"
           "          | event TYPE DATA | plug | unplug | fault busy N|forever | fault readfail N\n"
           "          | fault checksum N | fault unplug-after N | fault repeat N|forever | fault block-fail BLOCK\n"
           "          | fault unplug-after-blocks N | fault clear | busy POLLS [MS] | firmware N\n"
           "          | dump | log | reset-log | help";
}

ActionResult RunControl(EmuKeyboard& keyboard, const std::vector<std::string>& words) {
    if (words.empty()) return Usage("no command");
    const std::string& command = words[0];
    const auto one = [&](long low, long high) -> std::optional<int> {
        if (words.size() != 2) return std::nullopt;
        const auto value = ParseNumber(words[1], low, high);
        return value ? std::optional<int>(static_cast<int>(*value)) : std::nullopt;
    };
    if (command == "press" || command == "release") {
        const auto key = one(1, kKeyCount);
        if (!key) return Usage(command + " needs a key number 1..58");
        return command == "press" ? keyboard.PressKey(*key) : keyboard.ReleaseKey(*key);
    }
    if (command == "profile") {
        const auto profile = one(1, kProfileCount);
        if (!profile) return Usage("profile needs a number 1..5");
        return keyboard.ChangeProfile(*profile);
    }
    if (command == "brightness") {
        const auto level = one(1, 6);
        if (!level) return Usage("brightness needs a level 1..6");
        return keyboard.ChangeBrightness(*level);
    }
    if (command == "record") return Record(keyboard, words);
    if (command == "event") {
        const auto type = words.size() == 3 ? ParseNumber(words[1], 0, 0xFFFF) : std::nullopt;
        const auto data = words.size() == 3 ? ParseNumber(words[2], 0, 0xFFFF) : std::nullopt;
        if (!type || !data) return Usage("event needs a type and data, each 0..0xFFFF");
        return keyboard.RaiseEvent(static_cast<std::uint16_t>(*type), static_cast<std::uint16_t>(*data));
    }
    if (command == "plug" || command == "unplug") {
        if (words.size() != 1) return Usage(command + " takes no arguments");
        const bool was = keyboard.Plugged();
        if (command == "plug") {
            keyboard.Plug();
        } else {
            keyboard.Unplug();
        }
        const bool now = keyboard.Plugged();
        return {true, was == now ? std::string(now ? "already plugged in" : "already unplugged")
                                 : std::string(now ? "plugged in" : "unplugged")};
    }
    if (command == "fault") return Fault(keyboard, words);
    if (command == "busy") {
        const auto polls = words.size() >= 2 && words.size() <= 3 ? ParseNumber(words[1], 0, 1000000) : std::nullopt;
        const auto ms = words.size() == 3 ? ParseNumber(words[2], 0, 3600000) : std::optional<long>(0);
        if (!polls || !ms) return Usage("busy POLLS (0..1000000) [MS (0..3600000)]");
        keyboard.SetBusyTiming({static_cast<int>(*polls), *ms});
        return {true, "busy for " + words[1] + " polls and " + std::to_string(*ms) + " ms after each write"};
    }
    if (command == "firmware") {
        const auto version = one(0, 255);
        if (!version) return Usage("firmware needs a version 0..255");
        keyboard.SetFirmware(*version);
        return {true, "firmware " + std::to_string(*version)};
    }
    if (words.size() != 1) return Usage(command + " takes no arguments");
    if (command == "dump") return {true, DumpKeyboard(keyboard)};
    if (command == "log") return {true, keyboard.Log().Format()};
    if (command == "reset-log") {
        keyboard.Log().Clear();
        return {true, "log cleared"};
    }
    if (command == "help") return {true, ControlUsage()};
    return Usage("unknown command: " + command);
}

}  // namespace kelm::emu
