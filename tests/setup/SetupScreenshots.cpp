// Pictures of every page, menu and dialog of KelmSetup for a person to look
// at: the real windows on the display of $DISPLAY (an Xvfb in CI), filled
// from a monitor's block with a few settings changed so that every kind of
// control shows both of its states, grabbed into a folder.
//   setup_screenshots FOLDER [PROGRAM_FOLDER]
#include <QApplication>
#include <QDir>
#include <QTimer>
#include <cstdio>
#include <filesystem>

#include "platform/ProcessLauncher.h"
#include "settings/Text.h"
#include "setup/CAdvancedPage.h"
#include "setup/CConfirmDlg.h"
#include "setup/CLanguageDlg.h"
#include "setup/CProfileDlg.h"
#include "setup/CSetupDlg.h"
#include "setup/SkinSet.h"
#include "tests/setup/FakeMonitorLink.h"
#include "tests/support/TempFolder.h"

namespace {

using namespace kelm;

// Runs the window's events until it has been painted.
void Settle() {
    for (int i = 0; i < 10; ++i) QApplication::processEvents(QEventLoop::AllEvents, 20);
}

class Camera {
public:
    explicit Camera(QString folder) : folder_(std::move(folder)) {}
    void Take(QWidget& widget, const QString& name) {
        Settle();
        const QString path = folder_ + QLatin1Char('/') + name + QStringLiteral(".png");
        if (!widget.grab().save(path)) {
            std::fprintf(stderr, "setup_screenshots: cannot write %s\n", qPrintable(path));
            failed_ = true;
            return;
        }
        std::printf("%s\n", qPrintable(path));
    }
    bool Failed() const { return failed_; }

private:
    QString folder_;
    bool failed_ = false;
};

// Launches nothing: the update page's links are pictured, not followed.
class NoLauncher final : public ProcessLauncher {
public:
    bool StartProgram(const std::string&, const std::vector<std::string>&) override { return false; }
    bool OpenDocument(const std::string&) override { return false; }
};

class NoRunner final : public IApplyRunner {
public:
    void Run(int, Done) override {}
};

}  // namespace

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: setup_screenshots FOLDER [PROGRAM_FOLDER]\n");
        return 2;
    }
    const QString folder = QString::fromLocal8Bit(argv[1]);
    // Absolute: the folder below borrows from it through symbolic links.
    const std::string programFolder =
        WithTrailingSlash(std::filesystem::absolute(argc > 2 ? argv[2] : KELM_PROGRAM_FOLDER).string());
    QDir().mkpath(folder);
    UseSetupFont();

    // The session saves the macro library: into a folder of its own, which
    // borrows the program folder's pictures and texts.
    test::TempFolder home;
    std::filesystem::create_directories(home / "config");
    for (const char* shared : {"Skin", "help"})
        std::filesystem::create_directory_symlink(programFolder + shared, home / shared);
    const StoreLocation where = StoreLocation::ForProgramFolder(home.Path());

    test::FakeMonitorLink monitor;
    SettingsRecord& block = *monitor.block;
    block.CurrentProfile = 1;
    block.WindowsProfile = 3;
    CopyField(block.Profiles[1].ProFileName, "Racing");
    CopyField(block.Profiles[2].ProFileName, "Strategy (long name that is cut)");
    block.Profiles[1].ModifyKey[2] = 0;
    block.Profiles[1].SoundLRecord = 0;
    block.MouseType = 1;
    WriteFirmwareVersion(where, 115);

    SetupSession session(monitor, where);
    NoLauncher launcher;
    NoRunner runner;
    CSetupDlg window(session, launcher, where.programFolder);
    SetupController controller(session, window, runner);
    window.Attach(controller);
    controller.Start();
    window.show();

    Camera camera(folder);
    const char* pages[] = {"main", "hotgrid", "mediaf", "advanced", "update"};
    for (int page = 0; page < CSetupDlg::kPageCount; ++page) {
        window.ShowPage(page);
        camera.Take(window, QStringLiteral("window-%1-%2").arg(page + 1).arg(QString::fromLatin1(pages[page])));
    }
    const LanguageTexts english(where.programFolder, kEnglishLanguageIndex);
    {
        CConfirmDlg dialog(where.programFolder, english,
                           Utf8(WithNumber(english.Text(TextId::kWindowsProfileQuestion), 3)),
                           CConfirmDlg::Buttons::OkCancel, &window);
        dialog.show();
        camera.Take(dialog, QStringLiteral("dialog-windows-profile"));
    }
    {
        CConfirmDlg dialog(where.programFolder, english, Utf8(english.Text(TextId::kSavedWithoutMonitor)),
                           CConfirmDlg::Buttons::OkOnly, &window);
        dialog.show();
        camera.Take(dialog, QStringLiteral("dialog-notice"));
    }
    {
        CProfileDlg dialog(where.programFolder, english, CProfileDlg::Mode::Edit, session.CurrentProfileFields(),
                           &window);
        dialog.show();
        camera.Take(dialog, QStringLiteral("dialog-profile-edit"));
    }
    {
        CLanguageDlg dialog(where.programFolder, english, session.Language(), &window);
        dialog.show();
        camera.Take(dialog, QStringLiteral("dialog-languages"));
    }
    window.ShowPage(CSetupDlg::kAdvancedPage);
    for (const bool dimmer : {true, false}) {
        const auto menu = window.findChild<CAdvancedPage*>()->Menu(dimmer);
        menu->popup(window.mapToGlobal(QPoint(420, 270)));
        camera.Take(*menu, dimmer ? QStringLiteral("menu-dimmer") : QStringLiteral("menu-time-out"));
        menu->close();
    }
    // The same window in another language.
    controller.OnLanguage(4);
    camera.Take(window, QStringLiteral("window-4-advanced-german"));
    return camera.Failed() ? 1 : 0;
}
