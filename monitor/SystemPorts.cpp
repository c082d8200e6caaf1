#include "monitor/SystemPorts.h"

#include "monitor/FirmwareCheck.h"
#include "platform/FileIo.h"
#include "platform/WindowClient.h"
#include "settings/Defaults.h"
#include "settings/SettingsStore.h"

namespace kelm {

// ---- windows ----

bool SystemWindowDirectory::FindWindow(std::string_view title) { return kelm::FindWindow(title); }

bool SystemWindowDirectory::PostMessage(std::string_view title, std::uint32_t msg, std::uint64_t wParam,
                                        std::int64_t lParam) {
    return kelm::PostMessage(title, msg, wParam, lParam);
}

bool EndpointWindowHost::Listen(std::string_view title, Handler handler) {
    endpoint_ = WindowEndpoint::Create(loop_, title, std::move(handler));
    return endpoint_ != nullptr;
}

// ---- libdevbridge ----

DevBridgeLibrary::DevBridgeLibrary(std::string programFolder, MessageLoop& loop)
    : programFolder_(std::move(programFolder)),
      loop_(loop),
      feature_([this](const unsigned char* report, unsigned length) { return library_.SetFeature(report, length); },
               [this](unsigned char* report, unsigned length) { return library_.GetFeature(report, length); }) {}

bool DevBridgeLibrary::Load(std::string* error) {
    library_ = DeviceLibrary::Load(programFolder_, error);
    return static_cast<bool>(library_);
}

void DevBridgeLibrary::Free() {
    CloseDevMonitor();
    library_ = DeviceLibrary();
}

void DevBridgeLibrary::OpenDevMonitor(Sink sink, unsigned eventMsg, unsigned presenceMsg) {
    // Monitoring that runs already is replaced, so the library never posts
    // to a window that is gone.
    CloseDevMonitor();
    if (!library_) return;
    window_ = std::make_unique<KelmWindowAdapter>(loop_, std::move(sink));
    library_.OpenDevMonitor(window_->Window(), eventMsg, presenceMsg);
}

void DevBridgeLibrary::CloseDevMonitor() {
    if (!window_) return;
    library_.CloseDevMonitor();
    window_.reset();
}

// ---- settings files ----

void StoreMonitorFiles::StoreFirmwareVersion(int version) {
    const std::lock_guard lock(mutex_);
    store_.StoreFirmwareVersion(version);
}

bool StoreMonitorFiles::LoadSyncStamp(SyncStamp& stamp) {
    const std::lock_guard lock(mutex_);
    return store_.LoadSyncStamp(stamp);
}

void StoreMonitorFiles::StoreSyncStamp(const SyncStamp& stamp) {
    const std::lock_guard lock(mutex_);
    store_.StoreSyncStamp(stamp);
}

bool StoreMonitorFiles::SaveRecord(const SettingsRecord& record) {
    const std::lock_guard lock(mutex_);
    return store_.SaveRecord(record);
}

void StoreMonitorFiles::LoadRecord(SettingsRecord& record) {
    const std::lock_guard lock(mutex_);
    ClearSettings(record);
    if (LoadAll(record, where_) != 1) DefaultSettings(record);
}

void StoreMonitorFiles::LoadOsdSetting(OsdSetting& osd) {
    const std::lock_guard lock(mutex_);
    ReadOsdSetting(where_, osd);
}

void StoreMonitorFiles::WriteDeviceState(int device) {
    const std::lock_guard lock(mutex_);
    kelm::WriteDeviceState(where_, device);
}

void StoreMonitorFiles::WriteCurrentProfile(int slot) {
    const std::lock_guard lock(mutex_);
    kelm::WriteCurrentProfile(where_, slot);
}

void StoreMonitorFiles::WriteRepeatToRegistry(const ProfileRecord& profile) {
    const std::lock_guard lock(mutex_);
    kelm::WriteRepeatToRegistry(where_, profile);
}

std::optional<std::uint32_t> StoreMonitorFiles::PackageFirmwareVersion() {
    const std::string path = where_.programFolder + "FlashPack/config.ini";
    if (!FileExists(path)) return std::nullopt;
    return ReadPackageFirmwareVersion(path);
}

}  // namespace kelm
