#include "platform/ForegroundProgram.h"

#include <unistd.h>
#include <xcb/xcb.h>

#include <climits>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <memory>
#include <string_view>

namespace kelm {

namespace {

struct FreeDeleter {
    void operator()(void* p) const { std::free(p); }
};
using PropertyReply = std::unique_ptr<xcb_get_property_reply_t, FreeDeleter>;

PropertyReply Reply(xcb_connection_t* connection, xcb_get_property_cookie_t cookie) {
    xcb_generic_error_t* error = nullptr;
    PropertyReply reply(xcb_get_property_reply(connection, cookie, &error));
    std::free(error);
    return reply;
}

std::optional<std::uint32_t> Cardinal(const PropertyReply& reply) {
    if (!reply || reply->format != 32 || xcb_get_property_value_length(reply.get()) < 4) return std::nullopt;
    std::uint32_t value = 0;
    std::memcpy(&value, xcb_get_property_value(reply.get()), sizeof value);
    return value;
}

std::uint32_t InternAtom(xcb_connection_t* connection, const char* name) {
    xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(
        connection, xcb_intern_atom(connection, 0, static_cast<std::uint16_t>(std::strlen(name)), name), nullptr);
    const std::uint32_t atom = reply != nullptr ? reply->atom : std::uint32_t{XCB_ATOM_NONE};
    std::free(reply);
    return atom;
}

// A window of a client on another machine names a process id there, which
// here would be some unrelated process.
bool IsOtherMachine(const PropertyReply& machine) {
    if (!machine || machine->type == XCB_ATOM_NONE || machine->format != 8) return false;
    const std::string_view name(static_cast<const char*>(xcb_get_property_value(machine.get())),
                                static_cast<std::size_t>(xcb_get_property_value_length(machine.get())));
    char own[HOST_NAME_MAX + 1] = {};
    if (::gethostname(own, sizeof own - 1) != 0) return false;
    const std::string_view host(own);
    const auto sameHost = [](std::string_view full, std::string_view shorter) {
        return full == shorter || (full.size() > shorter.size() && full.substr(0, shorter.size()) == shorter &&
                                   full[shorter.size()] == '.');
    };
    return name != "localhost" && !sameHost(name, host) && !sameHost(host, name);
}

}  // namespace

X11ForegroundProgram::~X11ForegroundProgram() { Disconnect(); }

void X11ForegroundProgram::Disconnect() {
    if (connection_ != nullptr) xcb_disconnect(connection_);
    connection_ = nullptr;
}

bool X11ForegroundProgram::Connect(std::string& why) {
    if (connection_ != nullptr && xcb_connection_has_error(connection_) == 0) return true;
    Disconnect();
    const char* display = std::getenv("DISPLAY");
    if (display == nullptr || *display == '\0') {
        why = "no X display";
        return false;
    }
    int screenNumber = 0;
    connection_ = xcb_connect(nullptr, &screenNumber);
    if (xcb_connection_has_error(connection_) != 0) {
        Disconnect();
        why = "the X display cannot be reached";
        return false;
    }
    xcb_screen_iterator_t screen = xcb_setup_roots_iterator(xcb_get_setup(connection_));
    for (int i = 0; i < screenNumber && screen.rem > 0; ++i) xcb_screen_next(&screen);
    if (screen.rem == 0) {
        Disconnect();
        why = "the X display has no such screen";
        return false;
    }
    root_ = screen.data->root;
    activeWindowAtom_ = InternAtom(connection_, "_NET_ACTIVE_WINDOW");
    pidAtom_ = InternAtom(connection_, "_NET_WM_PID");
    if (activeWindowAtom_ == XCB_ATOM_NONE || pidAtom_ == XCB_ATOM_NONE) {
        Disconnect();
        why = "the X display cannot be asked";
        return false;
    }
    return true;
}

ForegroundLookup X11ForegroundProgram::Find() {
    using Result = ForegroundLookup::Result;
    const char* wayland = std::getenv("WAYLAND_DISPLAY");
    // Under Xwayland the property speaks only of X11 windows, and would name
    // one that is no longer in front.
    if (wayland != nullptr && *wayland != '\0') return {Result::Unavailable, "a Wayland session"};
    std::string why;
    if (!Connect(why)) return {Result::Unavailable, why};

    const PropertyReply active =
        Reply(connection_, xcb_get_property(connection_, 0, root_, activeWindowAtom_, XCB_ATOM_WINDOW, 0, 1));
    if (!active) {
        if (xcb_connection_has_error(connection_) != 0) {
            Disconnect();
            return {Result::Unavailable, "the X display went away"};
        }
        return {Result::NoProgram, {}};
    }
    if (active->type == XCB_ATOM_NONE)
        return {Result::Unavailable, "the window manager does not name the active window"};
    const auto window = Cardinal(active);
    if (!window || *window == XCB_WINDOW_NONE) return {Result::NoProgram, {}};

    // Both asked before either answer is awaited. A window that closed
    // meanwhile answers with errors, which end this lookup only.
    const auto pidCookie = xcb_get_property(connection_, 0, *window, pidAtom_, XCB_ATOM_CARDINAL, 0, 1);
    const auto machineCookie =
        xcb_get_property(connection_, 0, *window, XCB_ATOM_WM_CLIENT_MACHINE, XCB_ATOM_STRING, 0, 64);
    const PropertyReply pidReply = Reply(connection_, pidCookie);
    const PropertyReply machine = Reply(connection_, machineCookie);
    const auto pid = Cardinal(pidReply);
    if (!pid || IsOtherMachine(machine)) return {Result::NoProgram, {}};
    auto name = ProcessExecutableName(static_cast<long>(*pid));
    if (!name) return {Result::NoProgram, {}};
    return {Result::Program, std::move(*name)};
}

std::optional<std::string> ProcessExecutableName(long pid, const std::string& procRoot) {
    if (pid <= 0) return std::nullopt;
    const std::string folder = procRoot + "/" + std::to_string(pid);
    char target[PATH_MAX];
    const ssize_t n = ::readlink((folder + "/exe").c_str(), target, sizeof target);
    if (n > 0 && static_cast<std::size_t>(n) < sizeof target) {
        std::string_view path(target, static_cast<std::size_t>(n));
        // An executable replaced while it runs (an update) keeps its name.
        constexpr std::string_view kDeleted = " (deleted)";
        if (path.size() > kDeleted.size() && path.ends_with(kDeleted)) path.remove_suffix(kDeleted.size());
        const std::string_view name = path.substr(path.rfind('/') + 1);
        if (!name.empty()) return std::string(name);
    }
    // Another user's process, or a kernel thread: its comm, cut to 15 bytes.
    std::ifstream comm(folder + "/comm");
    std::string name;
    if (std::getline(comm, name) && !name.empty()) return name;
    return std::nullopt;
}

}  // namespace kelm
