// KelmOSD: shows the display texts that KelmWatch is handed, as a small
// window above everything else, under the title "VELDAN Kelm Keyboard OSD",
// and the profile when the keyboard changes it.
// KelmWatch starts it, tells it where to show and when there is a text, and
// closes it when it shuts down. One runs per session.
#include <QApplication>
#include <cstdio>
#include <memory>
#include <optional>
#include <string_view>

#include "osd/OsdController.h"
#include "osd/OsdHelp.h"
#include "osd/OsdWindow.h"
#include "platform/DesktopNotifications.h"
#include "platform/WindowEndpoint.h"
#include "platform/gui/GuiApplication.h"
#include "platform/gui/QtMessageLoop.h"
#include "settings/ConfigFile.h"
#include "settings/IniFile.h"
#include "settings/StoreLocation.h"
#include "suite/SharedSettings.h"
#include "suite/SuiteIds.h"

namespace kelm {
namespace {

// --notifications: desktop notifications for this run, whatever config.ini
// says.
bool NotificationsAsked(int argc, char** argv) {
    for (int i = 1; i < argc; ++i)
        if (std::string_view(argv[i]) == "--notifications") return true;
    return false;
}

int Main(int argc, char** argv) {
    if (const auto status = AnswerStandardOptions(OsdHelp(), argc, argv)) return *status;
    const std::unique_ptr<QCoreApplication> application = CreateApplication(argc, argv);
    if (!HasDisplay()) {
        std::fprintf(stderr, "KelmOSD: there is no display to show texts on\n");
        return 1;
    }
    QApplication::setQuitOnLastWindowClosed(false);
    const StoreLocation where = StoreLocation::FromEnvironment();

    OsdWindow window;
    // Where the monitor would say, until it says so.
    OsdSetting osd{};
    DefaultOsdSetting(osd);
    ReadOsdSetting(where, osd);
    window.MoveTo(osd.PositionX, osd.PositionY);

    QtMessageLoop loop;
    // Before the controller, which it answers as long as the controller runs.
    std::optional<DesktopNotifications> notifications;
    if (NotificationsAsked(argc, argv) || ReadOsdNotifications(where)) notifications.emplace(loop);
    SharedSettings block;
    OsdController::Sources sources{
        [&where] { return IniFile(where.ConfigPath()).ReadString(kDisplayTextSection, kDisplayTextKey, ""); },
        // The block lives only while the monitor runs: opened anew after it
        // was away.
        [&block]() -> std::optional<ProfileGlance> {
            ProfileGlance profile;
            if (block.ReadCurrentProfile(profile.slot, profile.name)) return profile;
            if (!block.Open() || !block.ReadCurrentProfile(profile.slot, profile.name)) return std::nullopt;
            return profile;
        }};
    OsdController controller(window, loop, std::move(sources), [] { QCoreApplication::quit(); });
    if (notifications)
        controller.UseNotifications(*notifications, [](const std::string& why) {
            std::fprintf(stderr, "KelmOSD: texts show in the window, not as notifications: %s\n", why.c_str());
        });
    loop.SetTimerHandler([&controller](unsigned id) { controller.OnTimer(id); });
    const auto endpoint = WindowEndpoint::Create(
        loop, kOsdTitle, [&controller](const WindowMessage& message) { return controller.WindowProc(message); });
    // Another KelmOSD already shows the texts.
    if (!endpoint) return 0;
    controller.Start();
    return QCoreApplication::exec();
}

}  // namespace
}  // namespace kelm

int main(int argc, char** argv) { return kelm::Main(argc, argv); }
