// Draws KelmSetup's pictures into a folder, at the normal and at twice the
// density: for each window its background "<name>.png" and its four state
// pictures "<name>-<state>.png", then the slider thumb, the mouse and the
// icon.
//   kelm_skin_art FOLDER
#include <QDir>
#include <QGuiApplication>
#include <cstdio>

#include "setup/art/SkinArt.h"

namespace {

using namespace kelm::art;

bool Save(const QImage& image, const QString& path) {
    if (image.save(path)) return true;
    std::fprintf(stderr, "kelm_skin_art: cannot write %s\n", qPrintable(path));
    return false;
}

bool SaveBoth(const QString& folder, const QString& name, const std::function<QImage(qreal)>& render) {
    return Save(render(1), folder + "/" + name + ".png") && Save(render(2), folder + "/" + name + "@2x.png");
}

}  // namespace

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
    const std::pair<Look, const char*> looks[] = {{Look::Normal, "normal"},
                                                  {Look::Highlighted, "highlighted"},
                                                  {Look::Pressed, "pressed"},
                                                  {Look::Disabled, "disabled"}};
    bool ok = true;
    // Windows and pages are opaque: kept without an alpha channel, they are
    // smaller and need no conversion when the program loads them.
    const auto opaque = [](const QImage& image) { return image.convertToFormat(QImage::Format_RGB32); };
    for (const ArtWindow& window : SetupWindows()) {
        ok = ok && SaveBoth(folder, window.name, [&](qreal scale) { return opaque(RenderBackground(window, scale)); });
        for (const auto& entry : looks) {
            // A copy: clang's C++20 cannot capture a structured binding.
            const Look look = entry.first;
            ok = ok && SaveBoth(folder, window.name + "-" + entry.second,
                                [&](qreal scale) { return opaque(RenderLook(window, look, scale)); });
        }
    }
    ok = ok && SaveBoth(folder, "SliderThumb", [](qreal scale) { return RenderSliderThumb(scale); });
    ok = ok && SaveBoth(folder, "Mouse", [](qreal scale) { return RenderMouse(scale); });
    ok = ok && Save(RenderIcon(64), folder + "/KelmSetup.png") && Save(RenderIcon(256), folder + "/KelmSetup@2x.png");
    return ok ? 0 : 1;
}
