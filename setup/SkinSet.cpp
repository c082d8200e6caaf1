#include "setup/SkinSet.h"

#include <QApplication>
#include <QFont>

namespace kelm {

QString SkinPath(const std::string& programFolder, const QString& base) {
    return QString::fromStdString(programFolder) + QStringLiteral("Skin/") + base;
}

QString Utf8(std::string_view text) { return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())); }

void UseSetupFont() {
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(12);
    QApplication::setFont(font);
}

SkinSet::SkinSet(const std::string& programFolder, const QString& base, qreal devicePixelRatio)
    : base_(SkinPath(programFolder, base)) {
    pictures_.Load(base_, devicePixelRatio);
}

skin::PictureButton* SkinSet::Button(std::string_view layout, QWidget* parent, skin::TooltipHub* hub) const {
    auto* button = new skin::PictureButton(skin::ParseLayout(layout), parent);
    button->SetPictures(pictures_);
    if (hub != nullptr) hub->Watch(button);
    return button;
}

}  // namespace kelm
