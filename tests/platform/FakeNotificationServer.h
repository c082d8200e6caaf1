// A stand-in for the desktop's notification server on a private bus, so
// that notifications can be tested without a desktop. It notes every
// notification with all its arguments and answers with ids as a server
// does: a new one, or the one it was asked to replace while that is shown.
#pragma once

#include <systemd/sd-bus.h>

#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <vector>

#include "tests/platform/BusService.h"

namespace kelm::test {

class FakeNotificationServer {
public:
    static constexpr std::uint32_t kFirstId = 41;

    struct Options {
        bool bodyMarkup = false;  // tells that it reads bodies as markup
    };

    // One Notify call as it arrived, and the id it was answered with.
    struct Received {
        std::string appName;
        std::uint32_t replacesId = 0;
        std::string icon;
        std::string summary;
        std::string body;
        std::vector<std::string> actions;
        std::map<std::string, std::string> hints;  // "b:true", "s:text", or the type of others
        std::int32_t expireTimeout = 0;
        std::uint32_t answeredId = 0;
        bool operator==(const Received&) const = default;
    };

    // nullptr when it cannot take the server's name on the bus.
    static std::unique_ptr<FakeNotificationServer> Start(const std::string& busAddress, Options options);
    ~FakeNotificationServer() = default;
    FakeNotificationServer(const FakeNotificationServer&) = delete;
    FakeNotificationServer& operator=(const FakeNotificationServer&) = delete;

    std::vector<Received> Notifications();
    // Waits until count notifications have arrived, or long enough that a
    // missing one is a failure.
    std::vector<Received> NotificationsAtLeast(std::size_t count);
    std::vector<std::uint32_t> Closed();

private:
    FakeNotificationServer() = default;
    int Answer(sd_bus_message* message);
    int AnswerNotify(sd_bus_message* message);

    std::mutex mutex_;  // sd-bus is not thread-safe: the bus and the notes
    Options options_;
    std::vector<Received> received_;
    std::vector<std::uint32_t> closed_;
    std::set<std::uint32_t> shown_;
    std::uint32_t nextId_ = kFirstId;
    BusService service_{mutex_};
};

}  // namespace kelm::test
