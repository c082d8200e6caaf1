#include "setup/CConfirmDlg.h"

#include <QLabel>

#include "setup/MainLayout.h"
#include "setup/SkinSet.h"

namespace kelm {

CConfirmDlg::CConfirmDlg(const std::string& programFolder, const LanguageTexts& texts, const QString& text,
                         Buttons buttons, QWidget* parent)
    : SkinDialog(parent) {
    const SkinSet skin(programFolder, QStringLiteral("Confirm"), devicePixelRatioF());
    SetBackground(skin.Background());
    SetTitle(QStringLiteral("Kelm"), QRect(14, 4, 200, 22));

    auto* question = new QLabel(text, this);
    question->setWordWrap(true);
    question->setAlignment(Qt::AlignCenter);
    question->setStyleSheet(QStringLiteral("color: #E8F4FC; background: transparent;"));
    question->setGeometry(20, 40, width() - 40, 150);

    auto* ok = skin.Button(kWindowsProfileDialogLayouts[0], this);
    ok->setText(Utf8(texts.Text(TextId::kOkButton)));
    connect(ok, &QAbstractButton::clicked, this, &QDialog::accept);
    auto* cancel = skin.Button(kWindowsProfileDialogLayouts[1], this);
    cancel->setText(Utf8(texts.Text(TextId::kCancelButton)));
    connect(cancel, &QAbstractButton::clicked, this, &QDialog::reject);
    auto* exit = skin.Button(kWindowsProfileDialogLayouts[2], this);
    connect(exit, &QAbstractButton::clicked, this, &QDialog::reject);
    if (buttons == Buttons::OkOnly) {
        cancel->hide();
        // OK alone stands in the middle.
        ok->move((width() - ok->width()) / 2, ok->y());
    }
    ok->setFocus();
}

bool CConfirmDlg::Ask(const std::string& programFolder, const LanguageTexts& texts, const QString& text,
                      QWidget* parent) {
    CConfirmDlg dialog(programFolder, texts, text, Buttons::OkCancel, parent);
    return dialog.exec() == QDialog::Accepted;
}

void CConfirmDlg::Tell(const std::string& programFolder, const LanguageTexts& texts, const QString& text,
                       QWidget* parent) {
    CConfirmDlg dialog(programFolder, texts, text, Buttons::OkOnly, parent);
    dialog.exec();
}

}  // namespace kelm
