// The real KelmOSD on an Xvfb of the test's own: the stored text appears at
// the position the monitor gives, follows a new position, and the program
// ends on WM_CLOSE; with notifications on, the text goes to a stand-in
// notification server on a private session bus instead.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <algorithm>
#include <csignal>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/NamedMutex.h"
#include "platform/SharedMapping.h"
#include "platform/WindowClient.h"
#include "settings/SettingsRecord.h"
#include "settings/Text.h"
#include "suite/SuiteIds.h"
#include "tests/monitor/Eventually.h"
#include "tests/platform/FakeLogind.h"
#include "tests/platform/FakeNotificationServer.h"
#include "tests/platform/TestServer.h"
#include "tests/support/Programs.h"
#include "tests/support/ScopedEnv.h"
#include "tests/support/TempFolder.h"

// After everything else: Xlib's macros (None, Bool, Status) would rename
// what the headers above declare.
#include <X11/Xlib.h>
#include <X11/Xutil.h>

namespace kelm::test {
namespace {

using DisplayPtr = std::unique_ptr<Display, decltype(&XCloseDisplay)>;

struct Shown {
    int x = 0, y = 0, width = 0, height = 0;
};

// The viewable top-level window with the display's title, where it lies on
// the screen.
std::optional<Shown> FindOsd(Display* display) {
    XSync(display, False);
    const Window root = DefaultRootWindow(display);
    Window rootReturn = 0, parent = 0;
    Window* children = nullptr;
    unsigned int count = 0;
    if (XQueryTree(display, root, &rootReturn, &parent, &children, &count) == 0) return std::nullopt;
    std::optional<Shown> found;
    for (unsigned int i = 0; i < count && !found; ++i) {
        char* name = nullptr;
        if (XFetchName(display, children[i], &name) == 0 || name == nullptr) continue;
        const bool match = std::string(name) == kOsdTitle;
        XFree(name);
        XWindowAttributes attributes;
        if (!match || XGetWindowAttributes(display, children[i], &attributes) == 0 ||
            attributes.map_state != IsViewable)
            continue;
        found = Shown{attributes.x, attributes.y, attributes.width, attributes.height};
    }
    if (children != nullptr) XFree(children);
    return found;
}

// Pixels of the screen area that are white (the text) and the display's
// blue (its edge).
std::pair<int, int> WhiteAndBlue(Display* display, const Shown& area) {
    XImage* image = XGetImage(display, DefaultRootWindow(display), area.x, area.y, static_cast<unsigned>(area.width),
                              static_cast<unsigned>(area.height), AllPlanes, ZPixmap);
    if (image == nullptr) return {0, 0};
    int white = 0, blue = 0;
    for (int y = 0; y < area.height; ++y)
        for (int x = 0; x < area.width; ++x) {
            const unsigned long pixel = XGetPixel(image, x, y);
            if ((pixel & 0xFFFFFF) == 0xFFFFFF) ++white;
            if ((pixel & 0xFFFFFF) == 0x35A0DE) ++blue;
        }
    XDestroyImage(image);
    return {white, blue};
}

class OsdDisplayTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (ProgramPath("KelmOSD").empty()) GTEST_SKIP() << "KELM_PROGRAM_FOLDER is not set";
        xvfb_ = XvfbServer::Start();
        if (!xvfb_) GTEST_SKIP() << "Xvfb is not installed or did not start";
        displayName_.emplace("DISPLAY", xvfb_->Display().c_str());
        display_.reset(XOpenDisplay(xvfb_->Display().c_str()));
        ASSERT_TRUE(display_);
        WriteFile(folder_ / "home/config.ini", config_ + "[OSDData]\r\nMessage=Profile 2: Strategy\r\n");
        std::vector<std::string> args{ProgramPath("KelmOSD")};
        args.insert(args.end(), arguments_.begin(), arguments_.end());
        osd_ = Spawn(args, folder_ / "osd.log");
        ASSERT_GT(osd_, 0);
        ASSERT_TRUE(Eventually([] { return FindWindow(kOsdTitle); }, 10000)) << ReadFile(folder_ / "osd.log");
    }
    void TearDown() override {
        if (osd_ > 0 && WaitExit(osd_, 0) == -1) {
            ::kill(osd_, SIGKILL);
            WaitExit(osd_, 5000);
        }
        display_.reset();
        displayName_.reset();
        xvfb_.reset();
    }

    TempFolder folder_;
    // What config.ini holds before the display text, and the program's
    // arguments.
    std::string config_;
    std::vector<std::string> arguments_;
    ScopedEnv runtime_{"XDG_RUNTIME_DIR", folder_.Path().c_str()};
    ScopedEnv home_{"KELM_HOME", (folder_ / "home").c_str()};
    ScopedEnv platform_{"QT_QPA_PLATFORM", nullptr};
    std::unique_ptr<XvfbServer> xvfb_;
    std::optional<ScopedEnv> displayName_;
    DisplayPtr display_{nullptr, &XCloseDisplay};
    pid_t osd_ = -1;
};

TEST_F(OsdDisplayTest, TheTextAppearsWhereTheMonitorSaysAndTheProgramEndsOnClose) {
    Display* d = display_.get();

    EXPECT_FALSE(FindOsd(d)) << "nothing is shown before a text is";
    ASSERT_TRUE(PostMessage(kOsdTitle, MSG_OSD_POSITION, 0, (120 << 16) | 80));
    ASSERT_TRUE(PostMessage(kOsdTitle, MSG_OSD_SHOW_TEXT, kOsdShowTextWParam, 0));
    std::optional<Shown> shown;
    ASSERT_TRUE(Eventually([&] { return (shown = FindOsd(d)).has_value(); }, 5000));
    EXPECT_EQ(shown->x, 120);
    EXPECT_EQ(shown->y, 80);
    // The text is drawn: white letters inside a blue edge.
    std::pair<int, int> pixels;
    ASSERT_TRUE(Eventually(
        [&] {
            pixels = WhiteAndBlue(d, *shown);
            return pixels.first > 200 && pixels.second > 200;
        },
        5000))
        << pixels.first << " white, " << pixels.second << " blue";

    // A new position moves what is shown; one beyond the screen keeps it
    // whole on the screen.
    ASSERT_TRUE(PostMessage(kOsdTitle, MSG_OSD_POSITION, 0, (400 << 16) | 300));
    ASSERT_TRUE(Eventually([&] { return (shown = FindOsd(d)) && shown->x == 400 && shown->y == 300; }, 5000));
    ASSERT_TRUE(PostMessage(kOsdTitle, MSG_OSD_POSITION, 0, 0xFFF60000 | 590));  // (-10, 590)
    ASSERT_TRUE(Eventually([&] { return (shown = FindOsd(d)) && shown->x == 0; }, 5000));
    EXPECT_EQ(shown->y + shown->height, 600);

    ASSERT_TRUE(PostMessage(kOsdTitle, WM_CLOSE, 0, 0));
    EXPECT_EQ(WaitExit(osd_, 5000), 0);
    osd_ = -1;
    EXPECT_FALSE(FindWindow(kOsdTitle));
    EXPECT_FALSE(FindOsd(d));
}

TEST_F(OsdDisplayTest, AProfileChangeInTheMonitorsBlockIsShown) {
    // The block as the monitor holds it, made after KelmOSD started.
    NamedMutex mutex = NamedMutex::Create(kSettingsBlockMutexName);
    SharedMapping block = SharedMapping::Create(kSettingsBlockName, kSettingsBlockSize);
    ASSERT_TRUE(mutex && block);
    auto* record = static_cast<SettingsRecord*>(block.Data());
    record->CurrentProfile = 0;
    CopyField(record->Profiles[1].ProFileName, "Race");
    // Where things stand is not a change: nothing shows.
    EXPECT_FALSE(Eventually([&] { return FindOsd(display_.get()).has_value(); }, 1000));

    {
        const NamedMutexLock lock(mutex);
        record->CurrentProfile = 1;
    }
    ASSERT_TRUE(Eventually([&] { return FindOsd(display_.get()).has_value(); }, 5000));
}

// KelmOSD with a private session bus; its stand-in notification server
// only when the test asks for one.
class OsdNotificationDisplayTest : public OsdDisplayTest {
protected:
    void StartOsd(bool withServer) {
        bus_ = PrivateBus::Start(folder_.Path());
        if (!bus_) GTEST_SKIP() << "dbus-daemon is not installed or did not start";
        sessionBus_.emplace("DBUS_SESSION_BUS_ADDRESS", bus_->Address().c_str());
        if (withServer) {
            server_ = FakeNotificationServer::Start(bus_->Address(), {});
            ASSERT_TRUE(server_);
        }
        OsdDisplayTest::SetUp();
    }
    void SetUp() override {}
    void TearDown() override {
        OsdDisplayTest::TearDown();
        server_.reset();
        sessionBus_.reset();
        bus_.reset();
    }

    std::unique_ptr<PrivateBus> bus_;
    std::optional<ScopedEnv> sessionBus_;
    std::unique_ptr<FakeNotificationServer> server_;
};

TEST_F(OsdNotificationDisplayTest, WithNotificationsOnTheTextsGoToTheServerEachInThePlaceOfTheOneBefore) {
    config_ = "[OSDSetting]\r\nNotifications=1\r\n";
    StartOsd(true);
    if (IsSkipped() || HasFatalFailure()) return;
    ASSERT_TRUE(PostMessage(kOsdTitle, MSG_OSD_SHOW_TEXT, kOsdShowTextWParam, 0));
    auto received = server_->NotificationsAtLeast(1);
    ASSERT_EQ(received.size(), 1u) << ReadFile(folder_ / "osd.log");
    const std::uint32_t id = FakeNotificationServer::kFirstId;
    const std::map<std::string, std::string> transient{{"transient", "b:true"}};
    using Received = FakeNotificationServer::Received;
    EXPECT_EQ(received[0],
              (Received{"KelmOSD", 0, "input-keyboard", "Kelm", "Profile 2: Strategy", {}, transient, 4000, id}));

    WriteFile(folder_ / "home/config.ini", config_ + "[OSDData]\r\nMessage=Profile 3: Race\r\n");
    ASSERT_TRUE(PostMessage(kOsdTitle, MSG_OSD_SHOW_TEXT, kOsdShowTextWParam, 0));
    received = server_->NotificationsAtLeast(2);
    ASSERT_EQ(received.size(), 2u);
    EXPECT_EQ(received[1],
              (Received{"KelmOSD", id, "input-keyboard", "Kelm", "Profile 3: Race", {}, transient, 4000, id}));
    EXPECT_FALSE(FindOsd(display_.get())) << "the window showed the text too";
    EXPECT_EQ(ReadFile(folder_ / "osd.log").find("KelmOSD:"), std::string::npos) << ReadFile(folder_ / "osd.log");
}

TEST_F(OsdNotificationDisplayTest, WithoutAServerTheWindowShowsTheTextAndTheProgramSaysWhyOnce) {
    arguments_ = {"--notifications"};
    StartOsd(false);
    if (IsSkipped() || HasFatalFailure()) return;
    for (int i = 0; i < 2; ++i) {
        ASSERT_TRUE(PostMessage(kOsdTitle, MSG_OSD_SHOW_TEXT, kOsdShowTextWParam, 0));
        ASSERT_TRUE(Eventually([&] { return FindOsd(display_.get()).has_value(); }, 5000));
    }
    const std::string log = ReadFile(folder_ / "osd.log");
    const std::string why =
        "KelmOSD: texts show in the window, not as notifications: no notification server "
        "(org.freedesktop.DBus.Error.ServiceUnknown";
    EXPECT_EQ(log.rfind(why, 0), 0u) << log;
    EXPECT_EQ(std::count(log.begin(), log.end(), '\n'), 1) << log;
}

}  // namespace
}  // namespace kelm::test
