// KelmSetup's windows and pages as the picture program draws them. The
// controls come from the same layout tables the windows are built from, so
// a control moved in a table moves in its pictures too.
#include <QPainter>

#include "setup/AdvancedSettings.h"
#include "setup/KeyPageLayout.h"
#include "setup/KeyboardPicture.h"
#include "setup/MainLayout.h"
#include "setup/art/ArtParts.h"
#include "skin/Layout.h"

namespace kelm::art {

namespace {

QRect PageArea() { return skin::ParseLayout(kPageLayout).Rect(); }
QSize PageSize() { return PageArea().size(); }

ArtWindow MainWindow() {
    ArtWindow w{"Main", {kMainWidth, kMainHeight}, {}, {}, true};
    w.background = [](QPainter& p) {
        // The brand mark where the mouse picture would be, and a rule under
        // the title bar.
        p.setPen(QPen(QColor(0x35, 0xA0, 0xDE), 2));
        p.drawLine(QPointF(16, 30), QPointF(40, 30));
        DrawKeyboardBand(p, QRect(420, 30, 360, 40));
        p.setPen(QPen(QColor(0x1F, 0x2A, 0x35), 1));
        p.drawLine(QPointF(12, 113.5), QPointF(kMainWidth - 12, 113.5));
        DrawPanel(p, PageArea());
        // The profile band under the page: slots and their names.
        DrawPanel(p, QRect(4, 444, kMainWidth - 8, 98));
        // The status line with the help text.
        p.setPen(QPen(QColor(0x1F, 0x2A, 0x35), 1));
        p.drawLine(QPointF(12, 556.5), QPointF(kMainWidth - 12, 556.5));
    };
    for (const auto layout : kTabLayouts) w.controls.push_back({layout, ControlKind::Tab});
    for (const auto layout : {kCreateLayout, kLoadLayout, kSaveLayout, kEditLayout, kOkLayout, kApplyLayout,
                              kCancelLayout, kLanguageLayout})
        w.controls.push_back({layout, ControlKind::Button});
    for (const auto layout : kSlotLayouts) w.controls.push_back({layout, ControlKind::Button});
    for (const auto layout : kMarkerLayouts) w.controls.push_back({layout, ControlKind::Marker});
    for (const auto layout : kSlotNameLayouts) w.controls.push_back({layout, ControlKind::Field});
    w.controls.push_back({kMinLayout, ControlKind::Minimize});
    w.controls.push_back({kExitLayout, ControlKind::Close});
    return w;
}

// A key-assignment page: its fields in a section at the left, the keyboard
// with the page's keys at the right, and the Macro Manager button; a field
// drops down its key's menu, and its disabled look is the one of a key the
// DuoLayer pair rule switched off.
ArtWindow KeyPage(const QString& name, KeyPageKind kind, std::span<const std::string_view> assigned) {
    ArtWindow w{name, PageSize(), {}, {}, false};
    w.background = [assigned](QPainter& p) {
        DrawPanel(p, QRect(QPoint(0, 0), PageSize()));
        DrawSection(p, QRect(6, 6, 368, 300));
        DrawKeyboard(p, assigned);
    };
    for (const auto layout : KeyPageSlotLayouts(kind)) w.controls.push_back({layout, ControlKind::Dropdown});
    if (kind == KeyPageKind::MediaF) w.controls.push_back({kSelectPlayerLayout, ControlKind::Dropdown});
    w.controls.push_back({kMacroManagerLayout, ControlKind::Button});
    return w;
}

ArtWindow AdvancedPage() {
    ArtWindow w{"Advanced", PageSize(), {}, {}, false};
    w.background = [](QPainter& p) {
        DrawPanel(p, QRect(QPoint(0, 0), PageSize()));
        DrawSection(p, QRect(6, 6, 336, 178));      // key repeat and its test field
        DrawSection(p, QRect(396, 6, 372, 152));    // illumination
        DrawSection(p, QRect(6, 192, 336, 114));    // switchable keys
        DrawSection(p, QRect(396, 166, 372, 140));  // sound feedback and reset
        for (const AdvancedSlider& slider : kAdvancedSliders) DrawTrack(p, slider.layout);
    };
    for (const AdvancedSwitch& control : kAdvancedSwitches) w.controls.push_back({control.layout, ControlKind::Switch});
    w.controls.push_back({kDimmerLayout, ControlKind::Dropdown});
    w.controls.push_back({kTimeOutLayout, ControlKind::Dropdown});
    w.controls.push_back({kResetLayout, ControlKind::Button});
    w.controls.push_back({kTestRepeatLayout, ControlKind::Field});
    return w;
}

ArtWindow UpdatePage() {
    ArtWindow w{"Update", PageSize(), {}, {}, false};
    w.background = [](QPainter& p) {
        DrawPanel(p, QRect(QPoint(0, 0), PageSize()));
        DrawSection(p, QRect(6, 6, 762, 140));    // versions and the driver pages
        DrawSection(p, QRect(6, 160, 762, 146));  // support
    };
    for (const auto layout : kUpdateButtonLayouts) w.controls.push_back({layout, ControlKind::Button});
    return w;
}

ArtWindow WindowsProfileDialog() {
    ArtWindow w{"Confirm", {304, 236}, {}, {}, true};
    for (const auto layout : kWindowsProfileDialogLayouts)
        w.controls.push_back({layout, layout.starts_with("BUTTON_EXIT") ? ControlKind::Close : ControlKind::Button});
    return w;
}

ArtWindow ProfileDialog() {
    ArtWindow w{"Profile", {520, 346}, {}, {}, true};
    w.background = [](QPainter& p) { DrawPanel(p, QRect(14, 40, 492, 260)); };
    w.controls.push_back({kProfileNameLayout, ControlKind::Field});
    for (const auto layout : kGameFileLayouts) w.controls.push_back({layout, ControlKind::Field});
    for (const auto layout : kBrowseLayouts) w.controls.push_back({layout, ControlKind::Button});
    for (const auto layout : kProfileDialogButtonLayouts)
        w.controls.push_back({layout, layout.starts_with("BUTTON_Exit") ? ControlKind::Close : ControlKind::Button});
    return w;
}

ArtWindow LanguageChooser() {
    ArtWindow w{"Languages", {99, 292}, {}, {}, true};
    for (const auto layout : kLanguageEntryLayouts) w.controls.push_back({layout, ControlKind::Entry});
    return w;
}

}  // namespace

std::vector<ArtWindow> MainWindows() {
    return {MainWindow(),
            KeyPage("MacroKeys", KeyPageKind::MacroKeys, MacroKeysPageKeys()),
            KeyPage("HotGrid", KeyPageKind::HotGrid, HotGridPageKeys()),
            KeyPage("MediaF", KeyPageKind::MediaF, MediaFPageKeys()),
            AdvancedPage(),
            UpdatePage(),
            WindowsProfileDialog(),
            ProfileDialog(),
            LanguageChooser()};
}

std::vector<ArtWindow> SetupWindows() {
    std::vector<ArtWindow> windows;
    for (auto group : {MainWindows, KeyDialogWindows, MacroManagerWindows}) {
        std::vector<ArtWindow> more = group();
        windows.insert(windows.end(), std::make_move_iterator(more.begin()), std::make_move_iterator(more.end()));
    }
    return windows;
}

}  // namespace kelm::art
