// The keyboard grab of the macro recorder. On a staged connection: refusal,
// a server without XKB, a lost display, a handler that ends the grab. On
// an Xvfb of the test's own: keys injected through XTest come to the grab in
// order and to no window, the focused window has them again once the grab is
// gone or its connection closed, repeats are dropped, and the delays a
// recorder takes from the server's timestamps follow the injection schedule.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <linux/input-event-codes.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <deque>
#include <functional>

#include "platform/EventLoop.h"
#include "platform/InputInjector.h"
#include "platform/KeyboardGrab.h"
#include "setup/MacroRecorder.h"
#include "tests/platform/TestClientWindow.h"
#include "tests/platform/TestServer.h"

// Last: Xlib defines None, Bool and Status as macros.
#include <X11/XKBlib.h>
#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>

namespace kelm {
namespace {

using namespace std::chrono_literals;

constexpr unsigned kKeycodeOffset = 8;

// Runs the loop on the test's thread until done, for at most timeout.
bool PumpUntil(EventLoop& loop, const std::function<bool()>& done, std::chrono::milliseconds timeout = 5s) {
    const auto end = std::chrono::steady_clock::now() + timeout;
    while (!done()) {
        if (std::chrono::steady_clock::now() >= end) return false;
        loop.RunOnce(10ms);
    }
    return true;
}

// What the staged connection did, kept apart from it because the grab owns
// the connection.
struct StagedServer {
    bool refuse = false;
    bool xkb = true;
    bool grabbed = false;
    int ungrabs = 0;
    std::deque<std::vector<GrabbedKey>> batches;  // one per read
    bool loseAfterBatches = false;
};

class StagedConnection final : public KeyboardGrabConnection {
public:
    explicit StagedConnection(StagedServer& server) : server_(server) {
        if (::pipe2(pipe_, O_NONBLOCK) != 0) pipe_[0] = pipe_[1] = -1;
    }
    ~StagedConnection() override {
        ::close(pipe_[0]);
        ::close(pipe_[1]);
    }
    bool GrabKeyboard() override { return server_.grabbed = !server_.refuse; }
    void UngrabKeyboard() override {
        server_.grabbed = false;
        ++server_.ungrabs;
    }
    bool DetectableAutoRepeat() override { return server_.xkb; }
    int Descriptor() const override { return pipe_[0]; }
    bool ReadKeys(std::vector<GrabbedKey>& keys) override {
        char byte = 0;
        if (::read(pipe_[0], &byte, 1) != 1) return true;
        if (server_.batches.empty()) return !server_.loseAfterBatches;
        keys.insert(keys.end(), server_.batches.front().begin(), server_.batches.front().end());
        server_.batches.pop_front();
        return !(server_.loseAfterBatches && server_.batches.empty());
    }
    // One more batch becomes readable.
    void Arrive() const { ASSERT_EQ(::write(pipe_[1], "k", 1), 1); }

private:
    StagedServer& server_;
    int pipe_[2] = {-1, -1};
};

GrabbedKey Press(unsigned keycode, std::uint32_t time) { return {keycode, false, time}; }
GrabbedKey Release(unsigned keycode, std::uint32_t time) { return {keycode, true, time}; }

class StagedGrab : public ::testing::Test {
protected:
    void SetUp() override {
        loop_ = EventLoop::Create();
        ASSERT_TRUE(loop_);
    }
    std::unique_ptr<KeyboardGrab> Open() {
        auto connection = std::make_unique<StagedConnection>(server_);
        connection_ = connection.get();
        return KeyboardGrab::Open(*loop_,
                                  {[this](const GrabbedKey& key) { keys_.push_back(key); }, [this] { ++losses_; }},
                                  std::move(connection));
    }
    // Makes every staged batch readable and lets the loop read them.
    void Deliver() {
        const std::size_t batches = server_.batches.size();
        for (std::size_t i = 0; i < batches; ++i) {
            connection_->Arrive();
            loop_->RunOnce(0ms);
        }
        loop_->RunOnce(0ms);
    }

    std::unique_ptr<EventLoop> loop_;
    StagedServer server_;
    StagedConnection* connection_ = nullptr;
    std::vector<GrabbedKey> keys_;
    int losses_ = 0;
};

TEST_F(StagedGrab, ARefusedGrabGivesNothingAndHoldsNothing) {
    server_.refuse = true;
    EXPECT_EQ(Open(), nullptr);
    EXPECT_FALSE(server_.grabbed);
    EXPECT_EQ(KeyboardGrab::Open(*loop_, {}, std::unique_ptr<KeyboardGrabConnection>()), nullptr);
}

TEST_F(StagedGrab, WithoutADisplayOpenGivesNothing) {
    // A display number no server listens on: the caller records its own
    // window's keys instead.
    EXPECT_EQ(KeyboardGrab::Open(*loop_, {}, ":4093"), nullptr);
    EXPECT_EQ(ConnectKeyboardGrab(":4093"), nullptr);
}

TEST_F(StagedGrab, HeldKeysRepeatAsPressesAndOnlyTheFirstCounts) {
    server_.batches = {{Press(38, 10), Press(38, 500), Press(38, 533)},
                       {Press(50, 540), Press(38, 566)},
                       {Release(38, 600), Release(50, 700), Press(38, 800)}};
    auto grab = Open();
    ASSERT_TRUE(grab);
    EXPECT_TRUE(grab->DetectsRepeat());
    EXPECT_TRUE(server_.grabbed);
    Deliver();
    EXPECT_EQ(keys_, (std::vector<GrabbedKey>{Press(38, 10), Press(50, 540), Release(38, 600), Release(50, 700),
                                              Press(38, 800)}));
    grab.reset();
    EXPECT_FALSE(server_.grabbed);
    EXPECT_EQ(server_.ungrabs, 1);
}

TEST_F(StagedGrab, WithoutXkbARepeatIsAReleaseAndAPressOfOneTimestamp) {
    server_.xkb = false;
    server_.batches = {{Press(38, 10), Release(38, 500), Press(38, 500), Release(38, 533), Press(38, 533)},
                       {Release(38, 600), Press(38, 601), Release(38, 650)}};
    auto grab = Open();
    ASSERT_TRUE(grab);
    EXPECT_FALSE(grab->DetectsRepeat());
    Deliver();
    EXPECT_EQ(keys_, (std::vector<GrabbedKey>{Press(38, 10), Release(38, 600), Press(38, 601), Release(38, 650)}));
}

TEST_F(StagedGrab, ALostDisplayEndsTheGrabOnceAndKeepsWhatCameBefore) {
    server_.batches = {{Press(38, 10)}, {Release(38, 20)}};
    server_.loseAfterBatches = true;
    auto grab = Open();
    ASSERT_TRUE(grab);
    Deliver();
    EXPECT_EQ(keys_, (std::vector<GrabbedKey>{Press(38, 10), Release(38, 20)}));
    EXPECT_EQ(losses_, 1);
    EXPECT_TRUE(grab->Lost());
    connection_->Arrive();
    loop_->RunOnce(0ms);
    EXPECT_EQ(losses_, 1);
    grab.reset();
    // Nothing to let go of on a connection that is gone.
    EXPECT_EQ(server_.ungrabs, 0);
}

TEST_F(StagedGrab, AHandlerMayEndTheGrab) {
    server_.batches = {{Press(38, 10), Release(38, 20), Press(50, 30)}};
    std::unique_ptr<KeyboardGrab> grab;
    grab = KeyboardGrab::Open(*loop_,
                              {[&](const GrabbedKey& key) {
                                   keys_.push_back(key);
                                   if (key.released) grab.reset();
                               },
                               {}},
                              [&] {
                                  auto connection = std::make_unique<StagedConnection>(server_);
                                  connection_ = connection.get();
                                  return connection;
                              }());
    ASSERT_TRUE(grab);
    connection_->Arrive();
    loop_->RunOnce(0ms);
    loop_->RunOnce(0ms);
    EXPECT_EQ(grab, nullptr);
    EXPECT_EQ(keys_, (std::vector<GrabbedKey>{Press(38, 10), Release(38, 20)}));
    EXPECT_FALSE(server_.grabbed);
}

class XvfbGrab : public ::testing::Test {
protected:
    void SetUp() override {
        xvfb_ = test::XvfbServer::Start();
        if (!xvfb_) GTEST_SKIP() << "Xvfb is not installed or did not start";
        loop_ = EventLoop::Create();
        ASSERT_TRUE(loop_);
    }
    void OpenClientAndInjector() {
        client_ = test::TestClientWindow::Open(xvfb_->Display());
        ASSERT_TRUE(client_);
        injector_ = OpenXTestInjector(xvfb_->Display().c_str());
        ASSERT_TRUE(injector_);
    }
    std::unique_ptr<KeyboardGrab> Open() {
        return KeyboardGrab::Open(*loop_,
                                  {[this](const GrabbedKey& key) { keys_.push_back(key); }, [this] { ++losses_; }},
                                  xvfb_->Display().c_str());
    }
    bool WaitForKeys(std::size_t count) {
        return PumpUntil(*loop_, [&] { return keys_.size() >= count; });
    }
    static unsigned Keycode(std::uint16_t inputCode) { return inputCode + kKeycodeOffset; }
    // The keys without their times, to compare with what was injected.
    std::vector<std::pair<unsigned, bool>> Strokes() const {
        std::vector<std::pair<unsigned, bool>> strokes;
        for (const GrabbedKey& key : keys_) strokes.emplace_back(key.keycode, key.released);
        return strokes;
    }

    std::unique_ptr<test::XvfbServer> xvfb_;
    std::unique_ptr<EventLoop> loop_;
    std::unique_ptr<test::TestClientWindow> client_;
    std::unique_ptr<IInputInjector> injector_;
    std::vector<GrabbedKey> keys_;
    int losses_ = 0;
};

TEST_F(XvfbGrab, KeysComeToTheGrabInOrderAndToTheFocusedWindowOnlyAfterIt) {
    OpenClientAndInjector();
    auto grab = Open();
    ASSERT_TRUE(grab);
    EXPECT_TRUE(grab->DetectsRepeat());
    const std::vector<std::pair<std::uint16_t, bool>> typed = {{KEY_RIGHTCTRL, false}, {KEY_X, false},
                                                               {KEY_X, true},          {KEY_RIGHTCTRL, true},
                                                               {KEY_KPENTER, false},   {KEY_KPENTER, true}};
    std::vector<std::pair<unsigned, bool>> expected;
    for (const auto& [key, released] : typed) {
        released ? injector_->KeyUp(key) : injector_->KeyDown(key);
        expected.emplace_back(Keycode(key), released);
    }
    ASSERT_TRUE(WaitForKeys(typed.size())) << keys_.size();
    EXPECT_EQ(Strokes(), expected);
    for (std::size_t i = 1; i < keys_.size(); ++i) EXPECT_LE(keys_[i - 1].time, keys_[i].time);

    grab.reset();
    injector_->KeyDown(KEY_B);
    injector_->KeyUp(KEY_B);
    // X delivers in order: a grabbed key that had reached the window would
    // stand before B.
    ASSERT_TRUE(client_->WaitForEvents(2, 5s));
    using E = test::ClientEvent;
    EXPECT_EQ(client_->Events(), (std::vector<E>{{E::KeyDown, Keycode(KEY_B), {}}, {E::KeyUp, Keycode(KEY_B), {}}}));
    EXPECT_EQ(keys_.size(), 6u);
}

// Passes on what the display sends and counts the presses, repeats
// included, that the grab is to drop.
class CountingConnection final : public KeyboardGrabConnection {
public:
    CountingConnection(std::unique_ptr<KeyboardGrabConnection> inner, std::atomic<int>& presses)
        : inner_(std::move(inner)), presses_(presses) {}
    bool GrabKeyboard() override { return inner_->GrabKeyboard(); }
    void UngrabKeyboard() override { inner_->UngrabKeyboard(); }
    bool DetectableAutoRepeat() override { return inner_->DetectableAutoRepeat(); }
    int Descriptor() const override { return inner_->Descriptor(); }
    bool ReadKeys(std::vector<GrabbedKey>& keys) override {
        const std::size_t before = keys.size();
        const bool connected = inner_->ReadKeys(keys);
        for (std::size_t i = before; i < keys.size(); ++i) presses_ += keys[i].released ? 0 : 1;
        return connected;
    }

private:
    std::unique_ptr<KeyboardGrabConnection> inner_;
    std::atomic<int>& presses_;
};

TEST_F(XvfbGrab, AHeldKeyCountsOnce) {
    OpenClientAndInjector();
    // The server's own auto-repeat, made quick.
    Display* display = XOpenDisplay(xvfb_->Display().c_str());
    ASSERT_NE(display, nullptr);
    ASSERT_TRUE(XkbSetAutoRepeatRate(display, XkbUseCoreKbd, 30, 10));
    XSync(display, False);
    XCloseDisplay(display);
    std::atomic<int> presses = 0;
    auto connection = std::make_unique<CountingConnection>(ConnectKeyboardGrab(xvfb_->Display().c_str()), presses);
    auto grab = KeyboardGrab::Open(*loop_, {[this](const GrabbedKey& key) { keys_.push_back(key); }, {}},
                                   std::move(connection));
    ASSERT_TRUE(grab);
    injector_->KeyDown(KEY_A);
    injector_->KeyDown(KEY_A);
    ASSERT_TRUE(PumpUntil(*loop_, [&] { return presses >= 4; })) << presses;
    injector_->KeyUp(KEY_A);
    injector_->KeyDown(KEY_B);
    injector_->KeyUp(KEY_B);
    ASSERT_TRUE(WaitForKeys(4));
    // Whatever else came would have come before B's release.
    EXPECT_EQ(Strokes(),
              (std::vector<std::pair<unsigned, bool>>{
                  {Keycode(KEY_A), false}, {Keycode(KEY_A), true}, {Keycode(KEY_B), false}, {Keycode(KEY_B), true}}));
}

TEST_F(XvfbGrab, RecordedDelaysFollowTheInjectionSchedule) {
    OpenClientAndInjector();
    auto grab = Open();
    ASSERT_TRUE(grab);
    // The server holds each fake event back by its delay before it stamps
    // it, so the timestamps keep the schedule however late this thread runs.
    Display* display = XOpenDisplay(xvfb_->Display().c_str());
    ASSERT_NE(display, nullptr);
    struct Step {
        std::uint16_t key;
        bool down;
        unsigned long delay;
    };
    const std::vector<Step> schedule = {{KEY_LEFTCTRL, true, 0}, {KEY_C, true, 40},   {KEY_C, false, 120},
                                        {KEY_C, true, 0},        {KEY_C, false, 250}, {KEY_LEFTCTRL, false, 75}};
    for (const Step& step : schedule)
        XTestFakeKeyEvent(display, Keycode(step.key), step.down ? True : False, step.delay);
    XFlush(display);
    ASSERT_TRUE(WaitForKeys(schedule.size()));
    XCloseDisplay(display);

    MacroRecorder recorder({}, -1, true);
    for (const GrabbedKey& key : keys_)
        recorder.InputKey(static_cast<std::uint16_t>(key.keycode - kKeycodeOffset), key.released, key.time);
    const auto& events = recorder.Events();
    ASSERT_EQ(events.size(), schedule.size());
    for (std::size_t i = 0; i + 1 < events.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(events[i].Delay, keys_[i + 1].time - keys_[i].time);
        const unsigned long planned = schedule[i + 1].delay;
        // Never sooner than planned, but for the millisecond the server's
        // clock rounds to; later by far only on a machine that stalls.
        EXPECT_GE(events[i].Delay + 1ul, planned);
        EXPECT_LE(events[i].Delay, planned + 3000ul);
    }
    EXPECT_EQ(events.back().Delay, 0);
}

TEST_F(XvfbGrab, AnotherGrabIsRefusedWhileOneIsHeld) {
    OpenClientAndInjector();
    auto grab = Open();
    ASSERT_TRUE(grab);
    EXPECT_EQ(Open(), nullptr);
    injector_->KeyDown(KEY_Z);
    injector_->KeyUp(KEY_Z);
    ASSERT_TRUE(WaitForKeys(2));
    EXPECT_EQ(Strokes(), (std::vector<std::pair<unsigned, bool>>{{Keycode(KEY_Z), false}, {Keycode(KEY_Z), true}}));
}

TEST_F(XvfbGrab, TheServerDropsTheGrabWhenItsConnectionCloses) {
    OpenClientAndInjector();
    // A program that ends without letting go: its connection closes.
    auto connection = ConnectKeyboardGrab(xvfb_->Display().c_str());
    ASSERT_TRUE(connection);
    ASSERT_TRUE(connection->GrabKeyboard());
    ASSERT_EQ(::shutdown(connection->Descriptor(), SHUT_RDWR), 0);
    // The server may read the close only after the key: the key is then
    // the grab's, and the next one the window's.
    for (int attempt = 0; attempt < 50 && client_->Events().empty(); ++attempt) {
        injector_->KeyDown(KEY_Q);
        injector_->KeyUp(KEY_Q);
        client_->WaitForEvents(1, 100ms);
    }
    ASSERT_FALSE(client_->Events().empty());
    EXPECT_EQ(client_->Events().front().code, Keycode(KEY_Q));
    // Asked after the loss, the connection answers without ending the test.
    std::vector<GrabbedKey> keys;
    EXPECT_FALSE(connection->ReadKeys(keys));
    EXPECT_FALSE(connection->GrabKeyboard());
    connection->UngrabKeyboard();
}

TEST_F(XvfbGrab, ADisplayThatGoesAwayEndsTheGrabNotTheProgram) {
    auto grab = Open();
    ASSERT_TRUE(grab);
    xvfb_.reset();
    ASSERT_TRUE(PumpUntil(*loop_, [&] { return losses_ > 0; }));
    EXPECT_EQ(losses_, 1);
    EXPECT_TRUE(grab->Lost());
    grab.reset();
}

}  // namespace
}  // namespace kelm
