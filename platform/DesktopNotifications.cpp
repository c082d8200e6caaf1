#include "platform/DesktopNotifications.h"

#include <cstring>

namespace kelm {

namespace {

constexpr const char* kService = "org.freedesktop.Notifications";
constexpr const char* kPath = "/org/freedesktop/Notifications";
constexpr const char* kInterface = "org.freedesktop.Notifications";

// The program's own answer time lies below this; sd-bus only needs it to
// free what a server never answers.
constexpr std::chrono::microseconds kCallTimeout = std::chrono::seconds(5);

std::string Why(int error) { return std::strerror(-error); }

// For a server that reads bodies as markup: the text shows as it is, and a
// "<" in a profile's name cannot break the body.
std::string EscapeMarkup(const std::string& text) {
    std::string escaped;
    escaped.reserve(text.size());
    for (const char c : text) {
        switch (c) {
            case '&':
                escaped += "&amp;";
                break;
            case '<':
                escaped += "&lt;";
                break;
            case '>':
                escaped += "&gt;";
                break;
            default:
                escaped += c;
        }
    }
    return escaped;
}

}  // namespace

DesktopNotifications::DesktopNotifications(MessageLoop& loop) : watch_(loop, "DesktopNotifications") {
    int error = 0;
    bus_ = OpenSessionBus(kCallTimeout, &error);
    if (!bus_)
        unusable_ = "no session bus (" + Why(error) + ")";
    else if (!watch_.Begin(bus_.get()))
        unusable_ = "the session bus cannot be watched";
}

void DesktopNotifications::FindServer(OnAnswer onAnswer) {
    Call("GetCapabilities", &DesktopNotifications::ReadCapabilities, std::move(onAnswer),
         [](sd_bus_message*) { return 0; });
}

void DesktopNotifications::Notify(const Notification& n, std::uint32_t replacesId, OnAnswer onAnswer) {
    const std::string body = markup_ ? EscapeMarkup(n.body) : n.body;
    const auto timeout = static_cast<std::int32_t>(n.expireTimeout.count());
    Call("Notify", &DesktopNotifications::ReadId, std::move(onAnswer), [&](sd_bus_message* m) {
        // Momentary, as the display's own texts are: kept out of the
        // server's history.
        return sd_bus_message_append(m, "susssasa{sv}i", n.appName.c_str(), replacesId, n.icon.c_str(),
                                     n.summary.c_str(), body.c_str(), 0, 1, "transient", "b", 1, timeout);
    });
}

void DesktopNotifications::Close(std::uint32_t id) {
    if (!unusable_.empty()) return;
    // No callback and no slot: sent as needing no reply.
    if (sd_bus_call_method_async(bus_.get(), nullptr, kService, kPath, kInterface, "CloseNotification", nullptr,
                                 nullptr, "u", id) >= 0)
        sd_bus_flush(bus_.get());
}

template <typename Append>
void DesktopNotifications::Call(const char* member, Reader read, OnAnswer onAnswer, Append append) {
    if (!unusable_.empty()) return Deliver(std::move(onAnswer), {0, unusable_});
    sd_bus_message* raw = nullptr;
    int r = sd_bus_message_new_method_call(bus_.get(), &raw, kService, kPath, kInterface, member);
    const BusMessage message(raw);
    if (r >= 0) r = append(raw);
    if (r < 0) return Deliver(std::move(onAnswer), {0, std::string(member) + " could not be written (" + Why(r) + ")"});
    PendingCall& call = calls_.emplace_back(PendingCall{this, read, std::move(onAnswer), nullptr});
    sd_bus_slot* slot = nullptr;
    r = sd_bus_call_async(bus_.get(), &slot, raw, &DesktopNotifications::OnReply, &call, 0);
    if (r >= 0) {
        call.slot.reset(slot);
        // Written now: the loop watches only for what comes back.
        r = sd_bus_flush(bus_.get());
    }
    if (r < 0) {
        Deliver(std::move(call.onAnswer), {0, std::string(member) + " could not be sent (" + Why(r) + ")"});
        calls_.remove_if([&call](const PendingCall& c) { return &c == &call; });
    }
}

int DesktopNotifications::OnReply(sd_bus_message* reply, void* userdata, sd_bus_error*) {
    auto* call = static_cast<PendingCall*>(userdata);
    DesktopNotifications& self = *call->owner;
    Answer answer;
    if (const sd_bus_error* error = sd_bus_message_get_error(reply))
        answer.error = std::string(error->name) + (error->message ? std::string(": ") + error->message : "");
    else
        answer = (self.*call->read)(reply);
    self.Deliver(std::move(call->onAnswer), std::move(answer));
    // sd-bus holds the slot until this callback returns.
    self.calls_.remove_if([call](const PendingCall& c) { return &c == call; });
    return 0;
}

DesktopNotifications::Answer DesktopNotifications::ReadCapabilities(sd_bus_message* reply) {
    if (sd_bus_message_enter_container(reply, 'a', "s") < 0) return {0, "GetCapabilities answered no list"};
    const char* capability = nullptr;
    while (sd_bus_message_read(reply, "s", &capability) > 0)
        if (std::strcmp(capability, "body-markup") == 0) markup_ = true;
    return {};
}

DesktopNotifications::Answer DesktopNotifications::ReadId(sd_bus_message* reply) {
    std::uint32_t id = 0;
    if (sd_bus_message_read(reply, "u", &id) < 0) return {0, "Notify answered no id"};
    return {id, ""};
}

void DesktopNotifications::Deliver(OnAnswer onAnswer, Answer answer) {
    watch_.Post([onAnswer = std::move(onAnswer), answer = std::move(answer)] { onAnswer(answer); });
}

}  // namespace kelm
