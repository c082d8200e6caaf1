// KelmWatch on a desktop: an Xvfb of the test's own with trayer as its
// notification area, the real KelmWatch against the real KelmEmu. The icon
// is looked for the way the desktop sees it: a window of the monitor's
// process that the notification area has taken in and shows.
#include <gtest/gtest.h>
#include <signal.h>

#include <memory>
#include <string>

#include "Eventually.h"
#include "MonitorIntegrationFixture.h"
#include "tests/platform/TestServer.h"

// Last: Xlib defines None, Bool and Status as macros.
#include <X11/Xatom.h>
#include <X11/Xlib.h>

namespace kelm::test {
namespace {

using DisplayPtr = std::unique_ptr<Display, decltype(&XCloseDisplay)>;

// Windows come and go while the tree is walked (Qt replaces the icon's
// window while it is docked): a window gone in between is simply not counted
// instead of ending the test through Xlib's default handler.
int IgnoreXError(Display*, XErrorEvent*) { return 0; }

// _NET_WM_PID of window, or 0.
unsigned long WindowPid(Display* display, Window window) {
    const Atom pidAtom = XInternAtom(display, "_NET_WM_PID", True);
    if (pidAtom == None) return 0;
    Atom type = None;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    unsigned long pid = 0;
    if (XGetWindowProperty(display, window, pidAtom, 0, 1, False, XA_CARDINAL, &type, &format, &count, &after, &data) ==
            Success &&
        data != nullptr && format == 32 && count == 1)
        pid = *reinterpret_cast<unsigned long*>(data);
    if (data != nullptr) XFree(data);
    return pid;
}

// Counts the shown windows of pid below window that were put into another
// program's window (their parent is not the root).
int CountDocked(Display* display, Window window, Window root, unsigned long pid, bool ancestorsShown) {
    XWindowAttributes attributes;
    if (XGetWindowAttributes(display, window, &attributes) == 0) return 0;
    const bool shown = ancestorsShown && (window == root || attributes.map_state == IsViewable);
    Window rootReturn = None, parent = None, *children = nullptr;
    unsigned int childCount = 0;
    if (XQueryTree(display, window, &rootReturn, &parent, &children, &childCount) == 0) return 0;
    int docked = shown && window != root && parent != root && WindowPid(display, window) == pid ? 1 : 0;
    for (unsigned int i = 0; i < childCount; ++i) docked += CountDocked(display, children[i], root, pid, shown);
    if (children != nullptr) XFree(children);
    return docked;
}

class MonitorTray : public MonitorIntegration {
protected:
    void SetUp() override {
        MonitorIntegration::SetUp();
        if (!ProgramInstalled("trayer"))
            GTEST_SKIP() << "no notification area program (trayer) installed; scripts/bootstrap installs it";
        xvfb_ = XvfbServer::Start();
        if (!xvfb_) GTEST_SKIP() << "Xvfb is not installed or did not start";
        ::setenv("DISPLAY", xvfb_->Display().c_str(), 1);
        previousHandler_ = XSetErrorHandler(IgnoreXError);
        display_.reset(XOpenDisplay(xvfb_->Display().c_str()));
        ASSERT_TRUE(display_);
        trayer_ = TestServer::Spawn(
            "trayer", {"--edge", "top", "--align", "left", "--widthtype", "pixel", "--width", "200", "--height", "32"});
        ASSERT_TRUE(trayer_);
        const std::string selection = "_NET_SYSTEM_TRAY_S" + std::to_string(DefaultScreen(display_.get()));
        const Atom tray = XInternAtom(display_.get(), selection.c_str(), False);
        ASSERT_TRUE(Eventually([&] { return XGetSelectionOwner(display_.get(), tray) != None; }, 10000));
    }

    // KelmWatch ends before the notification area and the display do.
    void TearDown() override {
        MonitorIntegration::TearDown();
        display_.reset();
        XSetErrorHandler(previousHandler_);
        trayer_.reset();
        xvfb_.reset();
        ::unsetenv("DISPLAY");
    }

    int DockedIcons() {
        Display* d = display_.get();
        XSync(d, False);
        return CountDocked(d, DefaultRootWindow(d), DefaultRootWindow(d), static_cast<unsigned long>(monitor), true);
    }

    std::unique_ptr<XvfbServer> xvfb_;
    DisplayPtr display_{nullptr, &XCloseDisplay};
    std::unique_ptr<TestServer> trayer_;
    XErrorHandler previousHandler_ = nullptr;
};

TEST_F(MonitorTray, TheIconFollowsTheKeyboardAndGoesWithTheMonitor) {
    AgreeOnStamp();
    ASSERT_NO_FATAL_FAILURE(StartAll());
    ASSERT_TRUE(Eventually([&] { return DockedIcons() == 1; }, 10000)) << MonitorOutput();

    Ctl({"unplug"});
    ASSERT_TRUE(Eventually([&] { return Config().find("Device=0") != std::string::npos; }));
    EXPECT_TRUE(Eventually([&] { return DockedIcons() == 0; }, 10000));
    // Still running, still answering: only the icon went.
    EXPECT_TRUE(FindWindow(kMonitorTitle));

    Ctl({"reset-log"});
    Ctl({"plug"});
    ASSERT_TRUE(Eventually([&] { return Log().find("150301") != std::string::npos; }, 10000)) << MonitorOutput();
    EXPECT_TRUE(Eventually([&] { return DockedIcons() == 1; }, 10000));

    // SIGTERM runs the full shutdown on the desktop too: the host is told
    // that it is gone, the icon leaves, and the exit is clean.
    EXPECT_EQ(StopMonitor(monitor), 0) << MonitorOutput();
    EXPECT_EQ(Dump()["HostState"], 0);
    EXPECT_FALSE(FindWindow(kMonitorTitle));
    EXPECT_EQ(DockedIcons(), 0);
}

}  // namespace
}  // namespace kelm::test
