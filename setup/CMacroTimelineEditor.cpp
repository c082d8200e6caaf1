#include "setup/CMacroTimelineEditor.h"

#include <QLabel>
#include <functional>

#include "setup/CMacroTimelineView.h"
#include "setup/DialogParts.h"
#include "setup/MacroManagerLayout.h"
#include "setup/SkinSet.h"

namespace kelm {

CMacroTimelineEditor::CMacroTimelineEditor(MacroManager& manager, const MacroDialogContext& context, QWidget* parent)
    : skin::SkinPage(parent), manager_(manager), context_(context) {
    const SkinSet skin(context.programFolder, QStringLiteral("macro_adjust_normal"), devicePixelRatioF());
    SetBackground(skin.Background());
    setFixedSize(skin::ParseLayout(kMacroEditorPanelLayout).Rect().size());

    view_ = new CMacroTimelineView(this);
    skin::Place(*view_, skin::ParseLayout(kTimelineViewLayout));
    view_->setGeometry(view_->geometry().adjusted(1, 1, -1, -1));

    // Glyphs rather than words: the buttons are too small for a caption,
    // and their tooltips say what they do.
    const struct {
        std::string_view layout;
        const char* glyph;
        TextId tip;
        std::function<void()> action;
    } buttons[] = {
        {kTimelineAddLayout, "+", TextId::kTimelineAddTip, [this] { OnAdd(); }},
        {kTimelineDeleteLayout, "\u2212", TextId::kTimelineDeleteTip, [this] { OnDelete(); }},
        {kZoomInLayout, "\u2295", TextId::kZoomInTip, [this] { view_->ZoomIn(); }},
        {kZoomOutLayout, "\u2296", TextId::kZoomOutTip, [this] { view_->ZoomOut(); }},
    };
    for (const auto& entry : buttons) {
        skin::PictureButton* button = skin.Button(entry.layout, this);
        button->setText(QString::fromUtf8(entry.glyph));
        button->setToolTip(context.Text(entry.tip));
        connect(button, &QAbstractButton::clicked, this, entry.action);
    }

    const skin::LayoutRecord note = skin::ParseLayout(kTimelineNoteLayout);
    note_ = DialogLabel({}, note.Rect(), this);
    note_->setObjectName(QString::fromStdString(note.name));
    note_->setWordWrap(true);
}

void CMacroTimelineEditor::Refresh() {
    MacroTimeline* timeline = manager_.Timeline();
    view_->SetTimeline(timeline);
    const int dropped = timeline != nullptr ? timeline->dropped : 0;
    note_->setText(dropped > 0 ? Utf8(WithNumber(context_.texts.Text(TextId::kTimelineDroppedNote), dropped))
                               : context_.Text(TextId::kTimelineHint));
}

void CMacroTimelineEditor::OnAdd() {
    MacroTimeline* timeline = manager_.Timeline();
    const int selected = view_->Selected();
    if (timeline == nullptr || selected < 0) {
        context_.Tell(TextId::kTimelineSelectBar, window());
        return;
    }
    if (!AddStrokeAtEnd(*timeline, timeline->strokes[static_cast<std::size_t>(selected)].key)) {
        context_.Tell(MacroError::Full, MacroSubject::Event, window());
        return;
    }
    view_->StrokesChanged();
    view_->Select(static_cast<int>(timeline->strokes.size()) - 1);
}

void CMacroTimelineEditor::OnDelete() {
    MacroTimeline* timeline = manager_.Timeline();
    if (timeline == nullptr || !RemoveStroke(*timeline, view_->Selected())) {
        context_.Tell(TextId::kTimelineSelectBar, window());
        return;
    }
    view_->StrokesChanged();
}

}  // namespace kelm
