#include "setup/CShortcutDlg.h"

#include <QLabel>
#include <QLineEdit>
#include <QTimer>
#include <algorithm>
#include <chrono>

#include "setup/DialogParts.h"
#include "setup/KeyDialogLayout.h"
#include "setup/SkinSet.h"

namespace kelm {

namespace {

constexpr std::chrono::milliseconds kGrabRetry{200};

constexpr std::array<TextId, kShortcutBoxLayouts.size()> kBoxTexts{TextId::kShortcutNoneBox, TextId::kShortcutShiftBox,
                                                                   TextId::kShortcutCtrlBox, TextId::kShortcutAltBox,
                                                                   TextId::kShortcutWinBox};

// A box's caption starts right of the box and may use the room up to the
// next box, where a translation needs it.
QRect CaptionArea(std::size_t box) {
    const skin::LayoutRecord layout = skin::ParseLayout(kShortcutBoxLayouts[box]);
    int right = layout.right + 24;
    for (const auto other : kShortcutBoxLayouts) {
        const int left = skin::ParseLayout(other).left;
        if (left > layout.left) right = std::min(right, left - 4);
    }
    return QRect(layout.left + 18, layout.top, right - layout.left - 18, layout.bottom - layout.top);
}

}  // namespace

CShortcutDlg::CShortcutDlg(const std::string& programFolder, const LanguageTexts& texts, const ShortcutChoice& current,
                           QWidget* parent)
    : SkinDialog(parent), edit_(current) {
    const SkinSet skin(programFolder, QStringLiteral("Shortcut"), devicePixelRatioF());
    SetBackground(skin.Background());
    SetTitle(Utf8(texts.Text(TextId::kShortcutTitle)), QRect(14, 4, 400, 24));

    DialogLabel(Utf8(texts.Text(TextId::kShortcutHint)), QRect(20, 42, 420, 20), this);
    key_ = DialogField(kShortcutKeyLayout, this);
    key_->setReadOnly(true);
    key_->setPlaceholderText(Utf8(texts.Text(TextId::kShortcutPressKey)));
    for (std::size_t i = 0; i < boxes_.size(); ++i) {
        boxes_[i] = skin.Button(kShortcutBoxLayouts[i], this);
        boxes_[i]->setCheckable(true);
        connect(boxes_[i], &QAbstractButton::clicked, this, [this, i](bool ticked) { OnBox(i, ticked); });
        // Clicks on the caption go to the box beneath it.
        QLabel* caption = captions_[i] = DialogLabel(QString(), CaptionArea(i), this);
        caption->setAttribute(Qt::WA_TransparentForMouseEvents);
        const skin::FittedCaption fitted =
            skin::FitCaption(caption->font(), Utf8(texts.Text(kBoxTexts[i])), caption->width());
        caption->setFont(fitted.font);
        caption->setText(fitted.text);
    }
    ok_ = skin.EndButtons(*this, texts, kShortcutEndLayouts).ok;
    // Nothing here is typed into or tabbed between: no control shows a
    // focus that the keys never reach.
    for (QWidget* child : findChildren<QWidget*>()) child->setFocusPolicy(Qt::NoFocus);
    Refresh();
}

std::optional<ShortcutChoice> CShortcutDlg::Run(const std::string& programFolder, const LanguageTexts& texts,
                                                const ShortcutChoice& current, QWidget* parent) {
    CShortcutDlg dialog(programFolder, texts, current, parent);
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    return dialog.Choice();
}

void CShortcutDlg::showEvent(QShowEvent* event) {
    SkinDialog::showEvent(event);
    grabRetried_ = false;
    Capture();
}

// However the dialog ends (OK, Cancel, the close button, a parent that
// closes it), it is hidden first; a dialog destroyed while shown lets go
// with capture_.
void CShortcutDlg::hideEvent(QHideEvent* event) {
    capture_.reset();
    SkinDialog::hideEvent(event);
}

// Every key is a candidate, Tab, Enter and Escape among them: the capture
// keeps them all from the dialog, so none moves the focus or ends it.
void CShortcutDlg::Capture() {
    if (!isVisible() || (capture_ && capture_->WholeKeyboard())) return;
    MacroKeyCapture::Handlers handlers;
    handlers.onKey = [this](const MacroKeyCapture::Key& key) {
        if (!key.released) OnKey(key.inputCode);
    };
    capture_.reset();
    capture_ = std::make_unique<MacroKeyCapture>(*this, loop_, std::move(handlers));
    if (capture_->WholeKeyboard() || grabRetried_) return;
    grabRetried_ = true;
    QTimer::singleShot(kGrabRetry, this, &CShortcutDlg::Capture);
}

void CShortcutDlg::OnKey(std::uint16_t inputCode) {
    if (edit_.PressKey(inputCode)) Refresh();
}

void CShortcutDlg::OnBox(std::size_t box, bool ticked) {
    edit_.SetBox(kShortcutBoxBits[box], ticked);
    Refresh();
}

void CShortcutDlg::Refresh() {
    key_->setText(Utf8(edit_.KeyName()));
    for (std::size_t i = 0; i < boxes_.size(); ++i) {
        boxes_[i]->setChecked(edit_.Ticked(kShortcutBoxBits[i]));
        boxes_[i]->setEnabled(edit_.BoxEnabled(kShortcutBoxBits[i]));
        captions_[i]->setEnabled(boxes_[i]->isEnabled());
    }
    ok_->setEnabled(edit_.Choice().has_value());
}

}  // namespace kelm
