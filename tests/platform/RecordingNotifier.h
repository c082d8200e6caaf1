// A notifier that notes every call and leaves the answers to the test, which
// gives them when and as it likes, as a server would.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/Notifier.h"

namespace kelm::test {

class RecordingNotifier final : public INotifier {
public:
    struct Sent {
        Notification notification;
        std::uint32_t replacesId;
        OnAnswer answer;
    };

    void FindServer(OnAnswer onAnswer) override { finds.push_back(std::move(onAnswer)); }
    void Notify(const Notification& notification, std::uint32_t replacesId, OnAnswer onAnswer) override {
        sent.push_back({notification, replacesId, std::move(onAnswer)});
    }
    void Close(std::uint32_t id) override { closed.push_back(id); }

    // The bodies sent, in order.
    std::vector<std::string> Bodies() const {
        std::vector<std::string> bodies;
        for (const Sent& s : sent) bodies.push_back(s.notification.body);
        return bodies;
    }

    std::vector<OnAnswer> finds;
    std::vector<Sent> sent;
    std::vector<std::uint32_t> closed;
};

}  // namespace kelm::test
