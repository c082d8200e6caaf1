// Pictures of KelmFlash's window and dialogs for a person to look at: the
// real windows updating the real KelmEmu in a temporary program folder,
// grabbed into a folder: the confirmation, the notice, the window in the
// middle of an update, the success and the failure dialog.
//   flash_screenshots FOLDER PROGRAM_FOLDER
#include <signal.h>
#include <sys/stat.h>

#include <QApplication>
#include <QPixmap>
#include <QTimer>
#include <cstdio>
#include <filesystem>
#include <set>

#include "flash/CFlashDlg.h"
#include "flash/CFlashWnd.h"
#include "flash/FlashProgram.h"
#include "keyboard/FirmwareUpdate.h"
#include "platform/ProcessLauncher.h"
#include "skin/PictureButton.h"
#include "tests/support/Programs.h"
#include "tests/support/TempFolder.h"

namespace {

using namespace kelm;

QString out;
std::set<QString> taken;
int failures = 0;

void Save(QWidget& widget, const QString& name) {
    if (!taken.insert(name).second) return;
    if (!widget.grab().save(out + "/" + name + ".png")) {
        std::fprintf(stderr, "flash_screenshots: cannot write %s\n", qPrintable(name));
        ++failures;
    }
}

// Grabs each dialog once it has painted and answers OK; grabs the window
// when its bar is past the middle.
void Watch(const QString& prefix) {
    auto* timer = new QTimer(qApp);
    QObject::connect(timer, &QTimer::timeout, [timer, prefix] {
        for (QWidget* widget : QApplication::topLevelWidgets()) {
            auto* window = qobject_cast<CFlashWnd*>(widget);
            if (window != nullptr && window->isVisible() && window->ProgressMaximum() > 1 &&
                window->ProgressValue() * 2 > window->ProgressMaximum())
                Save(*window, prefix + "window-updating");
        }
        auto* dialog = qobject_cast<CFlashDlg*>(QApplication::activeModalWidget());
        if (dialog == nullptr || dialog->property("answered").toBool()) return;
        if (!dialog->property("seen").toBool()) {
            dialog->setProperty("seen", true);  // one more tick, so it has painted
            return;
        }
        dialog->setProperty("answered", true);
        Save(*dialog, prefix + "dialog-" + dialog->objectName().toLower());
        if (auto* ok = dialog->findChild<skin::PictureButton*>("BUTTON_OK")) ok->click();
        (void)timer;
    });
    timer->start(150);
}

}  // namespace

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    if (argc != 3) {
        std::fprintf(stderr, "usage: flash_screenshots FOLDER PROGRAM_FOLDER\n");
        return 2;
    }
    out = QString::fromLocal8Bit(argv[1]);
    // Absolute: the program folder below borrows from it through symbolic links.
    const std::string programs = std::filesystem::absolute(argv[2]).string();
    test::TempFolder folder;
    const std::string home = folder / "program";
    const std::string socket = folder / "emu.sock";
    std::filesystem::create_directories(home + "/FlashPack");
    std::filesystem::create_symlink(programs + "/libdevbridge.so", home + "/libdevbridge.so");
    std::filesystem::create_symlink(programs + "/FlashPack/Skin", home + "/FlashPack/Skin");
    test::WriteFile(home + "/KelmWatch", "#!/bin/sh\n");
    ::chmod((home + "/KelmWatch").c_str(), 0700);
    test::WriteFile(home + "/FlashPack/config.ini", "[Firmware]\r\nName=Kelm_Keyboard_V120.bin\r\nVersion=120\r\n");
    const std::vector<std::uint8_t> image = MakeTestImage(20 * 1024, 120);
    test::WriteFile(home + "/FlashPack/Kelm_Keyboard_V120.bin", std::string(image.begin(), image.end()));
    ::setenv("KELM_HOME", home.c_str(), 1);
    ::setenv("KELM_DEVICE", ("emu:" + socket).c_str(), 1);
    const pid_t emu = test::Spawn({programs + "/KelmEmu", "--socket", socket}, folder / "emu.out");
    if (emu <= 0 || !test::WaitForSocket(socket)) {
        std::fprintf(stderr, "flash_screenshots: KelmEmu did not start\n");
        return 1;
    }
    SystemLauncher launcher;
    const FlashFolders folders = FlashFolders::FromEnvironment();
    Watch("flash-");
    // A failed window is pictured and closed, whichever run fails, so that
    // a keyboard that fails early never leaves the program waiting.
    auto* closer = new QTimer(&application);
    QObject::connect(closer, &QTimer::timeout, [] {
        for (QWidget* widget : QApplication::topLevelWidgets())
            if (auto* window = qobject_cast<CFlashWnd*>(widget); window != nullptr &&
                                                                 window->Phase() == UpdatePhase::Failed &&
                                                                 QApplication::activeModalWidget() == window) {
                Save(*window, "flash-window-failed");
                window->close();
            }
    });
    closer->start(200);
    RunFlashWindows("1", folders, launcher);
    RunFlashWindows("0", folders, launcher);
    // A keyboard that refuses the third block, for the failure dialog; the
    // window is closed once the dialog has been answered.
    const pid_t fault =
        test::Spawn({programs + "/KelmEmu", "ctl", "--socket", socket, "fault", "block-fail", "2"}, folder / "ctl.out");
    test::WaitExit(fault, 5000);
    RunFlashWindows("5", folders, launcher);
    ::kill(emu, SIGTERM);
    test::WaitExit(emu, 5000);
    return failures == 0 && taken.size() >= 5 ? 0 : 1;
}
