// Draws KelmSetup's pictures into a folder, at the normal and at twice the
// density: for each window its background "<name>.png" and its four state
// pictures "<name>-<state>.png", then the slider thumb, the mouse and the
// icon.
//   kelm_skin_art FOLDER
#include <QDir>
#include <QGuiApplication>
#include <cstdio>

#include "setup/art/SkinArt.h"
#include "skin/SkinArtParts.h"

using namespace kelm::art;
using kelm::skin::SaveArt;

int main(int argc, char** argv) {
    QGuiApplication application(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: kelm_skin_art FOLDER\n");
        return 2;
    }
    const QString folder = QString::fromLocal8Bit(argv[1]);
    if (!QDir().mkpath(folder)) {
        std::fprintf(stderr, "kelm_skin_art: cannot make %s\n", argv[1]);
        return 1;
    }
    bool ok = true;
    for (const ArtWindow& window : SetupWindows())
        ok = ok && kelm::skin::SaveWindowArt(folder, window.name, [&window](const Look* look, qreal scale) {
                 return look != nullptr ? RenderLook(window, *look, scale) : RenderBackground(window, scale);
             });
    ok = ok && SaveArt(folder, "SliderThumb", [](qreal scale) { return RenderSliderThumb(scale); });
    ok = ok && SaveArt(folder, "Mouse", [](qreal scale) { return RenderMouse(scale); });
    // The icon comes at the sizes desktops ask for, not at a density.
    ok = ok && RenderIcon(64).save(folder + "/KelmSetup.png") && RenderIcon(256).save(folder + "/KelmSetup@2x.png");
    if (!ok) std::fprintf(stderr, "kelm_skin_art: the pictures could not all be written\n");
    return ok ? 0 : 1;
}
