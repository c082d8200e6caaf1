#include "tests/platform/FakeLogind.h"

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <fstream>

namespace kelm::test {

namespace {

constexpr const char* kSessionInterface = "org.freedesktop.login1.Session";

std::string BusConfig(const std::string& socket) {
    return "<!DOCTYPE busconfig PUBLIC \"-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN\"\n"
           " \"http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd\">\n"
           "<busconfig>\n"
           "  <type>session</type>\n"
           "  <listen>unix:path=" +
           socket +
           "</listen>\n"
           "  <auth>EXTERNAL</auth>\n"
           "  <policy context=\"default\">\n"
           "    <allow send_destination=\"*\" eavesdrop=\"true\"/>\n"
           "    <allow eavesdrop=\"true\"/>\n"
           "    <allow own=\"*\"/>\n"
           "  </policy>\n"
           "</busconfig>\n";
}

}  // namespace

std::unique_ptr<PrivateBus> PrivateBus::Start(const std::string& folder) {
    if (!ProgramInstalled("dbus-daemon")) return nullptr;
    const std::string config = folder + "/bus.conf";
    std::ofstream(config) << BusConfig(folder + "/bus.socket");
    auto server = TestServer::Start("dbus-daemon", {"--config-file=" + config, "--nofork", "--nopidfile",
                                                    std::string("--print-address=") + TestServer::kAnnounceFd});
    if (!server) return nullptr;
    return std::unique_ptr<PrivateBus>(new PrivateBus(std::move(server)));
}

std::unique_ptr<FakeLogind> FakeLogind::Start(const std::string& busAddress, Options options) {
    std::unique_ptr<FakeLogind> fake(new FakeLogind);
    fake->options_ = options;
    if (!fake->service_.Start(busAddress, "/org/freedesktop/login1", true, "org.freedesktop.login1",
                              [raw = fake.get()](sd_bus_message* message) { return raw->Answer(message); }))
        return nullptr;
    return fake;
}

// Runs on the serving thread with mutex_ held.
int FakeLogind::Answer(sd_bus_message* message) {
    const std::string path = sd_bus_message_get_path(message);
    if (sd_bus_message_is_method_call(message, "org.freedesktop.login1.Manager", "GetSessionByPID")) {
        if (!options_.callerHasSession)
            return sd_bus_reply_method_errorf(message, "org.freedesktop.login1.NoSessionForPID",
                                              "PID does not belong to any known session");
        return sd_bus_reply_method_return(message, "o", kSessionPath);
    }
    if (sd_bus_message_is_method_call(message, "org.freedesktop.login1.Manager", "Inhibit")) return Inhibit(message);
    if (!sd_bus_message_is_method_call(message, "org.freedesktop.DBus.Properties", "Get")) return 0;
    const char* interface = nullptr;
    const char* property = nullptr;
    if (sd_bus_message_read(message, "ss", &interface, &property) < 0) return 0;
    if (path == "/org/freedesktop/login1/user/self" && std::strcmp(property, "Display") == 0) {
        if (options_.userHasDisplay) return sd_bus_reply_method_return(message, "v", "(so)", "c2", kSessionPath);
        return sd_bus_reply_method_return(message, "v", "(so)", "", "/");
    }
    if (path == kSessionPath && std::strcmp(interface, kSessionInterface) == 0 && std::strcmp(property, "Active") == 0)
        return sd_bus_reply_method_return(message, "v", "b", options_.active ? 1 : 0);
    return sd_bus_reply_method_errorf(message, "org.freedesktop.DBus.Error.UnknownProperty", "no such property");
}

// Runs on the serving thread with mutex_ held.
int FakeLogind::Inhibit(sd_bus_message* message) {
    const char* what = nullptr;
    const char* who = nullptr;
    const char* why = nullptr;
    const char* mode = nullptr;
    if (sd_bus_message_read(message, "ssss", &what, &who, &why, &mode) < 0) return 0;
    inhibitCalls_.push_back(std::string(what) + " " + mode + " " + who);
    if (!options_.grantsLocks)
        return sd_bus_reply_method_errorf(message, "org.freedesktop.DBus.Error.AccessDenied", "not allowed");
    int ends[2];
    if (::pipe2(ends, O_CLOEXEC) != 0) return -errno;
    lockEnds_.emplace_back(ends[0]);
    // The reply carries a copy of the write end: the lock is held while
    // that copy is open.
    const UniqueFd writeEnd(ends[1]);
    return sd_bus_reply_method_return(message, "h", writeEnd.Get());
}

std::vector<std::string> FakeLogind::InhibitCalls() {
    std::lock_guard lock(mutex_);
    return inhibitCalls_;
}

int FakeLogind::LocksHeld() {
    std::lock_guard lock(mutex_);
    int held = 0;
    for (const UniqueFd& end : lockEnds_) {
        pollfd p{end.Get(), POLLIN, 0};
        if (::poll(&p, 1, 0) == 0) ++held;
    }
    return held;
}

void FakeLogind::PrepareForSleep(bool sleeping) {
    std::lock_guard lock(mutex_);
    sd_bus_emit_signal(service_.Bus(), "/org/freedesktop/login1", "org.freedesktop.login1.Manager", "PrepareForSleep",
                       "b", sleeping ? 1 : 0);
    sd_bus_flush(service_.Bus());
}

void FakeLogind::SetActive(bool active, Signal signal) {
    std::lock_guard lock(mutex_);
    options_.active = active;
    Emit(kSessionPath, active, signal);
}

void FakeLogind::SignalOtherSession(bool value) {
    std::lock_guard lock(mutex_);
    Emit("/org/freedesktop/login1/session/c9", value, Signal::WithValue);
}

void FakeLogind::Emit(const char* path, bool active, Signal signal) {
    sd_bus_message* m = nullptr;
    sd_bus_message_new_signal(service_.Bus(), &m, path, "org.freedesktop.DBus.Properties", "PropertiesChanged");
    sd_bus_message_append(m, "s", kSessionInterface);
    switch (signal) {
        case Signal::WithValue:
            sd_bus_message_append(m, "a{sv}", 2, "IdleHint", "b", 0, "Active", "b", active ? 1 : 0);
            sd_bus_message_append(m, "as", 0);
            break;
        case Signal::Invalidated:
            sd_bus_message_append(m, "a{sv}", 0);
            sd_bus_message_append(m, "as", 1, "Active");
            break;
        case Signal::WrongType:
            sd_bus_message_append(m, "a{sv}", 1, "Active", "s", active ? "yes" : "no");
            sd_bus_message_append(m, "as", 0);
            break;
    }
    sd_bus_send(service_.Bus(), m, nullptr);
    sd_bus_message_unref(m);
    sd_bus_flush(service_.Bus());
}

}  // namespace kelm::test
