#include "skin/StatePictures.h"

#include <QFileInfo>

namespace kelm::skin {

namespace {

QString StateSuffix(ControlState state) {
    switch (state) {
        case ControlState::Normal:
            return QStringLiteral("normal");
        case ControlState::Highlighted:
            return QStringLiteral("highlighted");
        case ControlState::Pressed:
            return QStringLiteral("pressed");
        case ControlState::Disabled:
            return QStringLiteral("disabled");
    }
    return {};
}

}  // namespace

QPixmap LoadPicture(const QString& base, qreal devicePixelRatio) {
    const QString sharp = base + QStringLiteral("@2x.png");
    QPixmap picture;
    if (devicePixelRatio > 1 && QFileInfo::exists(sharp) && picture.load(sharp)) {
        picture.setDevicePixelRatio(2);
        return picture;
    }
    if (picture.load(base + QStringLiteral(".png"))) picture.setDevicePixelRatio(1);
    return picture;
}

bool StatePictures::Load(const QString& base, qreal devicePixelRatio) {
    for (int i = 0; i < kControlStateCount; ++i) {
        const auto state = static_cast<ControlState>(i);
        Set(state, LoadPicture(base + QLatin1Char('-') + StateSuffix(state), devicePixelRatio));
    }
    return !pages_[0].isNull();
}

void StatePictures::Set(ControlState state, const QPixmap& picture) { pages_[static_cast<int>(state)] = picture; }

const QPixmap& StatePictures::Page(ControlState state) const {
    const QPixmap& page = pages_[static_cast<int>(state)];
    return page.isNull() ? pages_[0] : page;
}

QPixmap StatePictures::Cut(ControlState state, const QRect& rect) const {
    const QPixmap& page = Page(state);
    if (page.isNull() || rect.isEmpty()) return {};
    const qreal scale = page.devicePixelRatio();
    const QRect device(QPoint(qRound(rect.x() * scale), qRound(rect.y() * scale)),
                       QSize(qRound(rect.width() * scale), qRound(rect.height() * scale)));
    QPixmap piece = page.copy(device);
    piece.setDevicePixelRatio(scale);
    return piece;
}

}  // namespace kelm::skin
