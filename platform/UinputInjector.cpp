#include "platform/UinputInjector.h"

#include <errno.h>
#include <fcntl.h>
#include <linux/uinput.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <array>
#include <cstring>
#include <mutex>

namespace kelm {

int UinputCalls::Open(const char* path, int flags) { return ::open(path, flags); }
int UinputCalls::Ioctl(int fd, unsigned long request, int value) { return ::ioctl(fd, request, value); }
int UinputCalls::Setup(int fd, const uinput_setup& setup) { return ::ioctl(fd, UI_DEV_SETUP, &setup); }
ssize_t UinputCalls::Write(int fd, const void* data, std::size_t size) { return ::write(fd, data, size); }
int UinputCalls::Close(int fd) { return ::close(fd); }

UinputCalls& SystemUinputCalls() {
    static UinputCalls calls;
    return calls;
}

namespace {

class UinputInjector final : public IInputInjector {
public:
    UinputInjector(UinputCalls& calls, int fd) : calls_(calls), fd_(fd) {}
    ~UinputInjector() override {
        calls_.Ioctl(fd_, UI_DEV_DESTROY, 0);
        calls_.Close(fd_);
    }
    UinputInjector(const UinputInjector&) = delete;
    UinputInjector& operator=(const UinputInjector&) = delete;

    void KeyDown(std::uint16_t inputCode) override { Send(inputCode, 1); }
    void KeyUp(std::uint16_t inputCode) override { Send(inputCode, 0); }
    void ButtonDown(MouseButton button) override { Send(static_cast<std::uint16_t>(button), 1); }
    void ButtonUp(MouseButton button) override { Send(static_cast<std::uint16_t>(button), 0); }

private:
    // The change and its report in one write, so that a key of another
    // thread never lands between them.
    void Send(std::uint16_t code, std::int32_t value) {
        std::array<input_event, 2> events{};
        events[0].type = EV_KEY;
        events[0].code = code;
        events[0].value = value;
        events[1].type = EV_SYN;
        events[1].code = SYN_REPORT;
        const std::lock_guard lock(mutex_);
        while (calls_.Write(fd_, events.data(), sizeof events) < 0 && errno == EINTR) {
        }
    }

    UinputCalls& calls_;
    const int fd_;
    std::mutex mutex_;
};

bool Enable(UinputCalls& calls, int fd, unsigned long request, int value) {
    return calls.Ioctl(fd, request, value) >= 0;
}

// Every key a keyboard has, the five buttons, and the two axes without
// which the desktop would not take the device for a mouse (they never move).
bool DescribeDevice(UinputCalls& calls, int fd) {
    bool ok = Enable(calls, fd, UI_SET_EVBIT, EV_KEY) && Enable(calls, fd, UI_SET_EVBIT, EV_SYN) &&
              Enable(calls, fd, UI_SET_EVBIT, EV_REL) && Enable(calls, fd, UI_SET_RELBIT, REL_X) &&
              Enable(calls, fd, UI_SET_RELBIT, REL_Y);
    for (int key = KEY_ESC; ok && key <= KEY_MICMUTE; ++key) ok = Enable(calls, fd, UI_SET_KEYBIT, key);
    for (int button = BTN_LEFT; ok && button <= BTN_EXTRA; ++button) ok = Enable(calls, fd, UI_SET_KEYBIT, button);
    if (!ok) return false;
    uinput_setup setup{};
    setup.id.bustype = BUS_VIRTUAL;
    setup.id.vendor = 0x1A2C;
    setup.id.product = 0x4B4D;
    setup.id.version = 1;
    std::strncpy(setup.name, kUinputDeviceName, sizeof setup.name - 1);
    return calls.Setup(fd, setup) >= 0 && Enable(calls, fd, UI_DEV_CREATE, 0);
}

}  // namespace

std::unique_ptr<IInputInjector> OpenUinputInjector(UinputCalls& calls, const char* path) {
    const int fd = calls.Open(path, O_WRONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return nullptr;
    if (!DescribeDevice(calls, fd)) {
        calls.Close(fd);
        return nullptr;
    }
    return std::make_unique<UinputInjector>(calls, fd);
}

}  // namespace kelm
