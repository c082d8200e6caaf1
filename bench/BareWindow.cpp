// setup_first_paint's baseline: the least a Qt Widgets program does to put a
// window of KelmSetup's size (800x600) on the display. It says when its
// first frame has been shown, as KelmSetup does under KELM_DEBUG, and ends.
#include <unistd.h>

#include <QApplication>
#include <QMetaObject>
#include <QPainter>
#include <QWidget>
#include <string_view>

namespace {

class BareWindow final : public QWidget {
protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.fillRect(rect(), QColor(0x20, 0x24, 0x28));
        if (painted_) return;
        painted_ = true;
        // Queued as KelmSetup's line is, so both stand for a frame that has
        // gone to the display.
        QMetaObject::invokeMethod(
            this,
            [] {
                constexpr std::string_view line = "BareWindow: first paint\n";
                const ssize_t ignored = ::write(STDERR_FILENO, line.data(), line.size());
                static_cast<void>(ignored);
                QCoreApplication::quit();
            },
            Qt::QueuedConnection);
    }

private:
    bool painted_ = false;
};

}  // namespace

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    BareWindow window;
    window.resize(800, 600);
    window.show();
    return application.exec();
}
