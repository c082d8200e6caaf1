// The macro manager's timeline editor: the selected macro as bars on a time
// axis (CMacroTimelineView), zoom in and out, ADD for another stroke of the
// selected bar's key at the end and DELETE for the selected bar, and a line
// that says what the timeline leaves out of the macro.
#pragma once

#include "setup/MacroDialogContext.h"
#include "setup/MacroManager.h"
#include "skin/PictureButton.h"
#include "skin/SkinPage.h"

class QLabel;

namespace kelm {

class CMacroTimelineView;

class CMacroTimelineEditor final : public skin::SkinPage {
    Q_OBJECT
public:
    CMacroTimelineEditor(MacroManager& manager, const MacroDialogContext& context, QWidget* parent);

    // The strokes of the manager's selected macro, when the timeline shows.
    void Refresh();
    CMacroTimelineView* View() const { return view_; }

private:
    void OnAdd();
    void OnDelete();

    MacroManager& manager_;
    const MacroDialogContext& context_;
    CMacroTimelineView* view_ = nullptr;
    QLabel* note_ = nullptr;
};

}  // namespace kelm
