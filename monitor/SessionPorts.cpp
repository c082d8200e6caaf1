#include "monitor/SessionPorts.h"

#include <string>

#include "monitor/MonitorIds.h"
#include "platform/KeyboardRate.h"
#include "platform/gui/MessageBox.h"
#include "platform/gui/TrayIcon.h"

namespace kelm {

bool LogindSessionNotifications::Register(std::function<void(std::uint32_t msg, std::uint32_t code)> onChange) {
    if (!session_) {
        session_ = SessionWatcher::Start(loop_, [onChange](bool active) {
            onChange(WM_WTSSESSION_CHANGE, active ? WTS_CONSOLE_CONNECT : WTS_CONSOLE_DISCONNECT);
        });
    }
    if (!sleep_) {
        sleep_ = SleepWatcher::Start(
            loop_, "KelmWatch", "Releases the keyboard before the machine sleeps", [onChange](bool sleeping) {
                onChange(WM_POWERBROADCAST, sleeping ? PBT_APMSUSPEND : PBT_APMRESUMEAUTOMATIC);
            });
    }
    // Either is worth having: a process outside any session still hears of
    // suspend and resume.
    return session_ || sleep_;
}

void LogindSessionNotifications::Unregister() {
    session_.reset();
    sleep_.reset();
}

bool XkbKeyboardRate::Apply(int kbDelay, int kbSpeed) { return ApplyKeyboardRate(kbDelay, kbSpeed); }

void SessionMessageBox::Show(std::string_view text) { ShowMessageBox(std::string(text)); }

void QtTrayIcon::Add() { icon_.Add(); }

void QtTrayIcon::Remove() { icon_.Remove(); }

void QtTrayIcon::ShowMenu() { icon_.ShowMenu(); }

void QtTrayIcon::RaisePopup() { RaiseMessageBox(); }

}  // namespace kelm
