// Draws KelmFlash's pictures into a folder (FlashPack/Skin/), at the normal
// and at twice the density: the update window and the two dialog forms
// (OK alone; OK and Cancel), each as its background "<name>.png" and the
// four state pictures "<name>-<state>.png" its buttons are cut from. Texts
// are drawn by the windows, never into a picture.
//   kelm_flash_art FOLDER
#include <QDir>
#include <QGuiApplication>
#include <QPainter>
#include <cstdio>
#include <functional>
#include <string_view>
#include <vector>

#include "flash/FlashLayout.h"
#include "skin/Layout.h"
#include "skin/SkinArtParts.h"
#include "skin/SkinColors.h"

namespace {

namespace fl = kelm::flash_layout;
using Look = kelm::skin::ArtLook;
using kelm::skin::kArtControl;
using kelm::skin::kArtPanelEdge;
using kelm::skin::kBlue;
using kelm::skin::kControlEdge;

struct Control {
    std::string_view layout;
    bool close;  // the corner's close glyph, else a push button
};

struct Form {
    QString name;
    QSize size;
    std::function<void(QPainter&)> background;
    std::vector<Control> controls;
};

QRect RectOf(std::string_view layout) { return kelm::skin::ParseLayout(layout).Rect(); }

// The shared shaped window with a line under its title bar.
void Shape(QPainter& p, const QSize& size) {
    kelm::skin::PaintWindowShape(p, size, true);
    p.setPen(QPen(kArtPanelEdge, 1));
    p.drawLine(QPointF(10, 30.5), QPointF(size.width() - 10, 30.5));
}

QImage Render(const Form& form, const Look* look, qreal scale) {
    // Opaque: kept without an alpha channel, the pictures are smaller.
    QImage image = kelm::skin::ArtCanvas(form.size, scale).convertToFormat(QImage::Format_RGB32);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing, true);
    Shape(p, form.size);
    if (form.background) form.background(p);
    if (look != nullptr) {
        for (const Control& control : form.controls) {
            if (control.close) {
                kelm::skin::PaintTitleGlyph(p, RectOf(control.layout), *look, true);
            } else {
                kelm::skin::PaintButton(p, RectOf(control.layout), *look);
            }
        }
    }
    return image;
}

std::vector<Form> Forms() {
    const auto window = [](QPainter& p) {
        // The image's name, the bar in a recessed frame, and the footer
        // with the version texts.
        kelm::skin::PaintPanel(p, QRectF(33, 112, 456, 120));
        const QRect bar = RectOf(fl::kWindowProgress);
        p.setPen(QPen(kControlEdge, 1));
        p.setBrush(Qt::NoBrush);
        p.drawRect(QRectF(bar).adjusted(-1.5, -1.5, 1.5, 1.5));
        p.setPen(QPen(kArtPanelEdge, 1));
        p.drawLine(QPointF(10, 244.5), QPointF(fl::kWindowWidth - 10, 244.5));
        // A chip being written: the program's emblem above the panel.
        p.setPen(QPen(kBlue, 1.6));
        p.setBrush(kArtControl);
        const QRectF chip(fl::kWindowWidth / 2.0 - 22, 46, 44, 44);
        p.drawRoundedRect(chip, 5, 5);
        for (int i = 0; i < 4; ++i) {
            const qreal at = chip.top() + 8 + i * 9.5;
            p.drawLine(QPointF(chip.left() - 7, at), QPointF(chip.left(), at));
            p.drawLine(QPointF(chip.right(), at), QPointF(chip.right() + 7, at));
        }
        p.setPen(QPen(kBlue, 2.2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        const QPointF c = chip.center();
        p.drawLine(c + QPointF(0, -11), c + QPointF(0, 9));
        p.drawLine(c + QPointF(-7, 2), c + QPointF(0, 9));
        p.drawLine(c + QPointF(7, 2), c + QPointF(0, 9));
    };
    const QSize dialog(fl::kDialogWidth, fl::kDialogHeight);
    return {
        {QStringLiteral("FlashWindow"), QSize(fl::kWindowWidth, fl::kWindowHeight), window, {{fl::kWindowExit, true}}},
        {QStringLiteral("FlashNotice"), dialog, {}, {{fl::kDialogOk, false}, {fl::kDialogExit, true}}},
        {QStringLiteral("FlashConfirm"),
         dialog,
         {},
         {{fl::kConfirmOk, false}, {fl::kConfirmCancel, false}, {fl::kDialogExit, true}}},
    };
}

}  // namespace

int main(int argc, char** argv) {
    QGuiApplication application(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: kelm_flash_art FOLDER\n");
        return 2;
    }
    const QString folder = QString::fromLocal8Bit(argv[1]);
    if (!QDir().mkpath(folder)) {
        std::fprintf(stderr, "kelm_flash_art: cannot make %s\n", argv[1]);
        return 1;
    }
    bool ok = true;
    for (const Form& form : Forms())
        ok = ok && kelm::skin::SaveWindowArt(
                       folder, form.name, [&form](const Look* look, qreal scale) { return Render(form, look, scale); });
    if (!ok) std::fprintf(stderr, "kelm_flash_art: the pictures could not all be written\n");
    return ok ? 0 : 1;
}
