// What CMonitorWnd needs from the system, as small interfaces: the real
// ones are wired by KelmWatch's main, tests pass fakes that record calls.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "keyboard/FeatureDevice.h"
#include "keyboard/ProtocolHost.h"
#include "platform/DeferredReply.h"
#include "platform/WindowMessage.h"
#include "settings/ConfigFile.h"
#include "settings/SettingsRecord.h"
#include "suite/PactRecords.h"

namespace kelm {

// Other programs' windows, found by title.
class IWindowDirectory {
public:
    virtual ~IWindowDirectory() = default;
    virtual bool FindWindow(std::string_view title) = 0;
    // False when no window has that title; nothing is sent then.
    virtual bool PostMessage(std::string_view title, std::uint32_t msg, std::uint64_t wParam, std::int64_t lParam) = 0;
};

// The monitor's own window: the endpoint under its title.
class IWindowHost {
public:
    using Handler = std::function<std::int64_t(const WindowMessage&)>;
    virtual ~IWindowHost() = default;
    // False when the title is taken or the endpoint cannot be made.
    virtual bool Listen(std::string_view title, Handler handler) = 0;
    // Safe from inside the handler.
    virtual void Close() = 0;
    // Inside the handler of a sent message: the sender waits for this reply
    // instead of the handler's result.
    virtual DeferredReply DeferReply() = 0;
};

// libdevbridge and its seven entry points.
class IDeviceLibrary {
public:
    // Receives what the library posts, on the window's thread.
    using Sink = std::function<void(std::uint32_t msg, std::uintptr_t wParam, std::intptr_t lParam)>;
    virtual ~IDeviceLibrary() = default;
    // False, with the reason in *error, when the library or an entry point is
    // missing; every later call then fails or does nothing.
    virtual bool Load(std::string* error) = 0;
    virtual void Free() = 0;
    virtual void OpenDevMonitor(Sink sink, unsigned eventMsg, unsigned presenceMsg) = 0;
    virtual void CloseDevMonitor() = 0;
    virtual bool OpenFeatureDevice() = 0;
    virtual void CloseFeatureDevice() = 0;
    // SetFeature and GetFeature.
    virtual IFeatureDevice& Feature() = 0;
};

// The notification-area icon. Its mouse actions and menu choices come back
// as CMonitorWnd::OnSystrayNotify and CMonitorWnd::OnCommand.
class ITrayIcon {
public:
    virtual ~ITrayIcon() = default;
    // Adding an icon that is shown, or removing one that is not, is harmless.
    virtual void Add() = 0;
    virtual void Remove() = 0;
    // The icon's menu at the pointer, as the right button opens it.
    virtual void ShowMenu() = 0;
    // The message box the monitor has open, if any, comes to the front:
    // the window's last active pop-up.
    virtual void RaisePopup() = 0;
};

// Console connect and disconnect of the user's session, suspend and resume
// of the machine.
class ISessionNotifications {
public:
    virtual ~ISessionNotifications() = default;
    // onChange receives, on the window's thread, WM_WTSSESSION_CHANGE with
    // WTS_CONSOLE_CONNECT or WTS_CONSOLE_DISCONNECT, and WM_POWERBROADCAST
    // with PBT_APMSUSPEND or PBT_APMRESUMEAUTOMATIC; the machine sleeps only
    // once the handling of PBT_APMSUSPEND has returned. False when the
    // session service cannot be reached at all.
    virtual bool Register(std::function<void(std::uint32_t msg, std::uint32_t code)> onChange) = 0;
    virtual void Unregister() = 0;
};

// The session's key repeat (delay 0..3, speed 0..31), for the running
// session only.
class IKeyboardRate {
public:
    virtual ~IKeyboardRate() = default;
    virtual bool Apply(int kbDelay, int kbSpeed) = 0;
};

class IMessageBox {
public:
    virtual ~IMessageBox() = default;
    virtual void Show(std::string_view text) = 0;
};

// The monitor's settings files beside those the keyboard sequences use.
class IMonitorFiles : public ISettingsFiles {
public:
    // Clears record and loads it from the configuration and profile files,
    // with the defaults where loading fails.
    virtual void LoadRecord(SettingsRecord& record) = 0;
    virtual void LoadOsdSetting(OsdSetting& osd) = 0;
    virtual void WriteDeviceState(int device) = 0;
    virtual void WriteCurrentProfile(int slot) = 0;
    virtual void WriteRepeatToRegistry(const ProfileRecord& profile) = 0;
    // [Firmware] Version of FlashPack/config.ini, 0xFFFFFFFF when the key
    // is missing; nothing when the folder delivers no firmware package (no
    // config.ini at all), as an installation without the maker's firmware.
    virtual std::optional<std::uint32_t> PackageFirmwareVersion() = 0;
};

enum class MutexCreation { Created, AlreadyExisted, Failed };

// The settings block the monitor creates, and its mutex. Every copy is the
// whole record in one direction under the mutex.
class ISettingsBlock : public IRecordPublisher {
public:
    virtual MutexCreation CreateMutex() = 0;
    // False when the block cannot be had; every copy is then skipped.
    virtual bool CreateBlock() = 0;
    // False when there is no block or the copy cannot be trusted (a program
    // died holding the mutex: the block is then rewritten from record).
    virtual bool CopyToRecord(SettingsRecord& record) = 0;
    virtual void CloseBlock() = 0;
    virtual void CloseMutex() = 0;
};

// The Pact monitor's two blocks, opened, never created, by this monitor.
class IPactBlocks {
public:
    virtual ~IPactBlocks() = default;
    // Opening a block that is open closes it first. A block that exists but
    // cannot be mapped is reported with "Could not map view of file.".
    virtual bool OpenStatus() = 0;
    virtual bool OpenAmbient() = 0;
    virtual void CloseStatus() = 0;
    virtual void CloseAmbient() = 0;
    // False when the block is not open or its mutex cannot be had.
    virtual bool ReadStatus(PactStatusRecord& record) = 0;
    virtual bool WriteStatus(const PactStatusRecord& record) = 0;
    virtual bool ReadAmbient(AmbientLightRecord& record) = 0;
};

}  // namespace kelm
