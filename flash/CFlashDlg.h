// KelmFlash's four small dialogs, one skinned form: the confirmation (OK and
// Cancel), the notice, the success and the failure dialog (OK alone). OK
// answers accepted; Cancel, the close button in the corner and Escape
// answer rejected.
#pragma once

#include <QString>
#include <string>

#include "skin/SkinDialog.h"

namespace kelm {

class CFlashDlg : public skin::SkinDialog {
    Q_OBJECT
public:
    enum class Kind { Confirm, Notice, Success, Failure };

    // detail: a further line under the dialog's text (the failure's reason).
    CFlashDlg(const std::string& programFolder, Kind kind, const QString& detail, QWidget* parent);

    // Shows the dialog and waits: true for OK.
    static bool Ask(const std::string& programFolder, Kind kind, const QString& detail = {}, QWidget* parent = nullptr);

    static QString Text(Kind kind);
    static QString Title(Kind kind);
};

}  // namespace kelm
