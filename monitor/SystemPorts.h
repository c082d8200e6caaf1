// The real implementations of the monitor's ports that need no GUI: windows
// through the message endpoints, libdevbridge from the program folder, the
// settings files of one program folder.
#pragma once

#include <memory>
#include <mutex>

#include "keyboard/StoreSettingsFiles.h"
#include "monitor/MonitorPorts.h"
#include "platform/DeviceLibrary.h"
#include "platform/KelmWindowAdapter.h"
#include "platform/MessageLoop.h"
#include "platform/WindowEndpoint.h"
#include "settings/StoreLocation.h"

namespace kelm {

class SystemWindowDirectory final : public IWindowDirectory {
public:
    bool FindWindow(std::string_view title) override;
    bool PostMessage(std::string_view title, std::uint32_t msg, std::uint64_t wParam, std::int64_t lParam) override;
};

class EndpointWindowHost final : public IWindowHost {
public:
    explicit EndpointWindowHost(MessageLoop& loop) : loop_(loop) {}
    bool Listen(std::string_view title, Handler handler) override;
    void Close() override { endpoint_.reset(); }
    DeferredReply DeferReply() override { return endpoint_ ? endpoint_->DeferReply() : DeferredReply(); }

private:
    MessageLoop& loop_;
    std::unique_ptr<WindowEndpoint> endpoint_;
};

// What the library posts reaches the sink through the loop, on the loop's
// thread, in order with everything else posted there.
class DevBridgeLibrary final : public IDeviceLibrary {
public:
    DevBridgeLibrary(std::string programFolder, MessageLoop& loop);

    bool Load(std::string* error) override;
    void Free() override;
    void OpenDevMonitor(Sink sink, unsigned eventMsg, unsigned presenceMsg) override;
    void CloseDevMonitor() override;
    bool OpenFeatureDevice() override { return library_.OpenFeatureDevice() != 0; }
    void CloseFeatureDevice() override { library_.CloseFeatureDevice(); }
    IFeatureDevice& Feature() override { return feature_; }

private:
    std::string programFolder_;
    MessageLoop& loop_;
    DeviceLibrary library_;
    std::unique_ptr<KelmWindowAdapter> window_;
    DevBridgeFeatureDevice feature_;
};

// The window's thread and the worker both write config.ini; one of them at a
// time, so neither saves over the other's change.
class StoreMonitorFiles final : public IMonitorFiles {
public:
    explicit StoreMonitorFiles(StoreLocation where) : where_(where), store_(std::move(where)) {}

    void StoreFirmwareVersion(int version) override;
    bool LoadSyncStamp(SyncStamp& stamp) override;
    void StoreSyncStamp(const SyncStamp& stamp) override;
    bool SaveRecord(const SettingsRecord& record) override;

    void LoadRecord(SettingsRecord& record) override;
    void LoadOsdSetting(OsdSetting& osd) override;
    void WriteDeviceState(int device) override;
    void WriteCurrentProfile(int slot) override;
    void WriteRepeatToRegistry(const ProfileRecord& profile) override;
    std::optional<std::uint32_t> PackageFirmwareVersion() override;

private:
    std::mutex mutex_;
    StoreLocation where_;
    StoreSettingsFiles store_;
};

}  // namespace kelm
