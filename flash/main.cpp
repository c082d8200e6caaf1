// KelmFlash: the firmware updater, in the FlashPack folder of the
// installation. Its command line is the one FlashHelp.h describes: the
// update window, whose flow KelmWatch's argument picks, or --no-gui for
// scripts. One KelmFlash runs at a time: a second one ends at once.
#include <signal.h>
#include <sys/signalfd.h>
#include <unistd.h>

#include <QApplication>
#include <QSocketNotifier>
#include <algorithm>
#include <cstdio>
#include <iostream>
#include <memory>
#include <string>

#include "flash/CommandLineUpdate.h"
#include "flash/FlashHelp.h"
#include "flash/FlashIds.h"
#include "flash/FlashProgram.h"
#include "platform/Debug.h"
#include "platform/NamedMutex.h"
#include "platform/ProcessLauncher.h"
#include "platform/StandardOptions.h"
#include "platform/UniqueFd.h"
#include "platform/gui/GuiApplication.h"

namespace {

using namespace kelm;

int Main(int argc, char** argv) {
    if (const auto status = AnswerStandardOptions(FlashHelp(), argc, argv)) return *status;
    // Before any thread exists, so that every thread leaves these to the
    // update, which decides when a stop may take effect.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    for (int signal : {SIGINT, SIGTERM, SIGHUP}) sigaddset(&stopSignals, signal);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);

    std::string commandLine;
    for (int i = 1; i < argc; ++i) commandLine += (i > 1 ? " " : "") + std::string(argv[i]);
    const bool noGui =
        std::any_of(argv + 1, argv + argc, [](const char* arg) { return std::string(arg) == "--no-gui"; });
    if (noGui && argc > 2) return RefuseUsage("KelmFlash", "--no-gui takes no argument");

    NamedMutex instance = NamedMutex::Create(kFlashInstanceMutexName);
    if (!instance) {
        std::fprintf(stderr, "KelmFlash: the runtime folder cannot be used\n");
        return 1;
    }
    if (instance.AlreadyExisted()) {
        std::fprintf(stderr, "KelmFlash: another KelmFlash is running\n");
        return 1;
    }
    DebugOutput("FW Update: %s\n", commandLine.c_str());

    if (noGui) return RunCommandLineUpdate(FlashFolders::FromEnvironment(), stopSignals, std::cout, std::cerr);

    int qtArgc = 1;
    const std::unique_ptr<QCoreApplication> application = CreateApplication(qtArgc, argv);
    if (qobject_cast<QApplication*>(application.get()) == nullptr) {
        std::fprintf(stderr,
                     "KelmFlash: there is no display to show the window on; run 'KelmFlash --no-gui' to update from "
                     "the command line\n");
        return 1;
    }
    // A stop asked for by a signal ends the windows' loops; a pass that runs
    // is still let run to its end before devbridge goes (the update window's
    // release waits for it).
    const UniqueFd signalFd(::signalfd(-1, &stopSignals, SFD_CLOEXEC | SFD_NONBLOCK));
    QSocketNotifier stop(signalFd.Get(), QSocketNotifier::Read);
    bool stopped = false;
    QObject::connect(&stop, &QSocketNotifier::activated, [&signalFd, &stopped] {
        signalfd_siginfo info{};
        while (::read(signalFd.Get(), &info, sizeof info) == static_cast<ssize_t>(sizeof info)) {
        }
        stopped = true;
        QCoreApplication::exit(1);
    });
    SystemLauncher launcher;
    return RunFlashWindows(argc > 1 ? std::string_view(argv[1]) : std::string_view(), FlashFolders::FromEnvironment(),
                           launcher, &stopped);
}

}  // namespace

int main(int argc, char** argv) { return Main(argc, argv); }
