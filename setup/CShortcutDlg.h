// The shortcut dialog of "Assign a Shortcut": the key is the next one the
// user presses, the boxes add the keys held with it. While the dialog is
// shown it holds the whole keyboard (the X11 grab), so the keys pressed
// reach no other program; it lets go whenever it is hidden or destroyed,
// however it ends. Where no grab can be had, it takes the keys that reach
// its own window.
#pragma once

#include <array>
#include <memory>
#include <optional>
#include <string>

#include "keyboard/KeyFunctions.h"
#include "platform/gui/QtMessageLoop.h"
#include "setup/MacroKeyCapture.h"
#include "setup/ShortcutEdit.h"
#include "setup/texts/LanguageTexts.h"
#include "skin/PictureButton.h"
#include "skin/SkinDialog.h"

class QLabel;
class QLineEdit;

namespace kelm {

class CShortcutDlg : public skin::SkinDialog {
    Q_OBJECT
public:
    CShortcutDlg(const std::string& programFolder, const LanguageTexts& texts, const ShortcutChoice& current,
                 QWidget* parent);

    // nullopt while no key is chosen; OK stays disabled until one is.
    std::optional<ShortcutChoice> Choice() const { return edit_.Choice(); }

    static std::optional<ShortcutChoice> Run(const std::string& programFolder, const LanguageTexts& texts,
                                             const ShortcutChoice& current, QWidget* parent);

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    // Once more a moment after the grab was refused: the menu that opened
    // the dialog may not have let go of the keyboard yet.
    void Capture();
    void OnKey(std::uint16_t inputCode);
    void OnBox(std::size_t box, bool ticked);
    void Refresh();

    ShortcutEdit edit_;
    QLineEdit* key_ = nullptr;
    std::array<skin::PictureButton*, 5> boxes_{};
    std::array<QLabel*, 5> captions_{};
    skin::PictureButton* ok_ = nullptr;
    // The grab reads on this loop, so the loop must outlive the capture.
    QtMessageLoop loop_;
    std::unique_ptr<MacroKeyCapture> capture_;
    bool grabRetried_ = false;
};

}  // namespace kelm
