// A page is drawn once per control state as four whole-page pictures; each
// control shows its own piece of them. On disk they are
// "<base>-normal.png", "<base>-highlighted.png", "<base>-pressed.png" and
// "<base>-disabled.png", each optionally beside a sharper "<base>-<state>@2x.png".
#pragma once

#include <QPixmap>
#include <QRect>
#include <QString>
#include <array>
#include <memory>

namespace kelm::skin {

enum class ControlState { Normal, Highlighted, Pressed, Disabled };
constexpr int kControlStateCount = 4;

// One picture at the sharpest scale that helps the screen: "<base>@2x.png"
// when devicePixelRatio is above 1 and that file exists, else "<base>.png".
// The result carries its device pixel ratio; null when neither loads.
QPixmap LoadPicture(const QString& base, qreal devicePixelRatio);

// Copies share their pictures. A window's first frame shows mostly normal
// controls, so only the normal picture is read at once; each other state's
// whole-page picture is read when a control first shows that state (a
// window of several pages would otherwise decode dozens of pictures before
// it can appear).
class StatePictures {
public:
    // False when the normal picture is missing; the other states fall back
    // to the normal picture.
    bool Load(const QString& base, qreal devicePixelRatio);
    void Set(ControlState state, const QPixmap& picture);

    // The piece of the state's page picture under a control's rectangle
    // (in logical pixels), at the picture's own scale.
    QPixmap Cut(ControlState state, const QRect& rect) const;

private:
    struct Pages {
        QString base;  // empty: nothing more to read
        qreal devicePixelRatio = 1;
        std::array<QPixmap, kControlStateCount> pictures;
        std::array<bool, kControlStateCount> read{};
    };
    const QPixmap& Page(ControlState state) const;

    std::shared_ptr<Pages> pages_ = std::make_shared<Pages>();
};

}  // namespace kelm::skin
