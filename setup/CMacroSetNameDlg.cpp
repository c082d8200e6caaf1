#include "setup/CMacroSetNameDlg.h"

#include <QLineEdit>
#include <algorithm>

#include "setup/DialogParts.h"
#include "setup/MacroManagerLayout.h"
#include "setup/MainLayout.h"
#include "setup/SkinSet.h"

namespace kelm {

CMacroSetNameDlg::CMacroSetNameDlg(const MacroDialogContext& context, TextId title, const std::string& name,
                                   QWidget* parent)
    : SkinDialog(parent) {
    const SkinSet skin(context.programFolder, QStringLiteral("MacroSetName"), devicePixelRatioF());
    SetBackground(skin.Background());
    SetTitle(context.Text(title), QRect(14, 4, 250, 22));
    DialogLabel(context.Text(TextId::kSetNameCaption), skin::ParseLayout(kSetNameCaptionLayout).Rect(), this);

    name_ = DialogField(kSetNameFieldLayout, this);
    // The manager, which counts bytes, refuses longer names; the field only
    // keeps typing near the limit, and shows a longer name from the file
    // whole rather than cut.
    const QString current = Utf8(name);
    name_->setMaxLength(std::max(static_cast<int>(kMaxMacroNameLength), static_cast<int>(current.size())));
    name_->setText(current);
    name_->selectAll();

    skin.EndButtons(*this, context.texts, kWindowsProfileDialogLayouts);
    connect(name_, &QLineEdit::returnPressed, this, &QDialog::accept);
    name_->setFocus();
}

std::string CMacroSetNameDlg::Name() const { return name_->text().toStdString(); }

std::optional<std::string> CMacroSetNameDlg::Run(const MacroDialogContext& context, TextId title,
                                                 const std::string& name, QWidget* parent) {
    CMacroSetNameDlg dialog(context, title, name, parent);
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    return dialog.Name();
}

}  // namespace kelm
