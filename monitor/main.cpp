// KelmWatch: the keyboard monitor of the user's session.
//
// With a display it runs on Qt's event loop and shows its tray icon, which
// docks whenever a notification area is there, also one that appears or is
// restarted later (at login the panel may well start after the monitor).
// Without one (a console, a service, a test) it runs headless on the
// suite's own event loop, with everything but the icon.
#include <QCoreApplication>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <optional>

#include "monitor/CMonitorApp.h"
#include "monitor/CMonitorWnd.h"
#include "monitor/Countdown.h"
#include "monitor/DisplayText.h"
#include "monitor/FeedbackSounds.h"
#include "monitor/ForegroundRule.h"
#include "monitor/MacroPlayer.h"
#include "monitor/MediaControl.h"
#include "monitor/MonitorHelp.h"
#include "monitor/PactBlocks.h"
#include "monitor/SessionPorts.h"
#include "monitor/SettingsBlock.h"
#include "monitor/ShortcutInput.h"
#include "monitor/ShutdownSignals.h"
#include "monitor/SystemPorts.h"
#include "platform/Debug.h"
#include "platform/EventLoop.h"
#include "platform/ForegroundProgram.h"
#include "platform/InputInjector.h"
#include "platform/LaunchTarget.h"
#include "platform/MprisPlayers.h"
#include "platform/ProcessLauncher.h"
#include "platform/gui/GuiApplication.h"
#include "platform/gui/QtMessageLoop.h"
#include "platform/gui/TrayIcon.h"
#include "platform/sound/SoundPlayer.h"

namespace kelm {
namespace {

bool DisplayNamed() {
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY"}) {
        const char* value = std::getenv(name);
        if (value != nullptr && *value != '\0') return true;
    }
    return false;
}

// The loop the window runs on, whichever it is.
struct ProgramLoop {
    MessageLoop& loop;
    TimerService& timers;
    std::function<void(std::function<void(unsigned)>)> setTimerHandler;
    std::function<int()> run;
    std::function<void()> quit;
};

int RunMonitor(ProgramLoop program, const PactMessages& pactMessages, bool openSetupOnStart, TrayIcon* trayIcon) {
    const StoreLocation where = StoreLocation::FromEnvironment();
    SystemWindowDirectory windows;
    EndpointWindowHost host(program.loop);
    DevBridgeLibrary device(where.programFolder, program.loop);
    SettingsBlock settingsBlock;
    SessionMessageBox messageBox;
    PactBlocks pactBlocks(messageBox);
    StoreMonitorFiles files(where);
    LogindSessionNotifications session(program.loop);
    XkbKeyboardRate keyboardRate;
    SystemLauncher launcher;
    SystemClock clock;
    std::optional<QtTrayIcon> tray;
    if (trayIcon != nullptr) tray.emplace(*trayIcon);
    CanberraSoundPlayer soundPlayer("KelmWatch");
    FeedbackSounds sounds(soundPlayer, where.programFolder);
    Countdown countdown(program.timers, sounds);
    OsdDisplayText displayText(windows, where.ConfigPath());
    const std::unique_ptr<IInputInjector> injector = CreateInputInjector();
    std::optional<MacroPlayer> macroPlayer;
    std::optional<ShortcutInput> shortcutInput;
    if (injector) {
        macroPlayer.emplace(*injector, SteadyPlaybackClock());
        shortcutInput.emplace(*injector, SteadyPlaybackClock());
    }

    MonitorPorts ports{.loop = program.loop,
                       .timers = program.timers,
                       .window = host,
                       .windows = windows,
                       .device = device,
                       .settingsBlock = settingsBlock,
                       .pactBlocks = pactBlocks,
                       .files = files,
                       .session = session,
                       .keyboardRate = keyboardRate,
                       .launcher = launcher,
                       .clock = clock,
                       .tray = tray ? &*tray : nullptr,
                       .where = where,
                       .actions = HostActions{},
                       .pactMessages = pactMessages,
                       .onDestroyed = program.quit};
    ports.actions.countdown = &countdown;
    ports.actions.sounds = &sounds;
    ports.actions.display = &displayText;
    ports.actions.macro = macroPlayer ? &*macroPlayer : nullptr;
    ports.actions.shortcut = shortcutInput ? &*shortcutInput : nullptr;
    MprisPlayers players(launcher);
    HostMediaControl media(players, launcher, WorkingFolder());
    ports.actions.media = &media;
    X11ForegroundProgram foregroundProgram;
    ForegroundProfileRule foregroundRule(foregroundProgram);
    ports.actions.foreground = &foregroundRule;

    CMonitorWnd window(std::move(ports), openSetupOnStart);
    foregroundRule.Attach(window);
    if (trayIcon != nullptr) {
        trayIcon->onLeftButtonDown = [&window] { window.OnSystrayNotify(WM_LBUTTONDOWN); };
        trayIcon->onLeftDoubleClick = [&window] { window.OnSystrayNotify(WM_LBUTTONDBLCLK); };
        trayIcon->onCommand = [&window](unsigned id) { window.OnCommand(id); };
        // Double clicks are traced by the window's handler; the menu, which
        // the icon opens by itself, only here.
        trayIcon->onTrace = [](const char* line) {
            if (std::strstr(line, "WM_RBUTTONDOWN") != nullptr) DebugOutput("%s", line);
        };
    }
    program.setTimerHandler([&window](unsigned id) { window.OnTimer(id); });
    const auto shutdownSignals = ShutdownSignals::Watch(program.loop, [&window] {
        WindowMessage close;
        close.msg = WM_CLOSE;
        window.WindowProc(close);
    });
    if (!window.Create()) return 1;
    return program.run();
}

int Main(int argc, char** argv) {
    if (const auto status = AnswerStandardOptions(MonitorHelp(), argc, argv)) return *status;
    // Before any thread exists, so that every thread leaves these signals to
    // the loop.
    ShutdownSignals::Block();
    const bool openSetupOnStart = CMonitorApp::OpenSetupRequested(argc, argv);
    SystemWindowDirectory windows;
    CMonitorApp app;
    switch (app.InitInstance(openSetupOnStart, windows)) {
        case CMonitorApp::Instance::Running:
            return 0;
        case CMonitorApp::Instance::Failed:
            std::fprintf(stderr, "KelmWatch: the runtime folder cannot be used\n");
            return 1;
        case CMonitorApp::Instance::First:
            break;
    }
    const PactMessages pactMessages = PactMessages::Register();

    std::unique_ptr<QCoreApplication> qtApplication;
    if (DisplayNamed()) qtApplication = CreateApplication(argc, argv);
    int code = 1;
    if (qtApplication && HasDisplay()) {
        QtMessageLoop loop;
        TrayIcon trayIcon;
        ProgramLoop program{loop, loop, [&loop](auto handler) { loop.SetTimerHandler(std::move(handler)); },
                            [] { return QCoreApplication::exec(); }, [] { QCoreApplication::quit(); }};
        code = RunMonitor(program, pactMessages, openSetupOnStart, &trayIcon);
    } else {
        qtApplication.reset();
        auto loop = EventLoop::Create();
        if (!loop) return 1;
        ProgramLoop program{*loop, *loop, [&loop](auto handler) { loop->SetTimerHandler(std::move(handler)); },
                            [&loop] { return loop->Run(); }, [&loop] { loop->Quit(0); }};
        code = RunMonitor(program, pactMessages, openSetupOnStart, nullptr);
    }
    app.ExitInstance();
    return code;
}

}  // namespace
}  // namespace kelm

int main(int argc, char** argv) { return kelm::Main(argc, argv); }
