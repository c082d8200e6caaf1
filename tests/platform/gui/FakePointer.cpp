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

bool WindowDocked(const std::string& display, unsigned long window) {
    const std::unique_ptr<Display, DisplayCloser> connection(XOpenDisplay(display.c_str()));
    XWindowAttributes attributes;
    if (!connection || XGetWindowAttributes(connection.get(), window, &attributes) == 0 ||
        attributes.map_state != IsViewable)
        return false;
    Window root = 0, parent = 0, *children = nullptr;
    unsigned int count = 0;
    if (XQueryTree(connection.get(), window, &root, &parent, &children, &count) == 0) return false;
    if (children != nullptr) XFree(children);
    return parent != root;
}

bool StackedAbove(const std::string& display, unsigned long upper, unsigned long lower) {
    const std::unique_ptr<Display, DisplayCloser> connection(XOpenDisplay(display.c_str()));
    if (!connection) return false;
    Window root = 0, parent = 0, *children = nullptr;
    unsigned int count = 0;
    if (XQueryTree(connection.get(), DefaultRootWindow(connection.get()), &root, &parent, &children, &count) == 0)
        return false;
    // Bottom to top.
    int upperAt = -1, lowerAt = -1;
    for (unsigned int i = 0; i < count; ++i) {
        if (children[i] == upper) upperAt = static_cast<int>(i);
        if (children[i] == lower) lowerAt = static_cast<int>(i);
    }
    if (children != nullptr) XFree(children);
    return upperAt >= 0 && lowerAt >= 0 && upperAt > lowerAt;
}

OtherProgramWindow::OtherProgramWindow(const std::string& display, int x, int y, int width, int height)
    : connection_(XOpenDisplay(display.c_str())) {
    if (connection_ == nullptr) return;
    window_ =
        XCreateSimpleWindow(connection_, DefaultRootWindow(connection_), x, y, static_cast<unsigned>(width),
                            static_cast<unsigned>(height), 0, 0, WhitePixel(connection_, DefaultScreen(connection_)));
    XMapRaised(connection_, window_);
    // Without a window manager the window is viewable once the server has
    // the request, as focusing it requires.
    XSync(connection_, False);
    XSetInputFocus(connection_, window_, RevertToParent, CurrentTime);
    XSync(connection_, False);
}

OtherProgramWindow::~OtherProgramWindow() {
    if (connection_ != nullptr) XCloseDisplay(connection_);  // and with it the window
}

unsigned long FocusedWindow(const std::string& display) {
    const std::unique_ptr<Display, DisplayCloser> connection(XOpenDisplay(display.c_str()));
    if (!connection) return 0;
    Window focus = 0;
    int revert = 0;
    XGetInputFocus(connection.get(), &focus, &revert);
    return focus;
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
