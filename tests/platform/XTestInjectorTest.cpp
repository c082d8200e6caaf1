// The XTest backend on an Xvfb of the test's own: keys arrive at the
// focused window with keycode = input code + 8, buttons as X buttons, and
// every key of the table is a key of the display's keymap.
#include <X11/keysym.h>
#include <gtest/gtest.h>
#include <linux/input-event-codes.h>

#include "keyboard/KeyCodes.h"
#include "platform/InputInjector.h"
#include "tests/platform/TestClientWindow.h"
#include "tests/platform/TestServer.h"

namespace kelm::test {
namespace {

using namespace std::chrono_literals;

class XTestInjection : public ::testing::Test {
protected:
    void SetUp() override {
        xvfb_ = XvfbServer::Start();
        if (!xvfb_) GTEST_SKIP() << "Xvfb is not installed or did not start";
        client_ = TestClientWindow::Open(xvfb_->Display());
        ASSERT_TRUE(client_);
        injector_ = OpenXTestInjector(xvfb_->Display().c_str());
        ASSERT_TRUE(injector_);
    }
    void TearDown() override {
        injector_.reset();
        client_.reset();
        xvfb_.reset();
    }

    std::unique_ptr<XvfbServer> xvfb_;
    std::unique_ptr<TestClientWindow> client_;
    std::unique_ptr<IInputInjector> injector_;
};

TEST_F(XTestInjection, KeysAndButtonsArriveInOrderAtTheFocusedWindow) {
    injector_->KeyDown(KEY_LEFTSHIFT);
    injector_->KeyDown(KEY_A);
    injector_->KeyUp(KEY_A);
    injector_->KeyUp(KEY_LEFTSHIFT);
    injector_->KeyDown(KEY_KPENTER);
    injector_->KeyUp(KEY_KPENTER);
    injector_->ButtonDown(MouseButton::Left);
    injector_->ButtonUp(MouseButton::Left);
    injector_->ButtonDown(MouseButton::Right);
    injector_->ButtonUp(MouseButton::Right);
    injector_->ButtonDown(MouseButton::Middle);
    injector_->ButtonUp(MouseButton::Middle);
    injector_->ButtonDown(MouseButton::Side);
    injector_->ButtonUp(MouseButton::Side);
    injector_->ButtonDown(MouseButton::Extra);
    injector_->ButtonUp(MouseButton::Extra);
    // Beyond X's keycodes: nothing, rather than another key.
    injector_->KeyDown(KEY_MAX);
    using E = ClientEvent;
    const std::vector<ClientEvent> expected = {
        {E::KeyDown, 50, {}},   {E::KeyDown, 38, {}}, {E::KeyUp, 38, {}},     {E::KeyUp, 50, {}},
        {E::KeyDown, 104, {}},  {E::KeyUp, 104, {}},  {E::ButtonDown, 1, {}}, {E::ButtonUp, 1, {}},
        {E::ButtonDown, 3, {}}, {E::ButtonUp, 3, {}}, {E::ButtonDown, 2, {}}, {E::ButtonUp, 2, {}},
        {E::ButtonDown, 8, {}}, {E::ButtonUp, 8, {}}, {E::ButtonDown, 9, {}}, {E::ButtonUp, 9, {}},
    };
    ASSERT_TRUE(client_->WaitForEvents(expected.size(), 5s)) << client_->Events().size();
    injector_->KeyDown(KEY_B);
    ASSERT_TRUE(client_->WaitForEvents(expected.size() + 1, 5s));
    auto events = client_->Events();
    EXPECT_EQ(events.back(), (ClientEvent{E::KeyDown, KEY_B + 8, {}}));
    events.pop_back();
    EXPECT_EQ(events, expected);
    injector_->KeyUp(KEY_B);
}

TEST_F(XTestInjection, EveryKeyOfTheTableIsAKeyOfTheDisplay) {
    for (const KeyCodeRow& row : kKeyCodeTable) {
        if (IsMouseButtonCode(row.code)) continue;
        EXPECT_NE(client_->KeySymOf(row.inputCode + 8u), 0ul) << int{row.code};
    }
    // The US layout of the test display names the keys as the virtual keys do.
    EXPECT_EQ(client_->KeySymOf(FindKeyCode(0x04)->inputCode + 8u), XK_a);
    EXPECT_EQ(client_->KeySymOf(FindKeyCode(0x27)->inputCode + 8u), XK_0);
    EXPECT_EQ(client_->KeySymOf(FindKeyCode(0x35)->inputCode + 8u), XK_grave);
    EXPECT_EQ(client_->KeySymOf(FindKeyCode(0x45)->inputCode + 8u), XK_F12);
    EXPECT_EQ(client_->KeySymOf(FindKeyCode(0x46)->inputCode + 8u), XK_Print);
    EXPECT_EQ(client_->KeySymOf(FindKeyCode(0x58)->inputCode + 8u), XK_KP_Enter);
    EXPECT_EQ(client_->KeySymOf(FindKeyCode(0x65)->inputCode + 8u), XK_Menu);
    EXPECT_EQ(client_->KeySymOf(FindKeyCode(0xE3)->inputCode + 8u), XK_Super_L);
    EXPECT_EQ(client_->KeySymOf(FindKeyCode(0xE6)->inputCode + 8u), XK_Alt_R);
}

}  // namespace
}  // namespace kelm::test
