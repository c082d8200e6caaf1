#include "tools/kelmctl/ProgramFolder.h"

#include <filesystem>

#include "platform/FileIo.h"

namespace kelm::ctl {

std::optional<StoreLocation> ProgramFolder(const CommandArgs& args, CommandIo& io) {
    const std::string* home = args.Option("--home");
    StoreLocation where = home != nullptr ? StoreLocation::ForProgramFolder(*home) : StoreLocation::FromEnvironment();
    if (where.programFolder.empty()) {
        ReportError(io, kExitFailure, "the program folder is unknown; give --home DIR or set KELM_HOME");
        return std::nullopt;
    }
    std::error_code error;
    if (!std::filesystem::is_directory(where.programFolder, error)) {
        ReportError(io, kExitFailure, where.programFolder + ": no such folder");
        return std::nullopt;
    }
    return where;
}

bool AllReadable(CommandIo& io, std::initializer_list<std::string> paths) {
    for (const std::string& path : paths)
        if (ReadWholeFile(path).status == ReadStatus::Failed) {
            ReportError(io, kExitFailure, path + ": cannot read the file");
            return false;
        }
    return true;
}

std::optional<int> ReadSetting(const IniFile& config, std::string_view key) {
    const auto text = config.Lookup("Setting", key);
    if (!text) return std::nullopt;
    return ParseLeadingInt(*text);
}

}  // namespace kelm::ctl
