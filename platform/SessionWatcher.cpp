#include "platform/SessionWatcher.h"

#include <systemd/sd-bus.h>

#include <cstring>
#include <string>

#include "platform/BusWatch.h"
#include "platform/Logind.h"
#include "platform/SdBus.h"

namespace kelm {

namespace {

using logind::kManager;
using logind::kManagerPath;
constexpr const char* kLogin = logind::kService;
constexpr const char* kSession = "org.freedesktop.login1.Session";
constexpr const char* kUser = "org.freedesktop.login1.User";
constexpr const char* kOwnUserPath = "/org/freedesktop/login1/user/self";
constexpr const char* kProperties = "org.freedesktop.DBus.Properties";

// The object path of the session to follow, or "" when there is none.
std::string FindSession(sd_bus* bus) {
    {
        BusError error;
        sd_bus_message* reply = nullptr;
        // Pid 0: logind takes the caller's own, as it sees it.
        if (sd_bus_call_method(bus, kLogin, kManagerPath, kManager, "GetSessionByPID", &error, &reply, "u",
                               std::uint32_t{0}) >= 0) {
            const BusMessage owned(reply);
            const char* path = nullptr;
            if (sd_bus_message_read(reply, "o", &path) >= 0) return path;
        }
    }
    // Started outside a session (by the user's service manager, say): the
    // session the user's desktop runs in.
    BusError error;
    sd_bus_message* reply = nullptr;
    if (sd_bus_get_property(bus, kLogin, kOwnUserPath, kUser, "Display", &error, &reply, "(so)") < 0) return "";
    const BusMessage owned(reply);
    const char* id = nullptr;
    const char* path = nullptr;
    if (sd_bus_message_read(reply, "(so)", &id, &path) < 0 || *id == '\0') return "";
    return path;
}

bool ReadActive(sd_bus* bus, const std::string& session, bool& active) {
    BusError error;
    int value = 0;
    if (sd_bus_get_property_trivial(bus, kLogin, session.c_str(), kSession, "Active", &error, 'b', &value) < 0)
        return false;
    active = value != 0;
    return true;
}

// Watches one session's Active property.
class LogindSessionWatcher final : public SessionWatcher {
public:
    LogindSessionWatcher(MessageLoop& loop, BusConnection bus, std::string session, std::function<void(bool)> onChange)
        : bus_(std::move(bus)),
          session_(std::move(session)),
          onChange_(std::move(onChange)),
          watch_(loop, "SessionWatcher", [this] { return ReadAgain(); }) {}

    bool Begin() {
        // Subscribed before the first read, so no change can fall between.
        sd_bus_slot* slot = nullptr;
        if (sd_bus_match_signal(bus_.get(), &slot, kLogin, session_.c_str(), kProperties, "PropertiesChanged",
                                &LogindSessionWatcher::OnPropertiesChanged, this) < 0)
            return false;
        match_.reset(slot);
        if (!ReadActive(bus_.get(), session_, active_)) return false;
        return watch_.Begin(bus_.get());
    }

private:
    static int OnPropertiesChanged(sd_bus_message* message, void* self, sd_bus_error*) {
        static_cast<LogindSessionWatcher*>(self)->Read(message);
        return 0;
    }

    // PropertiesChanged (s interface, a{sv} changed, as invalidated).
    void Read(sd_bus_message* message) {
        const char* interface = nullptr;
        if (sd_bus_message_read(message, "s", &interface) < 0 || std::strcmp(interface, kSession) != 0) return;
        if (sd_bus_message_enter_container(message, 'a', "{sv}") < 0) return Refresh();
        int entered;
        while ((entered = sd_bus_message_enter_container(message, 'e', "sv")) > 0) {
            const char* name = nullptr;
            if (sd_bus_message_read(message, "s", &name) < 0) return Refresh();
            if (std::strcmp(name, "Active") == 0) {
                int value = 0;
                // Anything but a boolean is not to be believed: ask again.
                if (sd_bus_message_read(message, "v", "b", &value) < 0) return Refresh();
                Update(value != 0);
            } else if (sd_bus_message_skip(message, "v") < 0) {
                return Refresh();
            }
            if (sd_bus_message_exit_container(message) < 0) return Refresh();
        }
        if (entered < 0 || sd_bus_message_exit_container(message) < 0) return Refresh();
        // A property may also be named as changed without its value.
        if (sd_bus_message_enter_container(message, 'a', "s") < 0) return;
        const char* name = nullptr;
        while (sd_bus_message_read(message, "s", &name) > 0)
            if (std::strcmp(name, "Active") == 0) refresh_ = true;
    }

    void Refresh() { refresh_ = true; }

    // A value to read again is read once the signal callbacks are done,
    // since a blocking call does not belong inside one.
    bool ReadAgain() {
        if (!refresh_) return false;
        refresh_ = false;
        bool active = active_;
        if (ReadActive(bus_.get(), session_, active)) Update(active);
        return true;
    }

    void Update(bool active) {
        if (active == active_) return;
        active_ = active;
        watch_.Post([onChange = onChange_, active] { onChange(active); });
    }

    // Declared in the order they are needed: destroyed in reverse, the
    // watch and the match end before their connection.
    BusConnection bus_;
    BusSlot match_;
    std::string session_;
    std::function<void(bool)> onChange_;
    bool active_ = false;
    bool refresh_ = false;
    BusWatch watch_;
};

}  // namespace

SessionWatcher::~SessionWatcher() = default;

std::unique_ptr<SessionWatcher> SessionWatcher::Start(MessageLoop& loop, std::function<void(bool active)> onChange) {
    BusConnection bus = OpenSystemBus(logind::kCallTimeout);
    if (!bus) return nullptr;
    std::string session = FindSession(bus.get());
    if (session.empty()) return nullptr;
    auto watcher =
        std::make_unique<LogindSessionWatcher>(loop, std::move(bus), std::move(session), std::move(onChange));
    if (!watcher->Begin()) return nullptr;
    return watcher;
}

}  // namespace kelm
