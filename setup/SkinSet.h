// A window's pictures as KelmSetup loads them from the program folder's
// Skin/: the background and the four state pictures its controls are cut
// from, and the making of its controls, each given its pictures and its
// tooltip reported to the help line.
#pragma once

#include <QString>
#include <array>
#include <string>
#include <string_view>

#include "setup/texts/LanguageTexts.h"
#include "skin/Layout.h"
#include "skin/PictureButton.h"
#include "skin/StatePictures.h"
#include "skin/TooltipHub.h"

class QDialog;

namespace kelm {

class SkinSet {
public:
    // base: e.g. "Main" for Skin/Main.png and Skin/Main-normal.png ...
    SkinSet(const std::string& programFolder, const QString& base, qreal devicePixelRatio);

    QString Background() const { return base_; }
    const skin::StatePictures& Pictures() const { return pictures_; }

    skin::PictureButton* Button(std::string_view layout, QWidget* parent, skin::TooltipHub* hub = nullptr) const;

    // A dialog's OK, Cancel and title-bar close button, by their layouts
    // (OK, Cancel, close): OK accepts, the other two reject.
    struct DialogButtons {
        skin::PictureButton* ok;
        skin::PictureButton* cancel;
        skin::PictureButton* exit;
    };
    DialogButtons EndButtons(QDialog& dialog, const LanguageTexts& texts,
                             const std::array<std::string_view, 3>& layouts) const;

private:
    QString base_;
    skin::StatePictures pictures_;
};

// The program folder's Skin/ folder and base.
QString SkinPath(const std::string& programFolder, const QString& base);
QString Utf8(std::string_view text);
// The skin was drawn for small, even text: one face at one size in every
// window of the program, whatever the desktop's default.
void UseSetupFont();

}  // namespace kelm
