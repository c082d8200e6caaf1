#include "monitor/SessionPorts.h"

#include <string>

#include "monitor/MonitorIds.h"
#include "platform/KeyboardRate.h"
#include "platform/gui/MessageBox.h"
#include "platform/gui/TrayIcon.h"

namespace kelm {

bool LogindSessionNotifications::Register(std::function<void(std::uint32_t code)> onChange) {
    watcher_ = SessionWatcher::Start(loop_, [onChange = std::move(onChange)](bool active) {
        onChange(active ? WTS_CONSOLE_CONNECT : WTS_CONSOLE_DISCONNECT);
    });
    return watcher_ != nullptr;
}

bool XkbKeyboardRate::Apply(int kbDelay, int kbSpeed) { return ApplyKeyboardRate(kbDelay, kbSpeed); }

void SessionMessageBox::Show(std::string_view text) { ShowMessageBox(std::string(text)); }

void QtTrayIcon::Add() { icon_.Add(); }

void QtTrayIcon::Remove() { icon_.Remove(); }

void QtTrayIcon::ShowMenu() { icon_.ShowMenu(); }

void QtTrayIcon::RaisePopup() { RaiseMessageBox(); }

}  // namespace kelm
