// What every skinned program does the same way with its pictures and the
// ends of its dialogs: the pictures live in a Skin/ folder beside the
// program, and a dialog's OK, Cancel and title-bar close buttons are cut
// from the dialog's state pictures.
#pragma once

#include <QString>
#include <array>
#include <string>
#include <string_view>

#include "skin/PictureButton.h"
#include "skin/StatePictures.h"

class QDialog;

namespace kelm::skin {

// programFolder (with a trailing '/') + "Skin/" + base.
QString SkinFilePath(const std::string& programFolder, const QString& base);
QString FromUtf8(std::string_view text);

struct DialogButtons {
    PictureButton* ok;
    PictureButton* cancel;
    PictureButton* exit;
};

// The buttons by their layouts (OK, Cancel, close): OK accepts, the other
// two reject.
DialogButtons MakeEndButtons(QDialog& dialog, const StatePictures& pictures,
                             const std::array<std::string_view, 3>& layouts, const QString& okText,
                             const QString& cancelText);

}  // namespace kelm::skin
