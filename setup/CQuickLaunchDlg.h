// The quick-launch dialog of "Quicklaunch": the program a key starts, typed
// or chosen with a file dialog. OK stays disabled while the path is blank or
// too long for the key entry, and a notice says when it is too long: a path
// is never cut, as a cut path would start another program or none.
#pragma once

#include <optional>
#include <string>

#include "setup/texts/LanguageTexts.h"
#include "skin/PictureButton.h"
#include "skin/SkinDialog.h"

class QLabel;
class QLineEdit;

namespace kelm {

class CQuickLaunchDlg : public skin::SkinDialog {
    Q_OBJECT
public:
    CQuickLaunchDlg(const std::string& programFolder, const LanguageTexts& texts, const std::string& current,
                    QWidget* parent);

    std::string Path() const;
    // The folder the file dialog opens in: the current path's folder where
    // it exists, else the desktop folder, else the home folder.
    QString BrowseFolder() const;

    static std::optional<std::string> Run(const std::string& programFolder, const LanguageTexts& texts,
                                          const std::string& current, QWidget* parent);

private:
    void Browse();
    void Check();

    const LanguageTexts& texts_;
    QLineEdit* path_ = nullptr;
    QLabel* notice_ = nullptr;
    skin::PictureButton* ok_ = nullptr;
};

}  // namespace kelm
