#include "platform/gui/GuiApplication.h"

#include <xcb/xcb.h>

#include <QApplication>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QThread>
#include <cstdlib>

namespace kelm {

bool CanReachDisplay() {
    const char* display = std::getenv("DISPLAY");
    if (display == nullptr || *display == '\0') return false;
    xcb_connection_t* connection = xcb_connect(display, nullptr);
    const bool reached = xcb_connection_has_error(connection) == 0;
    xcb_disconnect(connection);  // also frees a connection in error
    return reached;
}

bool HasDisplay() {
    if (qobject_cast<QApplication*>(QCoreApplication::instance()) == nullptr) return false;
    const QString platform = QGuiApplication::platformName();
    return platform != QLatin1String("offscreen") && platform != QLatin1String("minimal") &&
           platform != QLatin1String("minimalegl");
}

std::unique_ptr<QCoreApplication> CreateApplication(int& argc, char** argv) {
    const char* platform = std::getenv("QT_QPA_PLATFORM");
    if ((platform != nullptr && *platform != '\0') || CanReachDisplay())
        return std::make_unique<QApplication>(argc, argv);
    return std::make_unique<QCoreApplication>(argc, argv);
}

}  // namespace kelm
