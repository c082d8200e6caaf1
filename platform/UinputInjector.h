// Synthetic input through /dev/uinput: one virtual keyboard-and-mouse
// device, made when the injector opens and removed when it goes (the kernel
// then releases whatever the device still held).
#pragma once

#include <sys/types.h>

#include <cstddef>
#include <memory>

#include "platform/InputInjector.h"

struct uinput_setup;

namespace kelm {

// The calls the backend makes, so tests see the device set up and the
// records written without a /dev/uinput.
class UinputCalls {
public:
    virtual ~UinputCalls() = default;
    virtual int Open(const char* path, int flags);
    virtual int Ioctl(int fd, unsigned long request, int value);
    virtual int Setup(int fd, const uinput_setup& setup);
    virtual ssize_t Write(int fd, const void* data, std::size_t size);
    virtual int Close(int fd);
};

inline constexpr const char* kUinputPath = "/dev/uinput";
inline constexpr const char* kUinputDeviceName = "VELDAN Kelm Keyboard Input";

// calls must outlive the injector; nullptr when the device cannot be made.
std::unique_ptr<IInputInjector> OpenUinputInjector(UinputCalls& calls, const char* path = kUinputPath);

// The calls of the real system.
UinputCalls& SystemUinputCalls();

}  // namespace kelm
