#include "platform/KeyboardRate.h"

#include <X11/XKBlib.h>
#include <X11/Xlib.h>

#include <algorithm>
#include <cmath>
#include <memory>

namespace kelm {

namespace {

constexpr int kMaxDelay = 3;
constexpr int kMaxSpeed = 31;
constexpr double kSlowestRate = 2.5;
constexpr double kFastestRate = 30.0;

struct DisplayCloser {
    void operator()(Display* display) const { XCloseDisplay(display); }
};

}  // namespace

int RepeatDelayMilliseconds(int kbDelay) { return 250 * (std::clamp(kbDelay, 0, kMaxDelay) + 1); }

double RepeatRatePerSecond(int kbSpeed) {
    const int speed = std::clamp(kbSpeed, 0, kMaxSpeed);
    return kSlowestRate + (kFastestRate - kSlowestRate) * speed / kMaxSpeed;
}

int RepeatIntervalMilliseconds(int kbSpeed) {
    return static_cast<int>(std::lround(1000.0 / RepeatRatePerSecond(kbSpeed)));
}

bool ApplyKeyboardRate(int kbDelay, int kbSpeed) {
    // XOpenDisplay(nullptr) reads $DISPLAY and fails at once without it.
    const std::unique_ptr<Display, DisplayCloser> display(XOpenDisplay(nullptr));
    if (!display) return false;
    int opcode = 0, event = 0, error = 0;
    int major = XkbMajorVersion, minor = XkbMinorVersion;
    if (!XkbQueryExtension(display.get(), &opcode, &event, &error, &major, &minor)) return false;
    const bool sent =
        XkbSetAutoRepeatRate(display.get(), XkbUseCoreKbd, static_cast<unsigned>(RepeatDelayMilliseconds(kbDelay)),
                             static_cast<unsigned>(RepeatIntervalMilliseconds(kbSpeed))) != 0;
    // The request must reach the server before the connection closes.
    XSync(display.get(), False);
    return sent;
}

}  // namespace kelm
