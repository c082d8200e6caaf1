#include "skin/SkinFiles.h"

#include <QDialog>

namespace kelm::skin {

QString SkinFilePath(const std::string& programFolder, const QString& base) {
    return QString::fromStdString(programFolder) + QStringLiteral("Skin/") + base;
}

QString FromUtf8(std::string_view text) { return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())); }

DialogButtons MakeEndButtons(QDialog& dialog, const StatePictures& pictures,
                             const std::array<std::string_view, 3>& layouts, const QString& okText,
                             const QString& cancelText) {
    const auto make = [&](std::string_view layout) {
        auto* button = new PictureButton(ParseLayout(layout), &dialog);
        button->SetPictures(pictures);
        return button;
    };
    const DialogButtons buttons{make(layouts[0]), make(layouts[1]), make(layouts[2])};
    buttons.ok->setText(okText);
    buttons.cancel->setText(cancelText);
    QObject::connect(buttons.ok, &QAbstractButton::clicked, &dialog, &QDialog::accept);
    QObject::connect(buttons.cancel, &QAbstractButton::clicked, &dialog, &QDialog::reject);
    QObject::connect(buttons.exit, &QAbstractButton::clicked, &dialog, &QDialog::reject);
    return buttons;
}

}  // namespace kelm::skin
