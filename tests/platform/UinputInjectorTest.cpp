// The uinput backend through its seam (the machines have no /dev/uinput):
// the device it describes, the records it writes, and the choice of
// backend.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <linux/uinput.h>

#include <algorithm>
#include <cstring>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "keyboard/KeyCodes.h"
#include "platform/UinputInjector.h"

namespace kelm {
namespace {

constexpr int kFd = 41;

class FakeUinput final : public UinputCalls {
public:
    int Open(const char* path, int flags) override {
        calls.push_back("open " + std::string(path) + ((flags & O_WRONLY) != 0 ? " write" : " read"));
        return openFails ? -1 : kFd;
    }
    int Ioctl(int fd, unsigned long request, int value) override {
        EXPECT_EQ(fd, kFd);
        if (request == UI_SET_KEYBIT)
            keyBits.insert(value);
        else if (request == UI_SET_EVBIT)
            calls.push_back("evbit " + std::to_string(value));
        else if (request == UI_SET_RELBIT)
            calls.push_back("relbit " + std::to_string(value));
        else if (request == UI_DEV_CREATE)
            calls.push_back("create");
        else if (request == UI_DEV_DESTROY)
            calls.push_back("destroy");
        else
            calls.push_back("other ioctl");
        return request == failing ? -1 : 0;
    }
    int Setup(int fd, const uinput_setup& setup) override {
        EXPECT_EQ(fd, kFd);
        calls.push_back("setup " + std::string(setup.name) + " bus " + std::to_string(setup.id.bustype));
        return 0;
    }
    ssize_t Write(int fd, const void* data, std::size_t size) override {
        EXPECT_EQ(fd, kFd);
        EXPECT_EQ(size % sizeof(input_event), 0u);
        const auto* events = static_cast<const input_event*>(data);
        for (std::size_t i = 0; i < size / sizeof(input_event); ++i)
            written.push_back({events[i].type, events[i].code, events[i].value});
        ++writes;
        return static_cast<ssize_t>(size);
    }
    int Close(int fd) override {
        EXPECT_EQ(fd, kFd);
        calls.push_back("close");
        return 0;
    }

    struct Record {
        int type, code, value;
        bool operator==(const Record&) const = default;
    };
    bool openFails = false;
    unsigned long failing = 0;
    std::vector<std::string> calls;
    std::set<int> keyBits;
    std::vector<Record> written;
    int writes = 0;
};

TEST(UinputInjector, MakesOneKeyboardAndMouseDeviceWithEveryKeyOfTheTableAndRemovesIt) {
    FakeUinput fake;
    auto injector = OpenUinputInjector(fake, "/dev/test-uinput");
    ASSERT_TRUE(injector);
    EXPECT_EQ(fake.calls,
              (std::vector<std::string>{"open /dev/test-uinput write", "evbit 1", "evbit 0", "evbit 2", "relbit 0",
                                        "relbit 1", "setup VELDAN Kelm Keyboard Input bus 6", "create"}));
    for (const KeyCodeRow& row : kKeyCodeTable) EXPECT_EQ(fake.keyBits.count(row.inputCode), 1u) << int{row.code};
    fake.calls.clear();
    injector.reset();
    EXPECT_EQ(fake.calls, (std::vector<std::string>{"destroy", "close"}));
}

TEST(UinputInjector, WritesEachChangeWithItsReportInOneWrite) {
    FakeUinput fake;
    auto injector = OpenUinputInjector(fake);
    ASSERT_TRUE(injector);
    injector->KeyDown(KEY_A);
    injector->KeyUp(KEY_A);
    injector->ButtonDown(MouseButton::Side);
    injector->ButtonUp(MouseButton::Left);
    using R = FakeUinput::Record;
    EXPECT_EQ(fake.written, (std::vector<R>{{EV_KEY, KEY_A, 1},
                                            {EV_SYN, SYN_REPORT, 0},
                                            {EV_KEY, KEY_A, 0},
                                            {EV_SYN, SYN_REPORT, 0},
                                            {EV_KEY, BTN_SIDE, 1},
                                            {EV_SYN, SYN_REPORT, 0},
                                            {EV_KEY, BTN_LEFT, 0},
                                            {EV_SYN, SYN_REPORT, 0}}));
    EXPECT_EQ(fake.writes, 4);
}

TEST(UinputInjector, ADeviceThatCannotBeMadeIsClosedAndNoInjectorComes) {
    for (const unsigned long failing : std::vector<unsigned long>{UI_SET_EVBIT, UI_SET_KEYBIT, UI_DEV_CREATE}) {
        FakeUinput fake;
        fake.failing = failing;
        EXPECT_FALSE(OpenUinputInjector(fake)) << failing;
        EXPECT_EQ(fake.calls.back(), "close") << failing;
    }
    FakeUinput fake;
    fake.openFails = true;
    EXPECT_FALSE(OpenUinputInjector(fake));
    EXPECT_EQ(fake.calls.size(), 1u);
}

TEST(InputInjector, TheBackendsAreTriedInTheOrderTheSessionCallsFor) {
    using K = InjectorKind;
    struct Case {
        InjectionSetting setting;
        std::vector<K> expected;
    };
    const Case cases[] = {
        {{"", true, false, true}, {K::XTest, K::Uinput}},
        {{"", true, true, true}, {K::Uinput, K::XTest}},
        {{"", true, true, false}, {K::XTest}},
        {{"", false, true, true}, {K::Uinput}},
        {{"", false, false, true}, {K::Uinput}},
        {{"", false, false, false}, {}},
        {{"xtest", false, true, true}, {K::XTest}},
        {{"uinput", true, false, false}, {K::Uinput}},
        {{"evdev", true, false, false}, {K::XTest}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(InjectorCandidates(c.setting), c.expected)
            << c.setting.requested << " x11 " << c.setting.x11 << " wayland " << c.setting.wayland << " uinput "
            << c.setting.uinputWritable;
}

}  // namespace
}  // namespace kelm
