// The name dialog of the macro manager's set menu: "[+]Add Macro Set"
// starts empty, "[R]Rename Macro Set" with the set's name. OK (or Enter)
// hands back what was typed, for the manager to check; Cancel, the close
// button and Escape nothing.
#pragma once

#include <optional>
#include <string>

#include "setup/MacroDialogContext.h"
#include "skin/SkinDialog.h"

class QLineEdit;

namespace kelm {

class CMacroSetNameDlg final : public skin::SkinDialog {
    Q_OBJECT
public:
    CMacroSetNameDlg(const MacroDialogContext& context, TextId title, const std::string& name, QWidget* parent);

    std::string Name() const;

    static std::optional<std::string> Run(const MacroDialogContext& context, TextId title, const std::string& name,
                                          QWidget* parent);

private:
    QLineEdit* name_ = nullptr;
};

}  // namespace kelm
