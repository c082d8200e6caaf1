#include "tools/kelmctl/SystemProbes.h"

#include <dlfcn.h>
#include <systemd/sd-bus.h>
#include <unistd.h>
#include <xcb/xcb.h>

#include <cstdlib>
#include <filesystem>
#include <memory>

#include "devbridge/HidApi.h"
#include "devbridge/HidConfig.h"
#include "platform/SdBus.h"
#include "tools/kelmctl/KeyboardAccess.h"
#include "tools/kelmctl/ProgramFolder.h"

namespace kelm::ctl {

namespace {

struct BusReleaser {
    void operator()(sd_bus* bus) const { sd_bus_flush_close_unref(bus); }
};
using Bus = std::unique_ptr<sd_bus, BusReleaser>;

Bus OpenBus(bool user) {
    sd_bus* bus = nullptr;
    if ((user ? sd_bus_open_user(&bus) : sd_bus_open_system(&bus)) < 0) return nullptr;
    return Bus(bus);
}

bool NameHasOwner(bool user, const char* name) {
    const Bus bus = OpenBus(user);
    if (!bus) return false;
    BusError error;
    sd_bus_message* reply = nullptr;
    if (sd_bus_call_method(bus.get(), "org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus",
                           "NameHasOwner", &error, &reply, "s", name) < 0)
        return false;
    const BusMessage owned(reply);
    int has = 0;
    return sd_bus_message_read(reply, "b", &has) >= 0 && has != 0;
}

}  // namespace

std::string SystemProbes::Environment(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr ? value : "";
}

bool SystemProbes::DeviceLibraryLoads(std::string& error) {
    library_ = DeviceLibrary::Load(programFolder_, &error);
    return static_cast<bool>(library_);
}

bool SystemProbes::KeyboardAnswers() {
    if (!library_ || library_.OpenFeatureDevice() == 0) return false;
    library_.CloseFeatureDevice();
    return true;
}

std::optional<HidKeyboard> SystemProbes::FindHidKeyboard(std::string& error) {
    const auto config = bridge::LoadHidConfig(programFolder_ + "devbridge.ini", &error);
    if (!config) return std::nullopt;
    const std::vector<bridge::HidDeviceInfo> found =
        bridge::MakeSystemHidApi()->Enumerate(config->vendorId, config->productId);
    const auto used = bridge::MatchKeyboard(found, *config);
    HidKeyboard keyboard{config->vendorId, config->productId, {}};
    for (const bridge::HidDeviceInfo& device : found)
        keyboard.nodes.push_back({device.path, used && used->path == device.path});
    return keyboard;
}

bool SystemProbes::CanReadWrite(const std::string& path) { return ::access(path.c_str(), R_OK | W_OK) == 0; }

bool SystemProbes::FolderWritable(const std::string& path) {
    std::filesystem::path folder = path;
    std::error_code error;
    // A folder not made yet is made in the nearest one that exists.
    while (!std::filesystem::exists(folder, error) && folder.has_relative_path()) folder = folder.parent_path();
    return ::access(folder.c_str(), W_OK | X_OK) == 0;
}

bool SystemProbes::StatusNotifierWatcher() { return NameHasOwner(true, "org.kde.StatusNotifierWatcher"); }

bool SystemProbes::X11SystemTray() {
    int screen = 0;
    xcb_connection_t* connection = xcb_connect(nullptr, &screen);
    const std::unique_ptr<xcb_connection_t, void (*)(xcb_connection_t*)> owned(connection, xcb_disconnect);
    if (xcb_connection_has_error(connection) != 0) return false;
    const std::string name = "_NET_SYSTEM_TRAY_S" + std::to_string(screen);
    std::unique_ptr<xcb_intern_atom_reply_t, void (*)(void*)> atom(
        xcb_intern_atom_reply(
            connection, xcb_intern_atom(connection, 1, static_cast<std::uint16_t>(name.size()), name.c_str()), nullptr),
        std::free);
    if (!atom || atom->atom == XCB_ATOM_NONE) return false;
    std::unique_ptr<xcb_get_selection_owner_reply_t, void (*)(void*)> owner(
        xcb_get_selection_owner_reply(connection, xcb_get_selection_owner(connection, atom->atom), nullptr), std::free);
    return owner && owner->owner != XCB_WINDOW_NONE;
}

bool SystemProbes::CanberraLoads() {
    void* handle = ::dlopen("libcanberra.so.0", RTLD_LAZY | RTLD_LOCAL);
    if (handle == nullptr) return false;
    ::dlclose(handle);
    return true;
}

bool SystemProbes::AlsaPlaybackDevice() {
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator("/dev/snd", error)) {
        const std::string name = entry.path().filename().string();
        if (name.rfind("pcmC", 0) == 0 && name.back() == 'p') return true;
    }
    return false;
}

bool SystemProbes::SessionBus() { return NameHasOwner(true, "org.freedesktop.DBus"); }

bool SystemProbes::Logind() { return NameHasOwner(false, "org.freedesktop.login1"); }

bool SystemProbes::MonitorRunning() { return ctl::MonitorRunning(); }

int RunDoctor(const CommandArgs& args, CommandIo& io) {
    const auto where = ProgramFolder(args, io);
    if (!where) return kExitFailure;
    SystemProbes probes(where->programFolder);
    return PrintFindings(io.out, Diagnose(probes, *where));
}

}  // namespace kelm::ctl
