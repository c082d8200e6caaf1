// KelmWatch on a desktop: an Xvfb of the test's own with trayer as its
// notification area, the real KelmWatch against the real KelmEmu. The icon
// is looked for the way the desktop sees it: a window of the monitor's
// process that the notification area has taken in and shows.
#include <gtest/gtest.h>
#include <signal.h>

#include <memory>
#include <string>
#include <vector>

#include "Eventually.h"
#include "MonitorIntegrationFixture.h"
#include "tests/platform/TestServer.h"

// Last: Xlib defines None, Bool and Status as macros.
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

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

// The shown windows of pid below window that match.
template <typename Match>
void CollectShown(Display* display, Window window, Window root, unsigned long pid, bool ancestorsShown, Match match,
                  std::vector<Window>& found) {
    XWindowAttributes attributes;
    if (XGetWindowAttributes(display, window, &attributes) == 0) return;
    const bool shown = ancestorsShown && (window == root || attributes.map_state == IsViewable);
    Window rootReturn = None, parent = None, *children = nullptr;
    unsigned int childCount = 0;
    if (XQueryTree(display, window, &rootReturn, &parent, &children, &childCount) == 0) return;
    if (shown && window != root && WindowPid(display, window) == pid && match(parent, attributes))
        found.push_back(window);
    for (unsigned int i = 0; i < childCount; ++i) CollectShown(display, children[i], root, pid, shown, match, found);
    if (children != nullptr) XFree(children);
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
        const std::string selection = "_NET_SYSTEM_TRAY_S" + std::to_string(DefaultScreen(display_.get()));
        traySelection_ = XInternAtom(display_.get(), selection.c_str(), False);
    }

    // trayer, once it has become the notification area (it owns the tray
    // manager's selection).
    void StartNotificationArea() {
        trayer_ = TestServer::Spawn(
            "trayer", {"--edge", "top", "--align", "left", "--widthtype", "pixel", "--width", "200", "--height", "32"});
        ASSERT_TRUE(trayer_);
        ASSERT_TRUE(Eventually([&] { return XGetSelectionOwner(display_.get(), traySelection_) != None; }, 10000));
    }

    // A panel that ends: trayer is stopped and the selection is gone.
    void StopNotificationArea() {
        trayer_.reset();
        ASSERT_TRUE(Eventually([&] { return XGetSelectionOwner(display_.get(), traySelection_) == None; }, 10000));
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

    template <typename Match>
    std::vector<Window> MonitorWindows(Match match) {
        Display* d = display_.get();
        XSync(d, False);
        std::vector<Window> found;
        CollectShown(d, DefaultRootWindow(d), DefaultRootWindow(d), static_cast<unsigned long>(monitor), true, match,
                     found);
        return found;
    }

    // The monitor's windows put into another program's window: its icon.
    int DockedIcons() {
        const Window root = DefaultRootWindow(display_.get());
        return static_cast<int>(
            MonitorWindows([root](Window parent, const XWindowAttributes&) { return parent != root; }).size());
    }

    // The monitor's shown pop-up menus: windows of their own that bypass
    // the window manager (Qt marks them as normal windows).
    int ShownMenus() {
        const Window root = DefaultRootWindow(display_.get());
        return static_cast<int>(MonitorWindows([root](Window parent, const XWindowAttributes& attributes) {
                                    return parent == root && attributes.override_redirect;
                                }).size());
    }

    // A key pressed and released, as a person's keyboard gives it.
    void PressKey(KeySym key) {
        Display* d = display_.get();
        const KeyCode code = XKeysymToKeycode(d, key);
        XTestFakeKeyEvent(d, code, True, CurrentTime);
        XTestFakeKeyEvent(d, code, False, CurrentTime);
        XSync(d, False);
    }

    std::unique_ptr<XvfbServer> xvfb_;
    DisplayPtr display_{nullptr, &XCloseDisplay};
    Atom traySelection_ = None;
    std::unique_ptr<TestServer> trayer_;
    XErrorHandler previousHandler_ = nullptr;
};

TEST_F(MonitorTray, TheIconFollowsTheKeyboardAndGoesWithTheMonitor) {
    AgreeOnStamp();
    ASSERT_NO_FATAL_FAILURE(StartNotificationArea());
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

// At login the panel holding the notification area may well start after
// the monitor, and a panel can be restarted.
TEST_F(MonitorTray, TheIconDocksInANotificationAreaThatComesLaterAndAgainAfterThePanelRestarts) {
    AgreeOnStamp();
    ASSERT_NO_FATAL_FAILURE(StartAll());  // the keyboard is there, the notification area not yet

    ASSERT_NO_FATAL_FAILURE(StartNotificationArea());
    ASSERT_TRUE(Eventually([&] { return DockedIcons() == 1; }, 10000)) << MonitorOutput();

    ASSERT_NO_FATAL_FAILURE(StopNotificationArea());
    EXPECT_TRUE(Eventually([&] { return DockedIcons() == 0; }, 10000));
    ASSERT_NO_FATAL_FAILURE(StartNotificationArea());
    EXPECT_TRUE(Eventually([&] { return DockedIcons() == 1; }, 10000)) << MonitorOutput();
}

// Another program's message 1036 with WM_RBUTTONDOWN opens the tray menu,
// whose choice the monitor carries out as the icon's own menu.
TEST_F(MonitorTray, TheRightButtonMessageOfAnotherProgramOpensTheMenu) {
    AgreeOnStamp();
    ASSERT_NO_FATAL_FAILURE(StartNotificationArea());
    ASSERT_NO_FATAL_FAILURE(StartAll());
    ASSERT_EQ(ShownMenus(), 0);

    EXPECT_EQ(SendMessage(kMonitorTitle, MSG_TRAY_NOTIFY, 0, WM_RBUTTONDOWN), 0);
    ASSERT_TRUE(Eventually([&] { return ShownMenus() == 1; }, 10000)) << MonitorOutput();
    // The menu opens under the pointer, which gives it the keys: the first
    // item is "Configuration".
    PressKey(XK_Down);
    PressKey(XK_Return);
    EXPECT_TRUE(Eventually([&] { return Started("KelmSetup"); }, 10000)) << MonitorOutput();
    EXPECT_TRUE(Eventually([&] { return ShownMenus() == 0; }));

    // Traced once, as for a right click on the icon.
    const std::string output = MonitorOutput();
    std::size_t traces = 0;
    for (std::size_t at = output.find("OnSystrayNotify WM_RBUTTONDOWN"); at != std::string::npos;
         at = output.find("OnSystrayNotify WM_RBUTTONDOWN", at + 1))
        ++traces;
    EXPECT_EQ(traces, 1u) << output;
}

}  // namespace
}  // namespace kelm::test
