#include "tools/kelmctl/StoreCommands.h"

#include <initializer_list>
#include <memory>
#include <optional>
#include <ostream>

#include "platform/FileIo.h"
#include "settings/Defaults.h"
#include "settings/SettingsStore.h"
#include "settings/StoreLocation.h"
#include "settings/json/JsonFormat.h"
#include "settings/json/StoreJson.h"
#include "tools/kelmctl/ProgramFolder.h"

namespace kelm::ctl {

using namespace json;

namespace {

int Print(CommandIo& io, const Json& json) {
    io.out << FormatJson(json) << '\n';
    return kExitOk;
}

}  // namespace

int RunSettingsShow(const CommandArgs& args, CommandIo& io) {
    const auto where = ProgramFolder(args, io);
    if (!where || !AllReadable(io, {where->ConfigPath(), where->ProfilePath(0), where->ProfilePath(1),
                                    where->ProfilePath(2), where->ProfilePath(3), where->ProfilePath(4)}))
        return kExitFailure;
    // Value-initialised and cleared, as LoadAll expects its record.
    const auto record = std::make_unique<SettingsRecord>();
    ClearSettings(*record);
    LoadAll(*record, *where);
    return Print(io, SettingsToJson(*record));
}

int RunSettingsReset(const CommandArgs& args, CommandIo& io) {
    const auto where = ProgramFolder(args, io);
    if (!where) return kExitFailure;
    // Factory settings as the configuration program's reset makes them; the
    // language follows the session and no companion mouse is known.
    const auto record = std::make_unique<SettingsRecord>();
    ClearSettings(*record);
    DefaultSettings(*record);
    record->MouseType = -1;
    if (SaveAll(*record, *where) != 1)
        return ReportError(io, kExitFailure, where->settingsFolder + ": could not write the settings files");
    io.out << "wrote factory settings to " << where->settingsFolder << '\n';
    return kExitOk;
}

int RunLibraryShow(const CommandArgs& args, CommandIo& io) {
    const auto where = ProgramFolder(args, io);
    if (!where || !AllReadable(io, {where->MacroLibraryPath()})) return kExitFailure;
    MacroLibrary library;
    LoadMacroLibrary(library, *where);
    return Print(io, MacroLibraryToJson(library));
}

int RunTimersShow(const CommandArgs& args, CommandIo& io) {
    const auto where = ProgramFolder(args, io);
    if (!where || !AllReadable(io, {where->TimerPath()})) return kExitFailure;
    TimerList timers;
    LoadTimers(timers, *where);
    return Print(io, TimersToJson(timers));
}

}  // namespace kelm::ctl
