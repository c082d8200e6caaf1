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
using kelm::skin::kArtPanelEdge;
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
        // The program's emblem above the panel.
        kelm::skin::PaintFirmwareChip(p, QPointF(fl::kWindowWidth / 2.0, 68));
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
