// The dialogs the key-assignment pages open, as the picture program draws
// them: the shortcut, quick-launch, create-timer and edit/delete-timer
// dialogs, placed from the tables their windows are built from.
#include <QPainter>

#include "setup/KeyDialogLayout.h"
#include "setup/art/ArtParts.h"

namespace kelm::art {

namespace {

// OK and Cancel are buttons, the last of the three the title bar's close.
void AddEndButtons(ArtWindow& w, const std::array<std::string_view, 3>& layouts) {
    w.controls.push_back({layouts[0], ControlKind::Button});
    w.controls.push_back({layouts[1], ControlKind::Button});
    w.controls.push_back({layouts[2], ControlKind::Close});
}

ArtWindow ShortcutDialog() {
    ArtWindow w{"Shortcut", {kShortcutDialogWidth, kShortcutDialogHeight}, {}, {}, true};
    w.background = [](QPainter& p) { DrawPanel(p, QRect(10, 34, kShortcutDialogWidth - 20, 118)); };
    w.controls.push_back({kShortcutKeyLayout, ControlKind::Field});
    for (const auto layout : kShortcutBoxLayouts) w.controls.push_back({layout, ControlKind::Switch});
    AddEndButtons(w, kShortcutEndLayouts);
    return w;
}

ArtWindow QuickLaunchDialog() {
    ArtWindow w{"QuickLaunch", {kQuickLaunchDialogWidth, kQuickLaunchDialogHeight}, {}, {}, true};
    w.background = [](QPainter& p) { DrawPanel(p, QRect(14, 40, kQuickLaunchDialogWidth - 28, 150)); };
    w.controls.push_back({kQuickLaunchPathLayout, ControlKind::Field});
    w.controls.push_back({kQuickLaunchBrowseLayout, ControlKind::Button});
    AddEndButtons(w, kQuickLaunchEndLayouts);
    return w;
}

// The timer dialogs share their size and panel.
ArtWindow TimerDialog(const QString& name) {
    ArtWindow w{name, {kTimerDialogWidth, kTimerDialogHeight}, {}, {}, true};
    w.background = [](QPainter& p) { DrawPanel(p, QRect(14, 40, kTimerDialogWidth - 28, 260)); };
    AddEndButtons(w, kTimerEndLayouts);
    return w;
}

ArtWindow CreateTimerDialog() {
    ArtWindow w = TimerDialog("TimerCreate");
    w.controls.push_back({kCreateTimerNameLayout, ControlKind::Field});
    w.controls.push_back({kCreateTimerSecondsLayout, ControlKind::Field});
    return w;
}

ArtWindow EditTimerDialog() {
    ArtWindow w = TimerDialog("TimerEdit");
    w.controls.push_back({kEditTimerListLayout, ControlKind::Dropdown});
    w.controls.push_back({kEditTimerNameLayout, ControlKind::Field});
    w.controls.push_back({kEditTimerSecondsLayout, ControlKind::Field});
    w.controls.push_back({kEditTimerSaveLayout, ControlKind::Button});
    w.controls.push_back({kEditTimerDeleteLayout, ControlKind::Button});
    return w;
}

}  // namespace

std::vector<ArtWindow> KeyDialogWindows() {
    return {ShortcutDialog(), QuickLaunchDialog(), CreateTimerDialog(), EditTimerDialog()};
}

}  // namespace kelm::art
