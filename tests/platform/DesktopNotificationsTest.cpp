// Desktop notifications over sd-bus against a stand-in notification server
// on a private session bus.
#include <gtest/gtest.h>

#include <chrono>
#include <optional>

#include "platform/DesktopNotifications.h"
#include "platform/EventLoop.h"
#include "tests/platform/FakeLogind.h"
#include "tests/platform/FakeNotificationServer.h"
#include "tests/support/ScopedEnv.h"
#include "tests/support/TempFolder.h"

namespace kelm {
namespace {

using std::chrono::milliseconds;
using test::FakeNotificationServer;
using Received = FakeNotificationServer::Received;

class DesktopNotificationsTest : public testing::Test {
protected:
    void SetUp() override {
        loop_ = EventLoop::Create();
        ASSERT_TRUE(loop_);
        bus_ = test::PrivateBus::Start(root_);
        if (!bus_) GTEST_SKIP() << "dbus-daemon is not installed or did not start";
        sessionBus_.emplace("DBUS_SESSION_BUS_ADDRESS", bus_->Address().c_str());
    }

    // Runs the loop until the call is answered, or long enough that a
    // missing answer is a failure.
    INotifier::Answer Await(const std::function<void(INotifier::OnAnswer)>& call) {
        std::optional<INotifier::Answer> answer;
        call([&answer](const INotifier::Answer& a) { answer = a; });
        EXPECT_FALSE(answer) << "answered inside the call";
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (!answer && std::chrono::steady_clock::now() < deadline) loop_->RunOnce(milliseconds(50));
        EXPECT_TRUE(answer) << "no answer";
        return answer.value_or(INotifier::Answer{0, "no answer"});
    }
    INotifier::Answer Notify(DesktopNotifications& notifier, const std::string& body, std::uint32_t replacesId) {
        const Notification n{"KelmOSD", "input-keyboard", "Kelm", body, milliseconds(4000)};
        return Await([&](INotifier::OnAnswer done) { notifier.Notify(n, replacesId, std::move(done)); });
    }

    const test::TempFolder folder_;
    const std::string root_ = folder_.Path();
    std::unique_ptr<EventLoop> loop_;
    std::unique_ptr<test::PrivateBus> bus_;
    std::optional<test::ScopedEnv> sessionBus_;
};

TEST_F(DesktopNotificationsTest, EachNotificationReachesTheServerWithAllItsArgumentsAndReplacesTheOneNamed) {
    auto server = FakeNotificationServer::Start(bus_->Address(), {});
    ASSERT_TRUE(server);
    DesktopNotifications notifier(*loop_);
    EXPECT_EQ(Await([&](INotifier::OnAnswer done) { notifier.FindServer(std::move(done)); }).error, "");

    const INotifier::Answer first = Notify(notifier, "Profile 2: Default2", 0);
    EXPECT_EQ(first.error, "");
    EXPECT_EQ(first.id, FakeNotificationServer::kFirstId);
    const INotifier::Answer second = Notify(notifier, "Caf\xc3\xa9 <b>&", first.id);
    EXPECT_EQ(second.id, first.id);
    notifier.Close(second.id);
    // A notification taken away is not replaced: the next one is new.
    const INotifier::Answer third = Notify(notifier, "Profile 3", 0);
    EXPECT_EQ(third.id, FakeNotificationServer::kFirstId + 1);

    const std::map<std::string, std::string> transient{{"transient", "b:true"}};
    const auto received = [&](std::uint32_t replaces, const std::string& body, std::uint32_t id) {
        return Received{"KelmOSD", replaces, "input-keyboard", "Kelm", body, {}, transient, 4000, id};
    };
    EXPECT_EQ(
        server->NotificationsAtLeast(3),
        (std::vector<Received>{received(0, "Profile 2: Default2", first.id),
                               // A server that reads plain bodies gets the text as it is.
                               received(first.id, "Caf\xc3\xa9 <b>&", first.id), received(0, "Profile 3", third.id)}));
    EXPECT_EQ(server->Closed(), std::vector<std::uint32_t>{first.id});
}

TEST_F(DesktopNotificationsTest, AServerThatReadsMarkupGetsTheTextEscaped) {
    auto server = FakeNotificationServer::Start(bus_->Address(), {.bodyMarkup = true});
    ASSERT_TRUE(server);
    DesktopNotifications notifier(*loop_);
    EXPECT_EQ(Await([&](INotifier::OnAnswer done) { notifier.FindServer(std::move(done)); }).error, "");
    Notify(notifier, "<i>Rally</i> & Race > 2", 0);
    const auto received = server->NotificationsAtLeast(1);
    ASSERT_EQ(received.size(), 1u);
    EXPECT_EQ(received[0].body, "&lt;i&gt;Rally&lt;/i&gt; &amp; Race &gt; 2");

    // A notifier that goes with a call out still sends it, and answers no one.
    std::optional<INotifier::Answer> late;
    {
        DesktopNotifications leaving(*loop_);
        leaving.Notify({"KelmOSD", "", "Kelm", "Last", milliseconds(4000)}, 0,
                       [&late](const INotifier::Answer& a) { late = a; });
    }
    EXPECT_EQ(server->NotificationsAtLeast(2).size(), 2u);
    loop_->RunOnce(milliseconds(100));
    EXPECT_FALSE(late);
}

TEST_F(DesktopNotificationsTest, WithoutAServerOrABusEveryCallAnswersWhy) {
    {
        DesktopNotifications notifier(*loop_);
        const INotifier::Answer found = Await([&](INotifier::OnAnswer done) { notifier.FindServer(std::move(done)); });
        EXPECT_NE(found.error.find("org.freedesktop.DBus.Error.ServiceUnknown"), std::string::npos) << found.error;
        EXPECT_NE(Notify(notifier, "Profile 2", 0).error, "");
    }
    sessionBus_.emplace("DBUS_SESSION_BUS_ADDRESS", ("unix:path=" + root_ + "/no-bus").c_str());
    DesktopNotifications notifier(*loop_);
    const INotifier::Answer found = Await([&](INotifier::OnAnswer done) { notifier.FindServer(std::move(done)); });
    EXPECT_EQ(found.error.rfind("no session bus", 0), 0u) << found.error;
    EXPECT_NE(Notify(notifier, "Profile 2", 0).error, "");
    notifier.Close(7);  // nothing to send it on, and nothing breaks
}

}  // namespace
}  // namespace kelm
