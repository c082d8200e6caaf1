// The macro manager without its widgets: set and macro commands at their
// limits, the name rule that keeps every set's macros in the file, the
// event list's menu, the timeline's conversion both ways, and what OK and
// Cancel leave in the file.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "settings/IniFile.h"
#include "settings/Text.h"
#include "setup/MacroManager.h"
#include "tests/support/TempProgramFolder.h"

namespace kelm::test {
namespace {

constexpr std::uint8_t P = kActionPress;
constexpr std::uint8_t R = kActionRelease;

using Events = std::vector<MacroEvent>;

std::string Show(const Events& events) {
    std::string text;
    for (const MacroEvent& e : events)
        text += std::to_string(e.KeyCode) +
                (e.Action == P   ? "v"
                 : e.Action == R ? "^"
                                 : "?") +
                std::to_string(e.Delay) + " ";
    return text;
}

MacroEntry NamedMacro(std::string_view name, const Events& events = {}) {
    MacroEntry macro;
    std::memset(&macro, 0, sizeof macro);
    CopyField(macro.Name, name);
    std::copy(events.begin(), events.end(), macro.Events);
    macro.EventCount = static_cast<std::int32_t>(events.size());
    return macro;
}

Events EventsIn(const MacroEntry& macro) { return Events(macro.Events, macro.Events + macro.EventCount); }

// One set "Work" with macro "Copy" holding events, selected.
MacroManager ManagerWith(const Events& events) {
    MacroLibrary library;
    library.Sets.push_back({"Work", {NamedMacro("Copy", events)}});
    MacroManager manager(std::move(library));
    manager.Start(0, MacroKeyInfo{});
    return manager;
}

TEST(MacroManager, SetCommandsKeepTheirLimits) {
    MacroManager manager{MacroLibrary{}};
    EXPECT_TRUE(manager.Start(-1, MacroKeyInfo{})) << "an empty library asks for a first set";
    EXPECT_EQ(manager.DeleteSet(), MacroError::NoSet);
    EXPECT_EQ(manager.RenameSet("Any"), MacroError::NoSet);
    for (int i = 0; i < kMaxMacroSets; ++i) ASSERT_EQ(manager.AddSet("Set " + std::to_string(i)), MacroError::None);
    EXPECT_EQ(manager.SelectedSet(), kMaxMacroSets - 1) << "a new set is selected";
    EXPECT_EQ(manager.AddSet("One more"), MacroError::Full);
    EXPECT_EQ(manager.Library().Sets.size(), std::size_t{kMaxMacroSets});
    // Renaming adds no set, so a full library may still rename.
    EXPECT_EQ(manager.RenameSet("Last"), MacroError::None);
    EXPECT_EQ(manager.Library().Sets.back().Name, "Last");

    ASSERT_EQ(manager.DeleteSet(), MacroError::None);
    EXPECT_EQ(manager.SelectedSet(), kMaxMacroSets - 2) << "past the end moves to the last set";
    ASSERT_EQ(manager.SelectSet(3), MacroError::None);
    ASSERT_EQ(manager.DeleteSet(), MacroError::None);
    EXPECT_EQ(manager.SelectedSet(), 3);
    EXPECT_EQ(FindSet(const_cast<MacroLibrary&>(manager.Library()), 3)->Name, "Set 4");
    EXPECT_EQ(manager.SelectSet(kMaxMacroSets), MacroError::NotAllowed);
    while (manager.DeleteSet() == MacroError::None) {
    }
    EXPECT_EQ(manager.SelectedSet(), -1);
    EXPECT_TRUE(manager.Library().Sets.empty());
}

TEST(MacroManager, ASetNameTheFileCannotKeepApartIsRefused) {
    struct Case {
        const char* name;
        MacroError added;
        MacroError renamedFromPlay;  // the set "Play" renamed to name
    };
    const Case cases[] = {
        {"Games", MacroError::None, MacroError::None},
        {"  Games\t", MacroError::None, MacroError::None},
        {"work", MacroError::DuplicateName, MacroError::DuplicateName},
        {" WORK ", MacroError::DuplicateName, MacroError::DuplicateName},
        {"play", MacroError::DuplicateName, MacroError::None},  // only its case changes
        {"SetMacro", MacroError::ReservedName, MacroError::ReservedName},
        {"\tsetmacro ", MacroError::ReservedName, MacroError::ReservedName},
        {"", MacroError::EmptyName, MacroError::EmptyName},
        {" \t ", MacroError::EmptyName, MacroError::EmptyName},
        {"Wo\nrk", MacroError::BadCharacter, MacroError::BadCharacter},
        {"123456789012345678901234", MacroError::None, MacroError::None},
        {"1234567890123456789012345", MacroError::NameTooLong, MacroError::NameTooLong},
    };
    MacroLibrary library;
    library.Sets.push_back({"Work", {NamedMacro("Copy")}});
    library.Sets.push_back({"Play", {NamedMacro("Jump")}});
    for (const Case& c : cases) {
        MacroManager adding(library);
        EXPECT_EQ(adding.AddSet(c.name), c.added) << '"' << c.name << '"';
        EXPECT_EQ(adding.Library().Sets.size(), c.added == MacroError::None ? 3u : 2u);
        if (c.added == MacroError::None) {
            EXPECT_EQ(adding.Library().Sets.back().Name, std::string(Trim(c.name)));
        }
        MacroManager renaming(library);
        renaming.Start(1, MacroKeyInfo{});
        EXPECT_EQ(renaming.RenameSet(c.name), c.renamedFromPlay) << '"' << c.name << '"';
        const std::string expected = c.renamedFromPlay == MacroError::None ? std::string(Trim(c.name)) : "Play";
        EXPECT_EQ(renaming.Library().Sets[1].Name, expected);
    }
}

TEST(MacroManager, EverySetTheManagerMakesKeepsItsMacrosInTheFile) {
    TempProgramFolder folder;
    MacroManager manager{MacroLibrary{}};
    const char* names[] = {"Work", " work", "WORK ", "SetMacro", "Play", "play "};
    for (const char* name : names) {
        if (manager.AddSet(name) == MacroError::None) {
            ASSERT_EQ(manager.FinishNewRow(name), MacroError::None);
        }
    }
    MacroLibrary saved;
    ASSERT_TRUE(AcceptMacroManager(std::move(manager), saved, folder.Where()));
    MacroLibrary loaded;
    LoadMacroLibrary(loaded, folder.Where());
    ASSERT_EQ(loaded.Sets.size(), 2u);
    for (const MacroSet& set : loaded.Sets) {
        ASSERT_EQ(set.Macros.size(), 1u) << set.Name;
        EXPECT_EQ(FieldText(set.Macros[0].Name), set.Name);
    }
}

TEST(MacroManager, MacroListCommandsAndInPlaceNames) {
    MacroManager manager = ManagerWith({});
    struct Case {
        std::optional<std::string_view> text;  // nullopt: Escape
        MacroError result;
        std::size_t macros;
    };
    const Case newRows[] = {
        {std::nullopt, MacroError::None, 1}, {"", MacroError::EmptyName, 1},
        {"  ", MacroError::EmptyName, 1},    {" COPY ", MacroError::DuplicateName, 1},
        {" Paste ", MacroError::None, 2},    {"123456789012345678901234567", MacroError::NameTooLong, 2},
    };
    for (const Case& c : newRows) {
        EXPECT_EQ(manager.FinishNewRow(c.text), c.result) << c.text.value_or("<Escape>");
        EXPECT_EQ(manager.MacroNames().size(), c.macros) << c.text.value_or("<Escape>");
    }
    EXPECT_EQ(manager.MacroNames().back(), "Paste") << "trimmed";
    EXPECT_EQ(manager.SelectedMacro(), 1) << "the new macro is selected";

    const Case renames[] = {
        {std::nullopt, MacroError::None, 0},
        {"", MacroError::EmptyName, 0},
        {"copy", MacroError::DuplicateName, 0},
        {"PASTE", MacroError::None, 0},
    };
    for (const Case& c : renames) EXPECT_EQ(manager.FinishRowEdit(1, c.text), c.result);
    EXPECT_EQ(manager.MacroNames(), (std::vector<std::string>{"Copy", "PASTE"}));
    EXPECT_EQ(manager.FinishRowEdit(2, "Other"), MacroError::NotAllowed);

    while (manager.MacroNames().size() < kMaxMacrosPerSet)
        ASSERT_EQ(manager.FinishNewRow("M" + std::to_string(manager.MacroNames().size())), MacroError::None);
    EXPECT_EQ(manager.NewMacro(), MacroError::Full);
    EXPECT_EQ(manager.FinishNewRow("Extra"), MacroError::Full);
    EXPECT_EQ(manager.MacroNames().size(), std::size_t{kMaxMacrosPerSet});

    ASSERT_EQ(manager.DeleteMacro(), MacroError::None);
    EXPECT_EQ(manager.SelectedMacro(), kMaxMacrosPerSet - 2) << "past the end moves to the last row";
    while (manager.DeleteMacro() == MacroError::None) {
    }
    EXPECT_EQ(manager.SelectedMacro(), -1);
    EXPECT_EQ(manager.DeleteMacro(), MacroError::NoMacro);
    EXPECT_EQ(manager.ListMenuAllowed(), MacroError::NoMacro);
}

TEST(MacroManager, StartSelectsTheKeysMacroElseTheStartSet) {
    MacroLibrary library;
    library.Sets.push_back({"Work", {NamedMacro("Copy"), NamedMacro("Paste")}});
    library.Sets.push_back({"Play", {NamedMacro("Jump"), NamedMacro("paste")}});
    MacroKeyInfo entry{};
    entry.FunctionCode = kFnMacro;
    CopyField(entry.MacroSetName, "work ");
    CopyField(entry.MacroName, "PASTE");
    struct Case {
        int startSet;
        std::uint8_t code;
        const char* setName;
        int set, macro;
    };
    const Case cases[] = {
        {1, kFnMacro, "work ", 0, 1},     // the key's macro wins over the start set
        {-1, kFnMacro, "work ", -1, -1},  // a new macro: nothing selected
        {1, kFnMacro, "Gone", 1, 1},      // set not found: the start set, the key's macro name in it
        {0, kFnStandard, "work ", 0, 0},  // no macro on the key: the first macro
        {7, kFnMacro, "Gone", -1, -1},
    };
    for (const Case& c : cases) {
        entry.FunctionCode = c.code;
        CopyField(entry.MacroSetName, c.setName);
        MacroManager manager(library);
        EXPECT_FALSE(manager.Start(c.startSet, entry));
        EXPECT_EQ(manager.SelectedSet(), c.set) << c.startSet << c.setName;
        EXPECT_EQ(manager.SelectedMacro(), c.macro) << c.startSet << c.setName;
    }
}

TEST(MacroManager, EventListMenuCommands) {
    const Events start{{4, P, 0}, {4, R, 20}, {5, P, 0}, {5, R, 0}};
    // Rows: 0 "4 Press", 1 "4 Release", 2 "20 ms", 3 "5 Press", 4 "5 Release".
    struct Case {
        int command, row;
        MacroError result;
        Events after;
    };
    const Case cases[] = {
        {kInsertDelayCommand, 0, MacroError::NotAllowed, start},  // first event
        {kInsertDelayCommand, 1, MacroError::None, {{4, P, 1}, {4, R, 20}, {5, P, 0}, {5, R, 0}}},
        {kInsertDelayCommand, 2, MacroError::NotAllowed, start},  // a delay row
        {kInsertDelayCommand, 3, MacroError::NotAllowed, start},  // the delay before is not 0
        {kInsertDelayCommand, 4, MacroError::None, {{4, P, 0}, {4, R, 20}, {5, P, 1}, {5, R, 0}}},
        {kEditDelayCommand, 2, MacroError::None, start},
        {kEditDelayCommand, 1, MacroError::NotAllowed, start},
        {kDeleteRowCommand, 2, MacroError::None, {{4, P, 0}, {4, R, 0}, {5, P, 0}, {5, R, 0}}},
        {kDeleteRowCommand, 1, MacroError::None, {{4, P, 0}, {5, P, 0}, {5, R, 0}}},
        {kDeleteRowCommand, 9, MacroError::NotAllowed, start},
        {1020, 3, MacroError::None, {{4, P, 0}, {4, R, 20}, {0xF0, P, 0}, {5, P, 0}, {5, R, 0}}},
        {1021, 2, MacroError::None, {{4, P, 0}, {0xF0, R, 0}, {4, R, 20}, {5, P, 0}, {5, R, 0}}},
        {1025, -1, MacroError::None, {{4, P, 0}, {4, R, 20}, {5, P, 0}, {5, R, 0}, {0xF1, P, 0}, {0xF1, R, 0}}},
        {1034, 0, MacroError::None, {{0xF4, P, 0}, {0xF4, R, 0}, {4, P, 0}, {4, R, 20}, {5, P, 0}, {5, R, 0}}},
        {1035, 0, MacroError::NotAllowed, start},
        {999, 0, MacroError::NotAllowed, start},
    };
    for (const Case& c : cases) {
        MacroManager manager = ManagerWith(start);
        EXPECT_EQ(manager.OnListMenuCommand(c.command, c.row), c.result) << c.command << " on row " << c.row;
        EXPECT_EQ(Show(EventsIn(*manager.Macro())), Show(c.after)) << c.command << " on row " << c.row;
    }

    MacroManager none{MacroLibrary{}};
    EXPECT_EQ(none.ListMenuAllowed(), MacroError::NoSet);
    EXPECT_EQ(none.OnListMenuCommand(1020, -1), MacroError::NoSet);
}

TEST(MacroManager, NothingIsAddedToAFullMacro) {
    MacroManager manager = ManagerWith(Events(kMaxEvents - 1, MacroEvent{4, P, 0}));
    EXPECT_EQ(manager.OnListMenuCommand(1022, -1), MacroError::Full) << "a click needs two places";
    EXPECT_EQ(manager.OnListMenuCommand(1020, -1), MacroError::None);
    EXPECT_EQ(manager.OnListMenuCommand(1021, -1), MacroError::Full);
    EXPECT_EQ(manager.StartRecording(), MacroError::Full);
    EXPECT_FALSE(manager.Recording());
    EXPECT_EQ(manager.Macro()->EventCount, kMaxEvents);
}

TEST(MacroManager, TypedDelaysAndRepeatCountsTakeTheirRanges) {
    struct Case {
        const char* text;
        int delay;
        int repeat;
    };
    const Case cases[] = {
        {"250", 250, 250},
        {"0", 1, 1},
        {"", 1, 1},
        {"-7", 1, 1},
        {"65534", 65534, 255},
        {"65535", 65535, 255},
        {"99999999999999999999", 65535, 255},
        {"256", 256, 255},
        {"300", 300, 255},
        {"12ab", 12, 12},
    };
    MacroManager manager = ManagerWith({{4, P, 5}, {4, R, 0}});
    manager.SetRepeatOn(true);
    for (const Case& c : cases) {
        ASSERT_EQ(manager.FinishDelayEdit(1, c.text), MacroError::None);
        EXPECT_EQ(manager.Macro()->Events[0].Delay, c.delay) << c.text;
        EXPECT_EQ(manager.FinishRepeatEdit(c.text), c.repeat) << c.text;
        EXPECT_EQ(manager.Macro()->MacroOption, c.repeat) << c.text;
    }
    EXPECT_EQ(manager.FinishDelayEdit(0, "5"), MacroError::NotAllowed) << "an event row has no delay";
}

TEST(MacroManager, TheRepeatSwitchComesBackAsItWasLeft) {
    struct Case {
        std::int32_t option;  // as found in the file
        bool on;
        int count;
    };
    const Case loaded[] = {{0, false, 1}, {1, false, 1}, {-3, false, 1}, {5, true, 5}, {900, true, 255}};
    for (const Case& c : loaded) {
        MacroLibrary library;
        library.Sets.push_back({"Work", {NamedMacro("Copy"), NamedMacro("Other")}});
        library.Sets[0].Macros[0].MacroOption = c.option;
        MacroManager manager(std::move(library));
        manager.Start(0, MacroKeyInfo{});
        EXPECT_EQ(manager.RepeatOn(), c.on) << c.option;
        EXPECT_EQ(manager.RepeatCount(), c.count) << c.option;

        manager.SetRepeatOn(true);
        manager.FinishRepeatEdit("7");
        manager.SetRepeatOn(false);
        EXPECT_EQ(manager.Macro()->MacroOption, 1) << "off plays once";
        manager.SelectMacro(1);
        manager.SelectMacro(0);
        EXPECT_FALSE(manager.RepeatOn()) << "switched off stays off";
        manager.SetRepeatOn(true);
        manager.FinishRepeatEdit("7");
        manager.SelectMacro(1);
        manager.SelectMacro(0);
        EXPECT_TRUE(manager.RepeatOn());
        EXPECT_EQ(manager.RepeatCount(), 7);
    }
}

TEST(MacroManager, RecordingWritesIntoTheSelectedMacroAndLocksTheRest) {
    constexpr std::uint16_t kKeyA = 30, kKeyB = 48;  // usages 4 and 5
    MacroManager manager = ManagerWith({{0xF0, P, 0}, {0xF0, R, 0}});
    manager.SetDelayCapture(true);
    ASSERT_EQ(manager.OnListMenuCommand(kRecordAfterCommand, 0), MacroError::None);
    EXPECT_EQ(manager.SelectSet(0), MacroError::Recording);
    EXPECT_EQ(manager.ListMenuAllowed(), MacroError::Recording);
    EXPECT_EQ(manager.FinishNewRow("New"), MacroError::Recording);
    EXPECT_EQ(manager.RecordKey(kKeyA, false, 1000), MacroRecorder::Result::Recorded);
    EXPECT_EQ(manager.RecordKey(kKeyA, false, 1030), MacroRecorder::Result::Ignored);
    EXPECT_EQ(manager.RecordKey(kKeyA, true, 1070), MacroRecorder::Result::Recorded);
    EXPECT_EQ(Show(EventsIn(*manager.Macro())), Show({{0xF0, P, 0}, {4, P, 70}, {4, R, 0}, {0xF0, R, 0}}));
    manager.StopRecording();
    EXPECT_EQ(manager.RecordKey(kKeyB, false, 2000), MacroRecorder::Result::Ignored);

    MacroManager full = ManagerWith(Events(kMaxEvents - 1, MacroEvent{6, P, 0}));
    ASSERT_EQ(full.StartRecording(), MacroError::None);
    EXPECT_EQ(full.RecordKey(kKeyB, false, 10), MacroRecorder::Result::Full);
    EXPECT_FALSE(full.Recording()) << "stops by itself";
    EXPECT_EQ(full.Macro()->Events[kMaxEvents - 1].KeyCode, 5);
}

// Paired lists of every shape the editors make: zero delays on one instant,
// nested and crossed strokes, one key pressed twice before its releases,
// mouse buttons, the longest delays and the fullest macro.
std::vector<Events> PairedLists() {
    std::vector<Events> lists = {
        {},
        {{4, P, 30}, {4, R, 0}},
        {{0xE1, P, 0}, {4, P, 0}, {4, R, 0}, {0xE1, R, 0}},  // Shift+a on one instant
        {{4, P, 0}, {5, P, 0}, {4, R, 0}, {5, R, 0}},
        {{4, P, 10}, {5, P, 10}, {5, R, 0}, {4, R, 0}},
        {{0xF0, P, 0}, {0xF0, P, 5}, {0xF0, R, 0}, {0xF0, R, 9}},
        {{4, P, 65535}, {4, R, 65535}, {5, P, 65535}, {5, R, 7}},  // longer than 16-bit times
        {{4, P, 0}, {4, R, 5}, {4, P, 0}, {4, R, 0}},
    };
    Events full;
    for (int i = 0; i < kMaxEvents / 2; ++i) {
        const auto key = static_cast<std::uint8_t>(4 + i % 7);
        full.push_back({key, P, static_cast<std::uint16_t>(i % 3)});
        full.push_back({key, R, static_cast<std::uint16_t>(i % 2 * 40)});
    }
    lists.push_back(full);
    return lists;
}

TEST(MacroTimeline, EveryPairedListComesBackUnchanged) {
    for (const Events& events : PairedLists()) {
        const MacroTimeline timeline = StrokesFromEvents(events);
        EXPECT_EQ(timeline.dropped, 0) << Show(events);
        EXPECT_EQ(timeline.strokes.size(), events.size() / 2);
        Events back = EventsFromStrokes(timeline.strokes);
        if (!back.empty()) back.back().Delay = events.back().Delay;  // the last delay is always 0
        EXPECT_EQ(Show(back), Show(events));
    }
}

TEST(MacroTimeline, StrokesSpanTheirPressToTheirReleaseInPressOrder) {
    const MacroTimeline timeline = StrokesFromEvents(Events{{4, P, 10}, {5, P, 10}, {5, R, 5}, {4, R, 0}});
    ASSERT_EQ(timeline.strokes.size(), 2u);
    EXPECT_EQ(timeline.strokes[0].key, 4);
    EXPECT_EQ(timeline.strokes[0].start, 0u);
    EXPECT_EQ(timeline.strokes[0].end, 25u);
    EXPECT_EQ(timeline.strokes[1].key, 5);
    EXPECT_EQ(timeline.strokes[1].start, 10u);
    EXPECT_EQ(timeline.strokes[1].end, 20u);
}

TEST(MacroTimeline, EventsThatCannotBeStrokesAreDroppedAndCounted) {
    struct Case {
        Events in;
        int dropped;
        Events out;
    };
    const Case cases[] = {
        {{{4, R, 10}, {5, P, 5}, {5, R, 0}}, 1, {{5, P, 5}, {5, R, 0}}},  // time of the dropped release kept
        {{{4, P, 3}, {5, P, 5}, {5, R, 0}}, 1, {{5, P, 5}, {5, R, 0}}},
        {{{4, 7, 3}, {4, 0, 3}, {4, P, 5}, {4, R, 0}}, 2, {{4, P, 5}, {4, R, 0}}},
        {{{4, R, 0}, {4, P, 0}}, 2, {}},
    };
    for (const Case& c : cases) {
        const MacroTimeline timeline = StrokesFromEvents(c.in);
        EXPECT_EQ(timeline.dropped, c.dropped) << Show(c.in);
        EXPECT_EQ(Show(EventsFromStrokes(timeline.strokes)), Show(c.out)) << Show(c.in);
    }
}

TEST(MacroTimeline, EditedStrokesWriteBackWithinTheFieldsLimits) {
    MacroTimeline timeline;
    ASSERT_TRUE(AddStroke(timeline, 4, 100, 50));  // an end before its start
    ASSERT_TRUE(AddStroke(timeline, 5, 0, 200000));
    EXPECT_EQ(Show(EventsFromStrokes(timeline.strokes)), Show({{5, P, 100}, {4, P, 0}, {4, R, 65535}, {5, R, 0}}));
    while (AddStroke(timeline, 6, 0, 1)) {
    }
    EXPECT_EQ(timeline.strokes.size(), std::size_t{kMaxStrokes});
    timeline.strokes.push_back({7, 0, 1, 0, 0});
    EXPECT_EQ(EventsFromStrokes(timeline.strokes).size(), std::size_t{kMaxEvents});
}

TEST(MacroManager, TheTimelineIsWrittenBackWhenLeftAndOnOk) {
    TempProgramFolder folder;
    MacroManager manager = ManagerWith({{4, R, 0}, {5, P, 8}, {5, R, 0}});
    EXPECT_EQ(manager.Timeline(), nullptr);
    ASSERT_EQ(manager.SwitchEditor(), MacroError::None);
    ASSERT_NE(manager.Timeline(), nullptr);
    EXPECT_EQ(manager.Timeline()->dropped, 1);
    EXPECT_EQ(manager.StartRecording(), MacroError::NotAllowed);
    EXPECT_EQ(manager.OnListMenuCommand(1020, -1), MacroError::NotAllowed);
    ASSERT_EQ(manager.SwitchEditor(), MacroError::None);
    EXPECT_EQ(Show(EventsIn(*manager.Macro())), Show({{5, P, 8}, {5, R, 0}})) << "the lone release is gone";

    ASSERT_EQ(manager.SwitchEditor(), MacroError::None);
    ASSERT_TRUE(AddStroke(*manager.Timeline(), 6, 20, 30));
    MacroLibrary library;
    ASSERT_TRUE(AcceptMacroManager(std::move(manager), library, folder.Where()));
    EXPECT_EQ(Show(EventsIn(library.Sets[0].Macros[0])), Show({{5, P, 8}, {5, R, 12}, {6, P, 10}, {6, R, 0}}));
}

TEST(MacroManager, OkSavesTheDialogsLibraryAndCancelBringsBackTheFile) {
    TempProgramFolder folder;
    MacroLibrary library;
    library.Sets.push_back({"Work", {NamedMacro("Copy", {{4, P, 0}, {4, R, 0}})}});
    ASSERT_TRUE(SaveMacroLibrary(library, folder.Where()));
    const auto edit = [&] {
        MacroManager manager(library);
        manager.Start(0, MacroKeyInfo{});
        EXPECT_EQ(manager.OnListMenuCommand(kDeleteRowCommand, 0), MacroError::None);
        EXPECT_EQ(manager.AddSet("Play"), MacroError::None);
        EXPECT_EQ(library.Sets.size(), 1u) << "the dialog works on its own copy";
        return manager;
    };

    MacroManager cancelled = edit();
    CancelMacroManager(library, folder.Where());
    ASSERT_EQ(library.Sets.size(), 1u);
    EXPECT_EQ(library.Sets[0].Macros[0].EventCount, 2);

    ASSERT_TRUE(AcceptMacroManager(edit(), library, folder.Where()));
    MacroLibrary reloaded;
    LoadMacroLibrary(reloaded, folder.Where());
    for (const MacroLibrary* l : {&library, &reloaded}) {
        ASSERT_EQ(l->Sets.size(), 2u);
        EXPECT_EQ(l->Sets[1].Name, "Play");
        EXPECT_EQ(Show(EventsIn(l->Sets[0].Macros[0])), Show({{4, R, 0}}));
    }
    EXPECT_EQ(IniFile(folder.Where().MacroLibraryPath()).ReadInt("SetMacro", "number", -1), 2);
}

}  // namespace
}  // namespace kelm::test
