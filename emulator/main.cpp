// KelmEmu: the software keyboard, and `KelmEmu ctl`, its remote control.
// The command line is the one EmuHelp.h describes: the keyboard runs in the
// foreground until SIGTERM or SIGINT, on the socket --socket names, else the
// one KELM_DEVICE=emu:<path> names, else <runtime>/KelmEmu.sock.
#include <signal.h>
#include <sys/signalfd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "emulator/EmuControl.h"
#include "emulator/EmuHelp.h"
#include "emulator/EmuServer.h"
#include "emulator/EmuStateFile.h"
#include "emulator/EmuWire.h"
#include "platform/StandardOptions.h"

namespace {

using namespace kelm;
using namespace kelm::emu;

constexpr int kCtlTimeoutMs = 10000;

class SteadyClock final : public EmuClock {
public:
    std::int64_t NowMs() const override {
        return std::chrono::duration_cast<std::chrono::milliseconds>(
                   std::chrono::steady_clock::now().time_since_epoch())
            .count();
    }
};

bool ParseInt(const char* text, long low, long high, long& value) {
    const auto number = emu::ParseNumber(text, low, high);
    if (number) value = *number;
    return number.has_value();
}

std::string SocketPath(const std::string& given) {
    if (!given.empty()) return given;
    std::string error;
    std::string path;
    const char* device = std::getenv("KELM_DEVICE");
    if (const auto named = device != nullptr ? EmuSocketFromDeviceSetting(device, &error) : std::nullopt) {
        path = *named;
    } else {
        path = DefaultEmuSocket(&error);
    }
    if (path.empty()) std::fprintf(stderr, "KelmEmu: no socket: %s\n", error.c_str());
    return path;
}

int RunControlClient(int argc, char** argv) {
    std::string socket;
    int first = 2;
    if (argc > 3 && std::strcmp(argv[2], "--socket") == 0) {
        socket = argv[3];
        first = 4;
    }
    if (first >= argc) return RefuseUsage("KelmEmu ctl", "a command is missing");
    socket = SocketPath(socket);
    if (socket.empty()) return 1;
    std::string error;
    auto connection = WireConnection::Connect(socket, &error);
    if (!connection) {
        std::fprintf(stderr, "KelmEmu ctl: KelmEmu is not running (%s)\n", error.c_str());
        return 1;
    }
    std::string reply;
    const std::vector<std::string> words(argv + first, argv + argc);
    if (connection->Call(FrameKind::Control, JoinWords(words), reply, kCtlTimeoutMs) != WireConnection::Status::Ok ||
        reply.empty()) {
        std::fprintf(stderr, "KelmEmu ctl: no answer from %s\n", socket.c_str());
        return 1;
    }
    const bool ok = reply[0] == '\1';
    std::string text = reply.substr(1);
    if (!text.empty() && text.back() != '\n') text += '\n';
    std::fputs(text.c_str(), ok ? stdout : stderr);
    return ok ? 0 : 1;
}

struct Options {
    std::string state;
    std::string socket;
    long firmware = -1;
    long loader = kDefaultLoaderVersion;
    std::string flashPack;
    long busyPolls = 0;
    long busyMs = 0;
    bool unplugged = false;
};

// The argument that cannot be taken, or nothing when all can.
std::optional<std::string> ParseOptions(int argc, char** argv, Options& options) {
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const bool hasValue = i + 1 < argc;
        if (arg == "--unplugged") {
            options.unplugged = true;
        } else if (arg == "--state" && hasValue) {
            options.state = argv[++i];
        } else if (arg == "--socket" && hasValue) {
            options.socket = argv[++i];
        } else if (arg == "--firmware" && hasValue) {
            if (!ParseInt(argv[++i], 0, 255, options.firmware)) return arg + ' ' + argv[i];
        } else if (arg == "--loader" && hasValue) {
            if (!ParseInt(argv[++i], 0, 255, options.loader)) return arg + ' ' + argv[i];
        } else if (arg == "--flashpack" && hasValue) {
            options.flashPack = argv[++i];
        } else if (arg == "--busy-polls" && hasValue) {
            if (!ParseInt(argv[++i], 0, 1000000, options.busyPolls)) return arg + ' ' + argv[i];
        } else if (arg == "--busy-ms" && hasValue) {
            if (!ParseInt(argv[++i], 0, 3600000, options.busyMs)) return arg + ' ' + argv[i];
        } else {
            return arg;
        }
    }
    return std::nullopt;
}

// The update mode's signatures as KelmFlash reads them from the package.
std::optional<UpdateSignatures> FlashPackSignatures(const std::string& path) {
    std::string error = path + ": no such file";
    std::optional<UpdateSignatures> signatures;
    if (std::filesystem::exists(path)) {
        const IniFile file(path);
        error = path + ": cannot be read";
        if (file.Readable()) signatures = ReadUpdateSignatures(file, &error);
    }
    if (!signatures) std::fprintf(stderr, "KelmEmu: %s\n", error.c_str());
    return signatures;
}

int RunKeyboard(const Options& options) {
    // Blocked before anything else so that the signals arrive only through
    // the descriptor the server polls.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGTERM);
    sigaddset(&stopSignals, SIGINT);
    sigprocmask(SIG_BLOCK, &stopSignals, nullptr);
    signal(SIGPIPE, SIG_IGN);
    UniqueFd stop(::signalfd(-1, &stopSignals, SFD_CLOEXEC));
    if (!stop) {
        std::perror("KelmEmu: signalfd");
        return 1;
    }

    const int firmware = options.firmware >= 0 ? static_cast<int>(options.firmware) : kDefaultFirmware;
    std::unique_ptr<KeyboardMemory> memory;
    if (options.state.empty()) {
        memory = FactoryMemory(firmware);
    } else {
        StateLoad load = LoadKeyboardState(options.state, firmware);
        if (!load.memory) {
            std::fprintf(stderr, "KelmEmu: %s\nMove the file away to start with a factory keyboard.\n",
                         load.error.c_str());
            return 1;
        }
        memory = std::move(load.memory);
    }

    UpdateSignatures signatures = kDefaultUpdateSignatures;
    if (!options.flashPack.empty()) {
        const auto read = FlashPackSignatures(options.flashPack);
        if (!read) return 1;
        signatures = *read;
    }

    SteadyClock clock;
    EmuKeyboard keyboard(clock, std::move(memory));
    keyboard.SetLoaderVersion(static_cast<int>(options.loader));
    keyboard.SetUpdateSignatures(signatures);
    keyboard.SetBusyTiming({static_cast<int>(options.busyPolls), options.busyMs});
    if (options.firmware >= 0) keyboard.SetFirmware(firmware);
    if (options.unplugged) keyboard.Unplug();
    keyboard.TakeNotifications();

    const std::string statePath = options.state;
    const auto save = [&statePath](const KeyboardMemory& kept) {
        if (statePath.empty() || SaveKeyboardState(statePath, kept)) return true;
        std::fprintf(stderr, "KelmEmu: cannot save the keyboard's state to %s: %s\n", statePath.c_str(),
                     std::strerror(errno));
        return false;
    };
    // A new state file exists from the start, and a changed firmware is
    // kept; a state file that cannot be written at all is reported now
    // rather than after the first change is lost.
    keyboard.TakeMemoryChanged();
    if (!save(keyboard.Memory())) return 1;

    const std::string socket = SocketPath(options.socket);
    if (socket.empty()) return 1;
    EmuServer server(keyboard, [&save](const KeyboardMemory& kept) { save(kept); });
    std::string error;
    if (!server.Listen(socket, &error)) {
        std::fprintf(stderr, "KelmEmu: %s\n", error.c_str());
        return 1;
    }
    std::fprintf(stderr, "KelmEmu: keyboard on %s (firmware %d)\n", socket.c_str(), keyboard.Memory().FWVersion);
    server.Run(stop.Get());
    std::fprintf(stderr, "KelmEmu: stopped\n");
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (const auto status = AnswerStandardOptions(EmuHelp(), argc, argv)) return *status;
    if (argc > 1 && std::strcmp(argv[1], "ctl") == 0) {
        signal(SIGPIPE, SIG_IGN);
        return RunControlClient(argc, argv);
    }
    Options options;
    if (const auto refused = ParseOptions(argc, argv, options))
        return RefuseUsage("KelmEmu", "cannot take '" + *refused + "'");
    return RunKeyboard(options);
}
