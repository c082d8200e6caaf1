// Draws the programs' icons into a hicolor theme folder:
// <size>x<size>/apps/kelm-watch.png, kelm-setup.png and kelm-flash.png. All
// three show the tray's keyboard, so the menu and the tray look like one
// suite; KelmSetup's carries a gear and KelmFlash's its emblem, the chip
// being written, on a badge in the corner.
//   kelm_icon_art FOLDER
#include <QDir>
#include <QGuiApplication>
#include <QPainter>
#include <QPainterPath>
#include <cstdio>
#include <functional>

#include "platform/gui/KeyboardIcon.h"
#include "skin/SkinArtParts.h"
#include "skin/SkinColors.h"

namespace {

using kelm::skin::kBlue;

// Every badge is drawn on a 64-unit square in the icon's lower right corner.
void PaintBadge(QPainter& p, int size, const std::function<void(QPainter&)>& content) {
    p.save();
    p.translate(size * 0.48, size * 0.48);
    p.scale(size * 0.52 / 64.0, size * 0.52 / 64.0);
    p.setPen(QPen(kBlue, 3));
    p.setBrush(kelm::skin::kArtWindowTop);
    p.drawEllipse(QRectF(2, 2, 60, 60));
    content(p);
    p.restore();
}

// Eight teeth around a ring, in the keys' light colour.
void PaintGear(QPainter& p) {
    QPainterPath gear;
    gear.setFillRule(Qt::WindingFill);
    gear.addEllipse(QPointF(32, 32), 14, 14);
    for (int tooth = 0; tooth < 8; ++tooth) {
        QPainterPath rect;
        rect.addRoundedRect(QRectF(-4.5, -21, 9, 10), 1.5, 1.5);
        gear.addPath(QTransform().translate(32, 32).rotate(tooth * 45.0).map(rect));
    }
    QPainterPath hole;
    hole.addEllipse(QPointF(32, 32), 6, 6);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0xE8, 0xEC, 0xF1));
    p.drawPath(gear.simplified().subtracted(hole));
}

// KelmFlash's emblem is 58 units wide with its pins: shrunk into the disc.
void PaintChip(QPainter& p) {
    p.translate(32, 32);
    p.scale(0.86, 0.86);
    kelm::skin::PaintFirmwareChip(p, QPointF(0, 0));
}

QImage DrawIcon(int size, void (*badge)(QPainter&)) {
    QImage image = kelm::KeyboardImage(size);
    if (badge != nullptr) {
        QPainter p(&image);
        p.setRenderHint(QPainter::Antialiasing);
        PaintBadge(p, size, badge);
    }
    return image;
}

}  // namespace

int main(int argc, char** argv) {
    QGuiApplication application(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: kelm_icon_art FOLDER\n");
        return 2;
    }
    const QString folder = QString::fromLocal8Bit(argv[1]);
    struct Icon {
        const char* name;
        void (*badge)(QPainter&);
    };
    const Icon icons[] = {{"kelm-watch", nullptr}, {"kelm-setup", PaintGear}, {"kelm-flash", PaintChip}};
    for (const int size : {16, 24, 32, 48, 64, 128, 256}) {
        const QString apps = QStringLiteral("%1/%2x%2/apps").arg(folder).arg(size);
        if (!QDir().mkpath(apps)) {
            std::fprintf(stderr, "kelm_icon_art: cannot make %s\n", qPrintable(apps));
            return 1;
        }
        for (const Icon& icon : icons) {
            const QString path = QStringLiteral("%1/%2.png").arg(apps, QLatin1String(icon.name));
            if (!DrawIcon(size, icon.badge).save(path, "PNG")) {
                std::fprintf(stderr, "kelm_icon_art: cannot write %s\n", qPrintable(path));
                return 1;
            }
        }
    }
    return 0;
}
