// Owners for sd-bus's reference-counted handles, so that every path out of
// a call releases what it got.
#pragma once

#include <systemd/sd-bus.h>

#include <chrono>
#include <memory>

namespace kelm {

class BusError {
public:
    BusError() = default;
    ~BusError() { sd_bus_error_free(&error_); }
    BusError(const BusError&) = delete;
    BusError& operator=(const BusError&) = delete;
    sd_bus_error* operator&() { return &error_; }

private:
    sd_bus_error error_{};  // SD_BUS_ERROR_NULL, which is C only
};

struct BusMessageReleaser {
    void operator()(sd_bus_message* message) const { sd_bus_message_unref(message); }
};
using BusMessage = std::unique_ptr<sd_bus_message, BusMessageReleaser>;

struct BusSlotReleaser {
    void operator()(sd_bus_slot* slot) const { sd_bus_slot_unref(slot); }
};
using BusSlot = std::unique_ptr<sd_bus_slot, BusSlotReleaser>;

struct BusCloser {
    void operator()(sd_bus* bus) const { sd_bus_flush_close_unref(bus); }
};
using BusConnection = std::unique_ptr<sd_bus, BusCloser>;

// The user's session bus; nullptr, with the negative errno in *error, when
// there is none. Calls awaited on it give up after callTimeout.
BusConnection OpenSessionBus(std::chrono::microseconds callTimeout, int* error = nullptr);
// The system bus, likewise.
BusConnection OpenSystemBus(std::chrono::microseconds callTimeout, int* error = nullptr);

// Handles everything the bus has received: 0 once nothing is left, or the
// negative errno of a failed connection.
int DrainBus(sd_bus* bus);

}  // namespace kelm
