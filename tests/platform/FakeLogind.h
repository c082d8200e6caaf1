// A private message bus (dbus-daemon) with a stand-in for systemd-logind on
// it, so that session notifications can be tested on machines that have
// neither. The stand-in answers what the session and sleep watchers ask,
// emits the Active property's changes and PrepareForSleep when a test says
// so, and hands out inhibitor locks as pipes whose far end it keeps, so a
// test sees when the holder lets a lock go.
#pragma once

#include <systemd/sd-bus.h>

#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "platform/UniqueFd.h"
#include "tests/platform/BusService.h"
#include "tests/platform/TestServer.h"

namespace kelm::test {

// A dbus-daemon of its own in folder; nullptr when dbus-daemon is missing.
class PrivateBus {
public:
    static std::unique_ptr<PrivateBus> Start(const std::string& folder);
    const std::string& Address() const { return server_->Announcement(); }
    void Stop() { server_->Stop(); }

private:
    explicit PrivateBus(std::unique_ptr<TestServer> server) : server_(std::move(server)) {}
    std::unique_ptr<TestServer> server_;
};

class FakeLogind {
public:
    static constexpr const char* kSessionPath = "/org/freedesktop/login1/session/c2";

    struct Options {
        bool callerHasSession = true;  // GetSessionByPID finds one
        bool userHasDisplay = true;    // the user's Display session is c2
        bool active = true;
        bool grantsLocks = true;  // Inhibit answers with a lock, else AccessDenied
    };

    // nullptr when it cannot take the name on the bus.
    static std::unique_ptr<FakeLogind> Start(const std::string& busAddress, Options options);
    ~FakeLogind() = default;
    FakeLogind(const FakeLogind&) = delete;
    FakeLogind& operator=(const FakeLogind&) = delete;

    // How the change is told: with the new value, by naming the property
    // as invalidated, or with a value of the wrong type.
    enum class Signal { WithValue, Invalidated, WrongType };
    void SetActive(bool active, Signal signal = Signal::WithValue);
    // A PropertiesChanged of Active = value for another object path.
    void SignalOtherSession(bool value);
    void PrepareForSleep(bool sleeping);

    // The Inhibit calls answered, as "what mode who" each.
    std::vector<std::string> InhibitCalls();
    // How many locks handed out are still held somewhere.
    int LocksHeld();

private:
    FakeLogind() = default;
    int Answer(sd_bus_message* message);
    int Inhibit(sd_bus_message* message);
    void Emit(const char* path, bool active, Signal signal);

    std::mutex mutex_;  // sd-bus is not thread-safe: the bus and the state
    Options options_;
    std::vector<std::string> inhibitCalls_;
    std::vector<UniqueFd> lockEnds_;  // the read ends of the locks' pipes
    BusService service_{mutex_};
};

}  // namespace kelm::test
