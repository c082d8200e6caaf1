// Desktop notifications through the session's org.freedesktop.Notifications
// server (sd-bus). Every call is asynchronous: the bus connection is watched
// on the program's loop and the replies answered from there, so a slow or
// hung server never stalls the program's window. Use from the loop's thread.
#pragma once

#include <list>
#include <string>

#include "platform/BusWatch.h"
#include "platform/MessageLoop.h"
#include "platform/Notifier.h"
#include "platform/SdBus.h"

namespace kelm {

class DesktopNotifications final : public INotifier {
public:
    // Connects to the session bus now; without one, every call answers why.
    explicit DesktopNotifications(MessageLoop& loop);
    // Sends what was asked before; answers still due are dropped.
    ~DesktopNotifications() override = default;
    DesktopNotifications(const DesktopNotifications&) = delete;
    DesktopNotifications& operator=(const DesktopNotifications&) = delete;

    void FindServer(OnAnswer onAnswer) override;
    void Notify(const Notification& notification, std::uint32_t replacesId, OnAnswer onAnswer) override;
    void Close(std::uint32_t id) override;

private:
    // Reads a successful reply into the answer.
    using Reader = Answer (DesktopNotifications::*)(sd_bus_message* reply);
    struct PendingCall {
        DesktopNotifications* owner;
        Reader read;
        OnAnswer onAnswer;
        BusSlot slot;
    };

    static int OnReply(sd_bus_message* reply, void* call, sd_bus_error* error);
    Answer ReadCapabilities(sd_bus_message* reply);
    Answer ReadId(sd_bus_message* reply);
    // Calls member with the arguments appended by append, and answers once
    // its reply is read.
    template <typename Append>
    void Call(const char* member, Reader read, OnAnswer onAnswer, Append append);
    void Deliver(OnAnswer onAnswer, Answer answer);

    BusConnection bus_;
    std::string unusable_;          // why there is no bus to call on, "" when there is one
    std::list<PendingCall> calls_;  // their slots go before the bus
    bool markup_ = false;           // the server reads bodies as markup
    BusWatch watch_;
};

}  // namespace kelm
