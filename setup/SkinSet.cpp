#include "setup/SkinSet.h"

#include <QApplication>
#include <QDialog>
#include <QFont>

#include "skin/SkinFiles.h"

namespace kelm {

QString SkinPath(const std::string& programFolder, const QString& base) {
    return skin::SkinFilePath(programFolder, base);
}

QString Utf8(std::string_view text) { return skin::FromUtf8(text); }

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

SkinSet::DialogButtons SkinSet::EndButtons(QDialog& dialog, const LanguageTexts& texts,
                                           const std::array<std::string_view, 3>& layouts) const {
    const skin::DialogButtons made = skin::MakeEndButtons(
        dialog, pictures_, layouts, Utf8(texts.Text(TextId::kOkButton)), Utf8(texts.Text(TextId::kCancelButton)));
    return {made.ok, made.cancel, made.exit};
}

}  // namespace kelm
