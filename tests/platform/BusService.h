// One name on a private bus, served on a thread of its own: what the
// stand-ins for logind, a notification server and a media player share.
// sd-bus is not thread-safe: the owner's mutex guards the bus, and the
// serving thread holds it while it hands a call to the owner.
#pragma once

#include <systemd/sd-bus.h>

#include <atomic>
#include <functional>
#include <mutex>
#include <string>
#include <thread>

namespace kelm::test {

class BusService {
public:
    using Answer = std::function<int(sd_bus_message* message)>;

    explicit BusService(std::mutex& mutex) : mutex_(mutex) {}
    // Stops serving before anything of the owner's goes: declare it last.
    ~BusService();
    BusService(const BusService&) = delete;
    BusService& operator=(const BusService&) = delete;

    // Connects to busAddress, hands every call to path (with subtree, also
    // to the objects below it) to answer, takes name and starts serving.
    // False when any step fails.
    bool Start(const std::string& busAddress, const char* path, bool subtree, const std::string& name, Answer answer);

    // For signals the owner emits; use it with the mutex held.
    sd_bus* Bus() const { return bus_; }

private:
    static int Handle(sd_bus_message* message, void* self, sd_bus_error* error);
    void Serve();

    std::mutex& mutex_;
    sd_bus* bus_ = nullptr;
    sd_bus_slot* slot_ = nullptr;
    Answer answer_;
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

}  // namespace kelm::test
