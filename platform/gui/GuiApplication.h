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

// True when a QApplication runs on a platform with real windows (not the
// offscreen or minimal ones that tests and headless runs use).
bool HasDisplay();

// A QApplication when $QT_QPA_PLATFORM names a platform or the display can
// be reached, else a QCoreApplication. argc and argv must outlive it.
std::unique_ptr<QCoreApplication> CreateApplication(int& argc, char** argv);

}  // namespace kelm
