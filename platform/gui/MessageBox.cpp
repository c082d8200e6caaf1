#include "platform/gui/MessageBox.h"

#include <errno.h>

#include <QCoreApplication>
#include <QEventLoop>
#include <QMessageBox>
#include <QPointer>
#include <QThread>
#include <cstdio>
#include <utility>

#include "platform/gui/GuiApplication.h"

namespace kelm {

namespace {

// Boxes are shown on the GUI thread only.
QPointer<QMessageBox> g_openBox;

}  // namespace

void ShowMessageBox(const std::string& text) {
    if (HasDisplay() && QThread::currentThread() == QCoreApplication::instance()->thread()) {
        QMessageBox box(QMessageBox::Warning, QStringLiteral("VELDAN Kelm"), QString::fromLocal8Bit(text),
                        QMessageBox::Ok);
        // Neither exec nor the modality a QMessageBox has by itself: a modal
        // box blocks the clicks on every other window of the program, the
        // tray icon's among them.
        box.setWindowModality(Qt::NonModal);
        QEventLoop loop;
        QObject::connect(&box, &QDialog::finished, &loop, &QEventLoop::quit);
        const QPointer<QMessageBox> outer = std::exchange(g_openBox, &box);
        box.show();
        loop.exec();
        g_openBox = outer;
        return;
    }
    std::fprintf(stderr, "%s: %s\n", program_invocation_short_name, text.c_str());
}

bool RaiseMessageBox() {
    QMessageBox* box = g_openBox.data();
    if (box == nullptr) return false;
    box->setWindowState(box->windowState() & ~Qt::WindowMinimized);
    box->show();
    box->raise();
    box->activateWindow();
    return true;
}

}  // namespace kelm
