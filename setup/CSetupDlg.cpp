#include "setup/CSetupDlg.h"

#include <QApplication>
#include <QFileDialog>

#include "platform/Debug.h"
#include "platform/ProcessLauncher.h"
#include "settings/Text.h"
#include "setup/CAdvancedPage.h"
#include "setup/CConfirmDlg.h"
#include "setup/CKeyPage.h"
#include "setup/CLanguageDlg.h"
#include "setup/CProfileDlg.h"
#include "setup/CUpdatePage.h"
#include "setup/MainLayout.h"
#include "suite/SuiteIds.h"

namespace kelm {

namespace {

// The language button shows the language's short name.
constexpr std::array<const char*, kLanguageCount> kLanguageCodes{"DA", "EN", "FI", "FR", "DE", "IT", "JA", "KO", "PL",
                                                                 "RU", "ZH", "ES", "SV", "TH", "TW", "TR", "VI"};

constexpr std::array<TextId, CSetupDlg::kPageCount> kTabCaptions{
    TextId::kTabMain, TextId::kTabHotGrid, TextId::kTabMediaF, TextId::kTabAdvanced, TextId::kTabUpdate};
constexpr std::array<TextId, CSetupDlg::kPageCount> kTabTips{
    TextId::kTabMainTip, TextId::kTabHotGridTip, TextId::kTabMediaFTip, TextId::kTabAdvancedTip, TextId::kTabUpdateTip};

// The key-assignment pages by page number.
constexpr std::array<KeyPageKind, 3> kKeyPageKinds{KeyPageKind::MacroKeys, KeyPageKind::HotGrid, KeyPageKind::MediaF};

const QString kProfileFilter = QStringLiteral("Veldan Keyboard Profile (*.vkp)");

QLabel* NameLabel(std::string_view layout, QWidget* parent) {
    auto* label = new QLabel(parent);
    skin::Place(*label, skin::ParseLayout(layout));
    label->setIndent(6);
    label->setGeometry(label->geometry().adjusted(1, 1, -1, -1));
    return label;
}

}  // namespace

CSetupDlg::CSetupDlg(SetupSession& session, ProcessLauncher& launcher, const std::string& programFolder)
    : session_(session),
      launcher_(launcher),
      programFolder_(programFolder),
      skin_(programFolder, QStringLiteral("Main"), devicePixelRatioF()),
      keyPageDialogs_(programFolder, texts_, this),
      keyPageController_(session) {
    keyPageController_.SetDialogs(&keyPageDialogs_);
    setWindowTitle(QString::fromUtf8(kSetupTitle.data(), static_cast<qsizetype>(kSetupTitle.size())));
    setWindowIcon(QIcon(SkinPath(programFolder, QStringLiteral("KelmSetup.png"))));
    SetBackground(skin_.Background());
    SetTitle(QStringLiteral("Kelm Keyboard"), QRect(16, 6, 400, 22));

    for (int page = 0; page < kPageCount; ++page) {
        tabs_[page] = Button(kTabLayouts[static_cast<std::size_t>(page)]);
        tabs_[page]->setCheckable(true);
        connect(tabs_[page], &QAbstractButton::clicked, this, [this, page] { ShowPage(page); });
    }
    create_ = Button(kCreateLayout);
    load_ = Button(kLoadLayout);
    save_ = Button(kSaveLayout);
    edit_ = Button(kEditLayout);
    for (std::size_t slot = 0; slot < slots_.size(); ++slot) {
        slots_[slot] = Button(kSlotLayouts[slot]);
        slots_[slot]->setCheckable(true);
        markers_[slot] = Button(kMarkerLayouts[slot]);
        markers_[slot]->setCheckable(true);
        names_[slot] = NameLabel(kSlotNameLayouts[slot], this);
        hub_.Watch(names_[slot]);
    }
    language_ = Button(kLanguageLayout);
    min_ = Button(kMinLayout);
    exit_ = Button(kExitLayout);
    ok_ = Button(kOkLayout);
    apply_ = Button(kApplyLayout);
    cancel_ = Button(kCancelLayout);

    helpLine_ = new QLabel(this);
    skin::Place(*helpLine_, skin::ParseLayout(kHelpLineLayout));
    helpLine_->setStyleSheet(QStringLiteral("color: #AEB8C2; background: transparent;"));
    connect(&hub_, &skin::TooltipHub::TooltipChanged, helpLine_, &QLabel::setText);
    mousePicture_ = new QLabel(this);
    skin::Place(*mousePicture_, skin::ParseLayout(kMousePictureLayout));
    mousePicture_->hide();

    connect(min_, &QAbstractButton::clicked, this, &QWidget::showMinimized);
    connect(create_, &QAbstractButton::clicked, this, [this] { EditProfile(true); });
    connect(edit_, &QAbstractButton::clicked, this, [this] { EditProfile(false); });
    connect(load_, &QAbstractButton::clicked, this, &CSetupDlg::LoadProfile);
    connect(save_, &QAbstractButton::clicked, this, &CSetupDlg::SaveProfile);
    connect(language_, &QAbstractButton::clicked, this, &CSetupDlg::ChooseLanguage);
    ShowPage(kMainPage);
}

CSetupDlg::~CSetupDlg() = default;

skin::PictureButton* CSetupDlg::Button(std::string_view layout) { return skin_.Button(layout, this, &hub_); }

// Each page is made when it is first shown: a window that built all five
// first would spend most of its start decoding pictures nobody sees yet.
QWidget* CSetupDlg::MakePage(int page) {
    QWidget* made = nullptr;
    switch (page) {
        case kAdvancedPage:
            advanced_ = new CAdvancedPage(session_, programFolder_, hub_, this);
            connect(advanced_, &CAdvancedPage::ResetConfirmed, this, [this] {
                if (controller_ != nullptr) controller_->OnReset();
            });
            advanced_->Relabel(texts_);
            made = advanced_;
            break;
        case kUpdatePage:
            update_ = new CUpdatePage(programFolder_, hub_, this);
            connect(update_, &CUpdatePage::OpenAddress, this,
                    [this](const QString& address) { launcher_.OpenDocument(address.toStdString()); });
            update_->Relabel(texts_);
            RefreshFirmwareText();
            made = update_;
            break;
        default: {
            auto* keys = new CKeyPage(kKeyPageKinds[static_cast<std::size_t>(page)], keyPageController_, session_,
                                      programFolder_, hub_, this);
            connect(keys, &CKeyPage::KeysChanged, this, &CSetupDlg::RefreshAll);
            connect(keys, &CKeyPage::FilesNotSaved, this, [this] { ShowNotice(Notice::FilesNotSaved); });
            keys->Relabel(texts_);
            keyPages_[static_cast<std::size_t>(page)] = keys;
            made = keys;
            break;
        }
    }
    made->setGeometry(skin::ParseLayout(kPageLayout).Rect());
    return made;
}

void CSetupDlg::Attach(SetupController& controller) {
    controller_ = &controller;
    for (std::size_t slot = 0; slot < slots_.size(); ++slot) {
        const int index = static_cast<int>(slot);
        connect(slots_[slot], &QAbstractButton::clicked, this, [this, index] { controller_->OnSlot(index); });
        connect(markers_[slot], &QAbstractButton::clicked, this,
                [this, index] { controller_->OnWindowsProfileMarker(index); });
    }
    connect(ok_, &QAbstractButton::clicked, this, [this] { controller_->OnOk(); });
    connect(apply_, &QAbstractButton::clicked, this, [this] { controller_->OnApply(); });
    connect(cancel_, &QAbstractButton::clicked, this, [this] { controller_->OnCancel(); });
    connect(exit_, &QAbstractButton::clicked, this, [this] { controller_->OnCancel(); });
    // Escape and the window manager's close end the program as Cancel.
    connect(this, &QDialog::rejected, this, [this] { controller_->OnCancel(); });
}

// Choosing the page that shows already does nothing.
void CSetupDlg::ShowPage(int page) {
    if (page < 0 || page >= kPageCount) return;
    for (int i = 0; i < kPageCount; ++i) tabs_[i]->setChecked(i == page);
    if (page == visiblePage_) return;
    if (visiblePage_ >= 0) pages_[visiblePage_]->hide();
    if (pages_[page] == nullptr) pages_[page] = MakePage(page);
    pages_[page]->show();
    visiblePage_ = page;
}

void CSetupDlg::paintEvent(QPaintEvent* event) {
    SkinDialog::paintEvent(event);
    if (painted_ || !DebugEnabled()) return;
    painted_ = true;
    // The controls are painted after the window in the same pass, and the
    // pass then goes to the display; a queued call runs once it is over, so
    // the line stands for the whole first frame shown.
    QMetaObject::invokeMethod(
        this, [] { DebugOutput("CSetupDlg: first paint\n"); }, Qt::QueuedConnection);
}

void CSetupDlg::RefreshAll() {
    const SettingsRecord& record = session_.Working();
    for (std::size_t slot = 0; slot < slots_.size(); ++slot) {
        const bool current = static_cast<int>(slot) == record.CurrentProfile;
        slots_[slot]->setChecked(current);
        markers_[slot]->setChecked(static_cast<int>(slot) == record.WindowsProfile);
        names_[slot]->setText(Utf8(FieldText(record.Profiles[slot].ProFileName)));
        names_[slot]->setStyleSheet(current
                                        ? QStringLiteral("color: #35A0DE; font-weight: bold; background: transparent;")
                                        : QStringLiteral("color: #C8D0D8; background: transparent;"));
    }
    const int language = session_.Language();
    language_->setText(QString::fromLatin1(kLanguageCodes[static_cast<std::size_t>(
        language >= 0 && language < kLanguageCount ? language : kEnglishLanguageIndex)]));
    // Read when first shown: most users have no mouse of the maker's.
    if (record.MouseType == 1 && mousePicture_->pixmap().isNull())
        mousePicture_->setPixmap(
            skin::LoadPicture(SkinPath(programFolder_, QStringLiteral("Mouse")), devicePixelRatioF()));
    mousePicture_->setVisible(record.MouseType == 1);
    for (CKeyPage* keys : keyPages_)
        if (keys != nullptr) keys->Refresh();
    if (advanced_ != nullptr) advanced_->Refresh();
}

void CSetupDlg::RefreshFirmwareText() {
    if (update_ != nullptr) update_->SetVersions(session_.FirmwareText(), std::string(kProgramVersionText));
}

void CSetupDlg::Relabel() {
    texts_ = LanguageTexts(programFolder_, session_.Language());
    const auto text = [this](TextId id) { return Utf8(texts_.Text(id)); };
    for (int page = 0; page < kPageCount; ++page) {
        tabs_[page]->setText(text(kTabCaptions[page]));
        tabs_[page]->setToolTip(text(kTabTips[page]));
    }
    const std::pair<skin::PictureButton*, std::pair<TextId, TextId>> buttons[] = {
        {create_, {TextId::kCreateButton, TextId::kCreateTip}},
        {load_, {TextId::kLoadButton, TextId::kLoadTip}},
        {save_, {TextId::kSaveButton, TextId::kSaveTip}},
        {edit_, {TextId::kEditButton, TextId::kEditTip}},
        {ok_, {TextId::kOkButton, TextId::kOkTip}},
        {apply_, {TextId::kApplyButton, TextId::kApplyTip}},
        {cancel_, {TextId::kCancelButton, TextId::kCancelTip}},
    };
    for (const auto& [button, ids] : buttons) {
        button->setText(text(ids.first));
        button->setToolTip(text(ids.second));
    }
    for (std::size_t slot = 0; slot < slots_.size(); ++slot) {
        const int number = static_cast<int>(slot) + 1;
        slots_[slot]->setText(Utf8(WithNumber(texts_.Text(TextId::kSlotButton), number)));
        slots_[slot]->setToolTip(Utf8(WithNumber(texts_.Text(TextId::kSlotButtonTip), number)));
        names_[slot]->setToolTip(Utf8(WithNumber(texts_.Text(TextId::kSlotNameTip), number)));
        markers_[slot]->setToolTip(text(TextId::kWindowsProfileTip));
    }
    language_->setToolTip(text(TextId::kLanguageTip));
    min_->setToolTip(text(TextId::kMinimizeTip));
    exit_->setToolTip(text(TextId::kExitTip));
    for (CKeyPage* keys : keyPages_)
        if (keys != nullptr) keys->Relabel(texts_);
    if (advanced_ != nullptr) advanced_->Relabel(texts_);
    if (update_ != nullptr) update_->Relabel(texts_);
}

void CSetupDlg::SetBusy(bool busy) {
    if (busy == busy_) return;
    busy_ = busy;
    ok_->setEnabled(!busy);
    apply_->setEnabled(!busy);
    if (busy) {
        QApplication::setOverrideCursor(Qt::WaitCursor);
        helpLine_->setText(Utf8(texts_.Text(TextId::kApplyingNotice)));
    } else {
        QApplication::restoreOverrideCursor();
        helpLine_->setText(hub_.Text());
    }
}

void CSetupDlg::ShowNotice(Notice notice) {
    TextId id = TextId::kSavedWithoutMonitor;
    switch (notice) {
        case Notice::SavedWithoutMonitor:
            break;
        case Notice::KeyboardMissedIt:
            id = TextId::kKeyboardMissedIt;
            break;
        case Notice::FilesNotSaved:
            id = TextId::kFilesNotSaved;
            break;
        case Notice::BlockUnmappable:
            id = TextId::kSharedBlockError;
            break;
    }
    CConfirmDlg::Tell(programFolder_, texts_, Utf8(texts_.Text(id)), this);
}

bool CSetupDlg::ConfirmWindowsProfile(int slot) {
    return CConfirmDlg::Ask(programFolder_, texts_,
                            Utf8(WithNumber(texts_.Text(TextId::kWindowsProfileQuestion), slot + 1)), this);
}

void CSetupDlg::Raise() {
    showNormal();
    raise();
    activateWindow();
}

void CSetupDlg::Close() {
    // Once: rejected() also comes here.
    disconnect(this, &QDialog::rejected, nullptr, nullptr);
    done(QDialog::Rejected);
}

void CSetupDlg::EditProfile(bool create) {
    const auto fields =
        CProfileDlg::Run(programFolder_, texts_, create ? CProfileDlg::Mode::Create : CProfileDlg::Mode::Edit,
                         session_.CurrentProfileFields(), this);
    if (!fields) return;
    session_.SetCurrentProfileFields(*fields);
    controller_->OnProfileFieldsChanged();
}

void CSetupDlg::LoadProfile() {
    const QString chosen = QFileDialog::getOpenFileName(
        this, QString(), QString::fromStdString(session_.Where().ConfigFolder()), kProfileFilter);
    if (chosen.isEmpty() || !session_.ImportProfile(chosen.toStdString())) return;
    controller_->OnProfileFieldsChanged();
}

void CSetupDlg::SaveProfile() {
    QFileDialog dialog(
        this, QString(),
        QString::fromStdString(session_.Where().ConfigFolder() + session_.CurrentProfileFields().name + ".vkp"),
        kProfileFilter);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix(QStringLiteral("vkp"));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return;
    session_.ExportProfile(dialog.selectedFiles().first().toStdString());
}

void CSetupDlg::ChooseLanguage() {
    const int chosen =
        CLanguageDlg::Choose(programFolder_, texts_, session_.Language(), language_->mapToGlobal(QPoint(0, 0)), this);
    if (chosen >= 0) controller_->OnLanguage(chosen);
}

}  // namespace kelm
