#include "setup/CQuickLaunchDlg.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QStandardPaths>

#include "setup/DialogParts.h"
#include "setup/KeyDialogLayout.h"
#include "setup/QuickLaunchCheck.h"
#include "setup/SkinSet.h"

namespace kelm {

CQuickLaunchDlg::CQuickLaunchDlg(const std::string& programFolder, const LanguageTexts& texts,
                                 const std::string& current, QWidget* parent)
    : SkinDialog(parent), texts_(texts) {
    const SkinSet skin(programFolder, QStringLiteral("QuickLaunch"), devicePixelRatioF());
    SetBackground(skin.Background());
    SetTitle(Utf8(texts.Text(TextId::kQuickLaunchTitle)), QRect(14, 4, 250, 24));

    DialogLabel(Utf8(texts.Text(TextId::kQuickLaunchLabel)), QRect(27, 66, 250, 18), this);
    path_ = DialogField(kQuickLaunchPathLayout, this);
    path_->setText(Utf8(current));
    auto* browse = skin.Button(kQuickLaunchBrowseLayout, this);
    browse->setText(QStringLiteral("…"));
    browse->setToolTip(Utf8(texts.Text(TextId::kBrowseTip)));
    connect(browse, &QAbstractButton::clicked, this, &CQuickLaunchDlg::Browse);
    notice_ = DialogNotice(QRect(27, 116, 253, 72), this);
    ok_ = skin.EndButtons(*this, texts, kQuickLaunchEndLayouts).ok;

    connect(path_, &QLineEdit::textChanged, this, &CQuickLaunchDlg::Check);
    // Enter in the field is OK, where OK may be pressed.
    connect(path_, &QLineEdit::returnPressed, ok_, &QAbstractButton::click);
    Check();
    path_->setFocus();
}

std::string CQuickLaunchDlg::Path() const { return path_->text().toStdString(); }

QString CQuickLaunchDlg::BrowseFolder() const {
    const QFileInfo current(path_->text().trimmed());
    if (!path_->text().trimmed().isEmpty() && current.dir().exists()) return current.dir().absolutePath();
    const QString desktop = QStandardPaths::writableLocation(QStandardPaths::DesktopLocation);
    return !desktop.isEmpty() && QDir(desktop).exists() ? desktop : QDir::homePath();
}

// A Linux program is any file that may be executed, whatever its name, so
// "Programs" is a filter on the permission, not on a pattern; the portal
// dialogs of the desktops can only filter by pattern, hence Qt's own.
void CQuickLaunchDlg::Browse() {
    const QString programs = Utf8(texts_.Text(TextId::kQuickLaunchProgramsFilter)) + QStringLiteral(" (*)");
    const QString allFiles = Utf8(texts_.Text(TextId::kQuickLaunchAllFilesFilter)) + QStringLiteral(" (*)");
    QFileDialog dialog(this, QString(), BrowseFolder());
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setNameFilters({programs, allFiles});
    const auto filterFor = [&](const QString& nameFilter) {
        const QDir::Filters files = QDir::AllDirs | QDir::NoDotAndDotDot | QDir::Files;
        dialog.setFilter(nameFilter == programs ? files | QDir::Executable : files);
    };
    filterFor(programs);
    connect(&dialog, &QFileDialog::filterSelected, &dialog, filterFor);
    if (!path_->text().trimmed().isEmpty()) dialog.selectFile(path_->text().trimmed());
    if (dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty())
        path_->setText(dialog.selectedFiles().constFirst());
}

void CQuickLaunchDlg::Check() {
    const QuickLaunchProblem problem = CheckQuickLaunchPath(Path());
    ok_->setEnabled(problem == QuickLaunchProblem::None);
    notice_->setText(
        problem == QuickLaunchProblem::TooLong
            ? Utf8(WithNumber(texts_.Text(TextId::kQuickLaunchTooLong), static_cast<int>(kMaxQuickLaunchPathBytes)))
            : QString());
}

std::optional<std::string> CQuickLaunchDlg::Run(const std::string& programFolder, const LanguageTexts& texts,
                                                const std::string& current, QWidget* parent) {
    CQuickLaunchDlg dialog(programFolder, texts, current, parent);
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    return dialog.Path();
}

}  // namespace kelm
