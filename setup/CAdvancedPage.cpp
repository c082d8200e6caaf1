#include "setup/CAdvancedPage.h"

#include <QLabel>
#include <QLineEdit>

#include "setup/CConfirmDlg.h"
#include "setup/SkinSet.h"

namespace kelm {

namespace {

constexpr std::array<TextId, kAdvancedSliders.size()> kSliderTips{TextId::kRepeatDelayTip, TextId::kRepeatRateTip,
                                                                  TextId::kBrightnessTip, TextId::kSoundVolumeTip};
constexpr std::array<TextId, kAdvancedSwitches.size()> kSwitchTexts{TextId::kKeyTab,
                                                                    TextId::kKeyCapsLock,
                                                                    TextId::kKeyLeftWindows,
                                                                    TextId::kKeyRightWindows,
                                                                    TextId::kKeyApp,
                                                                    TextId::kKeyLeftShift,
                                                                    TextId::kSoundProfileSwitchLabel,
                                                                    TextId::kSoundLiveRecordingLabel,
                                                                    TextId::kSoundSensitivityLabel,
                                                                    TextId::kSoundVolumeUpDownLabel};
constexpr std::array<TextId, kAdvancedSwitches.size()> kSwitchTips{
    TextId::kSwitchableKeysTip,     TextId::kSwitchableKeysTip,     TextId::kSwitchableKeysTip,
    TextId::kSwitchableKeysTip,     TextId::kSwitchableKeysTip,     TextId::kSwitchableKeysTip,
    TextId::kSoundProfileSwitchTip, TextId::kSoundLiveRecordingTip, TextId::kSoundProfileSwitchTip,
    TextId::kSoundVolumeTip};

// The texts beside the controls and the sections' headings.
struct PlacedText {
    TextId id;
    QRect where;
    bool heading;
};
constexpr PlacedText kPlacedTexts[] = {
    {TextId::kRepeatHeading, {24, 8, 300, 18}, true},        {TextId::kRepeatDelayLabel, {20, 57, 88, 25}, false},
    {TextId::kRepeatRateLabel, {20, 106, 88, 25}, false},    {TextId::kRepeatTestLabel, {18, 138, 300, 18}, false},
    {TextId::kIlluminationHeading, {414, 8, 340, 18}, true}, {TextId::kBrightnessLabel, {622, 35, 140, 20}, false},
    {TextId::kDimmerLabel, {408, 110, 170, 18}, false},      {TextId::kTimeOutLabel, {611, 110, 150, 18}, false},
    {TextId::kKeysHeading, {24, 194, 300, 18}, true},        {TextId::kSoundHeading, {414, 168, 340, 18}, true},
    {TextId::kSoundVolumeLabel, {628, 206, 102, 18}, false},
};

QLabel* Text(const QRect& where, bool heading, QWidget* parent) {
    auto* label = new QLabel(parent);
    label->setGeometry(where);
    label->setAttribute(Qt::WA_TransparentForMouseEvents);
    label->setStyleSheet(heading ? QStringLiteral("color: #E8F4FC; font-weight: bold; background: transparent;")
                                 : QStringLiteral("color: #AEB8C2; background: transparent;"));
    return label;
}

}  // namespace

CAdvancedPage::CAdvancedPage(SetupSession& session, const std::string& programFolder, skin::TooltipHub& hub,
                             QWidget* parent)
    : skin::SkinPage(parent), session_(session), programFolder_(programFolder) {
    const SkinSet skin(programFolder, QStringLiteral("Advanced"), devicePixelRatioF());
    SetBackground(skin.Background());
    const QPixmap thumb =
        skin::LoadPicture(SkinPath(programFolder, QStringLiteral("SliderThumb")), devicePixelRatioF());

    for (const PlacedText& text : kPlacedTexts) labels_.emplace_back(Text(text.where, text.heading, this), text.id);

    for (std::size_t i = 0; i < kAdvancedSliders.size(); ++i) {
        const AdvancedSlider& control = kAdvancedSliders[i];
        auto* slider = new skin::DragSlider(skin::ParseLayout(control.layout), control.controlId, this);
        slider->SetRange(0, control.maximum);
        slider->SetRounding(true);
        slider->SetPictures(skin.Pictures(), thumb);
        hub.Watch(slider);
        connect(slider, &skin::SkinSlider::ValueChanged, this, [this](int value, int controlId) {
            if (ProfileRecord* profile = Profile()) OnAdvancedSlider(*profile, controlId, value);
        });
        sliders_[i] = slider;
    }
    for (std::size_t i = 0; i < kAdvancedSwitches.size(); ++i) {
        auto* button = skin.Button(kAdvancedSwitches[i].layout, this, &hub);
        button->setCheckable(true);
        // A hidden switch keeps its field, but the user never meets it.
        if (button->geometry().isEmpty()) button->hide();
        // The caption starts right of the box and may run a little past the
        // button, where a translation needs it (the next column starts
        // further on).
        switchLabels_[i] = Text(button->geometry().adjusted(18, 0, 24, 0), false, this);
        connect(button, &QAbstractButton::clicked, this, [this, i] {
            if (ProfileRecord* profile = Profile()) ToggleSwitch(kAdvancedSwitches[i], *profile);
            Refresh();
        });
        switches_[i] = button;
    }
    dimmer_ = skin.Button(kDimmerLayout, this, &hub);
    connect(dimmer_, &QAbstractButton::clicked, this, [this] { OpenMenu(dimmer_, true); });
    timeOut_ = skin.Button(kTimeOutLayout, this, &hub);
    connect(timeOut_, &QAbstractButton::clicked, this, [this] { OpenMenu(timeOut_, false); });

    test_ = new QLineEdit(this);
    skin::Place(*test_, skin::ParseLayout(kTestRepeatLayout));
    test_->setMaxLength(kTestRepeatMaxLength);
    test_->setFrame(false);
    test_->setStyleSheet(QStringLiteral("color: white; background: black;"));
    hub.Watch(test_);

    reset_ = skin.Button(kResetLayout, this, &hub);
    connect(reset_, &QAbstractButton::clicked, this, [this] {
        if (texts_ != nullptr &&
            CConfirmDlg::Ask(programFolder_, *texts_, Utf8(texts_->Text(TextId::kResetQuestion)), window()))
            emit ResetConfirmed();
    });
}

ProfileRecord* CAdvancedPage::Profile() {
    const int slot = session_.CurrentSlot();
    return IsValidSlot(slot) ? &session_.Working().Profiles[slot] : nullptr;
}

void CAdvancedPage::Refresh() {
    ProfileRecord* profile = Profile();
    setEnabled(profile != nullptr);
    if (profile == nullptr) return;
    for (std::size_t i = 0; i < kAdvancedSliders.size(); ++i)
        sliders_[i]->SetValue(SliderPosition(kAdvancedSliders[i], *profile));
    for (std::size_t i = 0; i < kAdvancedSwitches.size(); ++i)
        switches_[i]->setChecked(SwitchOn(kAdvancedSwitches[i], *profile));
    const auto dimmer = DimmerTextId(profile->DimmerOption);
    dimmer_->setText(dimmer && texts_ != nullptr ? Utf8(texts_->Text(*dimmer)) : QString());
    timeOut_->setText(QString::number(profile->LtTimeout));
}

void CAdvancedPage::Relabel(const LanguageTexts& texts) {
    texts_ = &texts;
    for (const auto& [label, id] : labels_) label->setText(Utf8(texts.Text(id)));
    for (std::size_t i = 0; i < sliders_.size(); ++i) sliders_[i]->setToolTip(Utf8(texts.Text(kSliderTips[i])));
    for (std::size_t i = 0; i < switches_.size(); ++i) {
        switchLabels_[i]->setText(Utf8(texts.Text(kSwitchTexts[i])));
        switches_[i]->setToolTip(Utf8(texts.Text(kSwitchTips[i])));
    }
    dimmer_->setToolTip(Utf8(texts.Text(TextId::kDimmerTip)));
    timeOut_->setToolTip(Utf8(texts.Text(TextId::kTimeOutTip)));
    reset_->setText(Utf8(texts.Text(TextId::kResetCaption)));
    reset_->setToolTip(Utf8(texts.Text(TextId::kResetTip)));
    test_->setToolTip(Utf8(texts.Text(TextId::kRepeatTestTip)));
    Refresh();
}

std::unique_ptr<skin::SkinMenu> CAdvancedPage::Menu(bool dimmer) {
    const ProfileRecord* profile = Profile();
    if (profile == nullptr || texts_ == nullptr) return nullptr;
    auto menu = std::make_unique<skin::SkinMenu>();
    // A click on the control while its menu is open only closes the menu;
    // passed on, it would open the menu again at once.
    menu->setAttribute(Qt::WA_NoMouseReplay);
    if (dimmer) {
        for (int option = 0; option < kDimmerCount; ++option)
            menu->AppendItem(kFirstDimmerCommand + option, Utf8(texts_->Text(*DimmerTextId(option))),
                             option == profile->DimmerOption);
    } else {
        for (int minutes = 1; minutes <= kTimeOutCount; ++minutes)
            menu->AppendItem(kFirstTimeOutCommand + minutes - 1, QString::number(minutes),
                             minutes == profile->LtTimeout);
        // As wide as the control it drops from.
        menu->SetWidth(timeOut_->width());
    }
    return menu;
}

// Both menus are made when opened, at the control's lower-left corner.
void CAdvancedPage::OpenMenu(skin::PictureButton* button, bool dimmer) {
    const auto menu = Menu(dimmer);
    if (!menu) return;
    const int command = menu->Track(button->mapToGlobal(QPoint(0, button->height())));
    if (command != 0 && OnAdvancedMenuCommand(*Profile(), command)) Refresh();
}

}  // namespace kelm
