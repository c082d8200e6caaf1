#include "platform/gui/GuiApplication.h"

#include <sys/socket.h>
#include <xcb/xcb.h>

#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QGuiApplication>
#include <cstdlib>
#include <string>
#include <string_view>

#include "platform/SocketAddress.h"
#include "platform/UniqueFd.h"

namespace kelm {

namespace {

const char* Variable(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr && *value != '\0' ? value : nullptr;
}

// Qt's Wayland platform is a package of its own, often not installed.
bool WaylandPlatformInstalled() {
    for (const QString& folder : QCoreApplication::libraryPaths())
        if (!QDir(folder + QStringLiteral("/platforms"))
                 .entryList({QStringLiteral("libqwayland*")}, QDir::Files)
                 .isEmpty())
            return true;
    return false;
}

bool CanStartWayland() { return CanReachWayland() && WaylandPlatformInstalled(); }

// Qt ends the program when none of the platforms it is told to try can
// start, so the server each needs is asked first. The others (offscreen,
// minimal, vnc) need none.
bool CanReachPlatform(std::string_view platform) {
    platform = platform.substr(0, platform.find(':'));  // "xcb:option=value"
    if (platform == "xcb") return CanReachDisplay();
    if (platform.starts_with("wayland")) return CanStartWayland();
    return true;
}

// Qt tries the platforms of "first;second" in turn.
bool CanReachAnyPlatform(std::string_view platforms) {
    while (!platforms.empty()) {
        const std::size_t end = platforms.find(';');
        if (CanReachPlatform(platforms.substr(0, end))) return true;
        if (end == std::string_view::npos) break;
        platforms.remove_prefix(end + 1);
    }
    return false;
}

}  // namespace

bool CanReachDisplay() {
    const char* display = Variable("DISPLAY");
    if (display == nullptr) return false;
    xcb_connection_t* connection = xcb_connect(display, nullptr);
    const bool reached = xcb_connection_has_error(connection) == 0;
    xcb_disconnect(connection);  // also frees a connection in error
    return reached;
}

bool CanReachWayland() {
    const char* display = Variable("WAYLAND_DISPLAY");
    if (display == nullptr) return false;
    std::string path = display;
    if (path.front() != '/') {
        const char* runtime = Variable("XDG_RUNTIME_DIR");
        if (runtime == nullptr) return false;
        path = std::string(runtime) + "/" + path;
    }
    SocketAddress address;
    if (!MakeSocketAddress(path, address)) return false;
    const UniqueFd fd(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0));
    return fd && ::connect(fd.Get(), address.Get(), address.length) == 0;
}

bool HasDisplay() {
    if (qobject_cast<QApplication*>(QCoreApplication::instance()) == nullptr) return false;
    const QString platform = QGuiApplication::platformName();
    return platform != QLatin1String("offscreen") && platform != QLatin1String("minimal") &&
           platform != QLatin1String("minimalegl");
}

std::unique_ptr<QCoreApplication> CreateApplication(int& argc, char** argv) {
    if (const char* platforms = Variable("QT_QPA_PLATFORM")) {
        if (CanReachAnyPlatform(platforms)) return std::make_unique<QApplication>(argc, argv);
        return std::make_unique<QCoreApplication>(argc, argv);
    }
    if (CanReachDisplay()) return std::make_unique<QApplication>(argc, argv);
    if (CanStartWayland()) {
        // Unnamed, Qt would try X11 alone here (a session type may not be
        // set) and end the program. Named for this construction only, so
        // that the programs started from here still choose their own.
        ::setenv("QT_QPA_PLATFORM", "wayland", 1);
        auto application = std::make_unique<QApplication>(argc, argv);
        ::unsetenv("QT_QPA_PLATFORM");
        return application;
    }
    return std::make_unique<QCoreApplication>(argc, argv);
}

}  // namespace kelm
