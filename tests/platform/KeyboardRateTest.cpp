#include <gtest/gtest.h>

#include <utility>

#include "platform/KeyboardRate.h"
#include "tests/platform/TestServer.h"
#include "tests/support/ScopedEnv.h"

// Last: Xlib's macros (None, Bool, Status) would break the headers above.
#include <X11/XKBlib.h>
#include <X11/Xlib.h>

namespace kelm {
namespace {

TEST(KeyboardRate, DelayStepsOfAQuarterSecondClampedToTheScale) {
    EXPECT_EQ(RepeatDelayMilliseconds(0), 250);
    EXPECT_EQ(RepeatDelayMilliseconds(1), 500);
    EXPECT_EQ(RepeatDelayMilliseconds(2), 750);
    EXPECT_EQ(RepeatDelayMilliseconds(3), 1000);
    EXPECT_EQ(RepeatDelayMilliseconds(-1), 250);  // a profile file that lacks the value loads -1
    EXPECT_EQ(RepeatDelayMilliseconds(4), 1000);
    EXPECT_EQ(RepeatDelayMilliseconds(INT32_MIN), 250);
    EXPECT_EQ(RepeatDelayMilliseconds(INT32_MAX), 1000);
}

TEST(KeyboardRate, RateRisesLinearlyFromSlowToFast) {
    EXPECT_DOUBLE_EQ(RepeatRatePerSecond(0), 2.5);
    EXPECT_DOUBLE_EQ(RepeatRatePerSecond(31), 30.0);
    for (int speed = 1; speed <= 31; ++speed) {
        const double step = RepeatRatePerSecond(speed) - RepeatRatePerSecond(speed - 1);
        EXPECT_NEAR(step, 27.5 / 31, 1e-9) << speed;
    }
    EXPECT_DOUBLE_EQ(RepeatRatePerSecond(-1), 2.5);
    EXPECT_DOUBLE_EQ(RepeatRatePerSecond(32), 30.0);
    EXPECT_DOUBLE_EQ(RepeatRatePerSecond(INT32_MAX), 30.0);
}

TEST(KeyboardRate, IntervalIsTheRoundedPeriodOfTheRate) {
    EXPECT_EQ(RepeatIntervalMilliseconds(0), 400);
    EXPECT_EQ(RepeatIntervalMilliseconds(31), 33);
    EXPECT_EQ(RepeatIntervalMilliseconds(15), 63);  // 15.806 repeats per second
    for (int speed = 1; speed <= 31; ++speed)
        EXPECT_LT(RepeatIntervalMilliseconds(speed), RepeatIntervalMilliseconds(speed - 1)) << speed;
}

TEST(KeyboardRate, WithoutADisplayNothingIsApplied) {
    test::ScopedEnv noDisplay("DISPLAY", nullptr);
    EXPECT_FALSE(ApplyKeyboardRate(1, 31));
    test::ScopedEnv deadDisplay("DISPLAY", ":4095");
    EXPECT_FALSE(ApplyKeyboardRate(1, 31));
}

// A client that stays connected for the whole test, as the desktop does:
// an X server that loses its last client resets and forgets the repeat.
class SessionClient {
public:
    explicit SessionClient(const std::string& display) : connection_(XOpenDisplay(display.c_str())) {}
    ~SessionClient() {
        if (connection_ != nullptr) XCloseDisplay(connection_);
    }
    SessionClient(const SessionClient&) = delete;
    SessionClient& operator=(const SessionClient&) = delete;

    bool Connected() const { return connection_ != nullptr; }
    std::pair<unsigned, unsigned> DelayAndInterval() const {
        unsigned delay = 0, interval = 0;
        XkbGetAutoRepeatRate(connection_, XkbUseCoreKbd, &delay, &interval);
        return {delay, interval};
    }

private:
    Display* connection_;
};

TEST(KeyboardRate, TheXSessionTakesDelayAndInterval) {
    const auto xvfb = test::XvfbServer::Start();
    if (!xvfb) GTEST_SKIP() << "Xvfb is not installed or did not start";
    test::ScopedEnv display("DISPLAY", xvfb->Display().c_str());
    const SessionClient session(xvfb->Display());
    ASSERT_TRUE(session.Connected());
    const auto before = session.DelayAndInterval();
    ASSERT_NE(before, std::make_pair(750u, 400u)) << "the server must start with other values";

    ASSERT_TRUE(ApplyKeyboardRate(2, 0));
    EXPECT_EQ(session.DelayAndInterval(), std::make_pair(750u, 400u));
    ASSERT_TRUE(ApplyKeyboardRate(0, 31));
    EXPECT_EQ(session.DelayAndInterval(), std::make_pair(250u, 33u));
    // Damaged values reach the session clamped, never as garbage.
    ASSERT_TRUE(ApplyKeyboardRate(7, -1000));
    EXPECT_EQ(session.DelayAndInterval(), std::make_pair(1000u, 400u));
}

}  // namespace
}  // namespace kelm
