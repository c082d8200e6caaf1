#include "skin/SkinDialog.h"

#include <QImage>
#include <QMouseEvent>
#include <QPainter>
#include <QWindow>

#include "skin/PicturePreload.h"
#include "skin/SkinFonts.h"
#include "skin/SkinRegion.h"
#include "skin/StatePictures.h"

namespace kelm::skin {

SkinDialog::SkinDialog(QWidget* parent) : QDialog(parent) { setWindowFlags(windowFlags() | Qt::FramelessWindowHint); }

bool SkinDialog::SetBackground(const QString& base) {
    // The shape is taken from the plain picture: the mask is in logical
    // pixels, whatever the scale of the picture that is painted.
    const QImage plain = ReadPicture(base + QStringLiteral(".png"));
    if (plain.isNull()) return false;
    // Decoding a window-sized picture costs a good part of a start; on a
    // screen of normal density the plain one is the one painted.
    background_ = devicePixelRatioF() > 1 ? LoadPicture(base, devicePixelRatioF()) : QPixmap::fromImage(plain);
    setFixedSize(plain.size());
    setMask(RegionFromPicture(plain));
    update();
    return true;
}

void SkinDialog::SetTitle(const QString& title, const QRect& area) {
    title_ = title;
    titleArea_ = area;
    update();
}

// The backing store already paints off-screen and shows the result in one
// step, so the picture never flickers through a half-drawn window.
void SkinDialog::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    if (!background_.isNull()) painter.drawPixmap(0, 0, background_);
    if (!title_.isEmpty()) {
        painter.setFont(TitleFont());
        painter.setPen(Qt::white);
        painter.drawText(titleArea_, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, title_);
    }
}

// The window manager moves the window where it can (the only way under
// Wayland); elsewhere the window follows the mouse itself.
void SkinDialog::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return QDialog::mousePressEvent(event);
    if (windowHandle() != nullptr && windowHandle()->startSystemMove()) return;
    grab_ = event->globalPosition().toPoint() - frameGeometry().topLeft();
    dragging_ = true;
}

void SkinDialog::mouseMoveEvent(QMouseEvent* event) {
    if (!dragging_) return QDialog::mouseMoveEvent(event);
    move(event->globalPosition().toPoint() - grab_);
}

void SkinDialog::mouseReleaseEvent(QMouseEvent* event) {
    if (!dragging_ || event->button() != Qt::LeftButton) return QDialog::mouseReleaseEvent(event);
    dragging_ = false;
}

}  // namespace kelm::skin
