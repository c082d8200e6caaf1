#include "tests/platform/BusService.h"

#include <poll.h>

#include <utility>

namespace kelm::test {

bool BusService::Start(const std::string& busAddress, const char* path, bool subtree, const std::string& name,
                       Answer answer) {
    answer_ = std::move(answer);
    if (sd_bus_new(&bus_) < 0 || sd_bus_set_address(bus_, busAddress.c_str()) < 0 ||
        sd_bus_set_bus_client(bus_, 1) < 0 || sd_bus_start(bus_) < 0)
        return false;
    const int added = subtree ? sd_bus_add_fallback(bus_, &slot_, path, &BusService::Handle, this)
                              : sd_bus_add_object(bus_, &slot_, path, &BusService::Handle, this);
    if (added < 0 || sd_bus_request_name(bus_, name.c_str(), 0) < 0) return false;
    thread_ = std::thread([this] { Serve(); });
    return true;
}

BusService::~BusService() {
    stop_ = true;
    if (thread_.joinable()) thread_.join();
    sd_bus_slot_unref(slot_);
    sd_bus_flush_close_unref(bus_);
}

int BusService::Handle(sd_bus_message* message, void* self, sd_bus_error*) {
    return static_cast<BusService*>(self)->answer_(message);
}

void BusService::Serve() {
    const int fd = sd_bus_get_fd(bus_);
    while (!stop_) {
        {
            std::lock_guard lock(mutex_);
            while (sd_bus_process(bus_, nullptr) > 0) {
            }
            // What an answer hands over (a lock's descriptor) goes out now.
            sd_bus_flush(bus_);
        }
        pollfd p{fd, POLLIN, 0};
        ::poll(&p, 1, 10);
    }
}

}  // namespace kelm::test
