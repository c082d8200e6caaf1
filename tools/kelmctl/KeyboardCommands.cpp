#include "tools/kelmctl/KeyboardCommands.h"

#include <chrono>
#include <ostream>

#include "settings/json/JsonFormat.h"
#include "tools/kelmctl/KeyboardAccess.h"
#include "tools/kelmctl/KeyboardDump.h"
#include "tools/kelmctl/ProgramFolder.h"

namespace kelm::ctl {

using namespace json;

int RunKeyboardDump(const CommandArgs& args, CommandIo& io) {
    const auto where = ProgramFolder(args, io);
    if (!where) return kExitFailure;
    // Two programs selecting and reading at once would get each other's answers.
    const char* const kMonitorOwns =
        "KelmWatch is running and owns the keyboard; close it (tray menu Exit) and run the dump again";
    if (MonitorRunning()) return ReportError(io, kExitFailure, kMonitorOwns);
    std::string error;
    const auto keyboard = OpenKeyboard::Open(where->programFolder, error);
    if (!keyboard) return ReportError(io, kExitFailure, error);
    SystemClock clock;
    std::ostream* progress = args.Flag("--verbose") ? &io.err : nullptr;
    if (progress != nullptr) *progress << "reading the keyboard" << DeviceSetting() << "; this takes 10 s or more\n";
    const auto start = std::chrono::steady_clock::now();
    KeyboardContents contents;
    if (!ReadKeyboard(keyboard->Device(), clock, progress, contents, error))
        return ReportError(io, kExitFailure, error);
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
