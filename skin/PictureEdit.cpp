#include "skin/PictureEdit.h"

#include <QKeyEvent>
#include <QPainter>

#include "skin/StatePictures.h"

namespace kelm::skin {

namespace {

bool Allowed(QChar c, bool withSigns) {
    return (c >= QLatin1Char('0') && c <= QLatin1Char('9')) ||
           (withSigns && (c == QLatin1Char('-') || c == QLatin1Char('+')));
}

// The text up to its first character outside "0123456789", or outside
// "0123456789-+" when signs are allowed.
QString CutAtForeign(const QString& text, bool withSigns) {
    qsizetype length = 0;
    while (length < text.size() && Allowed(text[length], withSigns)) ++length;
    return text.left(length);
}

}  // namespace

PictureEdit::PictureEdit(QWidget* parent) : QLineEdit(parent) {
    setFrame(false);
    connect(this, &QLineEdit::textChanged, this, &PictureEdit::OnTextChanged);
}

PictureEdit::PictureEdit(const LayoutRecord& layout, QWidget* parent) : PictureEdit(parent) { Place(*this, layout); }

void PictureEdit::SetNumeric(bool numeric) {
    numeric_ = numeric;
    Refilter();
}

void PictureEdit::SetSigned(bool withSigns) {
    signed_ = withSigns;
    Refilter();
}

QString PictureEdit::Filtered(const QString& text) const { return numeric_ ? CutAtForeign(text, signed_) : text; }

void PictureEdit::Refilter() {
    const QString cut = Filtered(text());
    if (cut != text()) setText(cut);
}

void PictureEdit::SetPictures(const StatePictures& pictures) {
    background_ = pictures.Cut(ControlState::Normal, geometry());
    // The picture shows through: the field paints no panel of its own.
    QPalette colours = palette();
    colours.setColor(QPalette::Base, Qt::transparent);
    colours.setColor(QPalette::Text, Qt::white);
    setPalette(colours);
    update();
}

// The editing and moving keys pass, and so do the keys that type an allowed
// character. A sign or "=" key in a field that takes no signs is dropped too:
// typed at the front it would otherwise cut the whole text away.
bool PictureEdit::KeyAllowed(const QKeyEvent& event) const {
    switch (event.key()) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
        case Qt::Key_Left:
        case Qt::Key_Right:
        case Qt::Key_Home:
        case Qt::Key_End:
        case Qt::Key_Backspace:
        case Qt::Key_Delete:
        // Focus moves and cancelling belong to the dialog, never to the field.
        case Qt::Key_Tab:
        case Qt::Key_Backtab:
        case Qt::Key_Escape:
            return true;
        default:
            break;
    }
    const QString typed = event.text();
    return typed.size() == 1 && Allowed(typed[0], signed_) && !(event.modifiers() & Qt::ControlModifier);
}

void PictureEdit::keyPressEvent(QKeyEvent* event) {
    if (numeric_ && !KeyAllowed(*event)) {
        event->accept();
        return;
    }
    QLineEdit::keyPressEvent(event);
}

void PictureEdit::OnTextChanged(const QString& text) {
    const QString cut = Filtered(text);
    if (cut != text) {
        setText(cut);  // comes back here with the cut text, which reports the change
        return;
    }
    update();
    emit Changed();
}

void PictureEdit::focusOutEvent(QFocusEvent* event) {
    QLineEdit::focusOutEvent(event);
    emit FocusLost();
}

void PictureEdit::paintEvent(QPaintEvent* event) {
    if (!background_.isNull()) {
        QPainter painter(this);
        painter.drawPixmap(0, 0, background_);
    }
    QLineEdit::paintEvent(event);
}

}  // namespace kelm::skin
