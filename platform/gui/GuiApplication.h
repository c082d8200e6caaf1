// Whether a person can see this program's windows, and the application
// object that follows from it: a program started without a display (a
// console, a service, a test) runs headless on a QCoreApplication instead
// of failing in QApplication's set-up.
#pragma once

#include <memory>

class QCoreApplication;

namespace kelm {

// True when the X server named by $DISPLAY accepts a connection.
bool CanReachDisplay();

// True when the Wayland compositor named by $WAYLAND_DISPLAY (a socket in
// $XDG_RUNTIME_DIR, or an absolute path) accepts a connection.
bool CanReachWayland();

// True when a QApplication runs on a platform with real windows (not the
// offscreen or minimal ones that tests and headless runs use).
bool HasDisplay();

// A QApplication where Qt can start a platform: one that $QT_QPA_PLATFORM
// names and whose server answers (offscreen and the like need none), else
// the X server of $DISPLAY, else a Wayland compositor when Qt's Wayland
// platform is installed. Anywhere else a QCoreApplication. argc and argv
// must outlive it.
std::unique_ptr<QCoreApplication> CreateApplication(int& argc, char** argv);

}  // namespace kelm
