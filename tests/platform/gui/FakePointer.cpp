#include "tests/platform/gui/FakePointer.h"

#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>

#include <memory>

namespace kelm::test {

namespace {

struct DisplayCloser {
    void operator()(Display* display) const { XCloseDisplay(display); }
};

}  // namespace

bool WindowViewable(const std::string& display, unsigned long window) {
    const std::unique_ptr<Display, DisplayCloser> connection(XOpenDisplay(display.c_str()));
    XWindowAttributes attributes;
    return connection && XGetWindowAttributes(connection.get(), window, &attributes) != 0 &&
           attributes.map_state == IsViewable;
}

bool ClickInWindow(const std::string& display, unsigned long window, int x, int y, int button, int times) {
    const std::unique_ptr<Display, DisplayCloser> connection(XOpenDisplay(display.c_str()));
    if (!connection) return false;
    int event = 0, error = 0, major = 0, minor = 0;
    if (!XTestQueryExtension(connection.get(), &event, &error, &major, &minor)) return false;
    int rootX = 0, rootY = 0;
    Window child = 0;
    // The window may have been reparented into another program's window
    // (a notification area): only the server knows where it is.
    if (!XTranslateCoordinates(connection.get(), window, DefaultRootWindow(connection.get()), x, y, &rootX, &rootY,
                               &child))
        return false;
    XTestFakeMotionEvent(connection.get(), -1, rootX, rootY, CurrentTime);
    for (int i = 0; i < times; ++i) {
        XTestFakeButtonEvent(connection.get(), static_cast<unsigned>(button), True, CurrentTime);
        XTestFakeButtonEvent(connection.get(), static_cast<unsigned>(button), False, CurrentTime);
    }
    XSync(connection.get(), False);
    return true;
}

}  // namespace kelm::test
