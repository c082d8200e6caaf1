// KelmSetup's main window, "VELDAN Kelm Keyboard Option": five page tabs,
// the page area, the five profile slots with their Windows-profile markers
// and names, Create, Load, Save, Edit, the language button, OK, Apply and
// Cancel, and the help line that shows the tooltip under the mouse. What
// the controls do is SetupController's; this is the view.
#pragma once

#include <QLabel>
#include <array>
#include <memory>
#include <string>

#include "setup/CKeyPageDialogs.h"
#include "setup/KeyPageController.h"
#include "setup/SetupController.h"
#include "setup/SkinSet.h"
#include "setup/texts/LanguageTexts.h"
#include "skin/SkinDialog.h"
#include "skin/TooltipHub.h"

namespace kelm {

class CAdvancedPage;
class CKeyPage;
class CUpdatePage;
class ProcessLauncher;

class CSetupDlg final : public skin::SkinDialog, public ISetupView {
    Q_OBJECT
public:
    enum Page { kMainPage, kHotGridPage, kMediaFPage, kAdvancedPage, kUpdatePage, kPageCount };

    CSetupDlg(SetupSession& session, ProcessLauncher& launcher, const std::string& programFolder);
    ~CSetupDlg() override;
    // The controller acts on the controls' clicks.
    void Attach(SetupController& controller);
    // What the key-assignment pages ask the user; until set, the menu
    // entries that need a dialog do nothing.
    // The pages ask the skinned dialogs unless tests answer for them.
    void SetKeyPageDialogs(IKeyPageDialogs* dialogs) { keyPageController_.SetDialogs(dialogs); }

    // Shows the page, making it the first time.
    void ShowPage(int page);
    int VisiblePage() const { return visiblePage_; }

    void RefreshAll() override;
    void RefreshFirmwareText() override;
    void Relabel() override;
    void SetBusy(bool busy) override;
    void ShowNotice(Notice notice) override;
    bool ConfirmWindowsProfile(int slot) override;
    void Raise() override;
    void Close() override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void LoadProfile();
    void SaveProfile();
    void EditProfile(bool create);
    void ChooseLanguage();
    skin::PictureButton* Button(std::string_view layout);
    QWidget* MakePage(int page);

    SetupSession& session_;
    ProcessLauncher& launcher_;
    std::string programFolder_;
    SetupController* controller_ = nullptr;
    SkinSet skin_;
    LanguageTexts texts_;
    skin::TooltipHub hub_;
    std::array<skin::PictureButton*, kPageCount> tabs_{};
    std::array<QWidget*, kPageCount> pages_{};
    int visiblePage_ = -1;
    CKeyPageDialogs keyPageDialogs_;
    KeyPageController keyPageController_;
    // By page: the Main, Hot Grid and Media F pages once made.
    std::array<CKeyPage*, 3> keyPages_{};
    CAdvancedPage* advanced_ = nullptr;
    CUpdatePage* update_ = nullptr;
    std::array<skin::PictureButton*, 5> slots_{};
    std::array<skin::PictureButton*, 5> markers_{};
    std::array<QLabel*, 5> names_{};
    skin::PictureButton* create_ = nullptr;
    skin::PictureButton* load_ = nullptr;
    skin::PictureButton* save_ = nullptr;
    skin::PictureButton* edit_ = nullptr;
    skin::PictureButton* language_ = nullptr;
    skin::PictureButton* min_ = nullptr;
    skin::PictureButton* exit_ = nullptr;
    skin::PictureButton* ok_ = nullptr;
    skin::PictureButton* apply_ = nullptr;
    skin::PictureButton* cancel_ = nullptr;
    QLabel* helpLine_ = nullptr;
    QLabel* mousePicture_ = nullptr;
    bool busy_ = false;
    bool painted_ = false;
};

}  // namespace kelm
