#include "setup/SkinSet.h"

#include <QApplication>
#include <QDialog>
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

SkinSet::DialogButtons SkinSet::EndButtons(QDialog& dialog, const LanguageTexts& texts,
                                           const std::array<std::string_view, 3>& layouts) const {
    const DialogButtons buttons{Button(layouts[0], &dialog), Button(layouts[1], &dialog), Button(layouts[2], &dialog)};
    buttons.ok->setText(Utf8(texts.Text(TextId::kOkButton)));
    buttons.cancel->setText(Utf8(texts.Text(TextId::kCancelButton)));
    QObject::connect(buttons.ok, &QAbstractButton::clicked, &dialog, &QDialog::accept);
    QObject::connect(buttons.cancel, &QAbstractButton::clicked, &dialog, &QDialog::reject);
    QObject::connect(buttons.exit, &QAbstractButton::clicked, &dialog, &QDialog::reject);
    return buttons;
}

}  // namespace kelm
