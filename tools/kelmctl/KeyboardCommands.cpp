#include "tools/kelmctl/KeyboardCommands.h"

#include <chrono>
#include <cstdlib>
#include <ostream>

#include "suite/SuiteIds.h"
#include "platform/DeviceLibrary.h"
#include "platform/NamedMutex.h"
#include "platform/WindowClient.h"
#include "settings/json/JsonFormat.h"
#include "tools/kelmctl/KeyboardDump.h"
#include "tools/kelmctl/ProgramFolder.h"

namespace kelm::ctl {

using namespace json;

namespace {

// KelmWatch owns the keyboard while it runs: its window answers, or its
// instance mutex is held (a monitor that is starting has no window yet).
bool MonitorRunning() { return FindWindow(kMonitorTitle) || static_cast<bool>(NamedMutex::Open(kInstanceMutexName)); }

class FeatureDeviceOpen {
public:
    explicit FeatureDeviceOpen(const DeviceLibrary& library)
        : library_(library), open_(library.OpenFeatureDevice() != 0) {}
    ~FeatureDeviceOpen() {
        if (open_) library_.CloseFeatureDevice();
    }
    FeatureDeviceOpen(const FeatureDeviceOpen&) = delete;
    FeatureDeviceOpen& operator=(const FeatureDeviceOpen&) = delete;

    bool IsOpen() const { return open_; }

private:
    const DeviceLibrary& library_;
    const bool open_;
};

std::string DeviceSetting() {
    const char* setting = std::getenv("KELM_DEVICE");
    return setting != nullptr && *setting != '\0' ? std::string(" (KELM_DEVICE=") + setting + ")"
                                                  : std::string(" (the USB keyboard; KELM_DEVICE is not set)");
}

}  // namespace

int RunKeyboardDump(const CommandArgs& args, CommandIo& io) {
    const auto where = ProgramFolder(args, io);
    if (!where) return kExitFailure;
    // Two programs selecting and reading at once would get each other's answers.
    const char* const kMonitorOwns =
        "KelmWatch is running and owns the keyboard; close it (tray menu Exit) and run the dump again";
    if (MonitorRunning()) return ReportError(io, kExitFailure, kMonitorOwns);
    std::string error;
    const DeviceLibrary library = DeviceLibrary::Load(where->programFolder, &error);
    if (!library) return ReportError(io, kExitFailure, error);
    const FeatureDeviceOpen open(library);
    if (!open.IsOpen()) return ReportError(io, kExitFailure, "no keyboard found" + DeviceSetting());

    DevBridgeFeatureDevice keyboard(
        [&library](const unsigned char* report, unsigned length) { return library.SetFeature(report, length); },
        [&library](unsigned char* report, unsigned length) { return library.GetFeature(report, length); });
    SystemClock clock;
    std::ostream* progress = args.Flag("--verbose") ? &io.err : nullptr;
    if (progress != nullptr) *progress << "reading the keyboard" << DeviceSetting() << "; this takes 10 s or more\n";
    const auto start = std::chrono::steady_clock::now();
    KeyboardContents contents;
    if (!ReadKeyboard(keyboard, clock, progress, contents, error)) return ReportError(io, kExitFailure, error);
    if (progress != nullptr)
        *progress << "done in " << std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count()
                  << " s\n";
    // A monitor that started meanwhile may have read and written in between.
    if (MonitorRunning())
        return ReportError(io, kExitFailure,
                           std::string("KelmWatch started during the dump, which may therefore mix "
                                       "in its reports; nothing was printed. ") +
                               kMonitorOwns);
    if (contents.record->CurrentProfile < 0)
        ReportError(io, kExitOk, "the keyboard named no profile 0..4 as active; CurrentProfile shows -1");
    io.out << FormatJson(KeyboardToJson(contents)) << '\n';
    return kExitOk;
}

}  // namespace kelm::ctl
