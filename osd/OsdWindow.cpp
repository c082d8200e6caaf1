#include "osd/OsdWindow.h"

#include <QFontMetrics>
#include <QGuiApplication>
#include <QPainter>
#include <QPainterPath>
#include <QScreen>
#include <algorithm>

#include "suite/SuiteIds.h"

namespace kelm {

namespace {

const QColor kBlue(0x35, 0xA0, 0xDE);
const QColor kPanel(0x0B, 0x0D, 0x10, 0xE6);
constexpr int kPadding = 16;
constexpr int kAccentWidth = 6;
constexpr int kMaxTextWidth = 520;
constexpr qreal kRadius = 10;
constexpr int kHeaderGap = 6;

QFont TextFont() {
    QFont font;
    font.setPointSize(17);
    font.setWeight(QFont::DemiBold);
    return font;
}

QFont HeaderFont() {
    QFont font;
    font.setPointSize(8);
    font.setWeight(QFont::Bold);
    font.setLetterSpacing(QFont::AbsoluteSpacing, 2.5);
    return font;
}

const QString kHeader = QStringLiteral("KELM");

}  // namespace

OsdWindow::OsdWindow() {
    setWindowFlags(Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint | Qt::Tool | Qt::WindowDoesNotAcceptFocus |
                   Qt::X11BypassWindowManagerHint);
    setAttribute(Qt::WA_TranslucentBackground);
    setAttribute(Qt::WA_ShowWithoutActivating);
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setWindowTitle(QString::fromLatin1(kOsdTitle.data(), static_cast<qsizetype>(kOsdTitle.size())));
}

QString OsdWindow::Decode(const std::string& text) { return QString::fromStdString(DisplayTextUtf8(text)); }

void OsdWindow::ShowText(const std::string& text) {
    text_ = Decode(text);
    Layout();
    show();
    raise();
    update();
}

void OsdWindow::HideText() { hide(); }

void OsdWindow::MoveTo(int x, int y) {
    wanted_ = QPoint(x, y);
    Place();
}

// At the position asked for, but never cut off by the edge of the screen
// it falls on: a position saved for a display that has since gone, or one
// near the edge with a longer text than before, still shows the whole text.
void OsdWindow::Place() {
    QScreen* screen = QGuiApplication::screenAt(wanted_);
    if (screen == nullptr) screen = QGuiApplication::primaryScreen();
    if (screen == nullptr) {
        move(wanted_);
        return;
    }
    const QRect area = screen->geometry();
    move(std::clamp(wanted_.x(), area.left(), std::max(area.left(), area.right() + 1 - width())),
         std::clamp(wanted_.y(), area.top(), std::max(area.top(), area.bottom() + 1 - height())));
}

void OsdWindow::Layout() {
    const QFontMetrics header(HeaderFont());
    const QFontMetrics body(TextFont());
    const QRect textBox = body.boundingRect(QRect(0, 0, kMaxTextWidth, 10000), Qt::TextWordWrap, text_);
    const int width = kAccentWidth + 2 * kPadding + std::max(textBox.width(), header.horizontalAdvance(kHeader));
    const int height = 2 * kPadding + header.height() + kHeaderGap + textBox.height();
    setFixedSize(width, height);
    Place();
}

void OsdWindow::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    painter.fillRect(rect(), Qt::transparent);
    painter.setCompositionMode(QPainter::CompositionMode_SourceOver);

    const QRectF panel = QRectF(rect()).adjusted(1, 1, -1, -1);
    QPainterPath outline;
    outline.addRoundedRect(panel, kRadius, kRadius);
    painter.fillPath(outline, kPanel);
    painter.save();
    painter.setClipPath(outline);
    painter.fillRect(QRectF(panel.left(), panel.top(), kAccentWidth, panel.height()), kBlue);
    painter.restore();
    painter.setPen(QPen(kBlue, 2));
    painter.drawPath(outline);

    const int left = kAccentWidth + kPadding;
    const QFontMetrics header(HeaderFont());
    painter.setFont(HeaderFont());
    painter.setPen(kBlue);
    painter.drawText(QPoint(left, kPadding + header.ascent()), kHeader);

    painter.setFont(TextFont());
    painter.setPen(Qt::white);
    const int top = kPadding + header.height() + kHeaderGap;
    painter.drawText(QRect(left, top, width() - left - kPadding, height() - top - kPadding), Qt::TextWordWrap, text_);
}

}  // namespace kelm
