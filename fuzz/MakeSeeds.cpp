// Writes the seed inputs of the fuzz targets with the suite's own code, so
// that the seeds are real files, reports and frames:
// make_fuzz_seeds <fuzz/seeds folder>.
// Run it again when a file format changes and commit what it writes.
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>

#include "fuzz/BoundarySeeds.h"
#include "platform/FileIo.h"
#include "settings/ConfigFile.h"
#include "settings/Defaults.h"
#include "settings/IniFile.h"
#include "settings/MacroLibrary.h"
#include "settings/ProfileFile.h"
#include "settings/StructCodec.h"
#include "settings/Text.h"

namespace {

using namespace kelm;

void FillMacro(MacroEvent* events, int count, std::uint8_t key) {
    for (int i = 0; i < count; ++i) {
        events[i].KeyCode = static_cast<std::uint8_t>(key + i / 2);
        events[i].Action = i % 2 == 0 ? kActionPress : kActionRelease;
        events[i].Delay = static_cast<std::uint16_t>(10 * i);
    }
}

bool WriteProfiles(const std::string& folder) {
    auto profile = std::make_unique<ProfileRecord>();
    DefaultProfile(*profile, 0);
    CopyField(profile->ProFileName, "Race night");
    CopyField(profile->GameFile0, "/usr/games/racer");
    MacroKeyInfo& m1 = profile->Keys[0];
    m1.FunctionCode = kFnMacro;
    CopyField(m1.MacroSetName, "Work");
    CopyField(m1.MacroName, "Greeting");
    m1.EventCount = 6;
    FillMacro(m1.Events, m1.EventCount, 0x04);
    MacroKeyInfo& t1 = profile->Keys[30];
    t1.FunctionCode = kFnTimer;
    t1.TimerSeconds = 90;
    CopyField(t1.TimerName, "Tea");
    bool ok = SaveProfile(*profile, folder + "profile/Race.vkp");

    // A hand-trimmed file: a few scalars and one key entry, the rest missing.
    IniFile partial(folder + "profile/partial.vkp");
    partial.Clear();
    partial.WriteString("Setting", "ProFileName", "Partial");
    partial.WriteInt("Setting", "KBDelay", 2);
    partial.WriteInt("Setting", "LtTimeout", 30);
    partial.WriteStruct("Setting", "MacroKeyInfo0", &m1, sizeof m1);
    return partial.Save() && ok;
}

bool WriteLibrary(const std::string& folder) {
    MacroLibrary library;
    library.Sets.push_back({"Games", {}});
    library.Sets.push_back({" Work ", {}});
    for (MacroSet& set : library.Sets) {
        MacroEntry macro;
        std::memset(&macro, 0, sizeof macro);
        CopyField(macro.Name, set.Name + " macro");
        macro.EventCount = 4;
        FillMacro(macro.Events, macro.EventCount, 0x10);
        set.Macros.push_back(macro);
    }
    TimerList timers;
    for (const auto& [seconds, name] : {std::pair{60, "Egg"}, std::pair{300, "Tea"}, std::pair{1800, "Break"}}) {
        TimerRecord timer;
        std::memset(&timer, 0, sizeof timer);
        timer.TimerSeconds = seconds;
        CopyField(timer.TimerName, name);
        timers.push_back(timer);
    }
    // The library and timer code write below a program folder's config/.
    const std::string program = folder + ".program";
    const StoreLocation where = StoreLocation::ForProgramFolder(program);
    const bool saved = SaveMacroLibrary(library, where) && SaveTimers(timers, where);
    std::error_code error;
    if (saved) {
        std::filesystem::rename(where.MacroLibraryPath(), folder + "macros/Preset_sequence.dat", error);
        if (!error) std::filesystem::rename(where.TimerPath(), folder + "timers/Timer.ini", error);
    }
    std::error_code ignored;
    std::filesystem::remove_all(program, ignored);
    return saved && !error;
}

bool WriteIniAndStructs(const std::string& folder) {
    IniFile config(folder + "ini/config.ini");
    config.Clear();
    config.WriteInt("Setting", "CurrentProfile", 2);
    config.WriteInt("Setting", "QuickHelpLan", -1);
    config.WriteInt("Setting", "FWVersion", 115);
    const SyncStamp stamp = MakeSyncStamp(1700000000);
    config.WriteStruct("HidAccessCode", "Code", stamp.data(), stamp.size());
    config.WriteString("Profile3", "FileName", "Race");
    OsdSetting osd;
    DefaultOsdSetting(osd);
    config.WriteStruct("OSDSetting", "config", &osd, sizeof osd);
    // Files edited by hand: comments, blanks, odd case, duplicates, a
    // header without its bracket and no line break at the end.
    const bool ok = config.Save() &&
                    ReplaceFileAtomically(folder + "ini/edited.ini",
                                          "; settings\n[ Setting ]\n  KBDelay = 3 \nkbdelay=9\n\n[setting]\nX=1\n"
                                          "[Broken\nkey without value\n=empty key\n[Timer]\r\nCount=2") &&
                    ReplaceFileAtomically(folder + "struct/stamp.txt", EncodeStruct(stamp.data(), stamp.size()));
    TimerRecord timer;
    std::memset(&timer, 0, sizeof timer);
    timer.TimerSeconds = 45;
    CopyField(timer.TimerName, "Plank");
    std::string lower = EncodeStruct(&timer, sizeof timer);
    for (char& c : lower) c = static_cast<char>(c >= 'A' && c <= 'F' ? c - 'A' + 'a' : c);
    return ok && ReplaceFileAtomically(folder + "struct/timer-lower-case.txt", lower);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <seeds folder>\n", argv[0]);
        return 2;
    }
    const std::string folder = WithTrailingSlash(argv[1]);
    for (const char* target : {"ini", "struct", "profile", "macros", "timers"}) MakeFolders(folder + target);
    if (!WriteProfiles(folder) || !WriteLibrary(folder) || !WriteIniAndStructs(folder) ||
        !kelm::fuzz::WriteBoundarySeeds(folder)) {
        std::fprintf(stderr, "%s: could not write the seeds below %s\n", argv[0], folder.c_str());
        return 1;
    }
    return 0;
}
