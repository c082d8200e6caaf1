#include <gtest/gtest.h>

#include <deque>
#include <mutex>

#include "PostRecorder.h"
#include "devbridge/HidBackend.h"
#include "devbridge/HidConfig.h"
#include "devbridge/HidInputReport.h"
#include "tests/support/TempFolder.h"

namespace kelm::bridge {
namespace {

using emu::test::Posted;
using emu::test::PostRecorder;

// A keyboard that tests plug in and pull out.
struct FakeKeyboard {
    std::mutex mutex;
    bool present = false;
    bool openFails = false;
    std::deque<std::vector<std::uint8_t>> input;
    std::vector<std::vector<std::uint8_t>> featuresSent;
    std::vector<std::uint8_t> featureAnswer;
};

class FakeDevice final : public HidDevice {
public:
    explicit FakeDevice(FakeKeyboard& keyboard) : keyboard_(keyboard) {}
    int SendFeature(const std::uint8_t* data, std::size_t length) override {
        std::lock_guard lock(keyboard_.mutex);
        if (!keyboard_.present) return -1;
        keyboard_.featuresSent.emplace_back(data, data + length);
        return static_cast<int>(length);
    }
    int GetFeature(std::uint8_t* data, std::size_t length) override {
        std::lock_guard lock(keyboard_.mutex);
        if (!keyboard_.present) return -1;
        const std::size_t n = std::min(length, keyboard_.featureAnswer.size());
        std::copy_n(keyboard_.featureAnswer.begin(), n, data);
        return static_cast<int>(n);
    }
    int Read(std::uint8_t* data, std::size_t length, int) override {
        std::lock_guard lock(keyboard_.mutex);
        if (!keyboard_.present) return -1;
        if (keyboard_.input.empty()) return 0;
        const auto report = keyboard_.input.front();
        keyboard_.input.pop_front();
        const std::size_t n = std::min(length, report.size());
        std::copy_n(report.begin(), n, data);
        return static_cast<int>(n);
    }

private:
    FakeKeyboard& keyboard_;
};

class FakeHidApi final : public HidApi {
public:
    explicit FakeHidApi(FakeKeyboard& keyboard) : keyboard_(keyboard) {}
    std::vector<HidDeviceInfo> Enumerate(std::uint16_t, std::uint16_t) override {
        std::lock_guard lock(keyboard_.mutex);
        if (!keyboard_.present) return {};
        return {{"/dev/hidraw3", 0x1A2C, 0x0E24, 0x0001, 0}, {"/dev/hidraw4", 0x1A2C, 0x0E24, 0xFF00, 1}};
    }
    std::unique_ptr<HidDevice> Open(const std::string& path) override {
        std::lock_guard lock(keyboard_.mutex);
        opened.push_back(path);
        if (!keyboard_.present || keyboard_.openFails) return nullptr;
        return std::make_unique<FakeDevice>(keyboard_);
    }
    std::vector<std::string> opened;

private:
    FakeKeyboard& keyboard_;
};

// Reports a change exactly when told to, without waiting.
class FakeHotplug final : public HotplugSource {
public:
    bool WaitForChange(int) override { return std::exchange(changed, false); }
    bool changed = false;
};

HidConfig KeyboardConfig() {
    HidConfig config;
    config.vendorId = 0x1A2C;
    config.productId = 0x0E24;
    config.usagePage = 0xFF00;
    return config;
}

// ---- devbridge.ini and device matching ----

TEST(HidConfig, ReadsTheDeviceSection) {
    test::TempFolder folder;
    const std::string path = folder / "devbridge.ini";
    test::WriteFile(path, "[Device]\r\nVendorId=0x1a2c\r\nProductId = 0E24\r\nInterface=1\r\n");
    std::string error;
    const auto config = LoadHidConfig(path, &error);
    ASSERT_TRUE(config) << error;
    EXPECT_EQ(config->vendorId, 0x1A2C);
    EXPECT_EQ(config->productId, 0x0E24);
    EXPECT_EQ(config->interfaceNumber, 1);
    EXPECT_FALSE(config->usagePage);
    EXPECT_EQ(config->eventReportId, 0x20);
}

TEST(HidConfig, MissingOrMalformedValuesAreExplained) {
    test::TempFolder folder;
    const std::string path = folder / "devbridge.ini";
    std::string error;
    EXPECT_FALSE(LoadHidConfig(path, &error));
    EXPECT_NE(error.find("missing"), std::string::npos) << error;
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"[Device]\nVendorId=0x1A2C\n", "ProductId"},
        {"[Device]\nVendorId=xyz\nProductId=1\n", "VendorId"},
        {"[Device]\nVendorId=0x12345\nProductId=1\n", "VendorId"},
        {"[Device]\nVendorId=1\nProductId=1\nInterface=0x1\n", "Interface"},
        {"[Device]\nVendorId=1\nProductId=1\nEventReportId=100\n", "EventReportId"},
    };
    for (const auto& [text, named] : cases) {
        test::WriteFile(path, text);
        EXPECT_FALSE(LoadHidConfig(path, &error)) << text;
        EXPECT_NE(error.find(named), std::string::npos) << error;
    }
}

TEST(HidConfig, MatchPicksTheConfiguredInterface) {
    const std::vector<HidDeviceInfo> devices = {{"/dev/hidraw0", 0x046D, 0xC52B, 0xFF00, 1},
                                                {"/dev/hidraw1", 0x1A2C, 0x0E24, 0x0001, 0},
                                                {"", 0x1A2C, 0x0E24, 0xFF00, 1},
                                                {"/dev/hidraw2", 0x1A2C, 0x0E24, 0xFF00, 1},
                                                {"/dev/hidraw3", 0x1A2C, 0x0E24, 0x000C, 2}};
    HidConfig config = KeyboardConfig();
    EXPECT_EQ(MatchKeyboard(devices, config)->path, "/dev/hidraw2");
    config.usagePage.reset();
    EXPECT_EQ(MatchKeyboard(devices, config)->path, "/dev/hidraw1");
    config.interfaceNumber = 2;
    EXPECT_EQ(MatchKeyboard(devices, config)->path, "/dev/hidraw3");
    config.productId = 0x0E25;
    EXPECT_FALSE(MatchKeyboard(devices, config));
}

TEST(HidInputReport, CarriesTypeAndDataLittleEndian) {
    const std::vector<std::uint8_t> report = {0x20, 0x00, 0x0D, 0x05, 0x01, 0xEE};
    EXPECT_EQ(DecodeInputReport(report, 0x20), (InputEvent{0x0D00, 0x0105}));
    EXPECT_FALSE(DecodeInputReport(report, 0x21));
    EXPECT_FALSE(DecodeInputReport(std::span(report).first(4), 0x20));
    EXPECT_FALSE(DecodeInputReport(std::vector<std::uint8_t>{0x20, 0, 0, 5, 0}, 0x20)) << "type 0 is idle";
}

// ---- the monitor, step by step ----

class HidMonitorTest : public ::testing::Test {
protected:
    void Step(int times = 1) {
        for (int i = 0; i < times; ++i) monitor.Step();
    }
    void Plug(bool present) {
        {
            std::lock_guard lock(keyboard.mutex);
            keyboard.present = present;
        }
        hotplug.changed = true;
    }

    FakeKeyboard keyboard;
    FakeHidApi api{keyboard};
    FakeHotplug hotplug;
    PostRecorder posts;
    int removals = 0;
    HidMonitor monitor{api, hotplug, KeyboardConfig(),
                       MessageTarget(&posts, PostRecorder::kEventMsg, PostRecorder::kPresenceMsg),
                       [this] { ++removals; }};
};

TEST_F(HidMonitorTest, ArrivalEventsAndRemovalArePosted) {
    Step(2);
    EXPECT_EQ(posts.Count(), 0u) << "no keyboard, nothing posted";
    Plug(true);
    Step(2);
    EXPECT_EQ(api.opened, std::vector<std::string>{"/dev/hidraw4"});
    keyboard.input.push_back({0x20, 0x00, 0x0D, 0x03, 0x00});
    keyboard.input.push_back({0x01, 0x00, 0x00, 0x04});  // a report of another kind
    keyboard.input.push_back({0x20, 0x00, 0x02, 0x04, 0x00});
    Step(4);
    Plug(false);
    Step(2);
    EXPECT_EQ(posts.Messages(), (std::vector<Posted>{PostRecorder::Presence(true), PostRecorder::Event(0x0D00, 3),
                                                     PostRecorder::Event(0x0200, 4), PostRecorder::Presence(false)}));
    EXPECT_EQ(removals, 1);
}

TEST_F(HidMonitorTest, KeyboardThatCannotBeOpenedIsNotAnnounced) {
    keyboard.openFails = true;
    Plug(true);
    Step(3);
    EXPECT_EQ(posts.Count(), 0u);
    keyboard.openFails = false;
    Plug(true);
    Step(2);
    EXPECT_EQ(posts.Messages(), std::vector<Posted>{PostRecorder::Presence(true)});
}

TEST_F(HidMonitorTest, QuickReplugIsSeenAsRemovalThenArrival) {
    Plug(true);
    Step();
    {
        std::lock_guard lock(keyboard.mutex);
        keyboard.present = false;  // the read fails before udev has told anyone
    }
    Step();
    Plug(true);
    Step(2);
    EXPECT_EQ(posts.Messages(), (std::vector<Posted>{PostRecorder::Presence(true), PostRecorder::Presence(false),
                                                     PostRecorder::Presence(true)}));
}

// ---- feature reports ----

class HidBackendTest : public ::testing::Test {
protected:
    HidBackendTest() {
        auto fakeApi = std::make_unique<FakeHidApi>(keyboard);
        api = fakeApi.get();
        backend = std::make_unique<HidBackend>(
            std::move(fakeApi), [] { return std::make_unique<FakeHotplug>(); }, KeyboardConfig());
        keyboard.present = true;
    }

    FakeKeyboard keyboard;
    FakeHidApi* api = nullptr;
    std::unique_ptr<HidBackend> backend;
};

TEST_F(HidBackendTest, FeatureReportsReachTheKeyboard) {
    const std::uint8_t report[] = {0x05, 0x03, 0x02};
    EXPECT_FALSE(backend->SetFeature(report, sizeof report)) << "not opened yet";
    ASSERT_TRUE(backend->OpenFeature());
    EXPECT_EQ(api->opened.back(), "/dev/hidraw4");
    EXPECT_TRUE(backend->SetFeature(report, sizeof report));
    EXPECT_EQ(keyboard.featuresSent.back(), std::vector<std::uint8_t>(report, report + 3));
    keyboard.featureAnswer = {0x0F, 0x06, 0x73};
    std::uint8_t buffer[6] = {0x0F, 9, 9, 9, 9, 9};
    EXPECT_TRUE(backend->GetFeature(buffer, sizeof buffer));
    EXPECT_EQ(std::vector<std::uint8_t>(buffer, buffer + 6), (std::vector<std::uint8_t>{0x0F, 0x06, 0x73, 0, 0, 0}));
    EXPECT_FALSE(backend->SetFeature(nullptr, 3));
    EXPECT_FALSE(backend->GetFeature(buffer, 0));
    backend->CloseFeature();
    EXPECT_FALSE(backend->GetFeature(buffer, sizeof buffer));
}

TEST_F(HidBackendTest, VanishedKeyboardFailsEveryTransfer) {
    ASSERT_TRUE(backend->OpenFeature());
    keyboard.present = false;
    const std::uint8_t report[] = {0x15, 0x03, 0x01};
    std::uint8_t buffer[3] = {0x04};
    EXPECT_FALSE(backend->SetFeature(report, sizeof report));
    EXPECT_FALSE(backend->GetFeature(buffer, sizeof buffer));
    EXPECT_FALSE(backend->OpenFeature());
}

TEST_F(HidBackendTest, MonitorThreadAnnouncesTheKeyboardAndStopsOnClose) {
    PostRecorder posts;
    backend->OpenMonitor(MessageTarget(&posts, PostRecorder::kEventMsg, PostRecorder::kPresenceMsg));
    ASSERT_TRUE(posts.WaitFor(1));
    backend->CloseMonitor();
    const std::size_t count = posts.Count();
    keyboard.present = false;
    EXPECT_EQ(posts.Count(), count) << "nothing posted after the close";
    EXPECT_EQ(posts.Messages().front(), PostRecorder::Presence(true));
}

TEST(HidBackendWithoutConfig, FindsNothing) {
    FakeKeyboard keyboard;
    keyboard.present = true;
    HidBackend backend(
        std::make_unique<FakeHidApi>(keyboard), [] { return std::make_unique<FakeHotplug>(); }, std::nullopt);
    EXPECT_FALSE(backend.OpenFeature());
    PostRecorder posts;
    backend.OpenMonitor(MessageTarget(&posts, 1, 2));
    backend.CloseMonitor();
    EXPECT_EQ(posts.Count(), 0u);
}

}  // namespace
}  // namespace kelm::bridge
