#include "setup/CLanguageDlg.h"

#include "setup/MainLayout.h"
#include "setup/SkinSet.h"

namespace kelm {

CLanguageDlg::CLanguageDlg(const std::string& programFolder, const LanguageTexts& texts, int current, QWidget* parent)
    : SkinDialog(parent) {
    setWindowFlags(windowFlags() | Qt::Popup);
    const SkinSet skin(programFolder, QStringLiteral("Languages"), devicePixelRatioF());
    SetBackground(skin.Background());
    for (int index = 0; index < kLanguageCount; ++index) {
        auto* entry = skin.Button(kLanguageEntryLayouts[static_cast<std::size_t>(index)], this);
        entry->setText(Utf8(texts.Text(LanguageNameId(index))));
        entry->setCheckable(true);
        entry->setChecked(index == current);
        if (index == current) entry->setFocus();
        // The dialog's result is the index + 1: 0 is what Escape or a click
        // outside leaves.
        connect(entry, &QAbstractButton::clicked, this, [this, index] { done(index + 1); });
    }
}

int CLanguageDlg::Choose(const std::string& programFolder, const LanguageTexts& texts, int current, QPoint button,
                         QWidget* parent) {
    CLanguageDlg dialog(programFolder, texts, current, parent);
    dialog.move(button - QPoint(0, kLanguageChooserRise));
    return dialog.exec() - 1;
}

}  // namespace kelm
