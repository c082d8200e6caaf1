#include "platform/gui/MessageBox.h"

#include <errno.h>

#include <QCoreApplication>
#include <QMessageBox>
#include <QThread>
#include <cstdio>

#include "platform/gui/GuiApplication.h"

namespace kelm {

void ShowMessageBox(const std::string& text) {
    if (HasDisplay() && QThread::currentThread() == QCoreApplication::instance()->thread()) {
        QMessageBox box(QMessageBox::Warning, QStringLiteral("VELDAN Kelm"), QString::fromLocal8Bit(text),
                        QMessageBox::Ok);
        box.exec();
        return;
    }
    std::fprintf(stderr, "%s: %s\n", program_invocation_short_name, text.c_str());
}

}  // namespace kelm
