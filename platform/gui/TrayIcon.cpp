#include "platform/gui/TrayIcon.h"

#include <QAction>
#include <QCursor>
#include <QMenu>
#include <QMetaObject>
#include <QScopedValueRollback>

#include "platform/gui/GuiApplication.h"
#include "platform/gui/KeyboardIcon.h"

namespace kelm {

TrayIcon::TrayIcon() : context_(std::make_unique<QObject>()) {}

QMenu& TrayIcon::Menu() {
    if (menu_) return *menu_;
    menu_ = std::make_unique<QMenu>();
    QAction* configuration = menu_->addAction(QStringLiteral("Configuration"));
    QFont bold = configuration->font();
    bold.setBold(true);
    configuration->setFont(bold);
    menu_->setDefaultAction(configuration);
    menu_->addSeparator();
    QAction* exit = menu_->addAction(QStringLiteral("Exit"));
    QObject::connect(configuration, &QAction::triggered, context_.get(),
                     [this] { DeliverCommand(kCommandConfiguration); });
    QObject::connect(exit, &QAction::triggered, context_.get(), [this] { DeliverCommand(kCommandExit); });
    // The menu opens on the right button wherever the desktop shows it
    // (some notification areas never report the click itself). Whoever
    // asks for it through ShowMenu traces it there.
    QObject::connect(menu_.get(), &QMenu::aboutToShow, context_.get(), [this] {
        if (!menuAsked_) Trace("OnSystrayNotify WM_RBUTTONDOWN\n");
    });
    return *menu_;
}

TrayIcon::~TrayIcon() { Remove(); }

bool TrayIcon::Available() { return HasDisplay() && QSystemTrayIcon::isSystemTrayAvailable(); }

bool TrayIcon::Add() {
    if (shown_) return true;
    if (!HasDisplay()) return false;
    if (!icon_) {
        icon_ = std::make_unique<QSystemTrayIcon>(KeyboardIcon());
        icon_->setToolTip(QStringLiteral("VELDAN Kelm"));
        icon_->setContextMenu(&Menu());
        QObject::connect(icon_.get(), &QSystemTrayIcon::activated, context_.get(),
                         [this](QSystemTrayIcon::ActivationReason reason) { Activated(reason); });
    }
    // Shown also where no notification area is yet: Qt docks a shown icon
    // when one appears or is replaced, and never one that was not shown.
    icon_->show();
    shown_ = true;
    return true;
}

void TrayIcon::ShowMenu() {
    if (!HasDisplay()) return;
    const QScopedValueRollback asked(menuAsked_, true);  // aboutToShow comes from inside popup
    Menu().popup(QCursor::pos());
}

void TrayIcon::Remove() {
    if (!shown_) return;
    icon_->hide();
    shown_ = false;
}

void TrayIcon::Activated(QSystemTrayIcon::ActivationReason reason) {
    switch (reason) {
        case QSystemTrayIcon::Trigger:
            if (onLeftButtonDown) onLeftButtonDown();
            break;
        case QSystemTrayIcon::DoubleClick:
            Trace("OnSystrayNotify WM_LBUTTONDBLCLK\n");
            if (onLeftDoubleClick) onLeftDoubleClick();
            break;
        default:  // the context menu opens by itself; other buttons do nothing
            break;
    }
}

void TrayIcon::Trace(const char* line) {
    if (onTrace) onTrace(line);
}

void TrayIcon::DeliverCommand(unsigned id) {
    // Queued to the icon's own object: dropped if the icon is gone by then.
    QMetaObject::invokeMethod(
        context_.get(),
        [this, id] {
            if (onCommand) onCommand(id);
        },
        Qt::QueuedConnection);
}

}  // namespace kelm
