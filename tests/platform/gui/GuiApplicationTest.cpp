#include <gtest/gtest.h>
#include <sys/socket.h>

#include <QApplication>
#include <QCoreApplication>
#include <string>

#include "platform/SocketAddress.h"
#include "platform/UniqueFd.h"
#include "platform/gui/GuiApplication.h"
#include "tests/support/ScopedEnv.h"
#include "tests/support/TempFolder.h"

namespace kelm {
namespace {

// What a Wayland compositor offers its clients: a listening socket.
UniqueFd Listen(const std::string& path) {
    SocketAddress address;
    if (!MakeSocketAddress(path, address)) return {};
    UniqueFd fd(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0));
    if (!fd || ::bind(fd.Get(), address.Get(), address.length) != 0 || ::listen(fd.Get(), 4) != 0) return {};
    return fd;
}

TEST(GuiApplication, AWaylandCompositorIsReachedThroughItsSocket) {
    const test::TempFolder runtime;
    const test::ScopedEnv runtimeFolder("XDG_RUNTIME_DIR", runtime.Path().c_str());
    {
        const test::ScopedEnv none("WAYLAND_DISPLAY", nullptr);
        EXPECT_FALSE(CanReachWayland());
    }
    const UniqueFd compositor = Listen(runtime / "wayland-1");
    ASSERT_TRUE(compositor);
    {
        const test::ScopedEnv named("WAYLAND_DISPLAY", "wayland-1");
        EXPECT_TRUE(CanReachWayland());
        const test::ScopedEnv noRuntimeFolder("XDG_RUNTIME_DIR", nullptr);
        EXPECT_FALSE(CanReachWayland());
    }
    {
        const std::string path = runtime / "wayland-1";
        const test::ScopedEnv absolute("WAYLAND_DISPLAY", path.c_str());
        EXPECT_TRUE(CanReachWayland());
    }
    {
        const test::ScopedEnv gone("WAYLAND_DISPLAY", "wayland-2");
        EXPECT_FALSE(CanReachWayland());
    }
}

TEST(GuiApplication, APlatformWhoseServerDoesNotAnswerLeavesTheProgramHeadless) {
    // Runs in a process of its own (one per test case), before any
    // application exists: Qt would end the process on an X server it cannot
    // open, and a program must come back from this with an application.
    if (QCoreApplication::instance() != nullptr) GTEST_SKIP() << "an application runs already in this process";
    const test::ScopedEnv platform("QT_QPA_PLATFORM", "xcb");
    const test::ScopedEnv display("DISPLAY", ":4095");
    int argc = 1;
    char name[] = "gui_tests";
    char* argv[] = {name, nullptr};
    const auto application = CreateApplication(argc, argv);
    ASSERT_NE(application, nullptr);
    EXPECT_EQ(qobject_cast<QApplication*>(application.get()), nullptr);
    EXPECT_FALSE(HasDisplay());
}

}  // namespace
}  // namespace kelm
