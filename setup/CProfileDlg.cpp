#include "setup/CProfileDlg.h"

#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QStandardPaths>

#include "setup/DialogParts.h"
#include "setup/MainLayout.h"
#include "setup/SkinSet.h"

namespace kelm {

namespace {

// The record holds bytes; a field counts characters. The session cuts
// whatever is longer on a whole character, so this only keeps typing near
// the limit.
QLineEdit* Field(std::string_view layout, const std::string& text, int maxBytes, QWidget* parent) {
    QLineEdit* field = DialogField(layout, parent);
    field->setText(QString::fromStdString(text));
    field->setMaxLength(maxBytes);
    return field;
}

}  // namespace

CProfileDlg::CProfileDlg(const std::string& programFolder, const LanguageTexts& texts, Mode mode,
                         const ProfileFields& fields, QWidget* parent)
    : SkinDialog(parent) {
    const SkinSet skin(programFolder, QStringLiteral("Profile"), devicePixelRatioF());
    SetBackground(skin.Background());
    SetTitle(Utf8(texts.Text(mode == Mode::Create ? TextId::kCreateProfileTitle : TextId::kEditProfileTitle)),
             QRect(14, 4, 400, 24));

    const ProfileFields start = mode == Mode::Create ? ProfileFields{} : fields;
    DialogLabel(Utf8(texts.Text(TextId::kProfileNameLabel)), QRect(35, 76, 84, 19), this);
    name_ = Field(kProfileNameLayout, start.name, 249, this);
    DialogLabel(Utf8(texts.Text(TextId::kGameProgramsLabel)), QRect(35, 114, 300, 19), this);
    auto* hint = DialogLabel(Utf8(texts.Text(TextId::kGameProgramsHint)), QRect(35, 204, 440, 90), this);
    hint->setWordWrap(true);
    hint->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    for (int i = 0; i < 3; ++i) {
        games_[i] = Field(kGameFileLayouts[i], start.gameFiles[i], 499, this);
        auto* browse = skin.Button(kBrowseLayouts[i], this);
        browse->setText(QStringLiteral("…"));
        browse->setToolTip(Utf8(texts.Text(TextId::kBrowseTip)));
        connect(browse, &QAbstractButton::clicked, this, [this, i] { Browse(i); });
    }
    skin.EndButtons(*this, texts, kProfileDialogButtonLayouts);
    // Enter in a field is OK, as in any dialog.
    for (QLineEdit* field : {name_, games_[0], games_[1], games_[2]})
        connect(field, &QLineEdit::returnPressed, this, &QDialog::accept);
    name_->setFocus();
}

ProfileFields CProfileDlg::Fields() const {
    ProfileFields fields;
    fields.name = name_->text().toStdString();
    for (int i = 0; i < 3; ++i) fields.gameFiles[i] = games_[i]->text().toStdString();
    return fields;
}

// Games on Linux are programs without an extension, or Windows programs
// under Wine: both are offered.
void CProfileDlg::Browse(int index) {
    const QString start = games_[index]->text().isEmpty()
                              ? QStandardPaths::writableLocation(QStandardPaths::DesktopLocation)
                              : games_[index]->text();
    const QString chosen = QFileDialog::getOpenFileName(this, QString(), start,
                                                        QStringLiteral("Programs (*);;Windows programs (*.exe *.EXE)"));
    if (!chosen.isEmpty()) games_[index]->setText(chosen);
}

std::optional<ProfileFields> CProfileDlg::Run(const std::string& programFolder, const LanguageTexts& texts, Mode mode,
                                              const ProfileFields& current, QWidget* parent) {
    CProfileDlg dialog(programFolder, texts, mode, current, parent);
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    return dialog.Fields();
}

}  // namespace kelm
