// The software keyboard KelmEmu as the device, over its socket (protocol in
// emulator/EmuWire.h).
//
// Monitor thread, one connection subscribed to KelmEmu's event stream:
//
//   Disconnected ──connect + subscribe──► Connected ──socket closed──► Disconnected
//        ▲  │ fails: retry after 200 ms     │ presence 1/0, events            (posts presence 0
//        └──┘                               ▼ posted as they arrive            if 1 was posted)
//
// So a KelmEmu that starts late or restarts is found again within 200 ms.
// Feature calls use a connection of their own, opened by OpenFeature. KelmEmu
// closes it when the keyboard is unplugged, and a call on a closed connection
// fails at once; every wait for an answer is bounded.
#pragma once

#include <atomic>
#include <mutex>
#include <string>
#include <thread>

#include "devbridge/DeviceBackend.h"
#include "emulator/EmuWire.h"
#include "platform/UniqueFd.h"

namespace kelm::bridge {

class EmuBackend final : public DeviceBackend {
public:
    static constexpr int kRetryMs = 200;
    static constexpr int kCallTimeoutMs = 2000;

    explicit EmuBackend(std::string socketPath);
    ~EmuBackend() override;

    void OpenMonitor(const MessageTarget& target) override;
    void CloseMonitor() override;
    bool OpenFeature() override;
    void CloseFeature() override;
    bool SetFeature(const std::uint8_t* report, std::size_t length) override;
    bool GetFeature(std::uint8_t* report, std::size_t length) override;

private:
    void RunMonitor(MessageTarget target);
    // Serves one connection until it ends; false when told to stop.
    bool Follow(emu::WireConnection& connection, const MessageTarget& target, bool& posted);
    // Waits ms unless told to stop first; false when told to stop.
    bool Pause(int ms);
    bool Call(emu::FrameKind kind, std::string_view payload, std::string& reply);

    const std::string socket_;

    std::thread monitor_;
    UniqueFd wake_;  // eventfd that ends the monitor's waits

    std::mutex featureMutex_;
    emu::WireConnection feature_;
};

}  // namespace kelm::bridge
