#include "flash/CFlashDlg.h"

#include <QLabel>

#include "flash/FlashLayout.h"
#include "skin/SkinColors.h"
#include "skin/SkinFiles.h"

namespace kelm {

namespace fl = flash_layout;

QString CFlashDlg::Title(Kind kind) {
    return kind == Kind::Success ? QStringLiteral("Firmware upgrade success") : QStringLiteral("Firmware update");
}

QString CFlashDlg::Text(Kind kind) {
    switch (kind) {
        case Kind::Confirm:
            return QStringLiteral(
                "A new firmware is ready for your Kelm keyboard.\nUpdate the keyboard now?\n\n"
                "Keep it plugged in until the update has ended.");
        case Kind::Notice:
            return QStringLiteral(
                "Your Kelm keyboard already holds a newer firmware than this package.\nNo update is needed.");
        case Kind::Success:
            return QStringLiteral(
                "The keyboard's firmware has been updated.\n\nKelmWatch starts again when this window "
                "closes.");
        case Kind::Failure:
            return QStringLiteral("The firmware update failed.\nKelmWatch stays closed.");
    }
    return {};
}

CFlashDlg::CFlashDlg(const std::string& programFolder, Kind kind, const QString& detail, QWidget* parent)
    : SkinDialog(parent) {
    const bool confirm = kind == Kind::Confirm;
    const QString base =
        skin::SkinFilePath(programFolder, confirm ? QStringLiteral("FlashConfirm") : QStringLiteral("FlashNotice"));
    SetBackground(base);
    if (size().isEmpty()) setFixedSize(fl::kDialogWidth, fl::kDialogHeight);
    SetTitle(Title(kind), QRect(14, 4, 250, 22));
    setWindowTitle(Title(kind));
    setObjectName(confirm                 ? QStringLiteral("Confirm")
                  : kind == Kind::Notice  ? QStringLiteral("Notice")
                  : kind == Kind::Success ? QStringLiteral("Success")
                                          : QStringLiteral("Failure"));

    skin::StatePictures pictures;
    pictures.Load(base, devicePixelRatioF());
    const skin::DialogButtons end = skin::MakeEndButtons(
        *this, pictures, {confirm ? fl::kConfirmOk : fl::kDialogOk, fl::kConfirmCancel, fl::kDialogExit},
        QStringLiteral("OK"), QStringLiteral("Cancel"));
    if (!confirm) end.cancel->hide();
    end.ok->setFocus();

    const QString colour = QStringLiteral("color: %1; background: transparent;");
    auto* text = new QLabel(Text(kind), this);
    text->setObjectName(QStringLiteral("text"));
    text->setWordWrap(true);
    text->setAlignment(Qt::AlignCenter);
    text->setStyleSheet(colour.arg(skin::kLight.name()));
    const int textBottom = detail.isEmpty() ? 160 : 112;
    text->setGeometry(20, 36, width() - 40, textBottom - 36);
    if (!detail.isEmpty()) {
        // The engine's reasons begin in lower case, to be read after a colon.
        auto* why = new QLabel(detail.left(1).toUpper() + detail.mid(1), this);
        why->setObjectName(QStringLiteral("detail"));
        why->setWordWrap(true);
        why->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
        why->setStyleSheet(colour.arg(skin::kDimText.name()));
        why->setGeometry(20, textBottom + 4, width() - 40, 160 - textBottom);
    }
}

bool CFlashDlg::Ask(const std::string& programFolder, Kind kind, const QString& detail, QWidget* parent) {
    CFlashDlg dialog(programFolder, kind, detail, parent);
    return dialog.exec() == QDialog::Accepted;
}

}  // namespace kelm
