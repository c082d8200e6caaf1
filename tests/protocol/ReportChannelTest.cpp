#include <gtest/gtest.h>

#include <atomic>
#include <vector>

#include "FakeKeyboard.h"
#include "keyboard/ReportChannel.h"

namespace kelm {
namespace {

class ChannelTest : public ::testing::Test {
protected:
    void AbortAt(std::int64_t atMs) {
        clock.SetSleepHook([this, atMs](std::int64_t total) {
            if (total >= atMs) abort = true;
        });
    }

    VirtualClock clock;
    FakeKeyboard keyboard{clock};
    std::atomic<bool> abort{false};
    ReportChannel channel{keyboard, clock, abort};
};

TEST_F(ChannelTest, AbortableWaitSleepsWholeStepsOnly) {
    EXPECT_TRUE(channel.AbortableWait(350));
    EXPECT_EQ(clock.SleptMs(), 300);
    EXPECT_TRUE(channel.AbortableWait(99));
    EXPECT_EQ(clock.SleptMs(), 300);
}

TEST_F(ChannelTest, AbortableWaitStopsWithinOneStep) {
    AbortAt(250);
    EXPECT_FALSE(channel.AbortableWait(5000));
    EXPECT_EQ(clock.SleptMs(), 300);
    // A raised flag is reported even by a wait too short to sleep.
    EXPECT_FALSE(channel.AbortableWait(50));
    EXPECT_EQ(clock.SleptMs(), 300);
}

TEST_F(ChannelTest, ReadyAtFirstPoll) {
    EXPECT_TRUE(channel.WaitReady(500));
    EXPECT_EQ(keyboard.StatusReadTimes(), std::vector<std::int64_t>{500});
}

TEST_F(ChannelTest, BusyForeverPollsTenTimesOnTheSchedule) {
    keyboard.busyForever = true;
    EXPECT_FALSE(channel.WaitReady(200));
    const std::vector<std::int64_t> expected{200, 1200, 2700, 4700, 6700, 8700, 10700, 12700, 14700, 16700};
    EXPECT_EQ(keyboard.StatusReadTimes(), expected);
    EXPECT_EQ(clock.SleptMs(), 16700);
}

TEST_F(ChannelTest, BusyThenReady) {
    keyboard.BusyFor(2);
    EXPECT_TRUE(channel.WaitReady(100));
    EXPECT_EQ(keyboard.StatusReadTimes(), (std::vector<std::int64_t>{100, 1100, 2600}));
}

TEST_F(ChannelTest, OtherStatusStopsAtOnce) {
    keyboard.finalStatus = 2;
    EXPECT_FALSE(channel.WaitReady(500));
    EXPECT_EQ(keyboard.StatusReads(), 1);
    keyboard.finalStatus = 0;
    keyboard.BusyFor(1);
    EXPECT_FALSE(channel.WaitReady(100));
    EXPECT_EQ(keyboard.StatusReads(), 3);
}

TEST_F(ChannelTest, FailedStatusReadKeepsThePreviousStatus) {
    keyboard.BusyFor(1);
    // Poll 1 answers busy; the read of poll 2 fails, so busy stays in force
    // and poll 3 is made, which answers ready.
    clock.SetSleepHook([this](std::int64_t total) {
        if (total == 100 + 1000) keyboard.failStatusReads = 1;
    });
    EXPECT_TRUE(channel.WaitReady(100));
    EXPECT_EQ(keyboard.StatusReadTimes(), (std::vector<std::int64_t>{100, 1100, 2600}));
}

TEST_F(ChannelTest, FailedFirstStatusReadEndsThePoll) {
    keyboard.failStatusReads = 1;
    EXPECT_FALSE(channel.WaitReady(100));
    EXPECT_EQ(keyboard.StatusReads(), 1);
}

TEST_F(ChannelTest, AbortDuringPollEndsWithinOneStep) {
    keyboard.busyForever = true;
    for (std::int64_t at : {50, 100, 1234, 7777, 16650}) {
        abort = false;
        const std::int64_t start = clock.SleptMs();
        AbortAt(start + at);
        EXPECT_FALSE(channel.WaitReady(500));
        EXPECT_LT(clock.SleptMs() - start, at + 100) << at;
    }
}

TEST_F(ChannelTest, WriteWaitsWithTheReportsFirstWait) {
    EXPECT_TRUE(channel.Write(BuildModifyKeyReport({0, 0x3F})));
    EXPECT_EQ(keyboard.StatusReadTimes(), std::vector<std::int64_t>{500});
    EXPECT_TRUE(channel.Write(BuildSyncStampReport({})));
    EXPECT_EQ(keyboard.StatusReadTimes().back(), 700);
}

TEST_F(ChannelTest, FailedSendSkipsThePoll) {
    keyboard.failWrites.insert(0x15);
    EXPECT_FALSE(channel.Write(BuildHostStateReport(0)));
    EXPECT_EQ(keyboard.StatusReads(), 0);
    EXPECT_EQ(clock.SleptMs(), 0);
}

TEST_F(ChannelTest, UnknownReportIsNotSent) {
    EXPECT_FALSE(channel.Write(ReportBytes{0x12, 0x03, 0x00}));
    EXPECT_FALSE(channel.Write(ReportBytes{}));
    EXPECT_TRUE(keyboard.Calls().empty());
}

TEST_F(ChannelTest, SelectThenRead) {
    keyboard.profiles[2].light = {0, 5, 2, 9};
    ReportBytes answer;
    ASSERT_TRUE(channel.SelectAndRead(2, 0x70, ReportId::LightReport, answer));
    const auto calls = keyboard.Calls();
    ASSERT_EQ(calls.size(), 3u);
    EXPECT_EQ(calls[0].bytes, (ReportBytes{0x04, 0x02, 0x70}));
    EXPECT_EQ(calls[1].bytes[0], 0x04);  // the poll, after 100 ms
    EXPECT_EQ(calls[1].atMs, 100);
    EXPECT_EQ(ParseLightReport(answer)->brightness, 5);
}

TEST_F(ChannelTest, FailedSelectStillReads) {
    keyboard.failWrites.insert(0x04);
    ReportBytes answer;
    EXPECT_FALSE(channel.SelectAndRead(0, 0x50, ReportId::ModifyKeyReport, answer));
    EXPECT_EQ(keyboard.ReadIds(), std::vector<std::uint8_t>{0x07});
    EXPECT_EQ(keyboard.StatusReads(), 0);
}

TEST_F(ChannelTest, AbortDuringSelectSkipsTheRead) {
    keyboard.busyForever = true;
    AbortAt(1000);
    ReportBytes answer;
    EXPECT_FALSE(channel.SelectAndRead(0, 3, ReportId::MacroReport, answer));
    EXPECT_TRUE(keyboard.ReadIds().empty());
}

// ---- the device library adapter ----

std::vector<unsigned char> g_sent;
int RecordingSet(const unsigned char* report, unsigned int length) {
    g_sent.assign(report, report + length);
    return 1;
}
int AnsweringGet(unsigned char* report, unsigned int length) {
    report[length - 1] = 0x77;
    return 7;  // any nonzero value means received
}
int FailingGet(unsigned char*, unsigned int) { return 0; }

TEST(DevBridgeFeatureDevice, PassesWholeReportsThrough) {
    DevBridgeFeatureDevice device(RecordingSet, AnsweringGet);
    const ReportBytes report = BuildProfileReport(2);
    EXPECT_TRUE(device.SetFeature(report));
    EXPECT_EQ(g_sent, std::vector<unsigned char>(report.begin(), report.end()));
    ReportBytes buffer = ReadRequest(ReportId::FirmwareReport);
    EXPECT_TRUE(device.GetFeature(buffer));
    EXPECT_EQ(buffer.back(), 0x77);
    EXPECT_FALSE(device.SetFeature(ReportBytes{}));
}

TEST(DevBridgeFeatureDevice, MissingOrFailingEntryPointsFail) {
    DevBridgeFeatureDevice missing(nullptr, nullptr);
    ReportBytes buffer = ReadRequest(ReportId::ProfileReport);
    EXPECT_FALSE(missing.SetFeature(buffer));
    EXPECT_FALSE(missing.GetFeature(buffer));
    EXPECT_FALSE(DevBridgeFeatureDevice(RecordingSet, FailingGet).GetFeature(buffer));
}

TEST(DevBridgeFeatureDevice, TakesCallsThroughALoadedLibrary) {
    int calls = 0;
    DevBridgeFeatureDevice device(
        [&](const unsigned char*, unsigned int length) { return ++calls + static_cast<int>(length); },
        [&](unsigned char*, unsigned int) { return 0; });
    EXPECT_TRUE(device.SetFeature(BuildHostStateReport(1)));
    EXPECT_EQ(calls, 1);
    ReportBytes buffer = ReadRequest(ReportId::ProfileReport);
    EXPECT_FALSE(device.GetFeature(buffer));
}

TEST(VirtualClockTest, CountsSleepAndMovesTheWallClock) {
    VirtualClock clock(1000);
    clock.SleepMs(1500);
    clock.SleepMs(-5);
    EXPECT_EQ(clock.SleptMs(), 1500);
    EXPECT_EQ(clock.Now(), 1001);
}

}  // namespace
}  // namespace kelm
