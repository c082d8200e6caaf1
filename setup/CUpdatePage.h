// The update page: the firmware and program versions, and the buttons that
// open the driver and help pages, a mail to support and the support form.
#pragma once

#include <array>
#include <string>

#include "setup/texts/LanguageTexts.h"
#include "skin/PictureButton.h"
#include "skin/SkinPage.h"
#include "skin/TooltipHub.h"

class QLabel;

namespace kelm {

class CUpdatePage : public skin::SkinPage {
    Q_OBJECT
public:
    CUpdatePage(const std::string& programFolder, skin::TooltipHub& hub, QWidget* parent);

    // The versions shown and carried by the links.
    void SetVersions(const std::string& firmwareText, const std::string& programText);
    void Relabel(const LanguageTexts& texts);

signals:
    // An address for the desktop's handler.
    void OpenAddress(const QString& address);

private:
    void ShowVersions();

    std::array<skin::PictureButton*, 5> buttons_{};
    std::array<std::string, 5> links_;
    QLabel* versions_ = nullptr;
    QLabel* updateHeading_ = nullptr;
    QLabel* supportHeading_ = nullptr;
    const LanguageTexts* texts_ = nullptr;
    std::string firmwareText_;
    std::string programText_;
};

}  // namespace kelm
