// Owners for sd-bus's reference-counted handles, so that every path out of
// a call releases what it got.
#pragma once

#include <systemd/sd-bus.h>

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

}  // namespace kelm
