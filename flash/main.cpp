// KelmFlash: the firmware updater, in the FlashPack folder of the
// installation.
//
//   KelmFlash [ARGUMENT]   the update window; its flow depends on the first
//                          character of ARGUMENT, as KelmWatch passes it
//   KelmFlash --no-gui     one update at once, with text lines, for scripts
//
// One KelmFlash runs at a time: a second one ends at once.
#include <signal.h>

#include <cstdio>
#include <iostream>
#include <string>

#include "flash/CommandLineUpdate.h"
#include "flash/FlashIds.h"
#include "platform/Debug.h"
#include "platform/NamedMutex.h"

namespace {

using namespace kelm;

int Usage() {
    std::fprintf(stderr, "usage: KelmFlash [ARGUMENT]\n       KelmFlash --no-gui\n");
    return 2;
}

int Main(int argc, char** argv) {
    // Before any thread exists, so that every thread leaves these to the
    // update, which decides when a stop may take effect.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    for (int signal : {SIGINT, SIGTERM, SIGHUP}) sigaddset(&stopSignals, signal);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);

    std::string commandLine;
    for (int i = 1; i < argc; ++i) commandLine += (i > 1 ? " " : "") + std::string(argv[i]);
    const bool noGui = argc > 1 && std::string(argv[1]) == "--no-gui";
    if (noGui && argc > 2) return Usage();

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
    std::fprintf(stderr,
                 "KelmFlash: the update window is not available in this build; run 'KelmFlash --no-gui' to update "
                 "from the command line\n");
    return 1;
}

}  // namespace

int main(int argc, char** argv) { return Main(argc, argv); }
