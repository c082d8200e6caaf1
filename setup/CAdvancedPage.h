// The settings page: key repeat with a field to try it in, illumination,
// the switchable keys and the sound feedback of the selected profile, and
// Reset. It edits the session's working record; nothing reaches the
// keyboard before Apply, except Reset, which the main window applies at
// once once the user has confirmed it.
#pragma once

#include <array>
#include <memory>
#include <string>
#include <vector>

#include "setup/AdvancedSettings.h"
#include "setup/SetupSession.h"
#include "setup/texts/LanguageTexts.h"
#include "skin/DragSlider.h"
#include "skin/PictureButton.h"
#include "skin/SkinMenu.h"
#include "skin/SkinPage.h"
#include "skin/TooltipHub.h"

class QLabel;
class QLineEdit;

namespace kelm {

class CAdvancedPage : public skin::SkinPage {
    Q_OBJECT
public:
    CAdvancedPage(SetupSession& session, const std::string& programFolder, skin::TooltipHub& hub, QWidget* parent);

    // Every control from the selected profile.
    void Refresh();
    // The dimmer or time-out menu for the selected profile, its value
    // checked; nothing while no profile is selected.
    std::unique_ptr<skin::SkinMenu> Menu(bool dimmer);
    void Relabel(const LanguageTexts& texts);

signals:
    // The user confirmed the Reset.
    void ResetConfirmed();

private:
    ProfileRecord* Profile();
    void OpenMenu(skin::PictureButton* button, bool dimmer);

    SetupSession& session_;
    std::string programFolder_;
    const LanguageTexts* texts_ = nullptr;
    std::array<skin::DragSlider*, kAdvancedSliders.size()> sliders_{};
    std::array<skin::PictureButton*, kAdvancedSwitches.size()> switches_{};
    std::array<QLabel*, kAdvancedSwitches.size()> switchLabels_{};
    skin::PictureButton* dimmer_ = nullptr;
    skin::PictureButton* timeOut_ = nullptr;
    skin::PictureButton* reset_ = nullptr;
    QLineEdit* test_ = nullptr;
    std::vector<std::pair<QLabel*, TextId>> labels_;
};

}  // namespace kelm
