// The monitor's notification-area icon: tip "VELDAN Kelm", a drawn keyboard,
// and on the right button a menu of "Configuration" (the default item,
// bold) and "Exit". Without a display the icon simply is not there. On a
// display it is shown whether or not a notification area exists yet: it
// docks as soon as one appears (a panel started after the program, as at
// login) and again whenever the notification area is replaced (a restarted
// panel). Qt does that itself on X11 (the tray manager's selection) and for
// D-Bus status notifier hosts; nothing here has to watch for it. Which of
// the two a process uses, Qt decides once, at its first icon.
//
// Needs a QApplication only once the icon is added or its menu is asked
// for, so a headless program may keep one and find it never available.
//
// The callbacks run on the GUI thread: onLeftButtonDown for a click,
// onLeftDoubleClick for a double click, onCommand with kCommandConfiguration
// or kCommandExit for a menu choice (delivered once the menu has closed, so
// the receiver may remove or destroy the icon), and onTrace with the
// diagnostic line of each double click and of each menu the desktop opens
// on the right button (not of those ShowMenu opens).
#pragma once

#include <QSystemTrayIcon>
#include <functional>
#include <memory>

class QAction;
class QMenu;
class QObject;

namespace kelm {

class TrayIcon {
public:
    static constexpr unsigned kCommandConfiguration = 6001;
    static constexpr unsigned kCommandExit = 6002;

    TrayIcon();
    ~TrayIcon();
    TrayIcon(const TrayIcon&) = delete;
    TrayIcon& operator=(const TrayIcon&) = delete;

    // A display (HasDisplay) and a notification area showing icons now.
    static bool Available();

    // Shows the icon, in the notification area now or once there is one;
    // false without a display. Adding a shown icon or removing one that is
    // not shown is harmless.
    bool Add();
    void Remove();
    bool Shown() const { return shown_; }

    // Opens the menu at the pointer, as the right button on the icon does,
    // whether or not the icon is shown; nothing without a display.
    void ShowMenu();

    std::function<void()> onLeftButtonDown;
    std::function<void()> onLeftDoubleClick;
    std::function<void(unsigned id)> onCommand;
    std::function<void(const char* line)> onTrace;

    // What the desktop reports of the mouse on the icon; public so that it
    // can be driven where no notification area exists.
    void Activated(QSystemTrayIcon::ActivationReason reason);
    // The right button's menu, made when first needed.
    QMenu& Menu();

private:
    void Trace(const char* line);
    void DeliverCommand(unsigned id);

    std::unique_ptr<QObject> context_;       // target of the queued commands
    std::unique_ptr<QMenu> menu_;            // made by the first Menu
    std::unique_ptr<QSystemTrayIcon> icon_;  // made by the first Add
    bool shown_ = false;
    bool menuAsked_ = false;  // while ShowMenu opens the menu
};

}  // namespace kelm
