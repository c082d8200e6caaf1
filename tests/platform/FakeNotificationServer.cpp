#include "tests/platform/FakeNotificationServer.h"

#include <chrono>
#include <cstring>

namespace kelm::test {

namespace {

constexpr const char* kInterface = "org.freedesktop.Notifications";

// A hint's variant as text; false when the message cannot be read.
bool ReadHint(sd_bus_message* m, std::string& value) {
    char type = 0;
    const char* contents = nullptr;
    if (sd_bus_message_peek_type(m, &type, &contents) < 0 || type != 'v') return false;
    if (std::strcmp(contents, "b") == 0) {
        int b = 0;
        if (sd_bus_message_read(m, "v", "b", &b) < 0) return false;
        value = b ? "b:true" : "b:false";
        return true;
    }
    if (std::strcmp(contents, "s") == 0) {
        const char* s = nullptr;
        if (sd_bus_message_read(m, "v", "s", &s) < 0) return false;
        value = std::string("s:") + s;
        return true;
    }
    value = contents;
    return sd_bus_message_skip(m, "v") >= 0;
}

}  // namespace

std::unique_ptr<FakeNotificationServer> FakeNotificationServer::Start(const std::string& busAddress, Options options) {
    std::unique_ptr<FakeNotificationServer> fake(new FakeNotificationServer);
    fake->options_ = options;
    if (!fake->service_.Start(busAddress, "/org/freedesktop/Notifications", false, kInterface,
                              [raw = fake.get()](sd_bus_message* message) { return raw->Answer(message); }))
        return nullptr;
    return fake;
}

std::vector<FakeNotificationServer::Received> FakeNotificationServer::Notifications() {
    std::lock_guard lock(mutex_);
    return received_;
}

std::vector<FakeNotificationServer::Received> FakeNotificationServer::NotificationsAtLeast(std::size_t count) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (Notifications().size() < count && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    return Notifications();
}

std::vector<std::uint32_t> FakeNotificationServer::Closed() {
    std::lock_guard lock(mutex_);
    return closed_;
}

// On the serving thread with mutex_ held.
int FakeNotificationServer::Answer(sd_bus_message* message) {
    if (sd_bus_message_is_method_call(message, kInterface, "Notify") > 0) return AnswerNotify(message);
    if (sd_bus_message_is_method_call(message, kInterface, "GetCapabilities") > 0) {
        if (options_.bodyMarkup) return sd_bus_reply_method_return(message, "as", 2, "body", "body-markup");
        return sd_bus_reply_method_return(message, "as", 1, "body");
    }
    if (sd_bus_message_is_method_call(message, kInterface, "GetServerInformation") > 0)
        return sd_bus_reply_method_return(message, "ssss", "Stand-in", "Kelm tests", "1.0", "1.2");
    if (sd_bus_message_is_method_call(message, kInterface, "CloseNotification") > 0) {
        std::uint32_t id = 0;
        if (sd_bus_message_read(message, "u", &id) < 0) return -EINVAL;
        closed_.push_back(id);
        shown_.erase(id);
        return sd_bus_reply_method_return(message, "");
    }
    return 0;
}

int FakeNotificationServer::AnswerNotify(sd_bus_message* m) {
    Received r;
    const char* appName = nullptr;
    const char* icon = nullptr;
    const char* summary = nullptr;
    const char* body = nullptr;
    if (sd_bus_message_read(m, "susss", &appName, &r.replacesId, &icon, &summary, &body) < 0 ||
        sd_bus_message_enter_container(m, 'a', "s") < 0)
        return -EINVAL;
    r.appName = appName;
    r.icon = icon;
    r.summary = summary;
    r.body = body;
    const char* action = nullptr;
    while (sd_bus_message_read(m, "s", &action) > 0) r.actions.emplace_back(action);
    if (sd_bus_message_exit_container(m) < 0 || sd_bus_message_enter_container(m, 'a', "{sv}") < 0) return -EINVAL;
    while (sd_bus_message_enter_container(m, 'e', "sv") > 0) {
        const char* key = nullptr;
        std::string value;
        if (sd_bus_message_read(m, "s", &key) < 0 || !ReadHint(m, value) || sd_bus_message_exit_container(m) < 0)
            return -EINVAL;
        r.hints[key] = value;
    }
    if (sd_bus_message_exit_container(m) < 0 || sd_bus_message_read(m, "i", &r.expireTimeout) < 0) return -EINVAL;
    r.answeredId = shown_.contains(r.replacesId) ? r.replacesId : nextId_++;
    shown_.insert(r.answeredId);
    received_.push_back(r);
    return sd_bus_reply_method_return(m, "u", r.answeredId);
}

}  // namespace kelm::test
