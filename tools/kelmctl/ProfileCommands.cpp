#include "tools/kelmctl/ProfileCommands.h"

#include <cstring>
#include <memory>
#include <optional>
#include <ostream>

#include "settings/IniFile.h"
#include "settings/ProfileFile.h"
#include "settings/json/JsonFormat.h"
#include "settings/json/ProfileJson.h"
#include "tools/kelmctl/Input.h"

namespace kelm::ctl {

using namespace json;

namespace {

// Tells the user when writing the shown JSON back would not give this very
// profile again, so that a backup is never silently inexact.
void NoteInexactRoundTrip(CommandIo& io, const std::string& path, const Json& shown, const ProfileRecord& loaded) {
    const auto rebuilt = std::make_unique<ProfileRecord>();
    if (const auto error = ProfileFromJson(shown, *rebuilt)) {
        io.err << io.program << ": note: " << path
               << ": 'profile write' would refuse this profile: " << error->Describe() << '\n';
        return;
    }
    std::string keys;
    for (int k = 0; k < kKeyCount; ++k)
        if (std::memcmp(&rebuilt->Keys[k], &loaded.Keys[k], sizeof(MacroKeyInfo)) != 0)
            keys += (keys.empty() ? "" : ", ") + std::to_string(k);
    if (!keys.empty())
        io.err << io.program << ": note: " << path << ": key entries " << keys
               << " hold bytes the JSON does not show (padding, bytes after a text's end, events past "
                  "EventCount); 'profile write' stores them as zero\n";
}

}  // namespace

int RunProfileShow(const CommandArgs& args, CommandIo& io) {
    const std::string& path = args.positional[0];
    const std::optional<std::string> text = ReadInput(io, path);
    if (!text) return kExitFailure;
    const auto profile = std::make_unique<ProfileRecord>();
    LoadProfile(*profile, IniFile(path, *text));
    const Json json = ProfileToJson(*profile);
    io.out << FormatJson(json) << '\n';
    NoteInexactRoundTrip(io, InputName(path), json, *profile);
    return kExitOk;
}

int RunProfileWrite(const CommandArgs& args, CommandIo& io) {
    const std::string& inPath = args.positional[0];
    const std::string& outPath = args.positional[1];
    int failureStatus = kExitOk;
    const std::optional<Json> json = ReadJsonInput(io, inPath, failureStatus);
    if (!json) return failureStatus;
    const std::string inName = InputName(inPath);
    const auto profile = std::make_unique<ProfileRecord>();
    if (const auto error = ProfileFromJson(*json, *profile))
        return ReportError(io, kExitUsage, inName + ": " + error->Describe());
    // Started empty, not from whatever lies at outPath: the new file holds
    // this profile and nothing else, byte for byte as SaveProfile writes it.
    IniFile file(outPath, "");
    SaveProfile(*profile, file);
    if (!file.Save()) return ReportError(io, kExitFailure, outPath + ": cannot write the file");
    return kExitOk;
}

}  // namespace kelm::ctl
