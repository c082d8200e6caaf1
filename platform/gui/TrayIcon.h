// The monitor's notification-area icon: tip "VELDAN Kelm", a drawn keyboard,
// and on the right button a menu of "Configuration" (the default item,
// bold) and "Exit". Where the desktop has no notification area (no display,
// no tray host) the icon simply is not there, as the system has none.
//
// Needs a QApplication only once the icon is added or its menu is asked
// for, so a headless program may keep one and find it never available.
//
// The callbacks run on the GUI thread: onLeftButtonDown for a click,
// onLeftDoubleClick for a double click, onCommand with kCommandConfiguration
// or kCommandExit for a menu choice (delivered once the menu has closed, so
// the receiver may remove or destroy the icon), and onTrace with the
// diagnostic line of each right-button menu and double click.
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

    // A display (HasDisplay) and a notification area to put the icon in.
    static bool Available();

    // Shows the icon; true when it is shown. Adding a shown icon or
    // removing one that is not shown is harmless.
    bool Add();
    void Remove();
    bool Shown() const { return shown_; }

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
};

}  // namespace kelm
