// The language chooser: seventeen entries, each language named in itself,
// popping up above the language button. The result is the chosen language
// index, or -1 when it was closed without a choice.
#pragma once

#include <QPoint>
#include <string>

#include "setup/texts/LanguageTexts.h"
#include "skin/SkinDialog.h"

namespace kelm {

class CLanguageDlg : public skin::SkinDialog {
    Q_OBJECT
public:
    CLanguageDlg(const std::string& programFolder, const LanguageTexts& texts, int current, QWidget* parent);

    // button: the language button's top-left corner on the screen.
    static int Choose(const std::string& programFolder, const LanguageTexts& texts, int current, QPoint button,
                      QWidget* parent);
};

}  // namespace kelm
