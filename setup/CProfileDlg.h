// The profile dialog of Create and Edit: the profile's name and the three
// game programs that bring it to the front. Create starts empty, Edit with
// the profile's own fields; OK hands back what was typed, Cancel and Exit
// nothing.
#pragma once

#include <array>
#include <optional>
#include <string>

#include "setup/SetupSession.h"
#include "setup/texts/LanguageTexts.h"
#include "skin/SkinDialog.h"

class QLineEdit;

namespace kelm {

class CProfileDlg : public skin::SkinDialog {
    Q_OBJECT
public:
    enum class Mode { Create, Edit };
    CProfileDlg(const std::string& programFolder, const LanguageTexts& texts, Mode mode, const ProfileFields& fields,
                QWidget* parent);

    ProfileFields Fields() const;

    static std::optional<ProfileFields> Run(const std::string& programFolder, const LanguageTexts& texts, Mode mode,
                                            const ProfileFields& current, QWidget* parent);

private:
    void Browse(int index);

    QLineEdit* name_ = nullptr;
    std::array<QLineEdit*, 3> games_{};
};

}  // namespace kelm
