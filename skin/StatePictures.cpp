#include "skin/StatePictures.h"

#include <QFileInfo>

#include "skin/PicturePreload.h"

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
    if (devicePixelRatio > 1 && QFileInfo::exists(sharp)) {
        QPixmap picture = QPixmap::fromImage(ReadPicture(sharp));
        if (!picture.isNull()) {
            picture.setDevicePixelRatio(2);
            return picture;
        }
    }
    QPixmap picture = QPixmap::fromImage(ReadPicture(base + QStringLiteral(".png")));
    if (!picture.isNull()) picture.setDevicePixelRatio(1);
    return picture;
}

bool StatePictures::Load(const QString& base, qreal devicePixelRatio) {
    pages_ = std::make_shared<Pages>();
    pages_->base = base;
    pages_->devicePixelRatio = devicePixelRatio;
    return !Page(ControlState::Normal).isNull();
}

void StatePictures::Set(ControlState state, const QPixmap& picture) {
    const auto index = static_cast<std::size_t>(state);
    pages_->pictures[index] = picture;
    pages_->read[index] = true;
}

const QPixmap& StatePictures::Page(ControlState state) const {
    const auto index = static_cast<std::size_t>(state);
    if (!pages_->read[index] && !pages_->base.isEmpty()) {
        pages_->pictures[index] =
            LoadPicture(pages_->base + QLatin1Char('-') + StateSuffix(state), pages_->devicePixelRatio);
        pages_->read[index] = true;
    }
    const QPixmap& page = pages_->pictures[index];
    return page.isNull() && state != ControlState::Normal ? Page(ControlState::Normal) : page;
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
