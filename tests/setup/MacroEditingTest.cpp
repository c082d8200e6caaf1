// The macro manager's menus as data and the timeline editor's editing
// without its widget: which bar part a point meets, how far a drag may
// take a stroke, and that every edit writes back as events the macro can
// hold.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "settings/Text.h"
#include "setup/MacroManager.h"
#include "setup/MacroMenus.h"
#include "setup/MacroTimelineEdit.h"
#include "tests/setup/MenuOutline.h"

namespace kelm::test {
namespace {

MacroKeyInfo KeyWithMacro(const char* set, const char* macro) {
    MacroKeyInfo entry{};
    entry.FunctionCode = kFnMacro;
    CopyField(entry.MacroSetName, set);
    CopyField(entry.MacroName, macro);
    return entry;
}

TEST(MacroMenus, TheSetMenuListsTheSetsChecksTheKeysSetAndSetsThePresetsApart) {
    constexpr const char* kCommands = "[+]Add Macro Set=2998|[x]Delete Macro Set=2999|[R]Rename Macro Set=3000";
    const struct {
        std::vector<std::string> sets;
        MacroKeyInfo entry;
        std::string outline;
    } cases[] = {
        {{}, {}, kCommands},
        {{"World of Warcraft", "Xfire", "Racing"},
         KeyWithMacro(" racing ", "Any"),
         std::string("World of Warcraft=2000|-|Xfire=2001|-|Racing=2002*|-|") + kCommands},
        // The last set needs no separator of its own before the commands'.
        {{"Racing", "xfire"}, KeyWithMacro("Racing", "Any"), std::string("Racing=2000*|xfire=2001|-|") + kCommands},
        // Only a key that holds a macro checks its set.
        {{"Racing"},
         [] {
             MacroKeyInfo entry = KeyWithMacro("Racing", "Any");
             entry.FunctionCode = kFnStandard;
             return entry;
         }(),
         std::string("Racing=2000|-|") + kCommands},
    };
    for (const auto& c : cases) {
        MacroLibrary library;
        for (const std::string& name : c.sets) library.Sets.push_back({name, {}});
        const MenuSpec menu = MacroSetMenu(library, c.entry);
        EXPECT_EQ(Outline(menu, Submenus::Nested), c.outline);
        EXPECT_EQ(menu.width, 176);
    }
}

TEST(MacroMenus, TheEventListMenuMapsEachMouseButtonToItsThreeCommands) {
    const MenuSpec menu = EventListMenu();
    EXPECT_EQ(menu.width, 140);
    EXPECT_EQ(Outline(menu, Submenus::Nested),
              "Start Record before=1001|Start Record after=1002|Insert Delay=1003|Insert Mouse Event>100("
              "Left Button>40(Down=1020|Up=1021|Click=1022)|Right Button>40(Down=1023|Up=1024|Click=1025)|"
              "Wheel>40(Down=1026|Up=1027|Click=1028))|Edit Delay=1004|Delete=1005");
    // Each mouse command adds its button's events through the manager.
    MacroLibrary library;
    library.Sets.push_back({"Set", {}});
    MacroManager manager(std::move(library));
    manager.Start(0, {});
    ASSERT_EQ(manager.FinishNewRow("Clicks"), MacroError::None);
    for (const int command : {1022, 1025, 1028}) ASSERT_EQ(manager.OnListMenuCommand(command, -1), MacroError::None);
    const MacroEntry& macro = *manager.Macro();
    ASSERT_EQ(macro.EventCount, 6);
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(macro.Events[i].KeyCode, 0xF0 + i / 2) << i;
        EXPECT_EQ(macro.Events[i].Action, i % 2 == 0 ? kActionPress : kActionRelease) << i;
    }
}

TEST(TimelineAxis, ZoomStepsTicksAndFitting) {
    TimelineAxis axis;
    EXPECT_EQ(axis.PixelsPerSecond(), 100);
    EXPECT_EQ(axis.XOf(1500), 150);
    EXPECT_EQ(axis.TimeAt(150), 1500);
    while (axis.ZoomOut()) {
    }
    EXPECT_EQ(axis.Step(), 0);
    while (axis.ZoomIn()) {
    }
    EXPECT_EQ(axis.Step(), static_cast<int>(kTimelineZoomSteps.size()) - 1);
    // Ticks are never closer than a label needs, however far zoomed.
    for (int step = 0; step < static_cast<int>(kTimelineZoomSteps.size()); ++step) {
        while (axis.Step() > step) axis.ZoomOut();
        EXPECT_GE(axis.XOf(axis.TickStep()), 60) << step;
    }
    // The widest step at which the macro still fits.
    axis.Fit(4000, 300);
    EXPECT_EQ(axis.PixelsPerSecond(), 50);
    axis.Fit(65535 * 10, 300);
    EXPECT_EQ(axis.Step(), 0);
    axis.Fit(0, 300);
    EXPECT_EQ(axis.Step(), static_cast<int>(kTimelineZoomSteps.size()) - 1);
}

MacroTimeline Strokes(std::vector<MacroStroke> strokes) {
    for (std::size_t i = 0; i < strokes.size(); ++i) {
        strokes[i].pressOrder = static_cast<std::uint32_t>(2 * i);
        strokes[i].releaseOrder = static_cast<std::uint32_t>(2 * i + 1);
    }
    return {std::move(strokes), 0};
}

TEST(TimelineEdit, APointMeetsABarsEndsOrItsBody) {
    // At 100 pixels per second, rows 10 pixels high: a wide bar at x 100..200
    // and a narrow one at x 300..305.
    const MacroTimeline timeline = Strokes({{0x04, 1000, 2000}, {0x05, 3000, 3050}});
    const TimelineAxis axis;
    const struct {
        std::int64_t x, y;
        StrokeHit hit;
    } cases[] = {
        {95, 5, {}},
        {96, 5, {0, StrokePart::Start}},
        {103, 5, {0, StrokePart::Start}},
        {150, 5, {0, StrokePart::Body}},
        {197, 9, {0, StrokePart::End}},
        {204, 0, {0, StrokePart::End}},
        {205, 5, {}},
        {150, 15, {}},  // the row of the narrow bar, nowhere near it
        {298, 15, {1, StrokePart::Start}},
        {302, 15, {1, StrokePart::Body}},
        {307, 15, {1, StrokePart::End}},
        {302, 25, {}},
        {150, -1, {}},
    };
    for (const auto& c : cases) EXPECT_EQ(HitStroke(timeline, axis, 10, c.x, c.y), c.hit) << c.x << "," << c.y;
}

TEST(TimelineEdit, DragsKeepEachStrokeWhereTheEventsCanHoldIt) {
    // The other stroke ends at 3000: nothing may reach past 3000 + 65535.
    constexpr std::uint32_t kLimit = 3000 + 65535;
    const struct {
        StrokePart part;
        std::int64_t delta;
        std::uint32_t start, end;
    } cases[] = {
        {StrokePart::Body, 250, 1250, 1750},
        {StrokePart::Body, -5000, 0, 500},
        {StrokePart::Body, 900000, kLimit - 500, kLimit},
        {StrokePart::Start, -300, 700, 1500},
        {StrokePart::Start, 800, 1500, 1500},
        {StrokePart::End, 400, 1000, 1900},
        {StrokePart::End, -900, 1000, 1000},
        {StrokePart::End, 900000, 1000, kLimit},
        {StrokePart::None, 400, 1000, 1500},
    };
    for (const auto& c : cases) {
        MacroTimeline timeline = Strokes({{0x04, 1000, 1500}, {0x05, 2000, 3000}});
        const MacroStroke original = timeline.strokes[0];
        DragStroke(timeline, 0, original, c.part, c.delta);
        EXPECT_EQ(timeline.strokes[0].start, c.start) << static_cast<int>(c.part) << " by " << c.delta;
        EXPECT_EQ(timeline.strokes[0].end, c.end) << static_cast<int>(c.part) << " by " << c.delta;
        // What was dragged writes back as it shows: no gap is cut.
        const std::vector<MacroEvent> events = EventsFromStrokes(timeline.strokes);
        std::uint32_t length = 0;
        for (const MacroEvent& e : events) length += e.Delay;
        EXPECT_EQ(length, std::max({c.end, 3000u}) - std::min(c.start, 2000u));
    }
    MacroTimeline timeline = Strokes({{0x04, 1000, 1500}});
    DragStroke(timeline, 5, timeline.strokes[0], StrokePart::Body, 100);
    EXPECT_EQ(timeline.strokes[0].start, 1000u) << "a drag of no stroke changes nothing";
}

TEST(TimelineEdit, StrokesAreAddedAfterTheLastAndRemovedUntilFull) {
    MacroTimeline timeline;
    ASSERT_TRUE(AddStrokeAtEnd(timeline, 0x04));
    EXPECT_EQ(timeline.strokes[0].start, 0u) << "an empty macro starts at once";
    timeline.strokes[0].end = 700;
    ASSERT_TRUE(AddStrokeAtEnd(timeline, 0x04));
    EXPECT_EQ(timeline.strokes[1].start, 700 + kNewStrokeGap);
    EXPECT_EQ(timeline.strokes[1].end, 700 + kNewStrokeGap + kNewStrokeLength);
    EXPECT_FALSE(RemoveStroke(timeline, 2));
    EXPECT_FALSE(RemoveStroke(timeline, -1));
    ASSERT_TRUE(RemoveStroke(timeline, 0));
    EXPECT_EQ(timeline.strokes.size(), 1u);
    while (AddStrokeAtEnd(timeline, 0x05)) {
    }
    EXPECT_EQ(timeline.strokes.size(), static_cast<std::size_t>(kMaxStrokes));
    EXPECT_EQ(EventsFromStrokes(timeline.strokes).size(), static_cast<std::size_t>(kMaxEvents));
}

}  // namespace
}  // namespace kelm::test
