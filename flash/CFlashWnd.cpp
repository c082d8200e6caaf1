#include "flash/CFlashWnd.h"

#include <QKeyEvent>
#include <QPainter>
#include <QProgressBar>
#include <QTimer>

#include "flash/CFlashDlg.h"
#include "flash/FlashIds.h"
#include "flash/FlashLayout.h"
#include "flash/UpdateDevice.h"
#include "flash/UpdateEngine.h"
#include "flash/UpdateWorker.h"
#include "keyboard/Clock.h"
#include "platform/KelmWindowAdapter.h"
#include "platform/WindowEndpoint.h"
#include "platform/gui/KeyboardIcon.h"
#include "platform/gui/QtMessageLoop.h"
#include "skin/Layout.h"
#include "skin/PictureButton.h"
#include "skin/SkinColors.h"
#include "skin/SkinFiles.h"

namespace kelm {

namespace fl = flash_layout;

// The worker's messages, queued into the window's loop and handled there.
class WindowRelay final : public IUpdateWindow {
public:
    using Handler = std::function<void(std::uint32_t, std::uintptr_t, std::intptr_t)>;
    WindowRelay(MessageLoop& loop, Handler handler) : loop_(loop), handler_(std::move(handler)) {}
    void PostMessage(std::uint32_t msg, std::uintptr_t wParam, std::intptr_t lParam) override {
        loop_.Post([this, msg, wParam, lParam] { handler_(msg, wParam, lParam); });
    }

private:
    MessageLoop& loop_;
    Handler handler_;
};

namespace {

const QColor kTextColour(0x6B, 0x6B, 0x6B);
const QRect kImageNameArea(95, 131, 265, 16);
const QRect kImageCaptionArea(43, 131, 50, 16);
// Two lines: a failure's reason is read here too.
const QRect kStatusArea(43, 203, 436, 28);

QFont TextFont() {
    QFont font(QStringLiteral("Arial"));
    font.setPixelSize(12);
    return font;
}

}  // namespace

CFlashWnd::CFlashWnd(const FlashFolders& folders, ProcessLauncher& launcher, QWidget* parent)
    : SkinDialog(parent),
      folders_(folders),
      launcher_(launcher),
      progress_(new QProgressBar(this)),
      startTimer_(new QTimer(this)),
      loop_(std::make_unique<QtMessageLoop>()) {
    SetBackground(skin::SkinFilePath(folders_.program, QStringLiteral("FlashWindow")));
    if (size().isEmpty()) setFixedSize(fl::kWindowWidth, fl::kWindowHeight);
    setWindowTitle(QString::fromUtf8(kFlashWindowTitle.data(), static_cast<qsizetype>(kFlashWindowTitle.size())));
    setWindowIcon(KeyboardIcon());
    SetTitle(windowTitle(), QRect(14, 4, 400, 22));

    skin::StatePictures pictures;
    pictures.Load(skin::SkinFilePath(folders_.program, QStringLiteral("FlashWindow")), devicePixelRatioF());
    auto* exit = new skin::PictureButton(skin::ParseLayout(fl::kWindowExit), this);
    exit->SetPictures(pictures);
    // Focus would show it lit as if the mouse were on it; the window has no
    // other control to take the focus from it.
    exit->setFocusPolicy(Qt::NoFocus);
    connect(exit, &QAbstractButton::clicked, this, &CFlashWnd::reject);

    skin::Place(*progress_, skin::ParseLayout(fl::kWindowProgress));
    progress_->setTextVisible(false);
    progress_->setRange(0, 127);
    progress_->setValue(0);
    progress_->setStyleSheet(
        QStringLiteral("QProgressBar { background: #A1A1A1; border: none; }"
                       "QProgressBar::chunk { background: #3C89BF; }"));

    startTimer_->setSingleShot(true);
    startTimer_->setInterval(kStartUpdateDelayMs);
    connect(startTimer_, &QTimer::timeout, this, &CFlashWnd::StartPass);

    adapter_ = std::make_unique<KelmWindowAdapter>(*loop_, [](std::uint32_t, std::uintptr_t, std::intptr_t) {
        // devbridge's key events and plug notices mean nothing to an update.
    });
    // WM_CLOSE reaches the window by its title, as the close button does.
    endpoint_ = WindowEndpoint::Create(*loop_, kFlashWindowTitle, [this](const WindowMessage& message) {
        if (message.msg == WM_CLOSE) QTimer::singleShot(0, this, [this] { close(); });
        return std::int64_t{0};
    });
}

CFlashWnd::~CFlashWnd() { Release(); }

bool CFlashWnd::Run() {
    QTimer::singleShot(0, this, &CFlashWnd::Initialise);
    exec();
    // The loop may also have been ended from outside (a stop signal) while
    // the pass still ran: Release waits for it and takes its outcome.
    Release();
    return steps_.Phase() == UpdatePhase::Succeeded;
}

int CFlashWnd::ProgressValue() const { return progress_->value(); }
int CFlashWnd::ProgressMaximum() const { return progress_->maximum(); }

void CFlashWnd::SetStatus(const QString& text) {
    status_ = text;
    update(kStatusArea);
}

void CFlashWnd::Initialise() {
    std::string error;
    config_ = ReadFlashPackConfig(folders_.program, &error);
    if (config_) {
        imageName_ = skin::FromUtf8(ImageFileName(config_->imageName));
    } else {
        configError_ = skin::FromUtf8(error);
    }
    update();

    if (!MonitorRunning()) return MonitorClosed(MonitorClose::Gone);
    SetStatus(QStringLiteral("Closing KelmWatch…"));
    // KelmWatch runs its whole shutdown before it lets the keyboard go; the
    // window keeps painting and answering meanwhile.
    monitorCloser_ = std::thread([this] {
        const MonitorClose how = CloseMonitor([this](int ms) {
            if (stopClosing_) return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(ms));
            return stopClosing_.load();
        });
        loop_->Post([this, how] { MonitorClosed(how); });
    });
}

void CFlashWnd::MonitorClosed(MonitorClose how) {
    if (released_) return;
    if (monitorCloser_.joinable()) monitorCloser_.join();
    switch (how) {
        case MonitorClose::Gone:
            return OpenKeyboard();
        case MonitorClose::StillThere:
            return OnResult(false, QStringLiteral("KelmWatch did not close within %1 s; nothing was sent.")
                                       .arg(kMonitorCloseWaitMs / 1000));
        case MonitorClose::Stopped:
            return;
    }
}

void CFlashWnd::OpenKeyboard() {
    std::string error;
    device_ = UpdateDevice::Open(folders_, adapter_->Window(), &error);
    if (!device_) return OnResult(false, skin::FromUtf8(error) + QStringLiteral("; nothing was sent."));
    if (!device_->KeyboardOpen())
        return OnResult(
            false,
            QStringLiteral("No keyboard was found (%1); nothing was sent.").arg(skin::FromUtf8(DeviceSettingText())));
    clock_ = std::make_unique<SystemClock>();
    engine_ =
        std::make_unique<UpdateEngine>(device_->Feature(), *clock_, config_ ? config_->signatures : UpdateSignatures{});
    relay_ =
        std::make_unique<WindowRelay>(*loop_, [this](std::uint32_t msg, std::uintptr_t wParam, std::intptr_t lParam) {
            if (released_) return;
            if (msg == MSG_FLASH_PROGRESS) {
                OnProgress(wParam);
            } else if (msg == MSG_FLASH_RESULT) {
                const std::optional<UpdateResult> result = worker_->LastResult();
                OnResult(lParam == 1, result ? skin::FromUtf8(result->message) : QString());
            }
        });
    worker_ = std::make_unique<UpdateWorker>(*engine_, *relay_);
    loaderVersion_ = skin::FromUtf8(LoaderVersionText(engine_->ReadLoaderVersion()));
    steps_.Ready();
    SetStatus(QStringLiteral("The update starts in a moment; keep the keyboard plugged in."));
    update();
    startTimer_->start();
}

void CFlashWnd::StartPass() {
    progress_->setValue(0);
    if (!config_) return OnResult(false, configError_ + QStringLiteral("; nothing was sent."));
    std::string error;
    std::optional<FirmwareImage> image = LoadImage(folders_.program, *config_, &error);
    if (!image) return OnResult(false, skin::FromUtf8(error) + QStringLiteral("; nothing was sent."));
    steps_.PassStarted(image->Blocks());
    progress_->setRange(0, steps_.ProgressMaximum());
    SetStatus(QStringLiteral("Writing the firmware: keep the keyboard plugged in."));
    worker_->StartPass(std::move(*image));
}

void CFlashWnd::OnProgress(std::size_t block) {
    progress_->setValue(UpdateSteps::ProgressAfterBlock(block));
    progress_->repaint();
    if (!steps_.ClosePending())
        SetStatus(QStringLiteral("Block %1 of %2 written").arg(block + 1).arg(steps_.ProgressMaximum()));
}

void CFlashWnd::OnResult(bool ok, const QString& why) {
    const UpdateSteps::Outcome outcome = steps_.PassEnded(ok);
    if (outcome.showSuccess) {
        progress_->setValue(progress_->maximum());
        SetStatus(QStringLiteral("The update succeeded."));
        CFlashDlg::Ask(folders_.program, CFlashDlg::Kind::Success, {}, this);
    } else if (outcome.showFailure) {
        SetStatus(QStringLiteral("The update failed: ") + why);
        CFlashDlg::Ask(folders_.program, CFlashDlg::Kind::Failure, why, this);
    }
    if (outcome.closeAfterDialog) reject();
}

void CFlashWnd::reject() {
    if (!steps_.MayClose()) {
        SetStatus(QStringLiteral("Waiting for the keyboard to finish…"));
        return;
    }
    Release();
    SkinDialog::reject();
}

void CFlashWnd::Release() {
    if (released_) return;
    released_ = true;
    startTimer_->stop();
    stopClosing_ = true;
    if (monitorCloser_.joinable()) monitorCloser_.join();
    // No pass runs here (closing waits for it); Stop ends the idle thread
    // before devbridge, which it would use, goes.
    // Only a window torn down under a running pass (the program told to
    // stop) gets here with one; its end is then waited for, and a success
    // still counts for starting KelmWatch again.
    const bool passRan = worker_ != nullptr && steps_.Phase() == UpdatePhase::Updating;
    if (worker_) worker_->Stop();
    if (passRan) {
        const std::optional<UpdateResult> result = worker_->LastResult();
        steps_.PassEnded(result && result->ok);
    }
    worker_.reset();
    engine_.reset();
    device_.reset();
    endpoint_.reset();
    if (steps_.RestartMonitor()) StartMonitorAgain(launcher_, folders_);
}

void CFlashWnd::paintEvent(QPaintEvent* event) {
    SkinDialog::paintEvent(event);
    QPainter painter(this);
    painter.setFont(TextFont());
    painter.setPen(kTextColour);
    const int flags = Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine;
    painter.drawText(QRect(377, 251, 140, 16), flags, QStringLiteral("Firmware Update V1.03"));
    painter.drawText(QRect(8, 251, 200, 16), flags, QStringLiteral("DFU V") + loaderVersion_);
    painter.setPen(skin::kDimText);
    painter.drawText(kImageCaptionArea, flags, QStringLiteral("Image:"));
    painter.setPen(skin::kLight);
    painter.drawText(kImageNameArea, flags,
                     painter.fontMetrics().elidedText(imageName_, Qt::ElideRight, kImageNameArea.width()));
    painter.setPen(skin::kDimText);
    painter.drawText(kStatusArea, Qt::AlignHCenter | Qt::AlignTop | Qt::TextWordWrap, status_);
}

void CFlashWnd::keyPressEvent(QKeyEvent* event) {
    // Escape would close an ordinary dialog; this one closes only on purpose.
    if (event->key() == Qt::Key_Escape) return event->accept();
    SkinDialog::keyPressEvent(event);
}

}  // namespace kelm
