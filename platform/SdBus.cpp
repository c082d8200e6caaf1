#include "platform/SdBus.h"

#include <cstdint>

namespace kelm {

namespace {

BusConnection OpenBus(int (*open)(sd_bus**), std::chrono::microseconds callTimeout, int* error) {
    sd_bus* bus = nullptr;
    const int r = open(&bus);
    if (error != nullptr) *error = r < 0 ? r : 0;
    if (r < 0) return nullptr;
    sd_bus_set_method_call_timeout(bus, static_cast<std::uint64_t>(callTimeout.count()));
    return BusConnection(bus);
}

}  // namespace

BusConnection OpenSessionBus(std::chrono::microseconds callTimeout, int* error) {
    return OpenBus(sd_bus_open_user, callTimeout, error);
}

BusConnection OpenSystemBus(std::chrono::microseconds callTimeout, int* error) {
    return OpenBus(sd_bus_open_system, callTimeout, error);
}

int DrainBus(sd_bus* bus) {
    for (;;) {
        const int r = sd_bus_process(bus, nullptr);
        if (r <= 0) return r;
    }
}

}  // namespace kelm
