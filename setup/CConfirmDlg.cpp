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

    const SkinSet::DialogButtons end = skin.EndButtons(*this, texts, kWindowsProfileDialogLayouts);
    if (buttons == Buttons::OkOnly) {
        end.cancel->hide();
        // OK alone stands in the middle.
        end.ok->move((width() - end.ok->width()) / 2, end.ok->y());
    }
    end.ok->setFocus();
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
