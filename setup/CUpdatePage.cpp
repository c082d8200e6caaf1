#include "setup/CUpdatePage.h"

#include <QLabel>

#include "setup/MainLayout.h"
#include "setup/SkinSet.h"
#include "setup/SupportLinks.h"

namespace kelm {

namespace {

QLabel* Text(const QRect& where, const QString& style, QWidget* parent) {
    auto* label = new QLabel(parent);
    label->setGeometry(where);
    label->setAttribute(Qt::WA_TransparentForMouseEvents);
    label->setStyleSheet(style + QStringLiteral(" background: transparent;"));
    return label;
}

constexpr std::array<TextId, 5> kCaptions{TextId::kUpdateButton, TextId::kHelpButton, TextId::kEmailButton,
                                          TextId::kSupportFormButton, TextId::kFeedbackButton};

}  // namespace

CUpdatePage::CUpdatePage(const std::string& programFolder, skin::TooltipHub& hub, QWidget* parent)
    : skin::SkinPage(parent) {
    const SkinSet skin(programFolder, QStringLiteral("Update"), devicePixelRatioF());
    SetBackground(skin.Background());
    updateHeading_ = Text(QRect(24, 8, 700, 18), QStringLiteral("color: #E8F4FC; font-weight: bold;"), this);
    supportHeading_ = Text(QRect(24, 162, 700, 18), QStringLiteral("color: #E8F4FC; font-weight: bold;"), this);
    versions_ = Text(QRect(24, 32, 700, 40), QStringLiteral("color: #AEB8C2;"), this);
    for (std::size_t i = 0; i < buttons_.size(); ++i) {
        buttons_[i] = skin.Button(kUpdateButtonLayouts[i], this, &hub);
        connect(buttons_[i], &QAbstractButton::clicked, this,
                [this, i] { emit OpenAddress(QString::fromStdString(links_[i])); });
    }
}

void CUpdatePage::SetVersions(const std::string& firmwareText, const std::string& programText) {
    firmwareText_ = firmwareText;
    programText_ = programText;
    links_ = SupportLinks(firmwareText, programText);
    for (std::size_t i = 0; i < buttons_.size(); ++i) buttons_[i]->setToolTip(QString::fromStdString(links_[i]));
    ShowVersions();
}

void CUpdatePage::Relabel(const LanguageTexts& texts) {
    texts_ = &texts;
    for (std::size_t i = 0; i < buttons_.size(); ++i) buttons_[i]->setText(Utf8(texts.Text(kCaptions[i])));
    updateHeading_->setText(Utf8(texts.Text(TextId::kUpdateHeading)));
    supportHeading_->setText(Utf8(texts.Text(TextId::kSupportHeading)));
    ShowVersions();
}

void CUpdatePage::ShowVersions() {
    if (texts_ == nullptr) return;
    versions_->setText(Utf8(texts_->Text(TextId::kFirmwareVersionLabel)) + QLatin1Char(' ') +
                       QString::fromStdString(firmwareText_) + QStringLiteral("\n") +
                       Utf8(texts_->Text(TextId::kProgramVersionLabel)) + QLatin1Char(' ') +
                       QString::fromStdString(programText_));
}

}  // namespace kelm
