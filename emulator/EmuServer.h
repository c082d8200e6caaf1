// KelmEmu's socket server: one thread, one poll loop, every connection
// non-blocking, so that no client can stall the keyboard for the others.
// The protocol is described in EmuWire.h.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "emulator/EmuKeyboard.h"
#include "emulator/EmuWire.h"
#include "platform/UniqueFd.h"

namespace kelm::emu {

class EmuServer {
public:
    // Called with the keyboard's memory after every change it keeps.
    using Saver = std::function<void(const KeyboardMemory&)>;

    EmuServer(EmuKeyboard& keyboard, Saver saver);
    ~EmuServer();
    EmuServer(const EmuServer&) = delete;
    EmuServer& operator=(const EmuServer&) = delete;

    // Listens at path. path + ".lock" is held locked for as long as the
    // server lives, so a second KelmEmu on the same socket is refused and a
    // socket left behind by a crashed one is replaced.
    bool Listen(const std::string& path, std::string* error);
    // Serves until stopFd becomes readable.
    void Run(int stopFd);

    static constexpr std::size_t kMaxClients = 64;
    // A subscriber that reads nothing is dropped once this much waits for it.
    static constexpr std::size_t kMaxQueued = 32u << 20;

private:
    enum class Role { None, Feature, Subscriber, Control };
    struct Client {
        UniqueFd fd;
        FrameDecoder decoder;
        std::string out;
        Role role = Role::None;
        bool closing = false;  // reads nothing more; closed once out is sent
        bool dead = false;
    };

    void Accept();
    void ReadFrom(Client& client);
    void Handle(Client& client, const Frame& frame);
    void HandleFeature(Client& client, const Frame& frame);
    void Reply(Client& client, bool ok, std::string_view data = {});
    void Queue(Client& client, FrameKind kind, std::string_view payload);
    void Flush(Client& client);
    void AfterRequest();

    EmuKeyboard& keyboard_;
    Saver saver_;
    std::string path_;
    UniqueFd lock_;
    UniqueFd listener_;
    std::vector<std::unique_ptr<Client>> clients_;
};

}  // namespace kelm::emu
