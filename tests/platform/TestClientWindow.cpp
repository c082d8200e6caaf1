#include "tests/platform/TestClientWindow.h"

#include <poll.h>

// Last: Xlib defines None, Bool and Status as macros.
#include <X11/XKBlib.h>
#include <X11/Xlib.h>

namespace kelm::test {

struct TestClientWindow::Connection {
    Display* display = nullptr;
    Window window = 0;
    ~Connection() {
        if (display != nullptr) XCloseDisplay(display);
    }
};

std::unique_ptr<TestClientWindow> TestClientWindow::Open(const std::string& name) {
    auto connection = std::make_unique<Connection>();
    connection->display = XOpenDisplay(name.c_str());
    if (connection->display == nullptr) return nullptr;
    Display* d = connection->display;
    const int screen = DefaultScreen(d);
    const Window root = RootWindow(d, screen);
    const auto width = static_cast<unsigned>(DisplayWidth(d, screen));
    const auto height = static_cast<unsigned>(DisplayHeight(d, screen));
    const Window window = XCreateSimpleWindow(d, root, 0, 0, width, height, 0, 0, 0);
    connection->window = window;
    XSelectInput(d, window, KeyPressMask | KeyReleaseMask | ButtonPressMask | ButtonReleaseMask | StructureNotifyMask);
    XMapRaised(d, window);
    for (XEvent event;;) {
        XNextEvent(d, &event);
        if (event.type == MapNotify) break;
    }
    // No window manager on a test display: the window takes the focus and
    // the pointer itself.
    XSetInputFocus(d, window, RevertToPointerRoot, CurrentTime);
    XWarpPointer(d, 0, window, 0, 0, 0, 0, static_cast<int>(width / 2), static_cast<int>(height / 2));
    XSync(d, False);
    return std::unique_ptr<TestClientWindow>(new TestClientWindow(std::move(connection)));
}

TestClientWindow::TestClientWindow(std::unique_ptr<Connection> connection) : connection_(std::move(connection)) {
    reader_ = std::jthread([this] { Read(); });
}

TestClientWindow::~TestClientWindow() {
    reader_.request_stop();
    reader_.join();
}

void TestClientWindow::Read() {
    Display* d = connection_->display;
    pollfd descriptor{ConnectionNumber(d), POLLIN, 0};
    while (!reader_.get_stop_token().stop_requested()) {
        XEvent event;
        {
            const std::lock_guard lock(displayMutex_);
            if (XPending(d) > 0)
                XNextEvent(d, &event);
            else
                event.type = 0;
        }
        if (event.type == 0) {
            ::poll(&descriptor, 1, 20);
            continue;
        }
        const auto now = std::chrono::steady_clock::now();
        ClientEvent noted{ClientEvent::KeyDown, 0, now};
        switch (event.type) {
            case KeyPress:
            case KeyRelease:
                noted.kind = event.type == KeyPress ? ClientEvent::KeyDown : ClientEvent::KeyUp;
                noted.code = event.xkey.keycode;
                break;
            case ButtonPress:
            case ButtonRelease:
                noted.kind = event.type == ButtonPress ? ClientEvent::ButtonDown : ClientEvent::ButtonUp;
                noted.code = event.xbutton.button;
                break;
            default:
                continue;
        }
        {
            const std::lock_guard lock(mutex_);
            events_.push_back(noted);
        }
        arrived_.notify_all();
    }
}

std::vector<ClientEvent> TestClientWindow::Events() const {
    const std::lock_guard lock(mutex_);
    return events_;
}

bool TestClientWindow::WaitForEvents(std::size_t count, std::chrono::milliseconds timeout) const {
    std::unique_lock lock(mutex_);
    return arrived_.wait_for(lock, timeout, [&] { return events_.size() >= count; });
}

void TestClientWindow::Clear() {
    const std::lock_guard lock(mutex_);
    events_.clear();
}

unsigned long TestClientWindow::KeySymOf(unsigned keycode) const {
    const std::lock_guard lock(displayMutex_);
    return XkbKeycodeToKeysym(connection_->display, static_cast<KeyCode>(keycode), 0, 0);
}

}  // namespace kelm::test
