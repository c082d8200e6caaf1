// The small skinned question of KelmSetup: a text with OK and Cancel (the
// Windows-profile marker, Reset) or with OK alone (a notice). Exit in the
// corner and Escape answer as Cancel.
#pragma once

#include <QString>
#include <string>

#include "setup/texts/LanguageTexts.h"
#include "skin/SkinDialog.h"

namespace kelm {

class CConfirmDlg : public skin::SkinDialog {
    Q_OBJECT
public:
    enum class Buttons { OkCancel, OkOnly };
    CConfirmDlg(const std::string& programFolder, const LanguageTexts& texts, const QString& text, Buttons buttons,
                QWidget* parent);

    // Shows the dialog and waits: true for OK.
    static bool Ask(const std::string& programFolder, const LanguageTexts& texts, const QString& text, QWidget* parent);
    static void Tell(const std::string& programFolder, const LanguageTexts& texts, const QString& text,
                     QWidget* parent);
};

}  // namespace kelm
