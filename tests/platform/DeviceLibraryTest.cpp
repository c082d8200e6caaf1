#include <gtest/gtest.h>

#include <tuple>
#include <vector>

#include "platform/DeviceLibrary.h"
#include "platform/EventLoop.h"
#include "platform/KelmWindowAdapter.h"
#include "tests/support/TempFolder.h"

namespace kelm {
namespace {

using Posted = std::tuple<std::uint32_t, std::uintptr_t, std::intptr_t>;

TEST(DeviceLibrary, CallsEveryEntryPointOfTheLibrary) {
    std::string error;
    const DeviceLibrary library = DeviceLibrary::Load(KELM_FAKE_DEVBRIDGE_FULL, &error);
    ASSERT_TRUE(library) << error;
    EXPECT_EQ(library.OpenFeatureDevice(), 1);
    const unsigned char report[] = {0x04, 0x05, 0x01, 0x0A, 0x00};
    EXPECT_EQ(library.SetFeature(report, sizeof report), 1);
    unsigned char back[8] = {};
    EXPECT_EQ(library.GetFeature(back, sizeof back), 1);
    EXPECT_EQ(std::vector<unsigned char>(back, back + sizeof report), std::vector<unsigned char>(report, report + 5));
    EXPECT_EQ(library.GetMousePID(), 0x1234);
    library.CloseFeatureDevice();
    library.CloseDevMonitor();
}

TEST(DeviceLibrary, MessagesPostedFromTheLibrarysThreadsArriveOnTheLoop) {
    const DeviceLibrary library = DeviceLibrary::Load(std::string(KELM_FAKE_DEVBRIDGE_FULL) + "/");
    ASSERT_TRUE(library);
    auto loop = EventLoop::Create();
    ASSERT_TRUE(loop);
    std::vector<Posted> posted;
    KelmWindowAdapter window(*loop, [&](std::uint32_t msg, std::uintptr_t wParam, std::intptr_t lParam) {
        posted.emplace_back(msg, wParam, lParam);
    });
    library.OpenDevMonitor(window.Window(), 1325, 1326);
    EXPECT_TRUE(posted.empty());  // queued, not called on the library's thread
    loop->RunOnce(std::chrono::milliseconds(0));
    EXPECT_EQ(posted, (std::vector<Posted>{{1326, 1, 0}, {1325, 0x00010002, -1}}));
}

TEST(DeviceLibrary, MessagesQueuedForAGoneWindowAreDropped) {
    const DeviceLibrary library = DeviceLibrary::Load(KELM_FAKE_DEVBRIDGE_FULL);
    auto loop = EventLoop::Create();
    ASSERT_TRUE(library && loop);
    int calls = 0;
    {
        KelmWindowAdapter window(*loop, [&](std::uint32_t, std::uintptr_t, std::intptr_t) { ++calls; });
        library.OpenDevMonitor(window.Window(), 1325, 1326);
    }
    loop->RunOnce(std::chrono::milliseconds(0));
    EXPECT_EQ(calls, 0);
}

TEST(DeviceLibrary, MissingLibraryIsAClearError) {
    const test::TempFolder folder;
    const std::string& empty = folder.Path();
    std::string error;
    const DeviceLibrary library = DeviceLibrary::Load(empty, &error);
    EXPECT_FALSE(library);
    EXPECT_NE(error.find(empty + "/libdevbridge.so"), std::string::npos) << error;
    EXPECT_EQ(library.OpenFeatureDevice(), 0);
    EXPECT_EQ(library.GetMousePID(), 0);
}

TEST(DeviceLibrary, MissingEntryPointIsAClearError) {
    std::string error;
    EXPECT_FALSE(DeviceLibrary::Load(KELM_FAKE_DEVBRIDGE_PARTIAL, &error));
    EXPECT_EQ(error, "libdevbridge.so lacks the entry point GetMousePID");
}

}  // namespace
}  // namespace kelm
