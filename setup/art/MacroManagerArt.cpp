// The macro manager's pictures: the dialog, its two editor panels and the
// set name dialog, from the layout tables the windows are built from.
#include <QPainter>

#include "setup/MacroManagerLayout.h"
#include "setup/MainLayout.h"
#include "setup/art/ArtParts.h"
#include "skin/Layout.h"

namespace kelm::art {

namespace {

QSize PanelSize() { return skin::ParseLayout(kMacroEditorPanelLayout).Rect().size(); }

ArtWindow MacroManagerDialog() {
    ArtWindow w{"MacroManager", {kMacroManagerWidth, kMacroManagerHeight}, {}, {}, true};
    w.background = [](QPainter& p) {
        // Rules under the title bar and over the buttons; the editor panel
        // draws itself.
        p.setPen(QPen(QColor(0x1F, 0x2A, 0x35), 1));
        p.drawLine(QPointF(12, 36.5), QPointF(kMacroManagerWidth - 12, 36.5));
        p.drawLine(QPointF(12, 421.5), QPointF(kMacroManagerWidth - 12, 421.5));
    };
    w.controls.push_back({kMacroSetFieldLayout, ControlKind::Dropdown});
    w.controls.push_back({kMacroNameListLayout, ControlKind::Field});
    for (const auto layout : {kNewMacroLayout, kDeleteMacroLayout, kSwitchEditorLayout})
        w.controls.push_back({layout, ControlKind::Button});
    for (const auto layout : kMacroManagerEndLayouts)
        w.controls.push_back({layout, layout.starts_with("BUTTON_Exit") ? ControlKind::Close : ControlKind::Button});
    return w;
}

ArtWindow EventListEditor() {
    ArtWindow w{"MacroEvents", PanelSize(), {}, {}, false};
    w.background = [](QPainter& p) {
        DrawPanel(p, QRect(QPoint(0, 0), PanelSize()));
        DrawSection(p, QRect(2, 16, 242, 340));  // the key sequence under its heading
        DrawPanel(p, QRect(252, 44, 234, 312));  // recording, delays and repeat
    };
    w.controls.push_back({kStartRecordLayout, ControlKind::Button});
    w.controls.push_back({kDelaySwitchLayout, ControlKind::Switch});
    w.controls.push_back({kRepeatSwitchLayout, ControlKind::Switch});
    w.controls.push_back({kRepeatTimesLayout, ControlKind::Field});
    w.controls.push_back({kKeySequenceLayout, ControlKind::Field});
    return w;
}

// The original's name for the timeline editor's background.
ArtWindow TimelineEditor() {
    ArtWindow w{"macro_adjust_normal", PanelSize(), {}, {}, false};
    w.background = [](QPainter& p) { DrawPanel(p, QRect(QPoint(0, 0), PanelSize())); };
    w.controls.push_back({kTimelineViewLayout, ControlKind::Field});
    for (const auto layout : {kTimelineAddLayout, kTimelineDeleteLayout, kZoomInLayout, kZoomOutLayout})
        w.controls.push_back({layout, ControlKind::Button});
    return w;
}

ArtWindow SetNameDialog() {
    ArtWindow w{"MacroSetName", {kSetNameDialogWidth, kSetNameDialogHeight}, {}, {}, true};
    w.background = [](QPainter& p) { DrawPanel(p, QRect(14, 40, kSetNameDialogWidth - 28, 148)); };
    w.controls.push_back({kSetNameFieldLayout, ControlKind::Field});
    for (const auto layout : kWindowsProfileDialogLayouts)
        w.controls.push_back({layout, layout.starts_with("BUTTON_EXIT") ? ControlKind::Close : ControlKind::Button});
    return w;
}

}  // namespace

std::vector<ArtWindow> MacroManagerWindows() {
    return {MacroManagerDialog(), EventListEditor(), TimelineEditor(), SetNameDialog()};
}

}  // namespace kelm::art
