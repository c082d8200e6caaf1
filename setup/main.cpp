// KelmSetup: the user's window onto the keyboard's settings. One runs per
// session; a second start brings the first to the front and ends. It never
// talks to the keyboard: it edits a copy of the settings and hands it to
// KelmWatch on Apply, saving the settings files itself.
#include <QApplication>
#include <cstdio>
#include <memory>

#include "platform/NamedMutex.h"
#include "platform/ProcessLauncher.h"
#include "platform/WindowClient.h"
#include "platform/WindowEndpoint.h"
#include "platform/gui/GuiApplication.h"
#include "platform/gui/QtMessageLoop.h"
#include "settings/StoreLocation.h"
#include "setup/CSetupDlg.h"
#include "setup/MonitorLink.h"
#include "setup/SetupController.h"
#include "setup/SetupHelp.h"
#include "setup/SetupSession.h"
#include "setup/SkinSet.h"
#include "setup/ThreadApplyRunner.h"
#include "skin/PicturePreload.h"
#include "suite/SuiteIds.h"

namespace kelm {
namespace {

constexpr std::string_view kInstanceMutexName = "Veldan_Kelm_configure";

int Main(int argc, char** argv) {
    if (const auto status = AnswerStandardOptions(SetupHelp(), argc, argv)) return *status;
    const StoreLocation where = StoreLocation::FromEnvironment();
    // The first frame needs these; a second core decodes them while Qt
    // connects to the display.
    skin::PreloadPictures({SkinPath(where.programFolder, QStringLiteral("Main.png")),
                           SkinPath(where.programFolder, QStringLiteral("Main-pressed.png")),
                           SkinPath(where.programFolder, QStringLiteral("MacroKeys.png")),
                           SkinPath(where.programFolder, QStringLiteral("MacroKeys-normal.png")),
                           SkinPath(where.programFolder, QStringLiteral("MacroKeys-disabled.png"))});
    const std::unique_ptr<QCoreApplication> application = CreateApplication(argc, argv);
    if (qobject_cast<QApplication*>(application.get()) == nullptr) {
        std::fprintf(stderr, "KelmSetup: there is no display to show the window on\n");
        return 1;
    }
    const NamedMutex instance = NamedMutex::Create(kInstanceMutexName);
    if (instance.AlreadyExisted()) {
        PostMessage(kSetupTitle, RegisterWindowMessage(kActivateWindowMessage), 0, 0);
        return 0;
    }
    UseSetupFont();

    QtMessageLoop loop;
    const std::unique_ptr<IMonitorLink> monitor = CreateMonitorLink();
    SetupSession session(*monitor, where);
    SystemLauncher launcher;
    CSetupDlg window(session, launcher, where.programFolder);
    ThreadApplyRunner runner(*monitor, loop);
    SetupController controller(session, window, runner);
    window.Attach(controller);
    const auto endpoint = WindowEndpoint::Create(
        loop, kSetupTitle, [&controller](const WindowMessage& message) { return controller.WindowProc(message); });
    // Another KelmSetup took the title between our two checks.
    if (!endpoint) return 0;
    controller.Start();
    window.exec();
    return 0;
}

}  // namespace
}  // namespace kelm

int main(int argc, char** argv) { return kelm::Main(argc, argv); }
