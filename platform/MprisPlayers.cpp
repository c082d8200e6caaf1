#include "platform/MprisPlayers.h"

#include <chrono>
#include <cstdlib>
#include <cstring>

#include "platform/DesktopEntries.h"
#include "platform/SdBus.h"

namespace kelm {

namespace {

constexpr const char* kBusName = "org.freedesktop.DBus";
constexpr const char* kBusPath = "/org/freedesktop/DBus";
constexpr const char* kMprisPrefix = "org.mpris.MediaPlayer2.";
constexpr const char* kMprisPath = "/org/mpris/MediaPlayer2";
constexpr const char* kRootInterface = "org.mpris.MediaPlayer2";
constexpr const char* kPlayerInterface = "org.mpris.MediaPlayer2.Player";
constexpr const char* kAudioType = "audio/mpeg";
constexpr const char* kDesktopSuffix = ".desktop";

// The calls that are awaited go to the bus itself, or once to each player
// for its desktop entry; the monitor's window waits no longer than this.
constexpr std::chrono::microseconds kCallTimeout = std::chrono::milliseconds(500);

// The players' own names are those they take on the bus.
const char* MprisSuffix(MediaPlayer player) {
    return player == MediaPlayer::DesktopDefault ? nullptr : PlayerName(player);
}

bool StartsWith(std::string_view text, std::string_view prefix) { return text.substr(0, prefix.size()) == prefix; }

}  // namespace

PlayerInstall InstallOf(MediaPlayer player) {
    switch (player) {
        case MediaPlayer::DesktopDefault: {
            PlayerInstall install;
            if (auto id = DefaultApplication(kAudioType)) install.desktopIds.push_back(*id);
            return install;
        }
        case MediaPlayer::Rhythmbox:
            return {{"org.gnome.Rhythmbox3.desktop", "rhythmbox.desktop"}, "rhythmbox"};
        case MediaPlayer::Vlc:
            return {{"vlc.desktop", "org.videolan.VLC.desktop"}, "vlc"};
        case MediaPlayer::Audacious:
            return {{"audacious.desktop", "org.atheme.audacious.desktop"}, "audacious"};
    }
    return {};
}

MprisPlayers::MprisPlayers(ProcessLauncher& launcher) : launcher_(launcher) {}

MprisPlayers::~MprisPlayers() { sd_bus_flush_close_unref(bus_); }

sd_bus* MprisPlayers::Bus() {
    if (bus_ != nullptr && sd_bus_is_open(bus_) > 0) return bus_;
    bus_ = sd_bus_flush_close_unref(bus_);
    desktopEntries_.clear();
    bus_ = OpenSessionBus(kCallTimeout).release();
    return bus_;
}

std::vector<std::string> MprisPlayers::MprisNames(sd_bus* bus) {
    std::vector<std::string> names;
    BusError error;
    sd_bus_message* reply = nullptr;
    if (sd_bus_call_method(bus, kBusName, kBusPath, kBusName, "ListNames", &error, &reply, "") < 0) return names;
    const BusMessage owned(reply);
    if (sd_bus_message_enter_container(reply, 'a', "s") < 0) return names;
    const char* name = nullptr;
    while (sd_bus_message_read(reply, "s", &name) > 0)
        if (StartsWith(name, kMprisPrefix)) names.emplace_back(name);
    return names;
}

std::string MprisPlayers::DesktopEntryOf(sd_bus* bus, const std::string& name) {
    std::string owner;
    {
        BusError error;
        sd_bus_message* reply = nullptr;
        if (sd_bus_call_method(bus, kBusName, kBusPath, kBusName, "GetNameOwner", &error, &reply, "s", name.c_str()) <
            0)
            return "";
        const BusMessage owned(reply);
        const char* unique = nullptr;
        if (sd_bus_message_read(reply, "s", &unique) < 0) return "";
        owner = unique;
    }
    if (const auto known = desktopEntries_.find(owner); known != desktopEntries_.end()) return known->second;
    // A player that does not answer is asked once: it keeps "" from then on.
    std::string entry;
    BusError error;
    char* value = nullptr;
    if (sd_bus_get_property_string(bus, owner.c_str(), kMprisPath, kRootInterface, "DesktopEntry", &error, &value) >=
        0) {
        entry = value;
        std::free(value);
    }
    desktopEntries_[owner] = entry;
    return entry;
}

std::string MprisPlayers::BusNameOf(sd_bus* bus, MediaPlayer player) {
    const std::vector<std::string> names = MprisNames(bus);
    if (const char* suffix = MprisSuffix(player)) {
        const std::string base = std::string(kMprisPrefix) + suffix;
        for (const std::string& name : names)
            if (name == base) return name;
        for (const std::string& name : names)
            if (StartsWith(name, base + ".")) return name;
        return "";
    }
    auto id = DefaultApplication(kAudioType);
    if (!id) return "";
    if (id->size() > std::strlen(kDesktopSuffix) && id->ends_with(kDesktopSuffix))
        id->resize(id->size() - std::strlen(kDesktopSuffix));
    for (const std::string& name : names)
        if (DesktopEntryOf(bus, name) == *id) return name;
    return "";
}

bool MprisPlayers::Send(MediaPlayer player, PlayerCommand command) {
    sd_bus* bus = Bus();
    if (bus == nullptr) return false;
    const std::string name = BusNameOf(bus, player);
    bool sent = false;
    if (!name.empty()) {
        const char* interface = command == PlayerCommand::Raise ? kRootInterface : kPlayerInterface;
        sd_bus_message* raw = nullptr;
        if (sd_bus_message_new_method_call(bus, &raw, name.c_str(), kMprisPath, interface, CommandName(command)) >= 0) {
            const BusMessage message(raw);
            // The name belongs to a running player; were it gone meanwhile,
            // a player that the bus could activate must still not start.
            sd_bus_message_set_auto_start(raw, 0);
            sd_bus_message_set_expect_reply(raw, 0);
            sent = sd_bus_send(bus, raw, nullptr) >= 0 && sd_bus_flush(bus) >= 0;
        }
    }
    DrainBus(bus);
    return sent;
}

bool MprisPlayers::Start(MediaPlayer player) {
    const PlayerInstall install = InstallOf(player);
    for (const std::string& id : install.desktopIds) {
        const auto file = FindDesktopFile(id);
        if (!file) continue;
        if (const auto command = DesktopLaunchCommand(*file))
            return launcher_.StartProgram(command->front(), {command->begin() + 1, command->end()});
    }
    if (install.program.empty()) return false;
    const auto program = FindProgram(install.program);
    return program && launcher_.StartProgram(*program, {});
}

}  // namespace kelm
