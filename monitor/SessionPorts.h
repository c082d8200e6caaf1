// The ports of KelmWatch that reach the desktop session: logind's session
// notifications, the X session's key repeat, message boxes and the tray.
#pragma once

#include <memory>

#include "monitor/MonitorPorts.h"
#include "platform/MessageLoop.h"
#include "platform/SessionWatcher.h"
#include "platform/SleepWatcher.h"

namespace kelm {

class TrayIcon;

class LogindSessionNotifications final : public ISessionNotifications {
public:
    explicit LogindSessionNotifications(MessageLoop& loop) : loop_(loop) {}
    bool Register(std::function<void(std::uint32_t msg, std::uint32_t code)> onChange) override;
    void Unregister() override;

private:
    MessageLoop& loop_;
    std::unique_ptr<SessionWatcher> session_;
    std::unique_ptr<SleepWatcher> sleep_;
};

class XkbKeyboardRate final : public IKeyboardRate {
public:
    bool Apply(int kbDelay, int kbSpeed) override;
};

// A Qt box where a person can see it, else a line on standard error.
class SessionMessageBox final : public IMessageBox {
public:
    void Show(std::string_view text) override;
};

// The Qt icon; the monitor's pop-ups are the message boxes SessionMessageBox
// shows.
class QtTrayIcon final : public ITrayIcon {
public:
    explicit QtTrayIcon(TrayIcon& icon) : icon_(icon) {}
    void Add() override;
    void Remove() override;
    void ShowMenu() override;
    void RaisePopup() override;

private:
    TrayIcon& icon_;
};

}  // namespace kelm
