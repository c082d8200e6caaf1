// The macro library and the timer list: file formats, limits, damaged
// values, and the synchronisation of the library with the profiles.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>

#include "settings/Defaults.h"
#include "settings/IniFile.h"
#include "settings/MacroLibrary.h"
#include "settings/StructCodec.h"
#include "settings/Text.h"
#include "tests/support/SameBytes.h"
#include "tests/support/TempFolder.h"
#include "tests/support/TempProgramFolder.h"

namespace kelm {
namespace {

using test::ReadFile;
using test::WriteFile;

MacroEntry Macro(std::string_view name, int events, int option = 0, std::uint8_t firstKey = 4) {
    MacroEntry m;
    std::memset(&m, 0, sizeof m);
    CopyField(m.Name, name);
    m.MacroOption = option;
    m.EventCount = events;
    for (int i = 0; i < events; ++i)
        m.Events[i] = {static_cast<std::uint8_t>(firstKey + i / 2),
                       static_cast<std::uint8_t>(i % 2 == 0 ? kActionPress : kActionRelease),
                       static_cast<std::uint16_t>(10 * i)};
    return m;
}

std::string Encoded(const MacroEntry& m) { return EncodeStruct(&m, sizeof m); }

MacroKeyInfo KeyWithMacro(int index, std::string_view set, const MacroEntry& macro) {
    MacroKeyInfo e;
    DefaultKeyEntry(e, index);
    e.FunctionCode = kFnMacro;
    CopyField(e.MacroSetName, set);
    CopyField(e.MacroName, FieldText(macro.Name));
    e.MacroOption = macro.MacroOption;
    e.EventCount = static_cast<std::uint16_t>(macro.EventCount);
    std::memcpy(e.Events, macro.Events, sizeof e.Events);
    return e;
}

class MacroLibraryTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::memset(record.get(), 0, sizeof *record);
        DefaultSettings(*record);
    }
    test::TempProgramFolder folder;
    const StoreLocation& where = folder.Where();
    std::unique_ptr<SettingsRecord> record = std::make_unique<SettingsRecord>();
};

TEST_F(MacroLibraryTest, UntrimmedSetNameIsKeptAndItsSectionIsTrimmed) {
    MacroLibrary lib;
    lib.Sets.push_back({"Games", {Macro("Jump", 2)}});
    lib.Sets.push_back({" Work ", {Macro("Sign", 6, 3), Macro("Date", 4)}});
    ASSERT_TRUE(SaveMacroLibrary(lib, where));

    const IniFile file(where.MacroLibraryPath());
    EXPECT_EQ(file.ReadInt("SetMacro", "number", -1), 2);
    EXPECT_EQ(file.ReadString("SetMacro", "1", ""), " Work ");
    EXPECT_EQ(file.ListSections(), (std::vector<std::string>{"SetMacro", "Games", "Work"}));
    EXPECT_EQ(file.ReadInt("Work", "number", -1), 2);

    MacroLibrary back;
    LoadMacroLibrary(back, where);
    ASSERT_EQ(back.Sets.size(), 2u);
    EXPECT_EQ(back.Sets[1].Name, " Work ");
    ASSERT_EQ(back.Sets[1].Macros.size(), 2u);
    EXPECT_TRUE(test::SameBytes(back.Sets[1].Macros[0], lib.Sets[1].Macros[0]));
    EXPECT_TRUE(test::SameBytes(back.Sets[1].Macros[1], lib.Sets[1].Macros[1]));
    EXPECT_TRUE(test::SameBytes(back.Sets[0].Macros[0], lib.Sets[0].Macros[0]));
}

TEST_F(MacroLibraryTest, EmptyLibrarySavesTheCountOnly) {
    WriteFile(where.MacroLibraryPath(), "[SetMacro]\r\nnumber=1\r\n0=Old\r\n[Old]\r\nnumber=0\r\n");
    ASSERT_TRUE(SaveMacroLibrary(MacroLibrary{}, where));
    EXPECT_EQ(ReadFile(where.MacroLibraryPath()), "[SetMacro]\r\nnumber=0\r\n");
}

TEST_F(MacroLibraryTest, MissingFileGivesAnEmptyLibrary) {
    MacroLibrary lib;
    lib.Sets.push_back({"stale", {}});
    LoadMacroLibrary(lib, where);
    EXPECT_TRUE(lib.Sets.empty());
}

TEST_F(MacroLibraryTest, SetWithoutSectionStaysWithoutMacros) {
    WriteFile(where.MacroLibraryPath(),
              "[SetMacro]\r\nnumber=2\r\n0=A\r\n1=B\r\n[B]\r\nnumber=1\r\n0=" + Encoded(Macro("m", 2)) + "\r\n");
    MacroLibrary lib;
    LoadMacroLibrary(lib, where);
    ASSERT_EQ(lib.Sets.size(), 2u);
    EXPECT_TRUE(lib.Sets[0].Macros.empty());
    ASSERT_EQ(lib.Sets[1].Macros.size(), 1u);
    EXPECT_EQ(FieldText(lib.Sets[1].Macros[0].Name), "m");
}

TEST_F(MacroLibraryTest, DamagedMacroBecomesAZeroedRecordInItsPlace) {
    const MacroEntry good = Macro("good", 4);
    MacroEntry bad = Macro("bad", 2);
    bad.EventCount = 100000;
    std::memset(bad.Name, 'Z', sizeof bad.Name);
    std::string broken = Encoded(good);
    broken[10] = 'X';
    WriteFile(where.MacroLibraryPath(), "[SetMacro]\r\nnumber=1\r\n0=S\r\n[S]\r\nnumber=4\r\n0=" + broken +
                                            "\r\n1=" + Encoded(good) + "\r\n3=" + Encoded(bad) + "\r\n");
    MacroLibrary lib;
    LoadMacroLibrary(lib, where);
    ASSERT_EQ(lib.Sets.size(), 1u);
    ASSERT_EQ(lib.Sets[0].Macros.size(), 4u);
    MacroEntry zero;
    std::memset(&zero, 0, sizeof zero);
    EXPECT_TRUE(test::SameBytes(lib.Sets[0].Macros[0], zero));
    EXPECT_TRUE(test::SameBytes(lib.Sets[0].Macros[1], good));
    EXPECT_TRUE(test::SameBytes(lib.Sets[0].Macros[2], zero));  // missing key
    EXPECT_EQ(lib.Sets[0].Macros[3].EventCount, kMaxEvents);
    EXPECT_EQ(FieldText(lib.Sets[0].Macros[3].Name).size(), 51u);
}

TEST_F(MacroLibraryTest, CountsBeyondTheLimitsAreIgnored) {
    std::string text = "[SetMacro]\r\nnumber=150\r\n";
    for (int i = 0; i < 150; ++i) text += std::to_string(i) + "=Set" + std::to_string(i) + "\r\n";
    text += "[Set0]\r\nnumber=2147483647\r\n[Set1]\r\nnumber=-5\r\n";
    text += "[Set2]\r\nnumber=120\r\n0=" + Encoded(Macro("first", 2)) + "\r\n";
    WriteFile(where.MacroLibraryPath(), text);
    MacroLibrary lib;
    LoadMacroLibrary(lib, where);
    ASSERT_EQ(lib.Sets.size(), static_cast<std::size_t>(kMaxMacroSets));
    EXPECT_EQ(lib.Sets[99].Name, "Set99");
    EXPECT_EQ(lib.Sets[0].Macros.size(), static_cast<std::size_t>(kMaxMacrosPerSet));
    EXPECT_TRUE(lib.Sets[1].Macros.empty());
    ASSERT_EQ(lib.Sets[2].Macros.size(), static_cast<std::size_t>(kMaxMacrosPerSet));
    EXPECT_EQ(FieldText(lib.Sets[2].Macros[0].Name), "first");
}

TEST_F(MacroLibraryTest, OverLongSetNameIsCut) {
    WriteFile(where.MacroLibraryPath(), "[SetMacro]\r\nnumber=1\r\n0=" + std::string(500, 'L') + "\r\n");
    MacroLibrary lib;
    LoadMacroLibrary(lib, where);
    ASSERT_EQ(lib.Sets.size(), 1u);
    EXPECT_EQ(lib.Sets[0].Name, std::string(kMaxSetNameLength, 'L'));
}

TEST_F(MacroLibraryTest, SetNamesWithBracketsOrLineBreaksKeepTheirMacros) {
    MacroLibrary lib;
    lib.Sets.push_back({"Games [FPS]", {Macro("Strafe", 2)}});
    lib.Sets.push_back({"Two\nLines", {Macro("a", 2), Macro("b", 4)}});
    ASSERT_TRUE(SaveMacroLibrary(lib, where));
    MacroLibrary back;
    LoadMacroLibrary(back, where);
    ASSERT_EQ(back.Sets.size(), 2u);
    EXPECT_EQ(back.Sets[0].Macros.size(), 1u);
    EXPECT_EQ(back.Sets[1].Macros.size(), 2u);
}

TEST_F(MacroLibraryTest, SetWhoseSectionIsTakenCannotOverwriteAnotherSet) {
    // Sections are named by the trimmed set name without case, and the set
    // list itself lives in "SetMacro": these three sets would all write into
    // a section that already belongs to something else.
    MacroLibrary lib;
    lib.Sets.push_back({"Work", {Macro("Sign", 6, 3)}});
    lib.Sets.push_back({" WORK", {Macro("a", 2), Macro("b", 2), Macro("c", 2)}});
    lib.Sets.push_back({"setmacro", {Macro("x", 2), Macro("y", 2)}});
    lib.Sets.push_back({"Games", {Macro("Jump", 4)}});
    ASSERT_TRUE(SaveMacroLibrary(lib, where));
    MacroLibrary back;
    LoadMacroLibrary(back, where);
    ASSERT_EQ(back.Sets.size(), 4u);
    EXPECT_EQ(back.Sets[0].Name, "Work");
    EXPECT_EQ(back.Sets[1].Name, " WORK");
    EXPECT_EQ(back.Sets[2].Name, "setmacro");
    EXPECT_EQ(back.Sets[3].Name, "Games");
    ASSERT_EQ(back.Sets[0].Macros.size(), 1u);
    EXPECT_TRUE(test::SameBytes(back.Sets[0].Macros[0], lib.Sets[0].Macros[0]));
    EXPECT_TRUE(back.Sets[1].Macros.empty());
    EXPECT_TRUE(back.Sets[2].Macros.empty());
    ASSERT_EQ(back.Sets[3].Macros.size(), 1u);
    EXPECT_TRUE(test::SameBytes(back.Sets[3].Macros[0], lib.Sets[3].Macros[0]));
}

TEST_F(MacroLibraryTest, LookupIgnoresCaseAndBlanksAndComparesEventsOnly) {
    MacroLibrary lib;
    lib.Sets.push_back({"Other", {Macro("Sign", 2)}});
    lib.Sets.push_back({" Work ", {Macro("Date", 4), Macro("Sign", 6, 3)}});
    MacroKeyInfo key = KeyWithMacro(0, "work", Macro(" SIGN\t", 6, 99));
    MacroMatch m = FindMacroForKey(lib, key);
    EXPECT_EQ(m.SetIndex, 1);
    EXPECT_EQ(m.MacroIndex, 1);
    EXPECT_TRUE(m.Identical);  // the option is not compared

    key.Events[5].Delay = 1;
    EXPECT_FALSE(FindMacroForKey(lib, key).Identical);
    key = KeyWithMacro(0, "Work", Macro("Sign", 5));
    EXPECT_FALSE(FindMacroForKey(lib, key).Identical);

    m = FindMacroForKey(lib, KeyWithMacro(0, "Work", Macro("Nope", 1)));
    EXPECT_EQ(m.SetIndex, 1);
    EXPECT_EQ(m.MacroIndex, -1);
    m = FindMacroForKey(lib, KeyWithMacro(0, "None", Macro("Sign", 2)));
    EXPECT_EQ(m.SetIndex, -1);
    EXPECT_EQ(m.MacroIndex, -1);
    EXPECT_FALSE(m.Identical);
}

TEST_F(MacroLibraryTest, SyncMatchesSetNamesWithoutCaseAndCreatesNoSecondSet) {
    MacroLibrary lib;
    lib.Sets.push_back({"Work", {Macro("Sign", 2)}});
    record->Profiles[1].Keys[3] = KeyWithMacro(3, "WORK", Macro("Sign", 2));
    record->Profiles[2].Keys[4] = KeyWithMacro(4, "work", Macro("Fresh", 4, 2));
    SyncLibraryFromProfiles(lib, *record);
    ASSERT_EQ(lib.Sets.size(), 1u);
    ASSERT_EQ(lib.Sets[0].Macros.size(), 2u);
    EXPECT_TRUE(test::SameBytes(lib.Sets[0].Macros[1], Macro("Fresh", 4, 2)));
}

TEST_F(MacroLibraryTest, SyncReplacesDifferingEventsCountAndOption) {
    MacroLibrary lib;
    lib.Sets.push_back({"Work", {Macro("Sign", 10, 1, 20)}});
    const MacroEntry onKey = Macro("Sign", 4, 7, 30);
    record->Profiles[0].Keys[0] = KeyWithMacro(0, "Work", onKey);
    SyncLibraryFromProfiles(lib, *record);
    ASSERT_EQ(lib.Sets[0].Macros.size(), 1u);
    // Events past the new count are cleared, not left from the old macro.
    EXPECT_TRUE(test::SameBytes(lib.Sets[0].Macros[0], onKey));
}

TEST_F(MacroLibraryTest, SyncLeavesIdenticalMacrosAndSkipsOtherKeys) {
    MacroLibrary lib;
    lib.Sets.push_back({"Work", {Macro("Sign", 4, 1)}});
    record->Profiles[0].Keys[0] = KeyWithMacro(0, "Work", Macro("Sign", 4, 8));  // option differs only
    MacroKeyInfo notMacro = KeyWithMacro(1, "New", Macro("x", 2));
    notMacro.FunctionCode = kFnShortcut;
    record->Profiles[0].Keys[1] = notMacro;
    record->Profiles[0].Keys[2] = KeyWithMacro(2, "", Macro("NoSet", 2));
    record->Profiles[0].Keys[36] = KeyWithMacro(36, "F1Set", Macro("f", 2));  // cannot carry a macro
    SyncLibraryFromProfiles(lib, *record);
    ASSERT_EQ(lib.Sets.size(), 1u);
    EXPECT_TRUE(test::SameBytes(lib.Sets[0].Macros[0], Macro("Sign", 4, 1)));
}

TEST_F(MacroLibraryTest, SyncAddsUnknownSetsInProfileOrder) {
    MacroLibrary lib;
    record->Profiles[4].Keys[35] = KeyWithMacro(35, "Later", Macro("b", 2));
    record->Profiles[0].Keys[10] = KeyWithMacro(10, " First ", Macro("a", 2));
    MacroKeyInfo overfull = KeyWithMacro(11, " First ", Macro("c", 2));
    overfull.EventCount = 9999;
    record->Profiles[0].Keys[11] = overfull;
    SyncLibraryFromProfiles(lib, *record);
    ASSERT_EQ(lib.Sets.size(), 2u);
    EXPECT_EQ(lib.Sets[0].Name, " First ");
    EXPECT_EQ(lib.Sets[1].Name, "Later");
    ASSERT_EQ(lib.Sets[0].Macros.size(), 2u);
    EXPECT_EQ(lib.Sets[0].Macros[1].EventCount, kMaxEvents);
}

TEST_F(MacroLibraryTest, AddingStopsAtTheLimits) {
    MacroLibrary lib;
    for (int i = 0; i < kMaxMacroSets; ++i) lib.Sets.push_back({"S" + std::to_string(i), {}});
    const MacroKeyInfo key = KeyWithMacro(0, "New", Macro("m", 2));
    EXPECT_FALSE(AddMacroFromKey(lib, key, -1));
    EXPECT_EQ(lib.Sets.size(), static_cast<std::size_t>(kMaxMacroSets));
    lib.Sets[5].Macros.assign(kMaxMacrosPerSet, Macro("x", 1));
    EXPECT_FALSE(AddMacroFromKey(lib, key, 5));
    EXPECT_TRUE(AddMacroFromKey(lib, key, 6));
    EXPECT_EQ(FindMacro(lib, 6, 0)->EventCount, 2);
    EXPECT_EQ(FindMacro(lib, 6, 1), nullptr);
    EXPECT_EQ(FindMacro(lib, -1, 0), nullptr);
    EXPECT_EQ(FindSet(lib, kMaxMacroSets), nullptr);
    FreeMacroLibrary(lib);
    EXPECT_TRUE(lib.Sets.empty());
}

TimerRecord Timer(std::int32_t seconds, std::string_view name) {
    TimerRecord t;
    std::memset(&t, 0, sizeof t);
    t.TimerSeconds = seconds;
    CopyField(t.TimerName, name);
    return t;
}

TEST_F(MacroLibraryTest, TimersSaveCountAndNumberedKeys) {
    const TimerList timers = {Timer(60, "Tea"), Timer(300, "Pizza"), Timer(5, "Respawn")};
    ASSERT_TRUE(SaveTimers(timers, where));
    const std::string text = ReadFile(where.TimerPath());
    const IniFile file(where.TimerPath());
    EXPECT_EQ(file.ReadInt("Timer", "Count", -1), 3);
    EXPECT_EQ(text.substr(0, 18), "[Timer]\r\nCount=3\r\n");
    EXPECT_NE(text.find("\r\n0=3C000000546561"), std::string::npos);
    EXPECT_NE(text.find("\r\n2="), std::string::npos);
    EXPECT_FALSE(file.Lookup("Timer", "3"));
    TimerList back;
    LoadTimers(back, where);
    ASSERT_EQ(back.size(), 3u);
    for (std::size_t i = 0; i < 3; ++i) EXPECT_TRUE(test::SameBytes(back[i], timers[i]));
}

TEST_F(MacroLibraryTest, TimerLoadingSurvivesDamageAndBoundsTheCount) {
    TimerRecord longName;
    std::memset(&longName, 'T', sizeof longName);
    std::string text = "[Timer]\r\nCount=80\r\n0=00\r\n1=" + EncodeStruct(&longName, sizeof longName) + "\r\n";
    WriteFile(where.TimerPath(), text);
    TimerList timers = {Timer(1, "stale")};
    LoadTimers(timers, where);
    ASSERT_EQ(timers.size(), static_cast<std::size_t>(kMaxTimers));
    EXPECT_TRUE(test::SameBytes(timers[0], Timer(0, "")));
    EXPECT_EQ(FieldText(timers[1].TimerName).size(), 99u);
    EXPECT_TRUE(test::SameBytes(timers[49], Timer(0, "")));
    WriteFile(where.TimerPath(), "[Timer]\r\nCount=-3\r\n");
    LoadTimers(timers, where);
    EXPECT_TRUE(timers.empty());
}

TEST_F(MacroLibraryTest, TimerNamesAreFoundTrimmedAndWithoutCase) {
    const TimerList timers = {Timer(60, " Tea "), Timer(30, "Egg"), Timer(90, "tea")};
    EXPECT_EQ(FindTimerByName(timers, "TEA"), 0);
    EXPECT_EQ(FindTimerByName(timers, " egg\t"), 1);
    EXPECT_EQ(FindTimerByName(timers, "Coffee"), std::nullopt);
    EXPECT_EQ(FindTimerByName(timers, ""), std::nullopt);
    TimerList list = timers;
    EXPECT_EQ(FindTimer(list, 2)->TimerSeconds, 90);
    EXPECT_EQ(FindTimer(list, 3), nullptr);
    EXPECT_EQ(FindTimer(list, -1), nullptr);
}

TEST_F(MacroLibraryTest, CreateTimerTrimsRefusesDuplicatesAndSaves) {
    TimerList timers;
    EXPECT_TRUE(CreateTimer(timers, where, 60, "  Tea \t"));
    ASSERT_EQ(timers.size(), 1u);
    EXPECT_EQ(FieldText(timers[0].TimerName), "Tea");
    EXPECT_FALSE(CreateTimer(timers, where, 10, "TEA"));
    EXPECT_FALSE(CreateTimer(timers, where, 10, " \t "));
    EXPECT_TRUE(CreateTimer(timers, where, 10, "Egg"));
    TimerList back;
    LoadTimers(back, where);
    ASSERT_EQ(back.size(), 2u);
    EXPECT_EQ(FieldText(back[1].TimerName), "Egg");
    EXPECT_EQ(back[1].TimerSeconds, 10);
}

TEST_F(MacroLibraryTest, CreateTimerComparesTheNameAsStored) {
    TimerList timers;
    const std::string base(99, 'n');
    ASSERT_TRUE(CreateTimer(timers, where, 1, base + "first"));
    EXPECT_EQ(FieldText(timers[0].TimerName), base);
    // Cut to the same 99 characters, this would be a second timer of the same name.
    EXPECT_FALSE(CreateTimer(timers, where, 2, base + "second"));
    EXPECT_EQ(timers.size(), 1u);
}

TEST_F(MacroLibraryTest, CreateTimerStopsAtFifty) {
    TimerList timers;
    for (int i = 0; i < kMaxTimers; ++i) timers.push_back(Timer(i, "T" + std::to_string(i)));
    EXPECT_FALSE(CreateTimer(timers, where, 1, "One more"));
    EXPECT_EQ(timers.size(), static_cast<std::size_t>(kMaxTimers));
}

}  // namespace
}  // namespace kelm
