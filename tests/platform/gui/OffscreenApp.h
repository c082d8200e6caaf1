// The one QApplication of a test process, on the offscreen platform: real
// widgets and event processing, no display.
#pragma once

#include <QApplication>
#include <QCoreApplication>
#include <QEventLoop>
#include <chrono>
#include <cstdlib>
#include <functional>

namespace kelm::test {

inline QApplication& OffscreenApp() {
    static QApplication* app = [] {
        ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
        static int argc = 1;
        static char name[] = "gui_tests";
        static char* argv[] = {name, nullptr};
        return new QApplication(argc, argv);  // lives until the process ends
    }();
    return *app;
}

// Processes events until done() or ten seconds have passed; false then.
inline bool ProcessEventsUntil(const std::function<bool()>& done) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (!done()) {
        if (std::chrono::steady_clock::now() >= deadline) return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents, 50);
    }
    return true;
}

}  // namespace kelm::test
